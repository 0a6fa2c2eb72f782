#include "platform/RuntimeFolder.h"

#include <QDir>
#include <QFile>
#include <QSysInfo>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// A folder of this user's own: no link, not writable by others; with 'closed' not to be entered by
// them either.
bool IsOwnFolder(const QByteArray& path, bool closed) {
    struct stat status {};
    return ::lstat(path.constData(), &status) == 0 && S_ISDIR(status.st_mode) &&
           status.st_uid == ::geteuid() && (status.st_mode & (closed ? 077 : 022)) == 0;
}

// The folder at 'path', made 0700 when missing; a folder of the user's own that others could enter is
// closed. False when it is not the user's own or could not be made.
bool MakeOwnFolder(const QByteArray& path, bool closed) {
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat status {};
    if (closed && ::lstat(path.constData(), &status) == 0 && S_ISDIR(status.st_mode) &&
        status.st_uid == ::geteuid() && (status.st_mode & 077) != 0)
        ::chmod(path.constData(), 0700);
    return IsOwnFolder(path, closed);
}

QString Refused(QString* why, const QString& text) {
    if (why != nullptr)
        *why = text;
    return {};
}

} // namespace

QString PrivateRuntimeFolder(QString* why) {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.startsWith('/') && IsOwnFolder(runtime, true))
        return QFile::decodeName(runtime) + u'/';
    // The home is the user's alone: no other user can make a folder in it before the user does.
    const QString home = QDir::homePath();
    const QByteArray homePath = QFile::encodeName(home);
    if (!home.startsWith(u'/') || home == QStringLiteral("/") || !IsOwnFolder(homePath, false))
        return Refused(why, QStringLiteral("XDG_RUNTIME_DIR is no folder of this user's alone, and the home "
                                           "%1 is not this user's or others may write in it")
                                .arg(home));
    // One folder per machine, for a home that several machines share.
    QString host = QSysInfo::machineHostName();
    host.replace(u'/', u'_');
    const QString cache = home + QStringLiteral("/.cache");
    const QString own = cache + QStringLiteral("/lumora-") + (host.isEmpty() ? QStringLiteral("host") : host);
    if (!MakeOwnFolder(QFile::encodeName(cache), false) || !MakeOwnFolder(QFile::encodeName(own), true))
        return Refused(why, QStringLiteral("XDG_RUNTIME_DIR is no folder of this user's alone, and %1 is not "
                                           "one of this user's alone or cannot be made")
                                .arg(own));
    return own + u'/';
}

} // namespace platform
