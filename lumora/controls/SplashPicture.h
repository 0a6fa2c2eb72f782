#pragma once

#include <QPixmap>
#include <QString>

class QPainter;
class QRect;

namespace controls {

// The picture of a splash or banner: a gradient with the product's name, drawn once per size.
QPixmap SplashPicture(int width, int height, const QString& title, const QString& subtitle);

// A splash's line of text: black, Arial of pixel height 18, at x = left + 5 and y = top + height * 4 / 13
// of the client. Opaque fills the text's box with the window colour first.
void PaintSplashText(QPainter& painter, const QRect& client, const QString& text, bool opaque);

} // namespace controls
