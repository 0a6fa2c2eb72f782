#pragma once

#include "lumora/controls/ColorRef.h"

#include <QFont>
#include <QLabel>
#include <QTimer>
#include <functional>

namespace infobox {

// A static that behaves as a hyperlink: link, visited and hover colours, underlined on hover, the
// link cursor and the address as its tip. Only web (http, https) and mail (mailto) addresses are
// opened, by the desktop's own handler: a link's text never reaches a shell.
class CXHyperLink : public QLabel {
public:
    static constexpr controls::COLORREF kLinkColor = 0xEE0000;
    static constexpr controls::COLORREF kVisitedColor = 0x8B1A55;
    static constexpr controls::COLORREF kHoverColor = 0x0000FF;
    static constexpr int kHoverTimerMs = 100;
    // Underline modes.
    enum : int { ulHover = -1, ulNone = 0, ulAlways = 1 };

    explicit CXHyperLink(QWidget* parent = nullptr);

    // The registered message "WM_XHYPERLINK_CLICKED", sent to the parent (when it takes messages)
    // with the link's control id after a click, when the link notifies its parent.
    static unsigned ClickedMessage();

    void SetURL(const QString& url);
    QString GetURL() const { return m_url; }
    void SetUnderline(int mode);
    void SetVisited(bool visited);
    bool GetVisited() const { return m_visited; }
    bool IsHovering() const { return m_hover; }
    void SetAutoSize(bool adjust);
    void SetGoToURL(bool go) { m_goToUrl = go; }
    // After a click the parent is sent the registered message; the callback, when set, is called with
    // the link's control id as well.
    void SetNotifyParent(bool notify) { m_notifyParent = notify; }
    void SetNotifyParent(std::function<void(int id)> notify) { m_notify = std::move(notify); }
    // The background behind the text; CLR_UNSET: none (the parent shows through).
    void SetBackgroundColour(controls::COLORREF colour);
    controls::COLORREF GetBackgroundColour() const { return m_backColour; }
    // Opening asks for a new window of the browser (where the desktop can tell).
    void SetNewWindow(bool newWindow) { m_newWindow = newWindow; }
    bool GetNewWindow() const { return m_newWindow; }
    // The address as the link's tip.
    void EnableTooltip(bool enable);

    // Opens the address as a click does (in a new window of the browser with newWindow): false for
    // an empty or unsafe address or when the desktop has no handler.
    static bool GotoURL(const QString& url, bool newWindow = false);

    // The colour the text is drawn in now.
    QColor CurrentColor() const;

    // With the size adjustment on, the text's extent and border: a layout makes the link no wider.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Click();
    void UpdateLook();
    void AdjustSize();
    QSize TextSize() const;

    QString m_url;
    bool m_hover = false;
    bool m_visited = false;
    int m_underline = ulHover;
    bool m_adjustSize = true;
    bool m_goToUrl = true;
    bool m_notifyParent = false;
    bool m_newWindow = false;
    bool m_tooltip = true;
    controls::COLORREF m_backColour = controls::CLR_UNSET;
    std::function<void(int)> m_notify;
    QTimer m_hoverTimer;
};

} // namespace infobox
