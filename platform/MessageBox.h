#pragma once

#include <QString>
#include <functional>

namespace platform {

// Button and icon flags and results, with the values the program's calls were written for.
enum : unsigned {
    MB_OK = 0x0,
    MB_OKCANCEL = 0x1,
    MB_YESNOCANCEL = 0x3,
    MB_YESNO = 0x4,
    MB_ICONSTOP = 0x10,
    MB_ICONERROR = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONWARNING = 0x30,
    MB_ICONINFORMATION = 0x40,
};
enum : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

// Receives every message box of the process: text, caption, flags; returns the button pressed.
using MessageBoxSink = std::function<int(const QString& text, const QString& caption, unsigned flags)>;

// Shows a message box through the installed sink. Without a sink, a modal QMessageBox when a
// QApplication exists, else the text goes to standard error and the result is IDOK.
int MessageBox(const QString& text, unsigned flags = MB_OK, const QString& caption = QString());

// A message box with the stop icon: the text, or the string of the id. The result is the button pressed.
int StopBox(const QString& text);
int StopBox(int stringId);

// The caption of boxes shown without one of their own: the application's name (empty: the
// program's short name).
void SetMessageBoxCaption(const QString& caption);

// Replaces the sink (tests install a recorder); returns the previous one. An empty sink restores the default.
MessageBoxSink SetMessageBoxSink(MessageBoxSink sink);

} // namespace platform
