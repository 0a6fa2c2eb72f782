#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// An outside peer of a benchmark: a process started once that answers each command line on its
// standard input with one line, so that the benchmark can interleave its own runs with the peer's.
namespace benchsupport {

class CLinePeer {
public:
    CLinePeer(const QString& program, const QStringList& arguments,
              const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
        m_process.setProcessEnvironment(environment);
        m_process.start(program, arguments);
        m_process.waitForStarted();
    }
    ~CLinePeer() {
        m_process.closeWriteChannel();
        m_process.waitForFinished(60000);
    }
    CLinePeer(const CLinePeer&) = delete;
    CLinePeer& operator=(const CLinePeer&) = delete;

    // The answer line without its line end; empty when the peer gave none.
    QByteArray Ask(const QString& line) {
        m_process.write((line + u'\n').toUtf8());
        while (!m_process.canReadLine())
            if (!m_process.waitForReadyRead(600000))
                return {};
        return m_process.readLine().trimmed();
    }

private:
    QProcess m_process;
};

} // namespace benchsupport
