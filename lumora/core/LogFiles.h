#pragma once

#include <QFile>
#include <QString>
#include <cstdint>
#include <mutex>

// The run log: lines stamped with the local time, appended to one file in the ANSI code page.
// Writers on several threads are serialised; each line goes out in one piece.
class CLogFiles {
public:
    // Opens (creating, never truncating) folder + file name for appending and writes "\r\n".
    CLogFiles(const QString& folder, const QString& fileName);
    CLogFiles(const CLogFiles&) = delete;
    CLogFiles& operator=(const CLogFiles&) = delete;
    virtual ~CLogFiles();

    // "%d-%.2d-%.2d %.2d:%.2d:%.2d %.3d," + text + "\r\n" when the file is open. False when the line did
    // not reach the file; the program goes on, and the first failure is told once on the console.
    bool WriteLine(const QString& text);

    bool IsOpen() const;
    // Bytes in the file now.
    std::int64_t GetLength() const;
    QString GetPath() const { return m_path; }

private:
    // Writes the bytes whole; false (told once) when they did not all reach the file.
    bool WriteLocked(const char* data, qint64 size);

    mutable std::mutex m_mutex;
    QFile m_file;
    QString m_path;
    bool m_failureTold = false;
};
