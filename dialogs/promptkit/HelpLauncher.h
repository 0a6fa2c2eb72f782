#pragma once

#include <QString>

namespace promptkit {

// Opens the help at a topic through the helpdoc library beside the program; 0 when that library or
// its entry point is missing.
int InvokeHelp(const QString& topic);

using PFN_InvokeHelpFileCHM = int (*)(const QString& topic);

} // namespace promptkit
