#include "lumora/shell/DialogData.h"

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
        {34800, u"请输入一个数字。"},
        {34801, u"请输入一个介于 %1 和 %2 之间的整数。"},
        {34802, u"请输入一个整数。"},
        {34810, u"直流电源"},
        {34811, u"限定值"},
        {34812, u"保护值"},
        {34813, u" 电压保护 "},
        {34814, u" 电流保护 "},
        {34815, u"伏特(V)"},
        {34816, u"安培(A)"},
        {34820, u"电子仪器"},
        {34821, u"模式一"},
        {34822, u"模式二"},
        {34823, u"模式三"},
        {34824, u"配置"},
        {34825, u"保护"},
        {34826, u"直流电源"},
        {34827, u"数字万用表"},
        {34830, u"直流电流测量设置"},
        {34831, u" 捕获时间 "},
        {34832, u"秒 (s)"},
        {34833, u" 电源周期数目(NPLCs) "},
        {34834, u"NPLC最小积分时间为0.002PLC，最大采集点数为2500点"},
        {34835, u"NPLC最小积分时间为0.0005PLC，最大采集点数为1M点"},
        {34840, u"数据记录测量设置"},
        {34841, u"时"},
        {34842, u"分"},
        {34843, u"秒"},
        {34844, u"自动最小"},
        {34845, u" 测量类型 "},
        {34846, u"电流"},
        {34847, u"电压 + 电流"},
        {34848, u"数据个数"},
        {34849, u"文件大小"},
        {34850, u"VISA 资源"},
        {34851, u"VISA 资源名称"},
        {34852, u"接口类型"},
        {34853, u"序号"},
        {34854, u"超时"},
        {34855, u"指令结束符"},
        {34856, u"端口号"},
        {34857, u"请选择"},
        {34858, u"虚拟连接（不程控仪器）"},
        {34859, u"连通性测试"},
        {34860, u"与仪器会话"},
        {34861, u"错误：启动软件失败！错误代码：%1"},
        {34862, u"VISA 资源名称不能为空!"},
        {34863, u"启用电流保护"},
        {34864, u"复位输出保护"},
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
    platform::MessageBox(LoadString(34800), platform::MB_ICONWARNING);
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
    platform::MessageBox(isInteger ? LoadString(34801).arg(minimum).arg(maximum) : LoadString(34802),
                         platform::MB_ICONWARNING);
    FocusEdit(edit);
    return false;
}

void StopMessage(const QString& text) {
    platform::MessageBox(text, platform::MB_ICONSTOP);
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
