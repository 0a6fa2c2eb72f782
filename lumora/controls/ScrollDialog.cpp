#include "lumora/controls/ScrollDialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>
#include <algorithm>
#include <cstdlib>

namespace controls {

CScrollDialog::CScrollDialog(unsigned templateId, QWidget* parent)
    : QWidget(parent), m_templateId(templateId), m_content(new QWidget(this)),
      m_hbar(new QScrollBar(Qt::Horizontal, this)), m_vbar(new QScrollBar(Qt::Vertical, this)) {
    m_hbar->hide();
    m_vbar->hide();
    for (QScrollBar* bar : {m_hbar, m_vbar}) {
        bar->setSingleStep(kLineStep);
        QObject::connect(bar, &QScrollBar::valueChanged, this, [this] {
            if (!m_updating && m_scroll)
                ScrollTo(m_hbar->value(), m_vbar->value());
        });
    }
}

CScrollDialog::~CScrollDialog() = default;

void CScrollDialog::SetScrollInfo(std::unique_ptr<SScrollInfo> info) {
    m_scroll = std::move(info);
    if (m_scroll)
        m_scroll->window = this;
}

bool CScrollDialog::OnInitDialog() {
    if (m_scroll) {
        m_scroll->displayWidth = width();
        m_scroll->displayHeight = height();
    }
    m_content->setGeometry(0, 0, width(), height());
    UpdateScrollBars();
    return true;
}

void CScrollDialog::ScrollTo(int x, int y) {
    m_scroll->scrollX = x;
    m_scroll->scrollY = y;
    m_content->move(-x, -y);
}

void CScrollDialog::UpdateScrollBars() {
    if (!m_scroll || m_scroll->window == nullptr || m_scroll->displayWidth <= 0)
        return;
    SScrollInfo& s = *m_scroll;
    const int barWidth = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    int clientWidth = width();
    int clientHeight = height();
    // A bar on one axis takes room from the other, which may then need its bar as well.
    bool needH = clientWidth < s.displayWidth;
    bool needV = clientHeight < s.displayHeight;
    if (needV)
        clientWidth -= barWidth;
    if (needH)
        clientHeight -= barWidth;
    if (!needH && clientWidth < s.displayWidth) {
        needH = true;
        clientHeight -= barWidth;
    }
    if (!needV && clientHeight < s.displayHeight) {
        needV = true;
        clientWidth -= barWidth;
    }
    auto axis = [](int client, int display, int& page, int& position) {
        if (client < display && client > 0) {
            if (position > 0 && page > 0)
                position = static_cast<int>(static_cast<long long>(position) * client / page);
            page = client;
            position = std::clamp(position, 0, display - client);
        } else {
            page = 0;
            position = 0;
        }
    };
    axis(clientWidth, s.displayWidth, s.pageWidth, s.scrollX);
    axis(clientHeight, s.displayHeight, s.pageHeight, s.scrollY);

    m_updating = true;
    m_hbar->setVisible(s.pageWidth > 0);
    m_vbar->setVisible(s.pageHeight > 0);
    m_hbar->setGeometry(0, height() - barWidth, std::max(0, clientWidth), barWidth);
    m_vbar->setGeometry(width() - barWidth, 0, barWidth, std::max(0, clientHeight));
    m_hbar->setRange(0, s.pageWidth > 0 ? s.displayWidth - s.pageWidth : 0);
    m_hbar->setPageStep(std::max(1, s.pageWidth));
    m_hbar->setValue(s.scrollX);
    m_vbar->setRange(0, s.pageHeight > 0 ? s.displayHeight - s.pageHeight : 0);
    m_vbar->setPageStep(std::max(1, s.pageHeight));
    m_vbar->setValue(s.scrollY);
    m_hbar->raise();
    m_vbar->raise();
    m_updating = false;
    ScrollTo(s.scrollX, s.scrollY);
}

void CScrollDialog::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    UpdateScrollBars();
}

void CScrollDialog::wheelEvent(QWheelEvent* event) {
    event->accept();
    if (!m_scroll || m_scroll->pageHeight <= 0)
        return;
    // Only the vertical turn of the wheel scrolls: a sideways tilt or an empty turn is no step down.
    const int delta = event->angleDelta().y();
    if (delta == 0)
        return;
    const int lines = QApplication::wheelScrollLines();
    const int steps = std::max(1, lines * (std::abs(delta) / 120) / 3);
    const int move = (delta > 0 ? -1 : 1) * steps * kLineStep;
    m_vbar->setValue(std::clamp(m_scroll->scrollY + move, 0, m_scroll->displayHeight - m_scroll->pageHeight));
}

void CScrollDialog::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    QWidget::mousePressEvent(event);
}

// The state has one owner, the dialog: closing ends scrolling, destruction frees it once.
void CScrollDialog::closeEvent(QCloseEvent* event) {
    m_scroll.reset();
    QWidget::closeEvent(event);
}

} // namespace controls
