#include "LibraryFolder.h"

#include "ProgramFolder.h"

#include <mutex>

namespace platform {
namespace {

std::mutex g_mutex;
QString g_override;

} // namespace

QString LibraryFolder() {
    {
        std::lock_guard lock(g_mutex);
        if (!g_override.isEmpty())
            return g_override;
    }
    return ExecutableFolder();
}

void SetLibraryFolderOverride(const QString& folder) {
    std::lock_guard lock(g_mutex);
    g_override = folder;
    if (!g_override.isEmpty() && !g_override.endsWith(u'/'))
        g_override += u'/';
}

} // namespace platform
