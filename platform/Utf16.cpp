#include "Utf16.h"

namespace platform {

std::u16string ToU16(const QString& text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size()));
}

QString FromU16(std::u16string_view text) {
    return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

static QString MapAscii(const QString& text, char16_t from, char16_t to, int shift) {
    QString out = text;
    for (QChar& c : out) {
        const char16_t u = c.unicode();
        if (u >= from && u <= to)
            c = QChar(static_cast<char16_t>(u + shift));
    }
    return out;
}

QString AsciiUpper(const QString& text) {
    return MapAscii(text, u'a', u'z', 'A' - 'a');
}
QString AsciiLower(const QString& text) {
    return MapAscii(text, u'A', u'Z', 'a' - 'A');
}

bool EqualsAsciiNoCase(const QString& a, const QString& b) {
    return a.size() == b.size() && AsciiUpper(a) == AsciiUpper(b);
}

} // namespace platform
