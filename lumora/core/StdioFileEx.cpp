#include "lumora/core/StdioFileEx.h"

#include "platform/CodePage.h"
#include "platform/Paths.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void StripLineEnd(QString& line) {
    if (line.endsWith(QStringLiteral("\r\n")))
        line.chop(2);
    else if (line.endsWith(u'\r') || line.endsWith(u'\n'))
        line.chop(1);
}

} // namespace

// As the framework's file, destruction closes the file: a replacement whose writes all went through
// takes the file's place, one after a failed write is dropped.
CStdioFileEx::~CStdioFileEx() {
    Close();
}

bool CStdioFileEx::IsFileUnicode(const QString& path) {
    QFile file(platform::NormalizePath(path));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    char mark[2];
    return file.read(mark, 2) == 2 && static_cast<unsigned char>(mark[0]) == 0xFF &&
           static_cast<unsigned char>(mark[1]) == 0xFE;
}

void CStdioFileEx::SetFilePath(const QString& path) {
    m_path = path;
    m_file.setFileName(platform::NormalizePath(path));
}

bool CStdioFileEx::Open(const QString& path, unsigned flags, SOpenError* error) {
    Close();
    m_isUnicodeText = false;
    m_error = false;
    if ((flags & typeText) != 0 && (flags & (modeCreate | modeWrite)) == 0 && IsFileUnicode(path)) {
        flags = (flags & ~static_cast<unsigned>(typeText)) | typeBinary;
        m_isUnicodeText = true;
    }
    SetFilePath(path);
    if ((flags & (modeCreate | modeNoTruncate | modeWrite | modeReadWrite)) == (modeCreate | modeWrite)) {
        QString reason;
        if (m_replacement.Begin(m_file.fileName(), &reason) &&
            m_file.open(m_replacement.Descriptor(), QIODevice::WriteOnly | QIODevice::Unbuffered,
                        QFileDevice::DontCloseHandle)) {
            m_replacing = true;
            return true;
        }
        if (reason.isEmpty())
            reason = m_file.errorString();
        m_replacement.Abandon();
        if (error != nullptr)
            *error = SOpenError{m_path, reason};
        return false;
    }
    // The framework's file modes: only modeCreate without modeNoTruncate empties a file, only modeCreate
    // makes a missing one, and every mode starts at the beginning of the file. QFile's own WriteOnly
    // would truncate, so the file is opened here and handed over.
    int access = O_RDONLY;
    QIODevice::OpenMode mode = QIODevice::ReadOnly;
    if ((flags & modeReadWrite) != 0) {
        access = O_RDWR;
        mode = QIODevice::ReadWrite;
    } else if ((flags & modeWrite) != 0) {
        access = O_WRONLY;
        mode = QIODevice::WriteOnly;
    }
    if ((flags & modeCreate) != 0)
        access |= (flags & modeNoTruncate) != 0 ? O_CREAT : O_CREAT | O_TRUNC;
    const QByteArray name = QFile::encodeName(m_file.fileName());
    int fd = -1;
    do
        fd = ::open(name.constData(), access | O_CLOEXEC, 0666);
    while (fd < 0 && errno == EINTR);
    struct stat status {};
    if (fd >= 0 && ::fstat(fd, &status) == 0 && S_ISDIR(status.st_mode)) {
        ::close(fd);
        fd = -1;
        errno = EISDIR;
    }
    // Reads go through this class's own buffer.
    if (fd >= 0 && m_file.open(fd, mode | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle))
        return true;
    const QString reason = fd < 0 ? QString::fromLocal8Bit(std::strerror(errno)) : m_file.errorString();
    if (fd >= 0)
        ::close(fd);
    if (error != nullptr)
        *error = SOpenError{m_path, reason};
    m_isUnicodeText = false;
    return false;
}

bool CStdioFileEx::Close() {
    DropReadBuffer();
    if (!m_file.isOpen())
        return !m_error;
    m_file.unsetError();
    m_file.close();
    if (m_file.error() != QFileDevice::NoError)
        m_error = true;
    if (m_replacing) {
        m_replacing = false;
        if (m_error)
            m_replacement.Abandon();
        else if (!m_replacement.Commit())
            m_error = true;
    }
    return !m_error;
}

bool CStdioFileEx::WriteString(const QString& text) {
    return WriteAnsi(platform::ToAnsi(text));
}

bool CStdioFileEx::WriteAnsi(std::string_view bytes) {
    if (m_bufferPos < m_buffer.size())
        m_file.seek(LogicalPosition());
    DropReadBuffer();
    if (bytes.empty())
        return true;
    // A file written anew goes through its replacement, which starts large files on their way to the
    // disk as they are written.
    if (m_replacing) {
        if (!m_replacement.Write(bytes.data(), bytes.size())) {
            m_error = true;
            return false;
        }
        return true;
    }
    if (m_file.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size())) {
        m_error = true;
        return false;
    }
    return true;
}

bool CStdioFileEx::ReadString(QString& line) {
    line.clear();
    if (!m_file.isOpen())
        return false;
    if (m_isUnicodeText && LogicalPosition() == 0) {
        for (int i = 0; i < 2; ++i) {
            if (!FillBuffer())
                return false;
            ++m_bufferPos;
        }
    }
    const bool read = m_isUnicodeText ? ReadUnicodeLine(line) : ReadAnsiLine(line);
    if (read)
        StripLineEnd(line);
    return read;
}

bool CStdioFileEx::FillBuffer() {
    if (m_bufferPos < m_buffer.size())
        return true;
    static constexpr qint64 kChunk = 64 * 1024;
    m_buffer = m_file.read(kChunk);
    m_bufferPos = 0;
    if (m_buffer.isEmpty() && m_file.error() != QFileDevice::NoError)
        m_error = true;
    return !m_buffer.isEmpty();
}

qint64 CStdioFileEx::LogicalPosition() const {
    return m_file.pos() - (m_buffer.size() - m_bufferPos);
}

void CStdioFileEx::DropReadBuffer() {
    m_buffer.clear();
    m_bufferPos = 0;
}

bool CStdioFileEx::ReadUnicodeLine(QString& line) {
    std::u16string units;
    unsigned char pair[2];
    int have = 0;
    while (FillBuffer()) {
        pair[have++] = static_cast<unsigned char>(m_buffer[m_bufferPos++]);
        if (have < 2)
            continue;
        have = 0;
        const auto unit = static_cast<char16_t>(pair[0] | (pair[1] << 8));
        units.push_back(unit);
        if (unit == u'\n')
            break;
    }
    line = QString::fromUtf16(units.data(), static_cast<qsizetype>(units.size()));
    return !units.empty();
}

bool CStdioFileEx::ReadAnsiLine(QString& line) {
    std::string bytes;
    bool newline = false;
    while (!newline && bytes.size() < static_cast<size_t>(kAnsiPieceBytes) && FillBuffer()) {
        const char* start = m_buffer.constData() + m_bufferPos;
        const size_t want = std::min(static_cast<size_t>(m_buffer.size() - m_bufferPos),
                                     static_cast<size_t>(kAnsiPieceBytes) - bytes.size());
        size_t take = want;
        if (const void* lf = std::memchr(start, '\n', want)) {
            take = static_cast<size_t>(static_cast<const char*>(lf) - start) + 1;
            newline = true;
        }
        bytes.append(start, take);
        m_bufferPos += static_cast<qsizetype>(take);
    }
    if (bytes.empty())
        return false;
    // Text reading counts "\r\n" as one character: a full piece that ends in '\r' takes its '\n' along
    // rather than leaving it to come back as an empty line.
    if (!newline && bytes.size() == static_cast<size_t>(kAnsiPieceBytes) && bytes.back() == '\r' &&
        FillBuffer() && m_buffer[m_bufferPos] == '\n') {
        bytes.push_back('\n');
        ++m_bufferPos;
        newline = true;
    }
    // A full piece may end inside a double-byte character: that character starts the next piece. The
    // byte given back is always from the current buffer, the last one taken.
    if (!newline && bytes.size() == static_cast<size_t>(kAnsiPieceBytes)) {
        const size_t whole = platform::AnsiWholeCharPrefix(bytes);
        if (whole > 0 && whole < bytes.size()) {
            m_bufferPos -= static_cast<qsizetype>(bytes.size() - whole);
            bytes.resize(whole);
        }
    }
    line = platform::FromAnsi(bytes);
    return true;
}
