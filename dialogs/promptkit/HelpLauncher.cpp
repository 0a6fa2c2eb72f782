#include "HelpLauncher.h"

#include "platform/Library.h"

namespace promptkit {

int InvokeHelp(const QString& topic) {
    platform::CLibrary library;
    if (!library.Load(QStringLiteral("helpdoc.dll")))
        return 0;
    const auto invoke = reinterpret_cast<PFN_InvokeHelpFileCHM>(library.Resolve("DLL_InvokeHelpFileCHM"));
    return invoke != nullptr ? invoke(topic) : 0;
}

} // namespace promptkit
