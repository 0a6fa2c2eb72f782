#pragma once

#include "platform/MessageBox.h"

#include <QPixmap>
#include <QString>
#include <utility>

class CMainFrame;
namespace controls {
class CScrollDialog;
}
class QLineEdit;
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
// A read-only text too long for its field shows from its start, and whole as the field's tooltip.
void ShowWholeTextAsTip(QLineEdit* field);
// The width a docking pane needs to show its form whole, with a vertical scroll bar beside it.
int PaneContentWidth(const QWidget* pane, const controls::CScrollDialog* form);
// A wheel turned over the control while the user is not in it scrolls the form instead: scrolling a
// pane past a combo box or trackbar must not change the control and so reprogram an instrument.
void WheelOnlyWhenFocused(QWidget* control, QWidget* form);

// The user's change goes into the record whatever the driver does (and so into the file): without a
// driver the message 'noDriverId' says so and nothing is sent; when sendAndRead() fails the field is
// put back, as what the instrument holds is then unknown.
template <typename Record, typename T, typename SendAndRead>
void ChangeRecordItem(Record& record, T Record::*field, T value, bool hasDriver, int noDriverId,
                      SendAndRead&& sendAndRead) {
    const T previous = record.*field;
    record.*field = std::move(value);
    if (!hasDriver)
        platform::StopBox(noDriverId);
    else if (!sendAndRead())
        record.*field = previous;
}

} // namespace shell
