#include "common/xmlfile/TextHelpers.h"

#include "platform/LocalTime.h"
#include "platform/Numbers.h"

#include <algorithm>

char* FormatDoubleChars(char* at, int decimals, double value) {
    // "%lf" is six decimals.
    char* end = platform::FormatFixed(at, value, decimals < 0 ? 6 : decimals);
    // Fixed notation has no exponent; "inf" and "nan" have no point and stay whole.
    if (std::find(at, end, '.') != end) {
        while (end - at > 1 && end[-1] == '0')
            --end;
        if (end[-1] == '.')
            --end;
    }
    return end;
}

void AppendDouble(std::string& out, int decimals, double value) {
    char buffer[platform::kNumberChars];
    out.append(buffer, FormatDoubleChars(buffer, decimals, value));
}

QString FormatDouble(int decimals, double value) {
    std::string text;
    AppendDouble(text, decimals, value);
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QString FormatDateTime(const QDateTime& dateTime, const QString& format) {
    if (dateTime.isNull())
        return QString();
    if (!dateTime.isValid())
        return QStringLiteral("Invalid DateTime");
    return platform::FormatTime(static_cast<std::time_t>(dateTime.toSecsSinceEpoch()), format, 256);
}

int SplitString(const QString& text, const QString& separator, QStringList& out) {
    out.clear();
    qsizetype start = 0;
    qsizetype pos = separator.isEmpty() ? -1 : text.indexOf(separator, 0);
    while (pos > 0) {
        out.append(text.mid(start, pos - start));
        start = pos + separator.size();
        pos = text.indexOf(separator, start);
    }
    if (start < text.size())
        out.append(text.mid(start));
    return static_cast<int>(out.size());
}

int FindInStringArray(const QStringList& array, const QString& text) {
    for (qsizetype i = 0; i < array.size(); ++i) {
        if (array[i].contains(text))
            return static_cast<int>(i);
    }
    return -1;
}
