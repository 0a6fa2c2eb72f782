#pragma once

#include <QString>

class QWidget;

// Exports of the prompt dialog library. Each runs one dialog modally on the user-interface thread
// and returns when it closes.
extern "C" {

// The run-finished notice showing text. 1 when closed with OK, else 0. The int is not used.
int DlgExeFinished(QWidget* parent, int unused, const QString& text);

} // extern "C"

// The export's type, for loading it by name ("promptkit.dll", "DlgExeFinished").
using PFN_DlgExeFinished = int (*)(QWidget*, int, const QString&);
