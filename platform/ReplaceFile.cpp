#include "platform/ReplaceFile.h"

#include "platform/Paths.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

bool Fail(QString* error, const QString& path, int code) {
    if (error != nullptr)
        *error = path + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(code));
    return false;
}

bool WriteAll(int fd, std::span<const SFilePiece> pieces) {
    for (const SFilePiece& piece : pieces) {
        const char* data = static_cast<const char*>(piece.data);
        std::size_t left = piece.size;
        while (left > 0) {
            const ssize_t written = ::write(fd, data, left);
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0) {
                if (written == 0)
                    errno = EIO;
                return false;
            }
            data += written;
            left -= static_cast<std::size_t>(written);
        }
    }
    return true;
}

bool WriteInPlace(const QByteArray& file, const QString& path, std::span<const SFilePiece> bytes,
                  QString* error) {
    const int fd = ::open(file.constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0)
        return Fail(error, path, errno);
    const bool written = WriteAll(fd, bytes);
    const int code = errno;
    if (::close(fd) != 0 && written)
        return Fail(error, path, errno);
    return written ? true : Fail(error, path, code);
}

} // namespace

bool ReplaceFileContents(const QString& path, const QByteArray& bytes, QString* error) {
    const SFilePiece piece{bytes.constData(), static_cast<std::size_t>(bytes.size())};
    return ReplaceFileContents(path, std::span<const SFilePiece>(&piece, 1), error);
}

bool ReplaceFileContents(const QString& path, std::span<const SFilePiece> bytes, QString* error, bool* made) {
    if (made != nullptr)
        *made = false;
    if (path.isEmpty())
        return Fail(error, path, ENOENT);
    // The file the path names, so that a link keeps pointing at the replaced file.
    QString target = NormalizePath(path);
    const QFileInfo info(target);
    if (info.isSymLink() && !info.canonicalFilePath().isEmpty())
        target = info.canonicalFilePath();
    const QByteArray file = QFile::encodeName(target);

    struct stat existing {};
    const bool exists = ::stat(file.constData(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) {
        if (made != nullptr)
            *made = true;
        return WriteInPlace(file, target, bytes, error);
    }
    // A rename would replace a file the user made read-only; writing it in place would be refused.
    if (exists && ::access(file.constData(), W_OK) != 0)
        return Fail(error, target, errno);

    // A new file gets 0666 less the umask, as any file the program creates; a replaced one keeps its mode.
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = file + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 16) + ".tmp";
        fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return Fail(error, target, errno);
    if (made != nullptr)
        *made = true;
    bool ok =
        (!exists || ::fchmod(fd, existing.st_mode & 07777) == 0) && WriteAll(fd, bytes) && ::fsync(fd) == 0;
    int code = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        code = errno;
    }
    if (ok && ::rename(temporary.constData(), file.constData()) != 0) {
        ok = false;
        code = errno;
    }
    if (!ok) {
        ::unlink(temporary.constData());
        return Fail(error, target, code);
    }
    return true;
}

} // namespace platform
