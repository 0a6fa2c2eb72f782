#pragma once

#include <QLineEdit>
#include <QString>

namespace promptkit {

// An edit whose behaviour decides which text it may hold. Typed characters the behaviour refuses
// are dropped with a beep; pasted, dropped or set texts are cut down to the valid text, the
// selection staying where it was.
class CAMSEdit : public QLineEdit {
public:
    class Behavior {
    public:
        explicit Behavior(CAMSEdit& edit) : m_edit(edit) {}
        Behavior(const Behavior&) = delete;
        Behavior& operator=(const Behavior&) = delete;
        virtual ~Behavior() = default;

        // The edit's text without what this behaviour refuses.
        virtual QString GetValidText() const = 0;
        // A typed character; true when it was handled here (and so not inserted by default).
        virtual bool OnChar(QChar character) = 0;
        // After an edit that did not come from typing (paste, drop, undo): keep only the valid text.
        virtual void AfterPaste();
        // Sets the valid text when the edit holds anything else.
        virtual void Redraw();
        virtual bool ShouldEnter(QChar character) const;

    protected:
        CAMSEdit& m_edit;
    };

    explicit CAMSEdit(QWidget* parent = nullptr);

    // The window text, cut down to the valid text.
    void SetWindowText(const QString& text);

protected:
    void SetBehavior(Behavior* behavior) { m_behavior = behavior; }
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OnTextEdited();
    void RememberSelection();

    Behavior* m_behavior = nullptr;
    int m_selectionStart = 0;
    int m_selectionLength = 0;
    bool m_typing = false;
};

// The alphanumeric behaviour: every character but the refused ones.
class CAMSAlphanumericBehavior : public CAMSEdit::Behavior {
public:
    CAMSAlphanumericBehavior(CAMSEdit& edit, const QString& refused)
        : CAMSEdit::Behavior(edit), m_refused(refused) {}

    QString GetValidText() const override;
    bool OnChar(QChar character) override;

    const QString& RefusedCharacters() const { return m_refused; }

private:
    QString m_refused;
};

class CAMSAlphanumericEdit : public CAMSEdit, public CAMSAlphanumericBehavior {
public:
    explicit CAMSAlphanumericEdit(const QString& refused, QWidget* parent = nullptr);
};

} // namespace promptkit
