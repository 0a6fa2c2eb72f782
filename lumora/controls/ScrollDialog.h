#pragma once

#include <QWidget>
#include <memory>

class QScrollBar;

namespace controls {

// What a scrolling form scrolls: its full content size, the visible part and the position.
struct SScrollInfo {
    QWidget* window = nullptr; // null: scrolling is off
    int pageWidth = 0;         // 0 when everything fits
    int pageHeight = 0;
    int displayWidth = 0;
    int displayHeight = 0;
    int scrollX = 0;
    int scrollY = 0;
};

// A form whose content can be larger than the space it is given: it scrolls by its scroll bars and
// the wheel, and keeps its ranges right as it is resized. The controls are children of Content(),
// at their design positions; the size at OnInitDialog is the content's full size.
class CScrollDialog : public QWidget {
public:
    static constexpr int kLineStep = 60;

    explicit CScrollDialog(unsigned templateId, QWidget* parent = nullptr);
    ~CScrollDialog() override;

    unsigned TemplateId() const { return m_templateId; }
    QWidget* Content() const { return m_content; }
    // The form hands its scroll state over; the dialog owns it from then on.
    void SetScrollInfo(std::unique_ptr<SScrollInfo> info);
    const SScrollInfo* ScrollInfo() const { return m_scroll.get(); }
    QScrollBar* HorizontalBar() const { return m_hbar; }
    QScrollBar* VerticalBar() const { return m_vbar; }

    // Records the current size as the content's full size and sets the scroll bars up.
    virtual bool OnInitDialog();
    void UpdateScrollBars();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void ScrollTo(int x, int y);

    unsigned m_templateId;
    QWidget* m_content = nullptr;
    QScrollBar* m_hbar = nullptr;
    QScrollBar* m_vbar = nullptr;
    std::unique_ptr<SScrollInfo> m_scroll;
    bool m_updating = false;
};

} // namespace controls
