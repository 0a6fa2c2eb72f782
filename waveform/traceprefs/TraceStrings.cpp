#include "waveform/traceprefs/TraceStrings.h"

#include "platform/StringTable.h"

#include <mutex>

namespace traceprefs {

QString Text(int id) {
    static std::once_flag once;
    std::call_once(once, [] {
        platform::RegisterStrings({
            {34700, u"波形曲线名称"},
            {34701, u" 横坐标轴 "},
            {34702, u"自适应单位：秒、分、时、天"},
            {34703, u"固定单位： 秒(s)"},
            {34704, u"显示名称"},
            {34705, u"起始(最小值)"},
            {34706, u"终止(最大值)"},
            {34707, u" 纵坐标轴 "},
            {34708, u" 纵坐标轴：左侧 "},
            {34709, u"单位"},
            {34710, u" 坐标轴 "},
            {34711, u"坐标轴线条颜色"},
            {34712, u"线型"},
            {34713, u"线宽"},
            {34714, u"坐标轴文字颜色"},
            {34715, u"背景颜色"},
            {34716, u" 曲线 "},
            {34717, u"连接线"},
            {34718, u"菱形"},
            {34719, u"叉形"},
            {34720, u"方形"},
            {34721, u"曲线 1"},
            {34722, u"曲线 2"},
            {34723, u"曲线 3"},
            {34724, u"曲线 4"},
            {34725, u"名称"},
            {34726, u"颜色"},
            {IDS_AUTOMATIC, u"自动"},
            {IDS_MORE_COLORS, u"其他颜色..."},
            {2000, u"波形曲线>坐标系"},
            {2001, u"波形曲线参数配置"},
            {2002, u"波形曲线>颜色线型"},
            {2004, u"幅度值范围设置错误,起始值大于终止值!"},
            {2005, u"频率范围设置错误,起始频率大于终止频率!"},
        });
    });
    return platform::LoadString(id);
}

} // namespace traceprefs
