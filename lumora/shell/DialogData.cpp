#include "lumora/shell/DialogData.h"

#include "platform/ControlId.h"
#include "platform/MessageBox.h"

#include <QBoxLayout>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <cmath>

namespace shell {

bool ParseDouble(const QString& text, double& value) {
    bool ok = false;
    const double parsed = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

bool ParseInt(const QString& text, int minimum, int maximum, int& value) {
    bool ok = false;
    const qlonglong parsed = QLocale::c().toLongLong(text.trimmed(), &ok);
    if (!ok || parsed < minimum || parsed > maximum)
        return false;
    value = static_cast<int>(parsed);
    return true;
}

bool GetDouble(QLineEdit* edit, double& value) {
    if (ParseDouble(edit->text(), value))
        return true;
    platform::MessageBox(QStringLiteral("请输入一个数字。"), platform::MB_ICONWARNING);
    FocusEdit(edit);
    return false;
}

bool GetInt(QLineEdit* edit, int minimum, int maximum, int& value) {
    if (ParseInt(edit->text(), minimum, maximum, value))
        return true;
    bool isInteger = false;
    QLocale::c().toLongLong(edit->text().trimmed(), &isInteger);
    platform::MessageBox(
        isInteger ? QStringLiteral("请输入一个介于 %1 和 %2 之间的整数。").arg(minimum).arg(maximum)
                  : QStringLiteral("请输入一个整数。"),
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
