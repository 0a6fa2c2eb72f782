#pragma once

#include <QString>

// Path helpers. A stored path may hold '\' or '/'; paths made here use '/'. A path is absolute when
// it starts with '/'; relative paths are rooted at the program folder.

// The program folder with its trailing separator. When it cannot be had, prints
// "GetModuleFileName failed: %d\n" to the standard output and gives an empty text.
QString GetModuleDirectory();

// Appends '/' unless the text is empty or already ends with '\' or '/'.
QString AddTrailingSeparator(const QString& path);

// The text up to and including the last '\' or '/' when that is past position 0; otherwise unchanged.
QString GetFileDirectory(const QString& path);

// The text after the last '\' or '/' when that is past position 0; otherwise unchanged.
QString GetFileNameFromPath(const QString& path);

// The file name without its extension (cut at the last '.' past position 0).
QString GetFileTitleFromPath(const QString& path);

// An absolute path comes back normalised; any other is appended to the program folder.
QString MakeAbsolutePath(const QString& path);

// A path under the program folder comes back relative to it; any other whole. The folder is matched
// exactly, letter case included, as the file system names folders.
QString MakeRelativePath(const QString& path);

// 1 when the folder exists or was made level by level from the top down; 0 when a level failed.
int CreateFolder(const QString& path);
