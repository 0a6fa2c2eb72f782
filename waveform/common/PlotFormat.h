#pragma once

#include <QString>

// Texts of axis labels and marker values.
namespace waveform {

// "%-g" of the value, trailing zeros of a decimal fraction removed.
QString FormatFloatText(double value);

// "%lf" of the value, trailing zeros of a decimal fraction removed.
QString FormatDoubleText(double value);

// Removes trailing '0's of a text holding '.' and no 'e', then a trailing '.'.
QString TrimDecimalZeros(QString text);

} // namespace waveform
