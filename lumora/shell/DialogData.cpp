#include "lumora/shell/DialogData.h"

#include "lumora/LumoraStrings.h"
#include "platform/ControlId.h"
#include "platform/MessageBox.h"
#include "platform/ParseNumber.h"
#include "platform/StringTable.h"

#include <QBoxLayout>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>

namespace shell {

using platform::LoadString;

void RegisterSettingsStrings() {
    platform::RegisterStrings({
        {IDS_ENTER_NUMBER, u"请输入一个数字。"},
        {IDS_ENTER_INTEGER_RANGE, u"请输入一个介于 %1 和 %2 之间的整数。"},
        {IDS_ENTER_INTEGER, u"请输入一个整数。"},
        {IDS_CURRPROTECT_TITLE, u"直流电源"},
        {IDS_CURRPROTECT_LIMIT, u"限定值"},
        {IDS_CURRPROTECT_PROTECTION, u"保护值"},
        {IDS_CURRPROTECT_VOLTAGE, u" 电压保护 "},
        {IDS_CURRPROTECT_CURRENT, u" 电流保护 "},
        {IDS_UNIT_VOLTS, u"伏特(V)"},
        {IDS_UNIT_AMPERES, u"安培(A)"},
        {IDS_INSTRU_TITLE, u"电子仪器"},
        {IDS_INSTRU_MODE_1, u"模式一"},
        {IDS_INSTRU_MODE_2, u"模式二"},
        {IDS_INSTRU_MODE_3, u"模式三"},
        {IDS_INSTRU_CONFIGURE, u"配置"},
        {IDS_INSTRU_PROTECTION, u"保护"},
        {IDS_INSTRU_SUPPLY, u"直流电源"},
        {IDS_INSTRU_METER, u"数字万用表"},
        {IDS_MEASCURR_TITLE, u"直流电流测量设置"},
        {IDS_CAPTURE_TIME_GROUP, u" 捕获时间 "},
        {IDS_UNIT_SECONDS, u"秒 (s)"},
        {IDS_NPLC_GROUP, u" 电源周期数目(NPLCs) "},
        {IDS_MEASCURR_SUPPLY_NPLC, u"NPLC最小积分时间为0.002PLC，最大采集点数为2500点"},
        {IDS_MEASCURR_METER_NPLC, u"NPLC最小积分时间为0.0005PLC，最大采集点数为1M点"},
        {IDS_MEASDATALOG_TITLE, u"数据记录测量设置"},
        {IDS_UNIT_HOUR, u"时"},
        {IDS_UNIT_MINUTE, u"分"},
        {IDS_UNIT_SECOND, u"秒"},
        {IDS_MEASDATALOG_AUTO_NPLC, u"自动最小"},
        {IDS_MEASDATALOG_TYPE, u" 测量类型 "},
        {IDS_MEASDATALOG_CURRENT, u"电流"},
        {IDS_MEASDATALOG_VOLTAGE_CURRENT, u"电压 + 电流"},
        {IDS_MEASDATALOG_SAMPLES, u"数据个数"},
        {IDS_MEASDATALOG_FILE_SIZE, u"文件大小"},
        {IDS_VISARES_TITLE, u"VISA 资源"},
        {IDS_VISARES_NAME, u"VISA 资源名称"},
        {IDS_VISARES_INTERFACE, u"接口类型"},
        {IDS_VISARES_BOARD, u"序号"},
        {IDS_VISARES_TIMEOUT, u"超时"},
        {IDS_VISARES_TERMINATION, u"指令结束符"},
        {IDS_VISARES_PORT, u"端口号"},
        {IDS_VISARES_SELECT, u"请选择"},
        {IDS_VISARES_VIRTUAL, u"虚拟连接（不程控仪器）"},
        {IDS_VISARES_CONNECTION_TEST, u"连通性测试"},
        {IDS_VISARES_SESSION, u"与仪器会话"},
        {IDS_VISARES_START_FAILED, u"错误：启动软件失败！错误代码：%1"},
        {IDS_VISARES_NAME_EMPTY, u"VISA 资源名称不能为空!"},
        {IDS_CURRPROTECT_ENABLE, u"启用电流保护"},
        {IDS_CURRPROTECT_RESET_OUTPUT, u"复位输出保护"},
    });
}

bool ParseDouble(const QString& text, double& value) {
    const auto number = platform::ReadStrictDouble(text);
    if (!number)
        return false;
    value = number.value;
    return true;
}

bool ParseInt(const QString& text, int minimum, int maximum, int& value) {
    const auto number = platform::ReadStrictInt(text);
    if (!number || number.value < minimum || number.value > maximum)
        return false;
    value = number.value;
    return true;
}

bool GetDouble(QLineEdit* edit, double& value) {
    if (ParseDouble(edit->text(), value))
        return true;
    RegisterSettingsStrings();
    platform::MessageBox(LoadString(IDS_ENTER_NUMBER), platform::MB_ICONWARNING);
    FocusEdit(edit);
    return false;
}

bool GetInt(QLineEdit* edit, int minimum, int maximum, int& value) {
    if (ParseInt(edit->text(), minimum, maximum, value))
        return true;
    RegisterSettingsStrings();
    // An integer beyond 32 bits is outside the range too.
    const platform::ENumberFault fault = platform::ReadStrictInt(edit->text()).fault;
    const bool isInteger =
        fault == platform::ENumberFault::eNone || fault == platform::ENumberFault::eOutOfRange;
    platform::MessageBox(isInteger ? LoadString(IDS_ENTER_INTEGER_RANGE).arg(minimum).arg(maximum)
                                   : LoadString(IDS_ENTER_INTEGER),
                         platform::MB_ICONWARNING);
    FocusEdit(edit);
    return false;
}

void AddOkCancel(QDialog* dialog, QBoxLayout* layout) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    platform::SetControlId(buttons->button(QDialogButtonBox::Ok), platform::IDOK);
    platform::SetControlId(buttons->button(QDialogButtonBox::Cancel), platform::IDCANCEL);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    layout->addWidget(buttons);
}

void FocusEdit(QLineEdit* edit) {
    edit->setFocus();
    edit->selectAll();
}

} // namespace shell
