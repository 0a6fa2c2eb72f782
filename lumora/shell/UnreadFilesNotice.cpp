#include "lumora/shell/UnreadFilesNotice.h"

#include "lumora/LumoraStrings.h"
#include "platform/StringTable.h"

#include <QDir>
#include <QFileInfo>

namespace shell {
namespace {

int ReasonId(eXmlReadError error) {
    switch (error) {
    case eXmlReadError::Unreadable:
        return IDS_UNREAD_UNREADABLE;
    case eXmlReadError::Empty:
        return IDS_UNREAD_EMPTY;
    case eXmlReadError::TooLarge:
        return IDS_UNREAD_TOO_LARGE;
    case eXmlReadError::Utf16:
        return IDS_UNREAD_UTF16;
    case eXmlReadError::TooDeep:
        return IDS_UNREAD_TOO_DEEP;
    case eXmlReadError::TooManyElements:
        return IDS_UNREAD_TOO_MUCH_MARKUP;
    case eXmlReadError::Malformed:
        return IDS_UNREAD_MALFORMED;
    case eXmlReadError::WrongRoot:
        return IDS_UNREAD_WRONG_ROOT;
    case eXmlReadError::Content:
    case eXmlReadError::None:
    case eXmlReadError::Missing:
        break;
    }
    return IDS_UNREAD_CONTENT;
}

} // namespace

void RegisterUnreadFilesStrings() {
    platform::RegisterStrings({
        {IDS_UNREAD_FILES, u"以下设置文件未能读取，已使用默认设置，文件保持原样："},
        {IDS_UNREAD_UNREADABLE, u"系统拒绝读取该文件"},
        {IDS_UNREAD_EMPTY, u"文件为空"},
        {IDS_UNREAD_TOO_LARGE, u"文件大于任何设置文件"},
        {IDS_UNREAD_UTF16, u"文件为 UTF-16 文本，设置文件应为 8 位文本"},
        {IDS_UNREAD_TOO_DEEP, u"元素嵌套深于任何设置文件"},
        {IDS_UNREAD_TOO_MUCH_MARKUP, u"标记多于任何设置文件"},
        {IDS_UNREAD_MALFORMED, u"不是格式正确的 XML（第 %1 行，第 %2 列）"},
        {IDS_UNREAD_WRONG_ROOT, u"缺少该文件的根元素"},
        {IDS_UNREAD_CONTENT, u"缺少该文件应有的设置"},
        {IDS_UNREAD_LINE, u"%1：%2"},
    });
}

QString UnreadFilesNotice(const std::vector<SXmlReadProblem>& problems, const QString& configurationFile) {
    if (problems.empty())
        return {};
    const QString configuration = QFileInfo(configurationFile).absoluteFilePath();
    QStringList lines;
    for (const SXmlReadProblem& problem : problems)
        if (problem.path == configuration)
            lines.append(platform::LoadString(IDS_CONFIG_PARSE_ERROR));
    lines.append(platform::LoadString(IDS_UNREAD_FILES));
    for (const SXmlReadProblem& problem : problems) {
        QString reason = platform::LoadString(ReasonId(problem.error));
        if (problem.error == eXmlReadError::Malformed)
            reason = reason.arg(problem.row).arg(problem.column);
        lines.append(
            platform::LoadString(IDS_UNREAD_LINE).arg(QDir::toNativeSeparators(problem.path), reason));
    }
    return lines.join(QStringLiteral("\r\n"));
}

} // namespace shell
