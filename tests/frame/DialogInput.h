#pragma once

#include "platform/ControlId.h"
#include "platform/MessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <deque>
#include <functional>

namespace frametest {

// What a user does in a dialog: type over an edit, pick a list entry, click a button, all by id.
inline QLineEdit* Edit(QWidget* dialog, int id) {
    return platform::FindControl<QLineEdit>(dialog, id);
}

// Keys as a keyboard sends them: a character beyond ASCII (another script's digit) comes as a key
// without a code of its own, carrying its text.
inline void TypeKeys(QWidget* widget, const QString& text) {
    for (QChar c : text) {
        if (c.unicode() < 0x80)
            QTest::keyClicks(widget, QString(c));
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

inline void TypeInto(QWidget* dialog, int id, const QString& text) {
    QLineEdit* edit = Edit(dialog, id);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    TypeKeys(edit, text);
}

// Moves the list's selection with the arrow keys, as a user does, so the list reports the pick.
inline void Pick(QWidget* dialog, int id, int index) {
    auto* combo = platform::FindControl<QComboBox>(dialog, id);
    combo->setFocus();
    while (combo->currentIndex() < index)
        QTest::keyClick(combo, Qt::Key_Down);
    while (combo->currentIndex() > index)
        QTest::keyClick(combo, Qt::Key_Up);
}

// A radio button or check box takes clicks on its indicator and text only: they sit at its left.
inline void Click(QWidget* dialog, int id) {
    auto* button = platform::FindControl<QAbstractButton>(dialog, id);
    const bool checkable = button->isCheckable() && qobject_cast<QPushButton*>(button) == nullptr;
    QTest::mouseClick(button, Qt::LeftButton, {},
                      checkable ? QPoint(6, button->height() / 2) : button->rect().center());
}

inline void ClickOk(QWidget* dialog) {
    Click(dialog, platform::IDOK);
}

// Steps run in order on the modal dialogs that open, each on the first one of its type; a step may
// open a further dialog, whose step then runs inside it.
class CModalScript {
public:
    CModalScript() {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Poll(); });
        m_timer.start(5);
    }
    ~CModalScript() { m_timer.stop(); }

    template <class D> CModalScript& Then(std::function<void(D&)> step) {
        m_steps.push_back([step](QWidget* widget) {
            auto* dialog = dynamic_cast<D*>(widget);
            if (dialog == nullptr)
                return false;
            // The step may run a nested loop; the poll goes on meanwhile.
            QTimer::singleShot(0, dialog, [step, dialog] { step(*dialog); });
            return true;
        });
        return *this;
    }
    int Ran() const { return m_ran; }
    bool Finished() const { return m_steps.empty(); }

private:
    void Poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || m_steps.empty() || modal == m_last)
            return;
        if (m_steps.front()(modal)) {
            m_last = modal;
            m_steps.pop_front();
            ++m_ran;
        }
    }

    QTimer m_timer;
    std::deque<std::function<bool(QWidget*)>> m_steps;
    QPointer<QWidget> m_last;
    int m_ran = 0;
};

} // namespace frametest
