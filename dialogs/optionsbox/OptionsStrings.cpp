#include "dialogs/optionsbox/OptionsStrings.h"

#include "platform/StringTable.h"

#include <mutex>

namespace optionsbox {

QString Text(int id) {
    static std::once_flag once;
    std::call_once(once, [] {
        platform::RegisterStrings({
            {IDS_APPLY, u"应用"},
            {IDS_PAGE_GENERAL, u"常规"},
            {IDS_PAGE_DATA, u"数据"},
            {IDS_CAPTION, u"配置 - %1"},
            {IDS_DATA_FORMAT, u" 数据格式 "},
            {IDS_DECIMAL_PLACES, u"小数点位数"},
            {IDS_SCIENTIFIC_RANGE, u"科学计数法表示数据范围"},
            {IDS_BELOW, u"小于 <"},
            {IDS_ABOVE, u"大于 >"},
            {IDS_CONFIG_FILE, u" 配置文件 "},
            {IDS_CURRENT_FILES, u" 电流数据文件 "},
            {IDS_AUTO_SAVE, u"自动保存"},
            {IDS_DATALOGGING_FILES, u" 长时间数据记录文件 "},
            {IDS_SECONDS, u"秒"},
            {IDS_REFRESH_INTERVAL, u"数据刷新时间间隔"},
            {IDS_LOG_FILES, u" 日志文件 "},
            {IDS_SAVE_LOG, u"保存日志"},
            {IDS_VOLTAGE_FILES, u" 电压数据文件 "},
            {IDS_CCDF_FILES, u" CCDF 数据文件 "},
        });
    });
    return platform::LoadString(id);
}

} // namespace optionsbox
