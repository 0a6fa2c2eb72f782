#include "dialogs/optionsbox/OptionsStrings.h"

#include "platform/StringTable.h"

#include <mutex>

namespace optionsbox {

QString Text(int id) {
    static std::once_flag once;
    std::call_once(once, [] {
        platform::RegisterStrings({
            {34500, u"应用"},
            {34501, u"常规"},
            {34502, u"数据"},
            {34503, u"配置 - %1"},
            {34504, u" 数据格式 "},
            {34505, u"小数点位数"},
            {34506, u"科学计数法表示数据范围"},
            {34507, u"小于 <"},
            {34508, u"大于 >"},
            {34509, u" 配置文件 "},
            {34510, u" 电流数据文件 "},
            {34511, u"自动保存"},
            {34512, u" 长时间数据记录文件 "},
            {34513, u"秒"},
            {34514, u"数据刷新时间间隔"},
            {34515, u" 日志文件 "},
            {34516, u"保存日志"},
            {34517, u" 电压数据文件 "},
            {34518, u" CCDF 数据文件 "},
        });
    });
    return platform::LoadString(id);
}

} // namespace optionsbox
