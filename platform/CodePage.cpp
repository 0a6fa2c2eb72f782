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
    out.reserve(static_cast<size_t>(text.size()) * 2);
    const char16_t* units = reinterpret_cast<const char16_t*>(text.utf16());
    const size_t count = static_cast<size_t>(text.size());
    size_t i = 0;
    char buffer[16];
    while (i < count) {
        // One character at a time (a surrogate pair is one character), so a failure is local.
        size_t len = 1;
        if (units[i] >= 0xD800 && units[i] <= 0xDBFF && i + 1 < count && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF)
            len = 2;
        char* in = reinterpret_cast<char*>(const_cast<char16_t*>(units + i));
        size_t inLeft = len * sizeof(char16_t);
        char* outPtr = buffer;
        size_t outLeft = sizeof(buffer);
        if (iconv(cd.Handle(), &in, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1)) {
            if (replacement == '\0')
                return false;
            iconv(cd.Handle(), nullptr, nullptr, nullptr, nullptr);
            out.push_back(replacement);
        } else {
            out.append(buffer, sizeof(buffer) - outLeft);
        }
        i += len;
    }
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
