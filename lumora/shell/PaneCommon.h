#pragma once

#include <QPixmap>
#include <QString>

class CMainFrame;
class QWidget;

namespace shell {

// The main frame the widget lives in, null outside one.
CMainFrame* FindMainFrame(const QWidget* widget);
// Digits after the point of a number text, 0 to 6.
int DecimalsOf(const QString& text);
// A trigger level in amperes as a trackbar position in microamperes, within the trackbar's range.
int SliderPosition(double amperes, int minimum, int maximum);
// The output switch (82 x 34) and the output lamp (32 x 32) for on and off.
QPixmap OutputSwitchImage(bool on);
QPixmap OutputIcon(bool on);
void RegisterPaneStrings();

} // namespace shell
