#pragma once

#include <QPixmap>

class QDialog;
class QWidget;

namespace promptkit {

// The library's icons by resource id, drawn from the style's standard message icons.
QPixmap IconResource(int id, int side);
// The library's bitmaps by id (8018: the finished notice's picture); null for an unknown id.
QPixmap BitmapResource(int id);
// Beeps as a message box of the given kind would (MB_ICONHAND, MB_ICONEXCLAMATION); 0 is silent.
void MessageBeep(unsigned type);
constexpr unsigned MB_ICONHAND = 0x10;
constexpr unsigned MB_ICONEXCLAMATION = 0x30;

// Centres the dialog over its parent's window, or over the screen without one.
void CenterOverOwner(QDialog& dialog);

// Registers the library's strings (PromptStrings.h) once.
void RegisterPromptStrings();

} // namespace promptkit
