#pragma once

#include "common/xmlfile/XmlDocument.h"

#include <QString>
#include <vector>

namespace shell {

void RegisterUnreadFilesStrings();

// One text for all of them: the configuration file's own message (IDS_CONFIG_PARSE_ERROR) first when it is
// one of them, then each file with why it was not read, and that the defaults are used and the files left as
// they are. Empty when there are none.
QString UnreadFilesNotice(const std::vector<SXmlReadProblem>& problems, const QString& configurationFile);

} // namespace shell
