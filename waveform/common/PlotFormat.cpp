#include "waveform/common/PlotFormat.h"

#include "platform/Numbers.h"

namespace waveform {

QString TrimDecimalZeros(QString text) {
    if (text.contains(QLatin1Char('.')) && !text.contains(QLatin1Char('e'))) {
        while (text.size() > 1 && text.endsWith(QLatin1Char('0')))
            text.chop(1);
    }
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

QString FormatFloatText(double value) {
    return TrimDecimalZeros(platform::CFormat("%-g", value));
}

QString FormatDoubleText(double value) {
    return TrimDecimalZeros(platform::CFormat("%lf", value));
}

} // namespace waveform
