#pragma once

#include <QIcon>
#include <functional>

class QMainWindow;
class QPainter;
class QRectF;
class QColor;
class QStatusBar;
class QToolBar;

namespace shell {

// The pictures of the main toolbar's buttons (toolbar bitmap 229), drawn for the commands that have
// no picture of their own; a null icon for a command the toolbar does not carry.
QIcon FrameToolbarIcon(unsigned command);
// A circular arrow in the square (refresh, reset): an open ring with its head at the top.
void PaintCircularArrow(QPainter& painter, const QRectF& square, const QColor& colour);

// The status bar's four panes: the message line and the Caps Lock, Num Lock and Scroll Lock
// indicators ("CAP", "NUM", "SCRL", blank while the lock is off), kept up to date while the window
// lives.
enum : unsigned { ID_INDICATOR_CAPS = 59137, ID_INDICATOR_NUM = 59138, ID_INDICATOR_SCRL = 59139 };
void CreateStatusIndicators(QStatusBar* statusBar);
// The keyboard's lock states, bit 0 Caps, bit 1 Num, bit 2 Scroll: the display server's indicators
// where it tells them, else the lock keys seen since the start. Tests put their own reader in.
using KeyLockReader = std::function<unsigned()>;
void SetKeyLockReader(KeyLockReader reader);
unsigned KeyLockState();

} // namespace shell
