#pragma once

#include <functional>

// A desktop session that ends, a terminal that closes or a service manager that stops the program
// sends SIGTERM, SIGHUP or SIGINT. The program then takes the same way out as a closed window, so a
// run is stopped and saved and the instrument files are written back.
namespace platform {

// Calls 'onSignal' on the user-interface thread when the first of those signals arrives; a second
// call replaces the action. A second signal ends the process at once. False when the signals could
// not be taken over.
bool OnTerminationSignals(std::function<void()> onSignal);

} // namespace platform
