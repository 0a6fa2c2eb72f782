#include "common/xmlfile/TextConversion.h"

#include "platform/CodePage.h"

#include <cerrno>
#include <cstring>

int HResultFromError(int error) {
    if (error <= 0)
        return error;
    return static_cast<int>(0x80070000u | (static_cast<unsigned>(error) & 0xFFFFu));
}

int AnsiToUnicode(const char* ansi, QString& out) {
    if (ansi == nullptr) {
        out = QString();
        return xmlfile::S_OK;
    }
    return AnsiToUnicode(std::string(ansi, std::strlen(ansi)), out);
}

int AnsiToUnicode(const std::string& ansi, QString& out) {
    out = platform::FromAnsi(ansi);
    return xmlfile::S_OK;
}

int UnicodeToAnsi(const QString& text, std::string& out) {
    errno = 0;
    if (platform::TextToAnsi(text, out, '?'))
        return xmlfile::S_OK;
    const int error = errno;
    out.clear();
    return HResultFromError(error != 0 ? error : EILSEQ);
}
