#include "lumora/shell/PaneAutoHide.h"

#include "lumora/LumoraStrings.h"
#include "platform/Profile.h"
#include "platform/StringTable.h"

#include <QApplication>
#include <QDockWidget>
#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionToolButton>
#include <QStylePainter>
#include <QToolBar>

namespace shell {
namespace {

const QString kSection = QStringLiteral("Workspace");
const QString kEntry = QStringLiteral("AutoHidePanes");

void RegisterAutoHideStrings() {
    platform::RegisterStrings({{IDS_AUTO_HIDE, u"自动隐藏"}, {IDS_CLOSE_PANE, u"关闭"}});
}

// A drawing pin: upright while the pane is docked, lying while it is folded.
QIcon PinIcon(bool folded) {
    QPixmap pixmap(12, 12);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(QPen(QColor(0x30, 0x30, 0x30), 1));
    painter.setBrush(QColor(0xF0, 0xF0, 0xF0));
    if (folded) {
        painter.drawRect(4, 3, 5, 5);
        painter.drawLine(2, 2, 2, 9);
        painter.drawLine(2, 5, 4, 5);
        painter.drawLine(9, 5, 11, 5);
    } else {
        painter.drawRect(3, 1, 5, 6);
        painter.drawLine(1, 7, 10, 7);
        painter.drawLine(5, 7, 5, 11);
    }
    return QIcon(pixmap);
}

// The caption of a pane: its title, the pin and the close button.
class CPaneCaption : public QWidget {
public:
    CPaneCaption(QDockWidget* pane, CPaneAutoHide* owner) : QWidget(pane) {
        auto* layout = new QHBoxLayout(this);
        layout->setContentsMargins(4, 1, 1, 1);
        layout->setSpacing(1);
        m_title = new QLabel(pane->windowTitle(), this);
        layout->addWidget(m_title, 1);
        m_pin = new QToolButton(this);
        m_pin->setObjectName(QStringLiteral("pin"));
        m_pin->setAutoRaise(true);
        m_pin->setToolTip(platform::LoadString(IDS_AUTO_HIDE));
        m_pin->setIcon(PinIcon(false));
        layout->addWidget(m_pin);
        auto* close = new QToolButton(this);
        close->setObjectName(QStringLiteral("close"));
        close->setAutoRaise(true);
        close->setToolTip(platform::LoadString(IDS_CLOSE_PANE));
        close->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
        layout->addWidget(close);
        connect(m_pin, &QToolButton::clicked, this,
                [pane, owner] { owner->SetAutoHide(pane, !owner->IsAutoHidden(pane)); });
        connect(close, &QToolButton::clicked, pane, [pane, owner] {
            if (owner->IsAutoHidden(pane))
                owner->SetAutoHide(pane, false);
            pane->close();
        });
        connect(pane, &QDockWidget::windowTitleChanged, m_title, &QLabel::setText);
        setAutoFillBackground(true);
        setBackgroundRole(QPalette::Mid);
    }
    void ShowFolded(bool folded) { m_pin->setIcon(PinIcon(folded)); }

private:
    QLabel* m_title = nullptr;
    QToolButton* m_pin = nullptr;
};

} // namespace

CAutoHideTab::CAutoHideTab(const QString& text, bool vertical, QWidget* parent)
    : QToolButton(parent), m_vertical(vertical) {
    setText(text);
    setAutoRaise(true);
}

QSize CAutoHideTab::sizeHint() const {
    const QSize text = fontMetrics().size(Qt::TextSingleLine, QToolButton::text()) + QSize(16, 8);
    return m_vertical ? text.transposed() : text;
}

void CAutoHideTab::paintEvent(QPaintEvent* event) {
    if (!m_vertical) {
        QToolButton::paintEvent(event);
        return;
    }
    QStylePainter painter(this);
    QStyleOptionToolButton option;
    initStyleOption(&option);
    option.text.clear();
    painter.drawComplexControl(QStyle::CC_ToolButton, option);
    painter.rotate(90);
    painter.drawText(QRect(0, -width(), height(), width()), Qt::AlignCenter, text());
}

void CAutoHideTab::enterEvent(QEnterEvent* event) {
    QToolButton::enterEvent(event);
    click();
}

CPaneAutoHide::CPaneAutoHide(QMainWindow* frame) : QObject(frame), m_frame(frame) {
    RegisterAutoHideStrings();
    m_watch.setInterval(kSlideInDelayMs);
    connect(&m_watch, &QTimer::timeout, this, &CPaneAutoHide::CheckSlideIn);
}

CPaneAutoHide::~CPaneAutoHide() = default;

void CPaneAutoHide::AddPane(QDockWidget* pane) {
    if (pane == nullptr || m_panes.contains(pane))
        return;
    m_panes.append(pane);
    pane->setTitleBarWidget(new CPaneCaption(pane, this));
}

QToolBar* CPaneAutoHide::Bar(Qt::DockWidgetArea area) {
    QToolBar*& bar = m_bars[area];
    if (bar == nullptr) {
        bar = new QToolBar(m_frame);
        bar->setObjectName(QStringLiteral("autohide_%1").arg(static_cast<int>(area)));
        bar->setMovable(false);
        bar->setFloatable(false);
        bar->toggleViewAction()->setVisible(false);
        const Qt::ToolBarArea side = area == Qt::RightDockWidgetArea    ? Qt::RightToolBarArea
                                     : area == Qt::TopDockWidgetArea    ? Qt::TopToolBarArea
                                     : area == Qt::BottomDockWidgetArea ? Qt::BottomToolBarArea
                                                                        : Qt::LeftToolBarArea;
        m_frame->addToolBar(side, bar);
    }
    return bar;
}

bool CPaneAutoHide::IsAutoHidden(const QDockWidget* pane) const {
    return m_folded.contains(const_cast<QDockWidget*>(pane));
}

bool CPaneAutoHide::IsSlidOut(const QDockWidget* pane) const {
    return IsAutoHidden(pane) && m_slidOut == pane && pane->isVisible();
}

QToolButton* CPaneAutoHide::Tab(const QDockWidget* pane) const {
    const auto found = m_folded.find(const_cast<QDockWidget*>(pane));
    return found != m_folded.end() ? found->tab.data() : nullptr;
}

void CPaneAutoHide::SetAutoHide(QDockWidget* pane, bool on) {
    if (pane == nullptr || on == IsAutoHidden(pane))
        return;
    auto* caption = dynamic_cast<CPaneCaption*>(pane->titleBarWidget());
    if (on) {
        SFolded folded;
        const Qt::DockWidgetArea area = m_frame->dockWidgetArea(pane);
        folded.area = area == Qt::NoDockWidgetArea ? Qt::LeftDockWidgetArea : area;
        folded.width = std::max(pane->width(), 120);
        const bool vertical = folded.area == Qt::LeftDockWidgetArea || folded.area == Qt::RightDockWidgetArea;
        QToolBar* bar = Bar(folded.area);
        auto* tab = new CAutoHideTab(pane->windowTitle(), vertical, bar);
        tab->setObjectName(QStringLiteral("tab_") + pane->objectName());
        bar->addWidget(tab);
        bar->show();
        folded.tab = tab;
        connect(tab, &QToolButton::clicked, this, [this, pane] { SlideOut(pane); });
        m_frame->removeDockWidget(pane);
        pane->setParent(m_frame);
        pane->hide();
        m_folded.insert(pane, folded);
        if (caption != nullptr)
            caption->ShowFolded(true);
    } else {
        const SFolded folded = m_folded.take(pane);
        if (m_slidOut == pane)
            m_slidOut = nullptr;
        if (folded.tab != nullptr) {
            QToolBar* bar = Bar(folded.area);
            for (QAction* action : bar->actions())
                if (bar->widgetForAction(action) == folded.tab)
                    bar->removeAction(action);
            folded.tab->deleteLater();
            bool empty = true;
            for (const auto& other : std::as_const(m_folded))
                empty = empty && other.area != folded.area;
            if (empty)
                bar->hide();
        }
        m_frame->addDockWidget(folded.area, pane);
        pane->show();
        m_frame->resizeDocks({pane}, {folded.width}, Qt::Horizontal);
        if (caption != nullptr)
            caption->ShowFolded(false);
    }
    if (m_folded.isEmpty())
        m_watch.stop();
    SaveState();
}

void CPaneAutoHide::SlideOut(QDockWidget* pane) {
    const auto found = m_folded.find(pane);
    if (found == m_folded.end())
        return;
    if (m_slidOut != nullptr && m_slidOut != pane)
        SlideIn(m_slidOut);
    // Out of the edge its tab stands on, over whatever lies there, as long as that edge.
    const QRect edge = Bar(found->area)->geometry();
    const int width = std::min(found->width, std::max(120, m_frame->width() / 2));
    QRect place(edge.right() + 1, edge.top(), width, edge.height());
    if (found->area == Qt::RightDockWidgetArea)
        place.moveRight(edge.left() - 1);
    else if (found->area == Qt::TopDockWidgetArea || found->area == Qt::BottomDockWidgetArea)
        place =
            QRect(edge.left(), found->area == Qt::TopDockWidgetArea ? edge.bottom() + 1 : edge.top() - 241,
                  edge.width(), 240);
    pane->setGeometry(place);
    pane->show();
    pane->raise();
    m_slidOut = pane;
    m_watch.start();
}

void CPaneAutoHide::SlideIn(QDockWidget* pane) {
    if (pane == nullptr || !IsAutoHidden(pane))
        return;
    pane->hide();
    if (m_slidOut == pane)
        m_slidOut = nullptr;
    m_watch.stop();
}

void CPaneAutoHide::CheckSlideIn() {
    QDockWidget* pane = m_slidOut;
    if (pane == nullptr || !pane->isVisible()) {
        m_watch.stop();
        return;
    }
    const QPoint cursor = QCursor::pos();
    const QToolButton* tab = Tab(pane);
    const bool pointed = pane->rect().contains(pane->mapFromGlobal(cursor)) ||
                         (tab != nullptr && tab->rect().contains(tab->mapFromGlobal(cursor)));
    const QWidget* focus = QApplication::focusWidget();
    const bool focused = focus != nullptr && pane->isAncestorOf(focus);
    // A menu or a dialog the pane opened keeps it out.
    if (!pointed && !focused && QApplication::activePopupWidget() == nullptr &&
        QApplication::activeModalWidget() == nullptr)
        SlideIn(pane);
}

void CPaneAutoHide::SaveState() const {
    if (m_restoring)
        return;
    QStringList names;
    for (auto it = m_folded.cbegin(); it != m_folded.cend(); ++it)
        names << it.key()->objectName() + u':' + QString::number(static_cast<int>(it->area)) + u':' +
                     QString::number(it->width);
    platform::WriteProfileString(kSection, kEntry, names.join(u';'));
}

void CPaneAutoHide::RestoreState() {
    const QStringList entries = platform::GetProfileString(kSection, kEntry).split(u';', Qt::SkipEmptyParts);
    m_restoring = true;
    for (const QString& entry : entries) {
        const QStringList parts = entry.split(u':');
        for (QDockWidget* pane : std::as_const(m_panes)) {
            if (pane->objectName() != parts.value(0))
                continue;
            const auto area = static_cast<Qt::DockWidgetArea>(parts.value(1).toInt());
            if (area == Qt::LeftDockWidgetArea || area == Qt::RightDockWidgetArea ||
                area == Qt::TopDockWidgetArea || area == Qt::BottomDockWidgetArea)
                m_frame->addDockWidget(area, pane);
            const int width = parts.value(2).toInt();
            if (width > 0)
                pane->resize(width, pane->height());
            SetAutoHide(pane, true);
        }
    }
    m_restoring = false;
}

} // namespace shell
