#pragma once

#include <QString>

class QBoxLayout;
class QDialog;
class QLineEdit;
class QWidget;

// Taking values from a dialog's edits as the dialog framework does: a text that is not a value of the
// field's kind, or lies outside its range, is refused with the framework's message and the edit gets
// the focus, so the dialog stays open on it.
namespace shell {

// The texts of the settings dialogs and of the messages below; each dialog registers them before it
// loads its texts.
void RegisterSettingsStrings();

// The strict rule of platform::ReadStrictDouble: the whole text, blanks around it allowed, is one
// finite decimal number in the C locale ("0,005" is no number).
bool ParseDouble(const QString& text, double& value);
// The strict rule for an integer, within [minimum, maximum]; false for other texts or values outside
// the range.
bool ParseInt(const QString& text, int minimum, int maximum, int& value);

bool GetDouble(QLineEdit* edit, double& value);
bool GetInt(QLineEdit* edit, int minimum, int maximum, int& value);

// OK (id IDOK) and Cancel (IDCANCEL) at the foot of the dialog's layout, wired to accept and reject.
void AddOkCancel(QDialog* dialog, QBoxLayout* layout);

// Gives the edit the focus with its text selected, as after a refused value.
void FocusEdit(QLineEdit* edit);

} // namespace shell
