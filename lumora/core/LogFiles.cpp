#include "lumora/core/LogFiles.h"

#include "common/xmlfile/PathHelpers.h"
#include "platform/CodePage.h"
#include "platform/LocalTime.h"
#include "platform/Numbers.h"
#include "platform/Paths.h"

CLogFiles::CLogFiles(const QString& folder, const QString& fileName)
    : m_path(platform::NormalizePath(AddTrailingSeparator(folder) + fileName)) {
    m_file.setFileName(m_path);
    if (m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        std::lock_guard lock(m_mutex);
        WriteLocked("\r\n", 2);
    }
}

CLogFiles::~CLogFiles() = default;

bool CLogFiles::WriteLocked(const char* data, qint64 size) {
    if (m_file.write(data, size) == size)
        return true;
    if (!m_failureTold) {
        m_failureTold = true;
        qWarning("Log %s: lines are lost: %s", qUtf8Printable(m_path), qUtf8Printable(m_file.errorString()));
    }
    return false;
}

bool CLogFiles::WriteLine(const QString& text) {
    const platform::SLocalTime t = platform::GetLocalTime();
    std::string line = platform::CFormatA("%d-%.2d-%.2d %.2d:%.2d:%.2d %.3d,", t.year, t.month, t.day, t.hour,
                                          t.minute, t.second, t.millisecond);
    line += platform::ToAnsi(text);
    line += "\r\n";
    std::lock_guard lock(m_mutex);
    return m_file.isOpen() && WriteLocked(line.data(), static_cast<qint64>(line.size()));
}

bool CLogFiles::IsOpen() const {
    std::lock_guard lock(m_mutex);
    return m_file.isOpen();
}

std::int64_t CLogFiles::GetLength() const {
    std::lock_guard lock(m_mutex);
    return m_file.isOpen() ? m_file.size() : 0;
}
