#include "dialogs/infobox/XHyperLink.h"

#include "lumora/controls/SafeLink.h"
#include "platform/ControlId.h"
#include "platform/MessageTarget.h"
#include "platform/RegisteredMessage.h"

#include <QApplication>
#include <QCursor>
#include <QEnterEvent>
#include <QMouseEvent>

namespace infobox {

namespace {
// Registered when the library loads, as the link's parent may look for it before any link exists.
const unsigned g_clickedMessage = platform::RegisterWindowMessage(QStringLiteral("WM_XHYPERLINK_CLICKED"));
} // namespace

unsigned CXHyperLink::ClickedMessage() {
    return g_clickedMessage;
}

CXHyperLink::CXHyperLink(QWidget* parent) : QLabel(parent) {
    setCursor(Qt::PointingHandCursor);
    setTextFormat(Qt::PlainText);
    setAutoFillBackground(false);
    m_hoverTimer.setInterval(kHoverTimerMs);
    connect(&m_hoverTimer, &QTimer::timeout, this, [this] {
        if (!rect().contains(mapFromGlobal(QCursor::pos()))) {
            m_hover = false;
            m_hoverTimer.stop();
            UpdateLook();
        }
    });
    UpdateLook();
}

bool CXHyperLink::GotoURL(const QString& url, bool newWindow) {
    if (url.isEmpty())
        return false;
    const QUrl target(url, QUrl::StrictMode);
    if (!controls::IsSafeLink(target))
        return false;
    return controls::OpenSafeLink(target, newWindow);
}

void CXHyperLink::SetURL(const QString& url) {
    m_url = url;
    if (text().isEmpty())
        setText(url);
    setToolTip(m_tooltip ? m_url : QString());
    AdjustSize();
}

void CXHyperLink::EnableTooltip(bool enable) {
    m_tooltip = enable;
    setToolTip(m_tooltip ? m_url : QString());
}

void CXHyperLink::SetBackgroundColour(controls::COLORREF colour) {
    m_backColour = colour;
    UpdateLook();
}

void CXHyperLink::SetUnderline(int mode) {
    m_underline = mode;
    UpdateLook();
}

void CXHyperLink::SetVisited(bool visited) {
    m_visited = visited;
    UpdateLook();
}

void CXHyperLink::SetAutoSize(bool adjust) {
    m_adjustSize = adjust;
    AdjustSize();
}

QColor CXHyperLink::CurrentColor() const {
    return controls::ToQColor(m_hover ? kHoverColor : (m_visited ? kVisitedColor : kLinkColor));
}

void CXHyperLink::UpdateLook() {
    QFont shown = font();
    shown.setUnderline(m_underline == ulAlways || (m_underline == ulHover && m_hover));
    QLabel::setFont(shown);
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, CurrentColor());
    // With a background colour of its own the link fills its rectangle with it.
    setAutoFillBackground(m_backColour != controls::CLR_UNSET);
    if (m_backColour != controls::CLR_UNSET)
        colours.setColor(QPalette::Window, controls::ToQColor(m_backColour));
    setPalette(colours);
    update();
}

QSize CXHyperLink::TextSize() const {
    return fontMetrics().size(Qt::TextSingleLine, text()) + QSize(2, 2);
}

// A layout gives the link the text's size, so that only the text is a link, not the row it stands in.
QSize CXHyperLink::sizeHint() const {
    return m_adjustSize && !text().isEmpty() ? TextSize() : QLabel::sizeHint();
}

QSize CXHyperLink::minimumSizeHint() const {
    return m_adjustSize && !text().isEmpty() ? TextSize() : QLabel::minimumSizeHint();
}

// The control keeps its left edge (or centre or right edge by its alignment) and takes the text's size.
void CXHyperLink::AdjustSize() {
    if (!m_adjustSize || text().isEmpty())
        return;
    updateGeometry();
    const QRect old = geometry();
    const QSize wanted = TextSize();
    QRect now(old.topLeft(), wanted);
    if (alignment() & Qt::AlignVCenter)
        now.moveTop(old.top() + (old.height() - wanted.height()) / 2);
    if (alignment() & Qt::AlignHCenter)
        now.moveLeft(old.left() + (old.width() - wanted.width()) / 2);
    else if (alignment() & Qt::AlignRight)
        now.moveRight(old.right());
    setGeometry(now);
}

void CXHyperLink::enterEvent(QEnterEvent* event) {
    QLabel::enterEvent(event);
    if (!m_hover) {
        m_hover = true;
        UpdateLook();
        m_hoverTimer.start();
    }
}

void CXHyperLink::leaveEvent(QEvent* event) {
    QLabel::leaveEvent(event);
    m_hover = false;
    m_hoverTimer.stop();
    UpdateLook();
}

void CXHyperLink::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange && !signalsBlocked())
        AdjustSize();
}

void CXHyperLink::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Click();
}

void CXHyperLink::Click() {
    m_hover = false;
    m_hoverTimer.stop();
    const QString url = m_url.isEmpty() ? text() : m_url;
    const bool success = m_goToUrl ? GotoURL(url, m_newWindow) : true;
    // A link that failed to open is not visited, whatever an earlier click did.
    m_visited = success;
    if (!success)
        QApplication::beep();
    UpdateLook();
    const int id = platform::ControlId(this);
    if (m_notifyParent) {
        if (auto* target = dynamic_cast<platform::CMessageTarget*>(parentWidget()))
            platform::SendMessage(target, g_clickedMessage, static_cast<platform::WPARAM>(id), 0);
    }
    if (m_notify)
        m_notify(id);
}

} // namespace infobox
