#include "waveform/prefdlg/PrefStrings.h"

#include "platform/StringTable.h"

#include <mutex>

namespace prefdlg {

QString Text(int id) {
    static std::once_flag once;
    std::call_once(once, [] {
        platform::RegisterStrings({
            {34600, u"请输入一个整数。"},
            {34601, u"请输入一个介于 %1 和 %2 之间的整数。"},
            {34602, u"参数设置"},
            {34603, u"类别"},
            {34604, u"默认全部"},
            {34605, u"默认当前"},
            {34606, u"帮助"},
            {34607, u"确定"},
            {34608, u"取消"},
            {34609, u"请输入一个数字。"},
        });
    });
    return platform::LoadString(id);
}

} // namespace prefdlg
