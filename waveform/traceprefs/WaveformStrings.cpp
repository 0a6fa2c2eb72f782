#include "waveform/traceprefs/WaveformStrings.h"

namespace traceprefs {

QString LoadString(int id) {
    switch (id) {
    case IDS_PAGE_AXIS:
        return QStringLiteral("波形曲线>坐标系");
    case IDS_CAPTION:
        return QStringLiteral("波形曲线参数配置");
    case IDS_PAGE_COLOUR:
        return QStringLiteral("波形曲线>颜色线型");
    case IDS_VERT_RANGE:
        return QStringLiteral("幅度值范围设置错误,起始值大于终止值!");
    case IDS_HORI_RANGE:
        return QStringLiteral("频率范围设置错误,起始频率大于终止频率!");
    default:
        return {};
    }
}

} // namespace traceprefs
