#include "common/xmlfile/PathHelpers.h"

#include "platform/Paths.h"
#include "platform/ProgramFolder.h"

#include <cerrno>
#include <cstdio>

namespace {

qsizetype LastSeparator(const QString& path) {
    return std::max(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/'));
}

} // namespace

QString GetModuleDirectory() {
    const QString folder = platform::ProgramFolder();
    if (folder.isEmpty()) {
        std::printf("GetModuleFileName failed: %d\n", errno);
        std::fflush(stdout);
    }
    return folder;
}

QString AddTrailingSeparator(const QString& path) {
    if (path.isEmpty() || path.endsWith(u'\\') || path.endsWith(u'/'))
        return path;
    return path + u'/';
}

QString GetFileDirectory(const QString& path) {
    const qsizetype pos = LastSeparator(path);
    return pos > 0 ? path.left(pos + 1) : path;
}

QString GetFileNameFromPath(const QString& path) {
    const qsizetype pos = LastSeparator(path);
    return pos > 0 ? path.mid(pos + 1) : path;
}

QString GetFileTitleFromPath(const QString& path) {
    const QString name = GetFileNameFromPath(path);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot > 0 ? name.left(dot) : name;
}

QString MakeAbsolutePath(const QString& path) {
    const QString normal = platform::NormalizePath(path);
    if (platform::IsAbsolutePath(normal))
        return normal;
    return GetModuleDirectory() + normal;
}

QString MakeRelativePath(const QString& path) {
    const QString folder = GetModuleDirectory();
    const QString normal = platform::NormalizePath(path);
    // File names here are case-sensitive: /opt/Lumora/Data is not a folder under /opt/lumora/.
    if (!folder.isEmpty() && normal.startsWith(folder, Qt::CaseSensitive))
        return normal.mid(folder.size());
    return path;
}

int CreateFolder(const QString& path) {
    return platform::CreateFolderLevels(path) ? 1 : 0;
}
