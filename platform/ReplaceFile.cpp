#include "platform/ReplaceFile.h"

#include "platform/LargeBlock.h"
#include "platform/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr const char* kTemporarySuffix = ".tmp";
// The random part of a temporary's name: up to this many lower-case hex digits.
constexpr int kMaxHexDigits = 8;
// Written bytes are sent on to the disk in runs of at least this size.
constexpr std::size_t kStartWritingBytes = std::size_t{8} << 20;

bool Fail(QString* error, const QString& path, int code) {
    if (error != nullptr)
        *error = path + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(code));
    return false;
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// "<fileName>.<hex>.tmp" for a non-empty fileName; any "<name>.<hex>.tmp" when fileName is empty.
bool IsTemporaryName(const QString& name, const QString& fileName) {
    if (!name.endsWith(QLatin1String(kTemporarySuffix)))
        return false;
    const QString stem = name.chopped(static_cast<qsizetype>(std::strlen(kTemporarySuffix)));
    const qsizetype dot = stem.lastIndexOf(u'.');
    if (dot <= 0)
        return false;
    const QString hex = stem.mid(dot + 1);
    if (hex.isEmpty() || hex.size() > kMaxHexDigits)
        return false;
    for (QChar c : hex)
        if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f')))
            return false;
    return fileName.isEmpty() || stem.left(dot) == fileName;
}

// A temporary no save holds any more: this user's regular file, not locked by its writer.
bool RemoveIfStale(const QByteArray& path) {
    const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool removed = false;
    struct stat opened {};
    struct stat named {};
    if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && opened.st_uid == ::geteuid() &&
        ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::lstat(path.constData(), &named) == 0 &&
        SameFile(opened, named))
        removed = ::unlink(path.constData()) == 0;
    ::close(fd);
    return removed;
}

// Most links followed from one name, as the kernel allows, and the longest target read of one.
constexpr int kMaxLinks = 40;
constexpr qsizetype kMaxLinkBytes = 1 << 16;

// Follows the links the file name itself is, one after another, to the name that is no link: 0, with
// that name in 'file'; EPERM when one of them belongs to another user than this one (or the system),
// ELOOP when they go round. A link in a folder above the name is the system's to follow. Each link is
// looked at and read through one descriptor of it, so that the link whose owner is checked is the one
// whose target is followed, even where another user may swap the name for a link of theirs between
// the two.
int FollowOwnLinks(const QString& path, QByteArray& file) {
    file = QFile::encodeName(path);
    for (int links = 0;; ++links) {
        const int fd = ::open(file.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            return 0;
        struct stat status {};
        if (::fstat(fd, &status) != 0 || !S_ISLNK(status.st_mode)) {
            ::close(fd);
            return 0;
        }
        if ((status.st_uid != ::geteuid() && status.st_uid != 0) || links == kMaxLinks) {
            ::close(fd);
            return links == kMaxLinks ? ELOOP : EPERM;
        }
        // Read again into more room while the target fills it (a link whose size says 0, as some
        // file systems give).
        QByteArray target(static_cast<qsizetype>(status.st_size > 0 ? status.st_size : 255) + 1, '\0');
        ssize_t length = 0;
        while ((length = ::readlinkat(fd, "", target.data(), static_cast<size_t>(target.size()))) >=
                   target.size() &&
               target.size() < kMaxLinkBytes)
            target.resize(2 * target.size());
        const int code = length < 0 ? errno : ENAMETOOLONG;
        ::close(fd);
        if (length < 0 || length >= target.size())
            return code;
        target.truncate(length);
        if (target.startsWith('/')) {
            file = target;
        } else {
            const qsizetype slash = file.lastIndexOf('/');
            file = (slash >= 0 ? file.left(slash + 1) : QByteArray()) + target;
        }
    }
}

} // namespace

CFileReplacement::~CFileReplacement() {
    Abandon();
}

bool CFileReplacement::Begin(const QString& path, QString* error) {
    Abandon();
    if (path.isEmpty())
        return Fail(error, path, ENOENT);
    // The file the path names, so that a link keeps pointing at the replaced file; never through a
    // link another user made (in a shared folder, one named like the next save would turn this
    // user's save against a file of this user's that it points at).
    const QString given = NormalizePath(path);
    const int followed = FollowOwnLinks(given, m_file);
    if (followed != 0) {
        m_file.clear();
        if (error != nullptr && followed == EPERM)
            *error = given + QStringLiteral(": a link that another user made; nothing is written through it");
        return followed == EPERM ? false : Fail(error, given, followed);
    }
    m_target = QFile::decodeName(m_file);

    struct stat existing {};
    const bool exists = ::lstat(m_file.constData(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) {
        // A pipe or device is written where it is, when it is this user's or the system's: another
        // user's pipe, planted in a shared folder, would take the save's data. Without a reader the
        // open fails at once rather than holding the save until one comes.
        if (existing.st_uid != ::geteuid() && existing.st_uid != 0)
            return Fail(error, m_target, EPERM);
        m_fd = ::open(m_file.constData(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        struct stat opened {};
        if (m_fd >= 0 && (::fstat(m_fd, &opened) != 0 || !SameFile(opened, existing) ||
                          ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) & ~O_NONBLOCK) != 0)) {
            ::close(m_fd);
            m_fd = -1;
            errno = EPERM;
        }
        return m_fd >= 0 || Fail(error, m_target, errno);
    }
    // A rename would replace a file the user made read-only; writing it in place would be refused.
    if (exists && ::access(m_file.constData(), W_OK) != 0)
        return Fail(error, m_target, errno);
    m_keepMode = exists;
    m_mode = existing.st_mode & 07777;
    const QFileInfo target(m_target);
    RemoveStaleTemporaries(target.path(), target.fileName());

    // A new file gets 0666 less the umask, as any file the program creates; a replaced one keeps its
    // mode. The temporary is locked while it is written, so that a cleaner never takes it for stale;
    // one that a cleaner removed between its making and its locking is made again.
    for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
        m_temporary =
            m_file + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 16) + kTemporarySuffix;
        const int fd = ::open(m_temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            const int code = errno;
            m_temporary.clear();
            if (code == EEXIST)
                continue;
            return Fail(error, m_target, code);
        }
        struct stat opened {};
        struct stat named {};
        int locked;
        do
            locked = ::flock(fd, LOCK_EX);
        while (locked != 0 && errno == EINTR);
        if (locked == 0 && ::fstat(fd, &opened) == 0 && ::lstat(m_temporary.constData(), &named) == 0 &&
            SameFile(opened, named)) {
            m_fd = fd;
            break;
        }
        ::close(fd);
        m_temporary.clear();
    }
    if (m_fd < 0)
        return Fail(error, m_target, EEXIST);
    if (m_keepMode && ::fchmod(m_fd, m_mode) != 0) {
        const int code = errno;
        Abandon();
        return Fail(error, m_target, code);
    }
    return true;
}

bool CFileReplacement::Write(const void* data, std::size_t size) {
    if (m_fd < 0) {
        errno = EBADF;
        return false;
    }
    const char* at = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = ::write(m_fd, at, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = EIO;
            return false;
        }
        at += written;
        size -= static_cast<std::size_t>(written);
        m_written += static_cast<std::size_t>(written);
    }
    // What is written of a large file starts on its way to the disk now, so that the sync at the
    // end has less left to wait for; a small file goes at the sync in one.
    if (m_written - m_started >= kStartWritingBytes) {
        StartWriteBack(m_fd, m_started, m_written - m_started);
        m_started = m_written;
    }
    return true;
}

bool CFileReplacement::Commit(QString* error) {
    if (m_fd < 0)
        return Fail(error, m_target, EBADF);
    if (m_temporary.isEmpty()) {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0 || Fail(error, m_target, errno);
    }
    bool ok = ::fsync(m_fd) == 0;
    int code = errno;
    // The lock goes with the close, after the rename: until then the temporary is in use.
    if (ok && ::rename(m_temporary.constData(), m_file.constData()) != 0) {
        ok = false;
        code = errno;
    }
    if (!ok) {
        Abandon();
        return Fail(error, m_target, code);
    }
    const int fd = m_fd;
    m_fd = -1;
    m_temporary.clear();
    if (::close(fd) != 0)
        return Fail(error, m_target, errno);
    // The new name on disk as well, as far as the folder can say.
    const QByteArray folder = QFile::encodeName(QFileInfo(m_target).path());
    const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

void CFileReplacement::Abandon() {
    m_written = m_started = 0;
    if (!m_temporary.isEmpty()) {
        ::unlink(m_temporary.constData());
        m_temporary.clear();
    }
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

bool ReplaceFileContents(const QString& path, const QByteArray& bytes, QString* error) {
    const SFilePiece piece{bytes.constData(), static_cast<std::size_t>(bytes.size())};
    return ReplaceFileContents(path, std::span<const SFilePiece>(&piece, 1), error);
}

bool ReplaceFileContents(const QString& path, std::span<const SFilePiece> pieces, QString* error,
                         bool* made) {
    if (made != nullptr)
        *made = false;
    CFileReplacement replacement;
    if (!replacement.Begin(path, error))
        return false;
    if (made != nullptr)
        *made = true;
    for (const SFilePiece& piece : pieces) {
        if (!replacement.Write(piece.data, piece.size)) {
            const int code = errno;
            replacement.Abandon();
            return Fail(error, replacement.Target(), code);
        }
    }
    return replacement.Commit(error);
}

int RemoveStaleTemporaries(const QString& folder, const QString& fileName) {
    const QString native = NormalizePath(folder);
    if (native.isEmpty())
        return 0;
    // Names are matched here, not by a wildcard filter: a file's name may hold '*', '?' or '['.
    QDir dir(native);
    int removed = 0;
    const QStringList names = dir.entryList({QStringLiteral("*") + QLatin1String(kTemporarySuffix)},
                                            QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks);
    for (const QString& name : names)
        if (IsTemporaryName(name, fileName) && RemoveIfStale(QFile::encodeName(dir.filePath(name))))
            ++removed;
    return removed;
}

} // namespace platform
