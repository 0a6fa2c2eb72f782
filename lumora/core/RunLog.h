#pragma once

#include "lumora/core/LogFiles.h"
#include "lumora/core/MainPreferences.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <mutex>

// The frame's log: opened from the preferences' SaveLog, LogPath and LogFileName, rotated to a new
// file named by the current time once the file has grown past kRotateSize bytes. Safe to call from
// any thread: rotation never replaces the file under a writer.
class CRunLog {
public:
    static constexpr std::int64_t kRotateSize = 20480000;

    // The preferences must outlive the log; LogFileName is rewritten on rotation.
    explicit CRunLog(MainPreferences& preferences);
    CRunLog(const CRunLog&) = delete;
    CRunLog& operator=(const CRunLog&) = delete;
    virtual ~CRunLog();

    // Only when SaveLog is set: creates the log folder when missing (failure: nothing changes) and
    // replaces the current log with one on LogPath + LogFileName.
    void OpenLogFile();

    // Writes the line when a log exists, then rotates when the file is longer than kRotateSize.
    void WriteLogLine(const QString& text);

    // A consistent copy of the preferences, taken under the lock that guards LogFileName.
    MainPreferences CopyPreferences() const;
    // Takes edited preferences back under that lock; LogFileName stays the log's own.
    void AssignPreferences(const MainPreferences& edited);

    bool HasLog() const;
    // The path of the current log file; empty when there is none.
    QString GetLogFilePath() const;

private:
    void OpenLogFileLocked();

    mutable std::mutex m_mutex;
    MainPreferences& m_preferences;
    std::unique_ptr<CLogFiles> m_log;
};
