#pragma once

namespace platform {

// The program is on its way out, ended by the session or a terminal: nobody is left to answer. From
// then on a message box is not shown but answered at once (its text goes to standard error), and
// every dialog that is open, or opens later, is closed as its Cancel would close it, so that no
// dialog's own loop holds the way out. Call on the user-interface thread.
void BeginShutDown();

// True once BeginShutDown was called; from any thread.
bool IsShuttingDown();

// The answer a box with these buttons gets when nobody can answer it: the one that changes nothing
// (Cancel, No, or OK when OK is the only button).
int UnansweredBoxResult(unsigned flags);

// Closes every dialog of the program that is shown, as its Cancel would.
void CloseOpenDialogs();

} // namespace platform
