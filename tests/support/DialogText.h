#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QString>
#include <QTextEdit>

namespace testsupport {

// What a dialog says: a message box's text, or the texts of its edits and labels in turn.
inline QString DialogText(const QDialog& dialog) {
    if (const auto* box = qobject_cast<const QMessageBox*>(&dialog))
        return box->text();
    QString text;
    for (const auto* edit : dialog.findChildren<QLineEdit*>())
        text += edit->text();
    for (const auto* edit : dialog.findChildren<QTextEdit*>())
        text += edit->toPlainText();
    for (const auto* edit : dialog.findChildren<QPlainTextEdit*>())
        text += edit->toPlainText();
    for (const auto* label : dialog.findChildren<QLabel*>())
        text += label->text();
    return text;
}

} // namespace testsupport
