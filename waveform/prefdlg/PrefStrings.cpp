#include "waveform/prefdlg/PrefStrings.h"

#include "platform/StringTable.h"

#include <mutex>

namespace prefdlg {

QString Text(int id) {
    static std::once_flag once;
    std::call_once(once, [] {
        platform::RegisterStrings({
            {IDS_ENTER_INTEGER, u"请输入一个整数。"},
            {IDS_ENTER_INTEGER_RANGE, u"请输入一个介于 %1 和 %2 之间的整数。"},
            {IDS_CAPTION, u"参数设置"},
            {IDS_CATEGORY, u"类别"},
            {IDS_DEFAULTS_ALL, u"默认全部"},
            {IDS_DEFAULTS_CURRENT, u"默认当前"},
            {IDS_HELP, u"帮助"},
            {IDS_OK, u"确定"},
            {IDS_CANCEL, u"取消"},
            {IDS_ENTER_NUMBER, u"请输入一个数字。"},
        });
    });
    return platform::LoadString(id);
}

} // namespace prefdlg
