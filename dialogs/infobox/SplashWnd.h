#pragma once

#include <QPixmap>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>

class QKeyEvent;

namespace infobox {

// What runs the command of an enabled shortcut an application window has for the key; empty for a
// key without one.
std::function<void()> ApplicationShortcut(const QKeyEvent& key);

// The timed splash of the about command: its picture with one line of text, centred on its owner,
// closed by a 4-second timer (unless told not to), a click, a key or SplashWndDestroy.
class CSplashWnd : public QWidget {
public:
    static constexpr int kTimerId = 1;
    static constexpr int kTimeoutMs = 4000;

    CSplashWnd(const QString& text, bool noTimer, QWidget* parent);
    ~CSplashWnd() override;

    // Closes the splash, repaints the owner and deletes the window.
    void Hide();
    QString Text() const { return m_text; }
    bool HasTimer() const { return m_timer.isActive(); }

    // The picture of the splash (bitmap 27011 of the library).
    static QPixmap Picture();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QPixmap m_bitmap;
    QString m_text;
    QTimer m_timer;
    QWidget* m_owner;
};

} // namespace infobox
