#include "dialogs/startscreen/SplashWnd.h"

#include "lumora/controls/SplashPicture.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

namespace startscreen {
namespace {

// Picture 2000 of the library.
QPixmap StartPicture() {
    return controls::SplashPicture(480, 300, QStringLiteral("Lumora"),
                                   QStringLiteral("TORVANE TECHNOLOGIES"));
}

} // namespace

CSplashWnd::CSplashWnd(const QString& text)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), m_text(text),
      m_bitmap(StartPicture()) {
    setWindowTitle(QString::fromLatin1(kTitle));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setFixedSize(m_bitmap.size());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.left() + (area.width() - width()) / 2, area.top() + (area.height() - height()) / 2);
    }
}

void CSplashWnd::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_bitmap);
    controls::PaintSplashText(painter, rect(), m_text, false);
}

} // namespace startscreen
