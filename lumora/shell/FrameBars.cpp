#include "lumora/shell/FrameBars.h"

#include "platform/ControlId.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QStatusBar>
#include <QTimer>
#include <algorithm>
#include <dlfcn.h>

namespace shell {
namespace {

constexpr unsigned kReset = 32798;
constexpr unsigned kStart = 32799;
constexpr unsigned kStop = 32801;

QPixmap Canvas() {
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// Locks toggled by the keys themselves, for a display server that does not tell its indicators.
class CLockKeyWatch : public QObject {
public:
    unsigned state = 0;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress && !static_cast<QKeyEvent*>(event)->isAutoRepeat()) {
            switch (static_cast<QKeyEvent*>(event)->key()) {
            case Qt::Key_CapsLock:
                state ^= 1u;
                break;
            case Qt::Key_NumLock:
                state ^= 2u;
                break;
            case Qt::Key_ScrollLock:
                state ^= 4u;
                break;
            default:
                break;
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

CLockKeyWatch* LockKeyWatch() {
    static CLockKeyWatch* watch = [] {
        auto* created = new CLockKeyWatch;
        created->setParent(QCoreApplication::instance());
        QCoreApplication::instance()->installEventFilter(created);
        return created;
    }();
    return watch;
}

// The X server's keyboard indicators, through the X library the platform plugin already loaded.
bool X11Indicators(unsigned& state) {
    auto* x11 = qApp != nullptr ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (x11 == nullptr || x11->display() == nullptr)
        return false;
    using GetIndicatorState = int (*)(void*, unsigned, unsigned*);
    static auto get = [] {
        void* library = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
        return library != nullptr
                   ? reinterpret_cast<GetIndicatorState>(dlsym(library, "XkbGetIndicatorState"))
                   : nullptr;
    }();
    constexpr unsigned kUseCoreKeyboard = 0x0100;
    unsigned indicators = 0;
    if (get == nullptr || get(x11->display(), kUseCoreKeyboard, &indicators) != 0)
        return false;
    state = indicators & 7u;
    return true;
}

KeyLockReader& Reader() {
    static KeyLockReader reader;
    return reader;
}

} // namespace

void PaintCircularArrow(QPainter& painter, const QRectF& square, const QColor& colour) {
    const qreal side = square.width();
    const QRectF ring = square.adjusted(side * 0.12, side * 0.12, -side * 0.12, -side * 0.12);
    painter.save();
    painter.setPen(QPen(colour, std::max<qreal>(1.5, side / 8), Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(ring, 70 * 16, 285 * 16);
    // The head stands where the ring opens, pointing along it.
    const QPointF tip(ring.center().x() + ring.width() * 0.2, ring.top());
    QPainterPath head;
    head.moveTo(tip + QPointF(-side * 0.05, -side * 0.2));
    head.lineTo(tip + QPointF(side * 0.28, 0));
    head.lineTo(tip + QPointF(-side * 0.05, side * 0.2));
    head.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPath(head);
    painter.restore();
}

QIcon FrameToolbarIcon(unsigned command) {
    QPixmap pixmap = Canvas();
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    switch (command) {
    case kReset: // a circular arrow
        PaintCircularArrow(painter, QRectF(2, 2, 20, 20), QColor(0x20, 0x60, 0xB0));
        break;
    case kStart: { // a green play triangle
        QPainterPath play;
        play.moveTo(6, 3.5);
        play.lineTo(20.5, 12);
        play.lineTo(6, 20.5);
        play.closeSubpath();
        painter.setPen(QPen(QColor(0x10, 0x70, 0x10), 1));
        painter.setBrush(QColor(0x30, 0xB0, 0x30));
        painter.drawPath(play);
        break;
    }
    case kStop: // a red square
        painter.setPen(QPen(QColor(0x90, 0x10, 0x10), 1));
        painter.setBrush(QColor(0xD8, 0x30, 0x30));
        painter.drawRoundedRect(QRectF(5, 5, 14, 14), 2, 2);
        break;
    default:
        return QIcon();
    }
    painter.end();
    QIcon icon(pixmap);
    return icon;
}

void SetKeyLockReader(KeyLockReader reader) {
    Reader() = std::move(reader);
}

unsigned KeyLockState() {
    if (Reader())
        return Reader()();
    unsigned state = 0;
    if (X11Indicators(state))
        return state;
    return LockKeyWatch()->state;
}

void CreateStatusIndicators(QStatusBar* statusBar) {
    struct SIndicator {
        unsigned id;
        const char* text;
        unsigned bit;
    };
    static constexpr SIndicator kIndicators[] = {
        {ID_INDICATOR_CAPS, "CAP", 1u}, {ID_INDICATOR_NUM, "NUM", 2u}, {ID_INDICATOR_SCRL, "SCRL", 4u}};
    LockKeyWatch();
    std::vector<std::pair<QLabel*, SIndicator>> labels;
    for (const SIndicator& indicator : kIndicators) {
        auto* label = new QLabel(statusBar);
        platform::SetControlId(label, static_cast<int>(indicator.id));
        label->setObjectName(QString::number(indicator.id));
        label->setAlignment(Qt::AlignCenter);
        label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        // As wide as its text, whether the lock is on or off.
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QString::fromLatin1(indicator.text)) +
                               12);
        statusBar->addPermanentWidget(label);
        labels.emplace_back(label, indicator);
    }
    auto refresh = [labels] {
        const unsigned state = KeyLockState();
        for (const auto& [label, indicator] : labels)
            label->setText((state & indicator.bit) != 0 ? QString::fromLatin1(indicator.text) : QString());
    };
    refresh();
    auto* timer = new QTimer(statusBar);
    QObject::connect(timer, &QTimer::timeout, statusBar, refresh);
    timer->start(250);
}

} // namespace shell
