#include "lumora/core/StdioFileEx.h"

#include "platform/CodePage.h"
#include "platform/Paths.h"

#include <QtEndian>

namespace {

void StripLineEnd(QString& line) {
    if (line.endsWith(QStringLiteral("\r\n")))
        line.chop(2);
    else if (line.endsWith(u'\r') || line.endsWith(u'\n'))
        line.chop(1);
}

} // namespace

CStdioFileEx::~CStdioFileEx() = default;

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
    QIODevice::OpenMode mode = QIODevice::ReadOnly;
    if ((flags & modeReadWrite) != 0)
        mode = QIODevice::ReadWrite;
    else if ((flags & modeWrite) != 0)
        mode = QIODevice::WriteOnly;
    if ((flags & modeCreate) != 0 && (flags & modeNoTruncate) == 0)
        mode |= QIODevice::Truncate;
    else if ((flags & modeCreate) == 0 && mode != QIODevice::ReadOnly)
        mode |= QIODevice::ExistingOnly;
    if (m_file.open(mode))
        return true;
    if (error != nullptr)
        *error = SOpenError{m_path, m_file.errorString()};
    m_isUnicodeText = false;
    return false;
}

void CStdioFileEx::Close() {
    if (m_file.isOpen())
        m_file.close();
}

bool CStdioFileEx::WriteString(const QString& text) {
    const std::string bytes = platform::ToAnsi(text);
    if (bytes.empty())
        return true;
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
    if (m_isUnicodeText && m_file.pos() == 0) {
        char mark[2];
        if (m_file.read(mark, 2) != 2)
            return false;
    }
    const bool read = m_isUnicodeText ? ReadUnicodeLine(line) : ReadAnsiLine(line);
    if (read)
        StripLineEnd(line);
    return read;
}

bool CStdioFileEx::ReadUnicodeLine(QString& line) {
    bool any = false;
    for (;;) {
        const QByteArray chunk = m_file.peek(8192);
        if (chunk.size() < 2)
            break;
        qsizetype take = chunk.size() & ~qsizetype{1};
        bool done = false;
        for (qsizetype i = 0; i + 1 < take; i += 2) {
            if (qFromLittleEndian<char16_t>(chunk.constData() + i) == u'\n') {
                take = i + 2;
                done = true;
                break;
            }
        }
        for (qsizetype i = 0; i < take; i += 2)
            line.append(QChar(qFromLittleEndian<char16_t>(chunk.constData() + i)));
        m_file.skip(take);
        any = true;
        if (done)
            break;
    }
    if (!any && m_file.error() != QFileDevice::NoError)
        m_error = true;
    return any;
}

bool CStdioFileEx::ReadAnsiLine(QString& line) {
    const QByteArray chunk = m_file.peek(kAnsiPieceBytes);
    if (chunk.isEmpty()) {
        if (m_file.error() != QFileDevice::NoError)
            m_error = true;
        return false;
    }
    qsizetype take = chunk.indexOf('\n');
    if (take >= 0) {
        ++take;
    } else {
        take = chunk.size();
        // A full piece may end inside a double-byte character: that character starts the next piece.
        if (take == kAnsiPieceBytes) {
            const size_t whole = platform::AnsiWholeCharPrefix(std::string_view(chunk.constData(), take));
            if (whole > 0)
                take = static_cast<qsizetype>(whole);
        }
    }
    m_file.skip(take);
    line = platform::FromAnsi(std::string_view(chunk.constData(), static_cast<size_t>(take)));
    return true;
}
