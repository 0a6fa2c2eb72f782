#pragma once

#include <QImage>
#include <QPainter>
#include <QRect>
#include <QString>
#include <QWidget>
#include <memory>

namespace controls {

// A memory drawing surface over a rectangle of a target: drawing goes to an image that is copied to
// the target at the rectangle when the surface goes. A printer is drawn on directly.
class MemDC {
public:
    // copyTarget: the image starts with what the target holds there (when the target can be read).
    MemDC(QPainter& target, const QRect& rect, bool copyTarget = false);
    ~MemDC();
    MemDC(const MemDC&) = delete;
    MemDC& operator=(const MemDC&) = delete;

    // Where to draw, in the target's coordinates.
    QPainter& Painter() { return m_printing ? m_target : *m_painter; }
    bool IsPrinting() const { return m_printing; }
    bool IsValid() const { return m_valid; }

private:
    QPainter& m_target;
    QRect m_rect;
    bool m_printing = false;
    bool m_copyTarget = false;
    QImage m_image;
    std::unique_ptr<QPainter> m_painter;
    bool m_valid = false;
};

// A window that paints anti-aliased through a memory surface: a background layer, rebuilt only when
// the window changed size or place (or its text, when asked), under a foreground drawn every time.
// What both layers show is the derived class's. The window keeps its own text.
class CSmoothWnd : public QWidget {
public:
    explicit CSmoothWnd(QWidget* parent = nullptr);
    ~CSmoothWnd() override;

    // The window text: a different text is kept and repaints the window (rebuilding the background
    // when the text is part of it); the same text again does nothing.
    void SetWindowText(const QString& text);
    QString GetWindowText() const { return m_text; }
    // Copies the text into the buffer of size characters, cut to size - 1 and terminated; returns the
    // characters copied.
    int GetWindowText(char16_t* buffer, int size) const;
    int GetWindowTextLength() const { return static_cast<int>(m_text.size()); }
    void SetDirtyOnTextChange(bool dirty) { m_dirtyOnText = dirty; }
    // The background is rebuilt at the next paint.
    void Invalidate() { m_dirty = true; }
    bool IsDirty() const { return m_dirty; }

protected:
    virtual void DrawBackground(QPainter& graphics, const QRect& rect) = 0;
    virtual void DrawForeground(QPainter& graphics, const QRect& rect) = 0;

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    static void Smooth(QPainter& painter);

    bool m_dirty = true;
    QImage m_background;
    QRect m_builtRect;
    QString m_text;
    bool m_dirtyOnText = false;
};

} // namespace controls
