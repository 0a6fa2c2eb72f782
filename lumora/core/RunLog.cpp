#include "lumora/core/RunLog.h"

#include "common/xmlfile/PathHelpers.h"
#include "common/xmlfile/TextHelpers.h"
#include "platform/Paths.h"

#include <QDateTime>

CRunLog::CRunLog(MainPreferences& preferences) : m_preferences(preferences) {}

CRunLog::~CRunLog() = default;

void CRunLog::OpenLogFile() {
    std::lock_guard lock(m_mutex);
    OpenLogFileLocked();
}

void CRunLog::OpenLogFileLocked() {
    if (m_preferences.SaveLog == 0)
        return;
    if (!platform::IsDirectory(m_preferences.LogPath) && CreateFolder(m_preferences.LogPath) == 0)
        return;
    m_log = std::make_unique<CLogFiles>(m_preferences.LogPath, m_preferences.LogFileName);
}

void CRunLog::WriteLogLine(const QString& text) {
    std::lock_guard lock(m_mutex);
    if (!m_log)
        return;
    m_log->WriteLine(text);
    if (m_log->IsOpen() && m_log->GetLength() > kRotateSize) {
        m_preferences.LogFileName =
            FormatDateTime(QDateTime::currentDateTime(), QStringLiteral("QX_Log_%Y-%m-%d_%H-%M-%S.txt"));
        OpenLogFileLocked();
    }
}

MainPreferences CRunLog::CopyPreferences() const {
    std::lock_guard lock(m_mutex);
    return m_preferences;
}

void CRunLog::AssignPreferences(const MainPreferences& edited) {
    std::lock_guard lock(m_mutex);
    const QString logFileName = m_preferences.LogFileName;
    m_preferences = edited;
    m_preferences.LogFileName = logFileName;
}

bool CRunLog::HasLog() const {
    std::lock_guard lock(m_mutex);
    return m_log != nullptr;
}

QString CRunLog::GetLogFilePath() const {
    std::lock_guard lock(m_mutex);
    return m_log ? m_log->GetPath() : QString();
}
