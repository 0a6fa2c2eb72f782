#include "waveform/prefdlg/DataExchange.h"
#include "waveform/prefdlg/PrefStrings.h"

#include "platform/MessageBox.h"
#include "platform/ParseNumber.h"

#include <QLineEdit>

namespace prefdlg {

QString NotAnIntegerMessage() {
    return prefdlg::Text(prefdlg::IDS_ENTER_INTEGER);
}

QString IntegerRangeMessage(int min, int max) {
    return prefdlg::Text(prefdlg::IDS_ENTER_INTEGER_RANGE).arg(min).arg(max);
}

QString NotANumberMessage() {
    return prefdlg::Text(prefdlg::IDS_ENTER_NUMBER);
}

bool RefuseEntry(QLineEdit* edit, const QString& message) {
    platform::MessageBox(message, platform::MB_ICONWARNING);
    edit->setFocus();
    edit->selectAll();
    return false;
}

bool ExchangeInt(QLineEdit* edit, int& value, bool save, int min, int max) {
    if (edit == nullptr)
        return false;
    if (!save) {
        edit->setText(QString::number(value));
        return true;
    }
    const auto entered = platform::ReadStrictInt(edit->text());
    if (!entered)
        return RefuseEntry(edit, NotAnIntegerMessage());
    if (entered.value < min || entered.value > max)
        return RefuseEntry(edit, IntegerRangeMessage(min, max));
    value = entered.value;
    return true;
}

} // namespace prefdlg
