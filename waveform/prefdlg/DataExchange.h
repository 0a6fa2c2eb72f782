#pragma once

#include <QString>

class QLineEdit;

// The data exchange helpers of the preference pages, with the framework's standard messages.
namespace prefdlg {

// The messages shown for an edit that holds no integer, or one outside min..max.
QString NotAnIntegerMessage();
QString IntegerRangeMessage(int min, int max);
// The message shown for an edit that holds no number.
QString NotANumberMessage();

// Shows the message, gives the edit the focus with its entry selected, and gives false: the page's
// data exchange refuses the entry and the dialog stays open.
bool RefuseEntry(QLineEdit* edit, const QString& message);

// save false shows value in the edit. save true reads it: an entry that is not an integer or lies
// outside min..max shows its message, selects the entry and gives false with value unchanged.
bool ExchangeInt(QLineEdit* edit, int& value, bool save, int min, int max);

} // namespace prefdlg
