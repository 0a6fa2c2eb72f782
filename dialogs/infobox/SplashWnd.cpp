#include "dialogs/infobox/SplashWnd.h"

#include "dialogs/infobox/InfoBox.h"
#include "lumora/controls/SplashPicture.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QShortcut>
#include <QThread>
#include <functional>

namespace infobox {
namespace {

// The one timed splash of the process; null while none is shown.
QPointer<CSplashWnd> g_splash;

// Serves SplashWndPreTranslateMessage for every event of the application while a splash is shown.
class CInputFilter : public QObject {
public:
    bool eventFilter(QObject* receiver, QEvent* event) override {
        return SplashWndPreTranslateMessage(receiver, event) != 0;
    }
};

CInputFilter* g_filter = nullptr;

} // namespace

std::function<void()> ApplicationShortcut(const QKeyEvent& key) {
    if (key.key() == 0 || key.key() == Qt::Key_unknown)
        return {};
    const QKeySequence pressed(key.keyCombination());
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isVisible())
            continue;
        QList<QAction*> actions = window->findChildren<QAction*>();
        actions += window->actions();
        for (QAction* action : actions) {
            if (!action->isEnabled())
                continue;
            for (const QKeySequence& shortcut : action->shortcuts())
                if (shortcut.matches(pressed) == QKeySequence::ExactMatch)
                    return [action = QPointer<QAction>(action)] {
                        if (action != nullptr)
                            action->trigger();
                    };
        }
        for (QShortcut* shortcut : window->findChildren<QShortcut*>()) {
            if (shortcut->isEnabled() && shortcut->key().matches(pressed) == QKeySequence::ExactMatch)
                return [shortcut = QPointer<QShortcut>(shortcut)] {
                    if (shortcut != nullptr)
                        emit shortcut->activated();
                };
        }
    }
    return {};
}

QPixmap CSplashWnd::Picture() {
    return controls::SplashPicture(420, 260, QStringLiteral("Lumora"),
                                   QStringLiteral("TORVANE TECHNOLOGIES"));
}

CSplashWnd::CSplashWnd(const QString& text, bool noTimer, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint), m_bitmap(Picture()), m_text(text),
      m_owner(parent) {
    setWindowTitle(QStringLiteral("Lumora"));
    setFixedSize(m_bitmap.size());
    const QRect around =
        parent != nullptr && parent->isVisible()
            ? parent->frameGeometry()
            : (QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->geometry()
                                                : QRect(0, 0, width(), height()));
    move(around.center() - rect().center());
    m_timer.setSingleShot(true);
    QObject::connect(&m_timer, &QTimer::timeout, this, [this] { Hide(); });
    if (!noTimer)
        m_timer.start(kTimeoutMs);
}

CSplashWnd::~CSplashWnd() {
    if (g_splash == this)
        g_splash = nullptr;
}

void CSplashWnd::Hide() {
    m_timer.stop();
    hide();
    if (m_owner != nullptr)
        m_owner->update();
    if (g_splash == this)
        g_splash = nullptr;
    if (g_splash.isNull() && g_filter != nullptr) {
        qApp->removeEventFilter(g_filter);
        g_filter->deleteLater();
        g_filter = nullptr;
    }
    deleteLater();
}

void CSplashWnd::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_bitmap);
    controls::PaintSplashText(painter, rect(), m_text, true);
}

void CSplashWnd::mousePressEvent(QMouseEvent* event) {
    QWidget::mousePressEvent(event);
    Hide();
}

} // namespace infobox

extern "C" int SplashWndShow(const QString& /*first*/, const QString& text, const QString& /*third*/,
                             int noTimer, QWidget* parent) {
    using infobox::g_splash;
    if (qApp == nullptr || QThread::currentThread() != qApp->thread() || !g_splash.isNull())
        return 0;
    g_splash = new infobox::CSplashWnd(text, noTimer != 0, parent);
    g_splash->setAttribute(Qt::WA_DeleteOnClose, false);
    g_splash->show();
    g_splash->repaint();
    if (infobox::g_filter == nullptr) {
        infobox::g_filter = new infobox::CInputFilter;
        qApp->installEventFilter(infobox::g_filter);
    }
    return 1;
}

extern "C" int SplashWndPreTranslateMessage(QObject* /*receiver*/, QEvent* event) {
    using infobox::g_splash;
    if (g_splash.isNull() || !g_splash->isVisible() || event == nullptr)
        return 0;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::NonClientAreaMouseButtonPress:
        g_splash->Hide();
        return 1;
    case QEvent::KeyPress: {
        // The key closes the splash. One the application has a shortcut for still runs its command:
        // the splash takes only keys that would do nothing else.
        const std::function<void()> command = infobox::ApplicationShortcut(*static_cast<QKeyEvent*>(event));
        g_splash->Hide();
        if (command)
            command();
        return 1;
    }
    case QEvent::ShortcutOverride:
        // An application shortcut comes as a key press while the splash is shown, so that the key
        // closes the splash and then runs the command, wherever it was typed.
        if (infobox::ApplicationShortcut(*static_cast<QKeyEvent*>(event))) {
            event->accept();
            return 1;
        }
        return 0;
    default:
        return 0;
    }
}

extern "C" void SplashWndDestroy() {
    if (!infobox::g_splash.isNull())
        infobox::g_splash->Hide();
}
