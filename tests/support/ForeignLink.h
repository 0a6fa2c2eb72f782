#pragma once

#include <QFile>
#include <QString>
#include <sys/types.h>
#include <unistd.h>

// Links that another local user made, as a test made as root lays them: a user id no account of the
// machine needs to have owns them.
namespace testsupport {

inline constexpr uid_t OTHER_USER = 54321;

// Whether this process can give a link away (only root can).
inline bool CanMakeForeignLinks() {
    return ::geteuid() == 0;
}

// A symbolic link at 'link' to 'target' that belongs to OTHER_USER; false when it cannot be made.
inline bool MakeForeignLink(const QString& target, const QString& link) {
    const QByteArray name = QFile::encodeName(link);
    return ::symlink(QFile::encodeName(target).constData(), name.constData()) == 0 &&
           ::lchown(name.constData(), OTHER_USER, OTHER_USER) == 0;
}

} // namespace testsupport
