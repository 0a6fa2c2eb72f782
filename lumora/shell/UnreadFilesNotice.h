#pragma once

#include "common/xmlfile/XmlDocument.h"

#include <QString>
#include <vector>

namespace shell {

// String ids of the notice the start-up shows when settings files were there but not read.
enum : int {
    IDS_UNREAD_FILES = 33030,
    IDS_UNREAD_UNREADABLE = 33031,
    IDS_UNREAD_EMPTY = 33032,
    IDS_UNREAD_TOO_LARGE = 33033,
    IDS_UNREAD_UTF16 = 33034,
    IDS_UNREAD_TOO_DEEP = 33035,
    IDS_UNREAD_TOO_MUCH_MARKUP = 33036,
    IDS_UNREAD_MALFORMED = 33037,
    IDS_UNREAD_WRONG_ROOT = 33038,
    IDS_UNREAD_CONTENT = 33039,
    IDS_UNREAD_LINE = 33040,
};

void RegisterUnreadFilesStrings();

// One text for all of them: the configuration file's own message (string 51507) first when it is one
// of them, then each file with why it was not read, and that the defaults are used and the files
// left as they are. Empty when there are none.
QString UnreadFilesNotice(const std::vector<SXmlReadProblem>& problems, const QString& configurationFile);

} // namespace shell
