#pragma once

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>

namespace apptest {

// The probe program (app_probe) beside the test's own executable.
inline QString Probe() {
    return QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).path() +
           QStringLiteral("/app_probe");
}

// One start of the program as a process of its own, offscreen.
class CProbe {
public:
    CProbe(const QString& folder, const QString& key, const QStringList& more = {},
           const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
        QProcessEnvironment offscreen = environment;
        offscreen.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        m_process.setProcessEnvironment(offscreen);
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.start(Probe(), QStringList{folder, key} + more);
    }
    ~CProbe() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    // Waits for a line of standard output that starts with the text; the line, or empty on time-out.
    QString WaitForLine(const QString& start, int timeoutMs = 60000) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < timeoutMs) {
            while (m_process.canReadLine()) {
                const QString line = QString::fromUtf8(m_process.readLine()).trimmed();
                m_lines.append(line);
                if (line.startsWith(start))
                    return line;
            }
            if (m_process.state() == QProcess::NotRunning && !m_process.canReadLine())
                return {};
            m_process.waitForReadyRead(100);
        }
        return {};
    }
    // Every line until the process has ended (or the time is up).
    QStringList LinesUntilExit(int timeoutMs = 60000) {
        m_process.waitForFinished(timeoutMs);
        while (m_process.canReadLine())
            m_lines.append(QString::fromUtf8(m_process.readLine()).trimmed());
        const QByteArray rest = m_process.readAllStandardOutput();
        if (!rest.isEmpty())
            m_lines.append(QString::fromUtf8(rest).trimmed());
        return m_lines;
    }
    QStringList Messages() const {
        QStringList messages;
        for (const QString& line : m_lines)
            if (line.startsWith(QStringLiteral("message ")))
                messages.append(line.mid(8));
        return messages;
    }
    QProcess m_process;
    QStringList m_lines;
};

} // namespace apptest
