#pragma once

#include <QString>

namespace platform {

// Where libraries loaded by name lie, with a trailing '/': the executable's folder, not moved by a
// program folder override.
QString LibraryFolder();

// Tests choose which libraries can be found; an empty text returns to the executable's folder.
void SetLibraryFolderOverride(const QString& folder);

} // namespace platform
