#include "PromptKit.h"

#include "DlgExeFinish.h"

extern "C" int DlgExeFinished(QWidget* parent, int, const QString& text) {
    promptkit::CDlgExeFinish dialog(parent, text);
    return dialog.exec() == QDialog::Accepted ? 1 : 0;
}
