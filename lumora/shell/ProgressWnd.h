#pragma once

#include <QString>
#include <QWidget>
#include <cstdint>

class QLabel;
class QProgressBar;
class QPushButton;

// A small window with a text line, a progress bar, the percentage in its caption and a Cancel
// button, shown while a long job runs. It is modal to its parent's window, and that window refuses
// to close while it is shown, so the job's data cannot disappear under it. Cancel brings the main
// window to the foreground again.
class CProgressWnd : public QWidget {
public:
    explicit CProgressWnd(QWidget* parent = nullptr);
    ~CProgressWnd() override;

    void SetText(const QString& text);
    // Resets the position to the lower end and the step to 1.
    void SetRange(std::int64_t lower, std::int64_t upper);
    // Shows the window and advances the position by the step.
    void StepIt();
    // Returns the previous position.
    std::int64_t SetPos(std::int64_t position);
    std::int64_t GetPos() const { return m_position; }
    void SetStep(std::int64_t step) { m_step = step; }
    // Lets pending events through; false once the user has cancelled (the window is hidden then) or the
    // program was told to end. That request is held back while the job stops and made again when the
    // window is destroyed, so the program still ends once the job is out of the way.
    bool PeekAndPump();
    bool Cancelled() const { return m_cancelled; }
    bool Ending() const { return m_ending; }
    // The caption percentage of a position, in 64 bits so long ranges do not overflow.
    static int Percent(std::int64_t position, std::int64_t lower, std::int64_t upper);
    void DestroyWindow();

    static QString CaptionText();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(class QKeyEvent* event) override;
    void closeEvent(class QCloseEvent* event) override;

private:
    void OnCancel();
    void ShowNoActivate();
    // The top-left corner, written to the profile (section "Settings", keys "X" and "Y").
    void SavePosition() const;

    QLabel* m_text = nullptr;
    QProgressBar* m_bar = nullptr;
    QPushButton* m_cancel = nullptr;
    QWidget* m_owner = nullptr;
    std::int64_t m_lower = 0;
    std::int64_t m_upper = 100;
    std::int64_t m_position = 0;
    std::int64_t m_step = 1;
    int m_lastPercent = 0;
    bool m_cancelled = false;
    bool m_ending = false;
    bool m_destroyed = false;
    bool m_savePosition = true;
};
