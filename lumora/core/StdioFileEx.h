#pragma once

#include "platform/ReplaceFile.h"

#include <QFile>
#include <QString>
#include <string_view>

// A line-oriented text file: reads UTF-16LE text with a byte-order mark or 8-bit text in the ANSI
// code page (CP936), and writes 8-bit ANSI text. A file opened to be written anew (modeCreate and
// modeWrite without modeNoTruncate) is replaced as a whole: the text goes to a temporary file beside
// it, and only a Close after every write went through puts it in the file's place, so that a failed
// or interrupted save leaves the previous file as it was.
class CStdioFileEx {
public:
    // File flags with the values the program's calls are written with.
    enum : unsigned {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareDenyNone = 0x0040,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000,
    };

    // Why Open failed: the path and the system's error text.
    struct SOpenError {
        QString fileName;
        QString text;
    };

    static constexpr int kAnsiPieceBytes = 4095;

    CStdioFileEx() = default;
    CStdioFileEx(const CStdioFileEx&) = delete;
    CStdioFileEx& operator=(const CStdioFileEx&) = delete;
    virtual ~CStdioFileEx();

    // True when the file's first two bytes are FF FE.
    static bool IsFileUnicode(const QString& path);

    virtual void SetFilePath(const QString& path);
    QString GetFilePath() const { return m_path; }

    // Text mode reading of a file that starts with FF FE switches to binary UTF-16 reading.
    virtual bool Open(const QString& path, unsigned flags, SOpenError* error = nullptr);
    // Closes the file; false when a write or the close itself failed, so writers can report it. A file
    // being replaced takes its new contents here, or, after a failed write, keeps its old ones.
    bool Close();
    // Gives the file up after a failure the writes did not see (no memory for the text, say): a file
    // written anew is dropped and the previous one stays as it was.
    void Abandon() {
        m_error = true;
        Close();
    }
    bool IsOpen() const { return m_file.isOpen(); }
    bool IsUnicodeText() const { return m_isUnicodeText; }

    // Writes the text in the ANSI code page ('#' for what it lacks), without newline translation.
    // False on a write error.
    virtual bool WriteString(const QString& text);
    // Writes bytes that are already ANSI text (numbers, ASCII headers), without a conversion. False on a
    // write error.
    bool WriteAnsi(std::string_view bytes);

    // Reads one line without its "\r\n" (or single trailing '\r' or '\n'). 8-bit lines longer than
    // 4095 bytes come back in pieces that end on whole characters. False at the end or on an error.
    virtual bool ReadString(QString& line);

    // True after a read or write error.
    bool HasError() const { return m_error; }

private:
    bool ReadUnicodeLine(QString& line);
    bool ReadAnsiLine(QString& line);
    // Refills the read buffer when it is used up; false at the end of the file or on an error.
    bool FillBuffer();
    qint64 LogicalPosition() const;
    void DropReadBuffer();

    QFile m_file;
    platform::CFileReplacement m_replacement; // for a file written anew
    bool m_replacing = false;
    QByteArray m_buffer; // read ahead of the logical position
    qsizetype m_bufferPos = 0;
    QString m_path;
    bool m_isUnicodeText = false;
    bool m_error = false;
};
