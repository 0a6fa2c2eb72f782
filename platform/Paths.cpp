#include "Paths.h"

#include <QDir>
#include <QFileInfo>

namespace platform {

QString NormalizePath(const QString& path) {
    QString out = path;
    out.replace(u'\\', u'/');
    return out;
}

bool IsAbsolutePath(const QString& path) {
    return path.startsWith(u'/') || path.startsWith(u'\\');
}

bool IsDirectory(const QString& path) {
    return !path.isEmpty() && QFileInfo(NormalizePath(path)).isDir();
}

bool CreateFolderLevels(const QString& path) {
    const QString normal = NormalizePath(path);
    if (normal.isEmpty())
        return false;
    if (IsDirectory(normal))
        return true;
    // Level by level, so that the level that cannot be made is the one that fails.
    for (qsizetype slash = normal.indexOf(u'/', 1); slash > 0; slash = normal.indexOf(u'/', slash + 1)) {
        const QString level = normal.left(slash);
        if (!IsDirectory(level) && !QDir().mkdir(level))
            return false;
    }
    return IsDirectory(normal) || QDir().mkdir(normal);
}

} // namespace platform
