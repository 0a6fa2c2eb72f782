#pragma once

#include <QString>

namespace platform {

// The executable's folder with a trailing '/': the root of every relative path of the program.
// Empty when the executable's path cannot be had.
QString ProgramFolder();

// The executable's own folder with a trailing '/', whatever the override.
QString ExecutableFolder();

// Tests run their files in a folder of their own; an empty text returns to the executable's folder.
void SetProgramFolderOverride(const QString& folder);

} // namespace platform
