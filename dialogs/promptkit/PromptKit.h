#pragma once

#include <QString>

class QWidget;

// Exports of the prompt dialog library. Each runs one dialog modally on the user-interface thread and
// returns when it closes; called from a worker thread, the worker waits for the answer.
extern "C" {

// The run-finished notice showing text. 1 when closed with OK, else 0. The int is not used.
int DlgExeFinished(QWidget* parent, int unused, const QString& text);

// Information by severity: 1 (确定), 2 (终止) or 4 (返回等待).
int DlgTestCaseInfo(QWidget* parent, int severity, const QString& text);

// A warning with 确定 (1), 取消 (2) and 全部确定 (20).
int MessageBoxYesNoAll(QWidget* parent, const QString& caption, const QString& text);

// A text without the refused characters, remembered under the key (empty: "General"). out is emptied
// first; 1 and out set on OK, else 0.
int DlgStringInput(QString& out, const QString& key, const QString& refused);

// As DlgStringInput, starting from inout's text instead of the remembered one.
int DLL_GetInputText(int unused, QString& inout, const QString& key, const QString& refused);

// Edits a file-name pattern of "<value>" fields; 1 and pattern set on OK, else 0.
int DLL_SetFileNameField(QWidget* parent, QString& pattern);

// Shows the task progress window through a demonstration run of its tasks; 1.
int DLL_DlgTaskProgress();

} // extern "C"

// The exports' types, for loading them by name from "promptkit.dll".
using PFN_DlgExeFinished = int (*)(QWidget*, int, const QString&);
using PFN_DlgTestCaseInfo = int (*)(QWidget*, int, const QString&);
using PFN_MessageBoxYesNoAll = int (*)(QWidget*, const QString&, const QString&);
using PFN_DlgStringInput = int (*)(QString&, const QString&, const QString&);
using PFN_GetInputText = int (*)(int, QString&, const QString&, const QString&);
using PFN_SetFileNameField = int (*)(QWidget*, QString&);
using PFN_DlgTaskProgress = int (*)();
