#pragma once

#include <QString>

class QEvent;
class QObject;
class QWidget;

// The exports of the information library besides CFileVersionInfo. All run on the user-interface
// thread.
extern "C" {
// Shows the timed splash with the text (the first and third texts are not shown), owned by the
// parent; noTimer 1 keeps it until a click, a key or SplashWndDestroy. 1 when shown; 0 when a splash
// is already shown.
int SplashWndShow(const QString& first, const QString& text, const QString& third, int noTimer,
                  QWidget* parent);
// Closes the splash on a mouse press or key press anywhere while it is shown: 1 when the event closed
// it (and is consumed), else 0.
int SplashWndPreTranslateMessage(QObject* receiver, QEvent* event);
// Closes the splash when one is shown.
void SplashWndDestroy();
// The about box, modal: 1 when closed with OK, else 0.
int ShowAboutDialog(QWidget* parent);
}
