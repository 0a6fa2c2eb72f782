#include "CodePage.h"

#include <cerrno>
#include <iconv.h>

namespace platform {
namespace {

// iconv descriptors are not safe for concurrent use: each conversion opens its own.
class CIconv {
public:
    CIconv(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~CIconv() {
        if (m_cd != reinterpret_cast<iconv_t>(-1))
            iconv_close(m_cd);
    }
    CIconv(const CIconv&) = delete;
    CIconv& operator=(const CIconv&) = delete;
    bool IsOpen() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t Handle() const { return m_cd; }

private:
    iconv_t m_cd;
};

constexpr const char* kAnsi = "CP936";
constexpr const char* kUtf16 = "UTF-16LE";

} // namespace

bool AnsiToText(std::string_view ansi, QString& out) {
    out.clear();
    if (ansi.empty())
        return true;
    CIconv cd(kUtf16, kAnsi);
    if (!cd.IsOpen())
        return false;
    std::u16string buffer(ansi.size() + 1, u'\0');
    char* in = const_cast<char*>(ansi.data());
    size_t inLeft = ansi.size();
    char* outPtr = reinterpret_cast<char*>(buffer.data());
    size_t outLeft = buffer.size() * sizeof(char16_t);
    const size_t rc = iconv(cd.Handle(), &in, &inLeft, &outPtr, &outLeft);
    const size_t produced = (buffer.size() * sizeof(char16_t) - outLeft) / sizeof(char16_t);
    out = QString(reinterpret_cast<const QChar*>(buffer.data()), static_cast<qsizetype>(produced));
    return rc != static_cast<size_t>(-1) && inLeft == 0;
}

bool TextToAnsi(const QString& text, std::string& out, char replacement) {
    out.clear();
    if (text.isEmpty())
        return true;
    CIconv cd(kAnsi, kUtf16);
    if (!cd.IsOpen())
        return false;
    // Two bytes per UTF-16 unit is the most CP936 needs (a four-byte GB18030 form is not CP936).
    const size_t count = static_cast<size_t>(text.size());
    out.resize(count * 2 + 16);
    const char16_t* units = reinterpret_cast<const char16_t*>(text.utf16());
    char* in = reinterpret_cast<char*>(const_cast<char16_t*>(units));
    size_t inLeft = count * sizeof(char16_t);
    size_t produced = 0;
    while (inLeft > 0) {
        char* outPtr = out.data() + produced;
        size_t outLeft = out.size() - produced;
        const size_t rc = iconv(cd.Handle(), &in, &inLeft, &outPtr, &outLeft);
        produced = out.size() - outLeft;
        if (rc != static_cast<size_t>(-1))
            break;
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
            continue;
        }
        // EILSEQ or a lone surrogate at the end: replace that one character and go on.
        if (replacement == '\0') {
            out.resize(produced);
            return false;
        }
        const size_t at = (count * sizeof(char16_t) - inLeft) / sizeof(char16_t);
        size_t skip = 1;
        if (units[at] >= 0xD800 && units[at] <= 0xDBFF && at + 1 < count && units[at + 1] >= 0xDC00 &&
            units[at + 1] <= 0xDFFF)
            skip = 2;
        iconv(cd.Handle(), nullptr, nullptr, nullptr, nullptr);
        if (produced == out.size())
            out.resize(out.size() * 2);
        out[produced++] = replacement;
        in += skip * sizeof(char16_t);
        inLeft -= skip * sizeof(char16_t);
    }
    out.resize(produced);
    return true;
}

QString FromAnsi(std::string_view ansi) {
    QString out;
    if (AnsiToText(ansi, out))
        return out;
    // Decode what is sound, character by character, with U+FFFD for the rest.
    out.clear();
    size_t i = 0;
    while (i < ansi.size()) {
        const size_t len =
            std::min<size_t>(AnsiCharLength(static_cast<unsigned char>(ansi[i])), ansi.size() - i);
        QString piece;
        if (AnsiToText(ansi.substr(i, len), piece))
            out += piece;
        else
            out += QChar(0xFFFD);
        i += len;
    }
    return out;
}

std::string ToAnsi(const QString& text) {
    std::string out;
    TextToAnsi(text, out, '#');
    return out;
}

int AnsiCharLength(unsigned char lead) {
    return (lead >= 0x81 && lead <= 0xFE) ? 2 : 1;
}

size_t AnsiWholeCharPrefix(std::string_view bytes) {
    size_t i = 0;
    while (i < bytes.size()) {
        const size_t len = static_cast<size_t>(AnsiCharLength(static_cast<unsigned char>(bytes[i])));
        if (i + len > bytes.size())
            break;
        i += len;
    }
    return i;
}

} // namespace platform
