#include "common/xmlfile/TextHelpers.h"

#include "platform/LocalTime.h"
#include "platform/Numbers.h"

QString FormatDouble(int decimals, double value) {
    // "%.*f" rounds exactly as the digits-and-point form does; it only adds the leading "0" itself.
    QString text =
        decimals < 0 ? platform::CFormat("%lf", value) : platform::CFormat("%.*f", decimals, value);
    if (text.contains(u'.') && !text.contains(u'e')) {
        while (text.size() > 1 && text.endsWith(u'0'))
            text.chop(1);
    }
    if (text.endsWith(u'.'))
        text.chop(1);
    return text;
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
