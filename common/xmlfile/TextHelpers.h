#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <string>

// Number, date and string helpers; numbers are always written in the C locale.

// v rounded to 'decimals' places without trailing zeros or a trailing '.' (2.5 with 3 gives "2.5",
// 7.0 with 0 gives "7"); a negative count formats with "%lf" and trims the same way.
QString FormatDouble(int decimals, double value);
// Appends what FormatDouble gives, for writers of many numbers.
void AppendDouble(std::string& out, int decimals, double value);
// The same into a buffer with room for platform::kNumberChars characters; the end of the text.
char* FormatDoubleChars(char* at, int decimals, double value);

// strftime codes on a local date-time, at most 256 characters. A null date-time gives an empty text,
// an invalid one "Invalid DateTime".
QString FormatDateTime(const QDateTime& dateTime, const QString& format);

// Splits at every separator found past position 0, keeping empty parts between adjacent separators;
// a non-empty rest is the last part. Returns the number of parts.
int SplitString(const QString& text, const QString& separator, QStringList& out);

// Index of the first element that contains the text; -1 when none does.
int FindInStringArray(const QStringList& array, const QString& text);
