#include "waveform/prefdlg/DataExchange.h"
#include "waveform/prefdlg/PrefStrings.h"

#include "platform/MessageBox.h"

#include <QLineEdit>
#include <charconv>

namespace prefdlg {

QString NotAnIntegerMessage() {
    return prefdlg::Text(34600);
}

QString IntegerRangeMessage(int min, int max) {
    return prefdlg::Text(34601).arg(min).arg(max);
}

namespace {

bool ParseInt(const QString& text, int& value) {
    const std::string digits = text.trimmed().toStdString();
    if (digits.empty())
        return false;
    const char* first = digits.data();
    const char* last = first + digits.size();
    if (*first == '+')
        ++first;
    const auto [end, ec] = std::from_chars(first, last, value);
    return ec == std::errc() && end == last;
}

bool Refuse(QLineEdit* edit, const QString& message) {
    platform::MessageBox(message, platform::MB_ICONWARNING);
    edit->setFocus();
    edit->selectAll();
    return false;
}

} // namespace

bool ExchangeInt(QLineEdit* edit, int& value, bool save, int min, int max) {
    if (edit == nullptr)
        return false;
    if (!save) {
        edit->setText(QString::number(value));
        return true;
    }
    int entered = 0;
    if (!ParseInt(edit->text(), entered))
        return Refuse(edit, NotAnIntegerMessage());
    if (entered < min || entered > max)
        return Refuse(edit, IntegerRangeMessage(min, max));
    value = entered;
    return true;
}

} // namespace prefdlg
