#pragma once

#include <QString>

namespace platform {

// A stored path may hold '\' separators; on this system every separator is '/'.
QString NormalizePath(const QString& path);

// True when the path starts at the root of the file system.
bool IsAbsolutePath(const QString& path);

bool IsDirectory(const QString& path);

// Creates the folder and every missing folder above it, from the top down.
// True when the folder exists afterwards.
bool CreateFolderLevels(const QString& path);

} // namespace platform
