#pragma once

class QWidget;

// The start-up splash, loaded by name ("startscreen") and bound by its two exports. Both run on the
// user-interface thread; called from any other thread they do nothing.
extern "C" {
// Shows the splash with the text when none is shown; a second call changes nothing.
void StartSplash(const char16_t* text);
// Ends the splash when one is shown; the focus window, when given, comes to the front.
void EndSplash(QWidget* focus);
}
