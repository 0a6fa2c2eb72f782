#include "ProgramFolder.h"

#include <QFile>
#include <mutex>

namespace platform {
namespace {

std::mutex g_mutex;
QString g_override;

QString ReadExecutableFolder() {
    const QString exe = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    const qsizetype slash = exe.lastIndexOf(u'/');
    if (slash < 0)
        return exe;
    return exe.left(slash + 1);
}

} // namespace

QString ExecutableFolder() {
    static const QString folder = ReadExecutableFolder();
    return folder;
}

QString ProgramFolder() {
    {
        std::lock_guard lock(g_mutex);
        if (!g_override.isEmpty())
            return g_override;
    }
    return ExecutableFolder();
}

void SetProgramFolderOverride(const QString& folder) {
    std::lock_guard lock(g_mutex);
    g_override = folder;
    if (!g_override.isEmpty() && !g_override.endsWith(u'/'))
        g_override += u'/';
}

} // namespace platform
