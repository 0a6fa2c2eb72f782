#include "lumora/shell/ProgressWnd.h"

#include "lumora/LumoraStrings.h"
#include "lumora/core/FilePageStrings.h"
#include "platform/StringTable.h"

#include "platform/ControlId.h"
#include "platform/Profile.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

namespace {

constexpr int kIdCancel = 10;
constexpr int kIdText = 11;
constexpr int kIdBar = 12;
// The bar shows tenths of a percent, whatever the range, so a range beyond 32 bits fits it.
constexpr int kBarSteps = 1000;

} // namespace

CProgressWnd::CProgressWnd(QWidget* parent)
    : QWidget(parent != nullptr ? parent->window() : nullptr,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    m_owner = parent != nullptr ? parent->window() : nullptr;
    setWindowModality(m_owner != nullptr ? Qt::WindowModal : Qt::ApplicationModal);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(CaptionText());
    setCursor(Qt::BusyCursor);
    setFixedSize(390, 130);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    m_text = new QLabel(this);
    m_text->setTextFormat(Qt::PlainText);
    m_text->setWordWrap(false);
    platform::SetControlId(m_text, kIdText);
    m_bar = new QProgressBar(this);
    m_bar->setRange(0, kBarSteps);
    m_bar->setTextVisible(false);
    platform::SetControlId(m_bar, kIdBar);
    RegisterFilePageStrings();
    m_cancel = new QPushButton(platform::LoadString(IDS_PROGRESS_CANCEL), this);
    platform::SetControlId(m_cancel, kIdCancel);
    layout->addWidget(m_text);
    layout->addWidget(m_bar);
    layout->addWidget(m_cancel, 0, Qt::AlignHCenter);
    connect(m_cancel, &QPushButton::clicked, this, [this] { OnCancel(); });
    if (m_owner != nullptr) {
        m_owner->installEventFilter(this);
        move(m_owner->geometry().center() - rect().center());
    }
    if (QCoreApplication::instance() != nullptr)
        QCoreApplication::instance()->installEventFilter(this);
    ShowNoActivate();
}

CProgressWnd::~CProgressWnd() {
    DestroyWindow();
}

QString CProgressWnd::CaptionText() {
    RegisterFilePageStrings();
    return platform::LoadString(IDS_PROGRESS_LOADING);
}

void CProgressWnd::SetText(const QString& text) {
    m_text->setText(text);
}

void CProgressWnd::SetRange(std::int64_t lower, std::int64_t upper) {
    m_lower = lower;
    m_upper = upper;
    m_step = 1;
    SetPos(lower);
}

void CProgressWnd::StepIt() {
    if (m_destroyed)
        return;
    ShowNoActivate();
    SetPos(m_position + m_step);
}

int CProgressWnd::Percent(std::int64_t position, std::int64_t lower, std::int64_t upper) {
    if (upper <= lower)
        return 0;
    const long double share =
        static_cast<long double>(position - lower) * 100.0L / static_cast<long double>(upper - lower);
    return static_cast<int>(std::clamp(share + 0.5L, 0.0L, 100.0L));
}

std::int64_t CProgressWnd::SetPos(std::int64_t position) {
    const std::int64_t previous = m_position;
    m_position = position;
    const int percent = Percent(position, m_lower, m_upper);
    if (percent != m_lastPercent) {
        m_lastPercent = percent;
        setWindowTitle(QStringLiteral("%1 [%2%]").arg(CaptionText()).arg(percent));
    }
    if (m_upper > m_lower) {
        const long double share = static_cast<long double>(std::clamp(position, m_lower, m_upper) - m_lower) /
                                  static_cast<long double>(m_upper - m_lower);
        m_bar->setValue(static_cast<int>(share * kBarSteps));
    }
    return previous;
}

bool CProgressWnd::PeekAndPump() {
    if (!m_cancelled && !m_ending)
        QCoreApplication::processEvents();
    return !m_cancelled && !m_ending;
}

void CProgressWnd::OnCancel() {
    if (m_cancelled)
        return;
    SavePosition();
    m_cancelled = true;
    hide();
    QWidget* main = m_owner;
    if (main == nullptr) {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (qobject_cast<QMainWindow*>(widget) != nullptr && widget->isVisible()) {
                main = widget;
                break;
            }
        }
    }
    if (main != nullptr) {
        main->raise();
        main->activateWindow();
    }
}

void CProgressWnd::SavePosition() const {
    if (!m_savePosition)
        return;
    platform::WriteProfileInt(QStringLiteral("Settings"), QStringLiteral("X"), pos().x());
    platform::WriteProfileInt(QStringLiteral("Settings"), QStringLiteral("Y"), pos().y());
}

void CProgressWnd::ShowNoActivate() {
    if (!m_destroyed && !m_cancelled && !isVisible())
        show();
}

void CProgressWnd::DestroyWindow() {
    if (m_destroyed)
        return;
    m_destroyed = true;
    SavePosition();
    if (m_owner != nullptr)
        m_owner->removeEventFilter(this);
    if (QCoreApplication::instance() != nullptr)
        QCoreApplication::instance()->removeEventFilter(this);
    hide();
    if (m_ending)
        QCoreApplication::postEvent(QCoreApplication::instance(), new QEvent(QEvent::Quit));
}

bool CProgressWnd::eventFilter(QObject* watched, QEvent* event) {
    // The owner's window stays open while the job runs, whoever asks it to close.
    if (watched == m_owner && event->type() == QEvent::Close && !m_destroyed) {
        event->ignore();
        return true;
    }
    // The program is told to end: the job is stopped first (PeekAndPump gives false), and the request
    // is made again once the window is gone.
    if (watched == QCoreApplication::instance() && event->type() == QEvent::Quit && !m_destroyed) {
        m_ending = true;
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void CProgressWnd::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        OnCancel();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CProgressWnd::closeEvent(QCloseEvent* event) {
    // Closing the window is a cancel; the job ends it.
    OnCancel();
    event->ignore();
}
