#pragma once

#include "platform/MessageTarget.h"
#include "platform/ProgramFolder.h"
#include "waveform/stripplot/TimeVsAmpRecords.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <vector>

namespace plottest {

inline QApplication& App() {
    static int argc = 1;
    static char name[] = "waveform_gui_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// Held first by fixtures, so that the application exists before any widget.
struct CApplication {
    CApplication() { App(); }
};

// A host page that keeps a copy of every record the plot sends.
class CRecordingHost : public platform::CMessageTarget {
public:
    platform::LRESULT OnMessage(platform::UINT message, platform::WPARAM wParam,
                                platform::LPARAM lParam) override {
        if (message != WM_WAVEFORM_MARKER || wParam == 0)
            return 0;
        if (lParam == kMarkerCodeStatistics)
            statistics.push_back(*reinterpret_cast<const CWaveformStatisticRecord*>(wParam));
        else if (lParam == kMarkerCodePairA)
            pairA.push_back(*reinterpret_cast<const CWaveformMarkerRecord*>(wParam));
        else if (lParam == kMarkerCodePairB)
            pairB.push_back(*reinterpret_cast<const CWaveformMarkerRecord*>(wParam));
        return 0;
    }
    std::vector<CWaveformMarkerRecord> pairA, pairB;
    std::vector<CWaveformStatisticRecord> statistics;
};

// A program folder of the test's own, with its Config folder.
class CProgramFolder {
public:
    CProgramFolder() {
        QDir(m_dir.path()).mkpath(QStringLiteral("Config"));
        platform::SetProgramFolderOverride(m_dir.path() + QLatin1Char('/'));
    }
    ~CProgramFolder() { platform::SetProgramFolderOverride(QString()); }
    QString Path(const QString& name) const { return m_dir.path() + QLatin1Char('/') + name; }

private:
    QTemporaryDir m_dir;
};

} // namespace plottest
