#include "waveform/traceprefs/TraceStrings.h"

#include "platform/StringTable.h"

#include <mutex>

namespace traceprefs {

QString Text(int id) {
    static std::once_flag once;
    std::call_once(once, [] {
        platform::RegisterStrings({
            {IDS_CHART_NAME, u"波形曲线名称"},
            {IDS_HORI_AXIS, u" 横坐标轴 "},
            {IDS_UNIT_ADAPTIVE, u"自适应单位：秒、分、时、天"},
            {IDS_UNIT_FIXED, u"固定单位： 秒(s)"},
            {IDS_AXIS_TEXT, u"显示名称"},
            {IDS_AXIS_MIN, u"起始(最小值)"},
            {IDS_AXIS_MAX, u"终止(最大值)"},
            {IDS_VERT_AXIS, u" 纵坐标轴 "},
            {IDS_LEFT_AXIS, u" 纵坐标轴：左侧 "},
            {IDS_AXIS_UNIT, u"单位"},
            {IDS_AXES, u" 坐标轴 "},
            {IDS_AXIS_COLOUR, u"坐标轴线条颜色"},
            {IDS_LINE_STYLE, u"线型"},
            {IDS_LINE_WIDTH, u"线宽"},
            {IDS_TEXT_COLOUR, u"坐标轴文字颜色"},
            {IDS_BACK_COLOUR, u"背景颜色"},
            {IDS_CURVES, u" 曲线 "},
            {IDS_POINTS_LINE, u"连接线"},
            {IDS_POINTS_DIAMOND, u"菱形"},
            {IDS_POINTS_CROSS, u"叉形"},
            {IDS_POINTS_SQUARE, u"方形"},
            {IDS_CURVE_1, u"曲线 1"},
            {IDS_CURVE_2, u"曲线 2"},
            {IDS_CURVE_3, u"曲线 3"},
            {IDS_CURVE_4, u"曲线 4"},
            {IDS_CURVE_NAME, u"名称"},
            {IDS_CURVE_COLOUR, u"颜色"},
            {IDS_AUTOMATIC, u"自动"},
            {IDS_MORE_COLORS, u"其他颜色..."},
            {IDS_PAGE_AXIS, u"波形曲线>坐标系"},
            {IDS_CAPTION, u"波形曲线参数配置"},
            {IDS_PAGE_COLOUR, u"波形曲线>颜色线型"},
            {IDS_VERT_RANGE, u"幅度值范围设置错误,起始值大于终止值!"},
            {IDS_HORI_RANGE, u"频率范围设置错误,起始频率大于终止频率!"},
        });
    });
    return platform::LoadString(id);
}

} // namespace traceprefs
