#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class CMainFrame;
class CProgressWnd;
class CQXAppDialogMeasCurrent;
class CQXAppDialogMeasDLOG;
class QTimer;

namespace frametest {

// Every message box of the process, answered with OK.
class CMessageRecorder {
public:
    CMessageRecorder();
    ~CMessageRecorder();
    QStringList Texts() const;
    bool Contains(const QString& text) const;
    void Clear();

private:
    mutable std::mutex m_mutex;
    QStringList m_texts;
};

// Closes every modal dialog that opens (the run-finished notice) with OK, keeping the texts it showed.
class CDialogRecorder {
public:
    CDialogRecorder();
    ~CDialogRecorder();
    QStringList Texts() const { return m_texts; }

private:
    QTimer* m_timer = nullptr;
    QStringList m_texts;
};

// Shows every progress window that is up to 'look', each millisecond while it lives: a test reads how
// far the job got there and presses its Cancel.
class CProgressWatch {
public:
    explicit CProgressWatch(std::function<void(CProgressWnd&)> look);
    ~CProgressWatch();
    CProgressWatch(const CProgressWatch&) = delete;
    CProgressWatch& operator=(const CProgressWatch&) = delete;
    // Presses the window's Cancel button.
    static void Cancel(CProgressWnd& window);

private:
    QTimer* m_timer = nullptr;
};

struct SInstrumentFile {
    QString resource;
    QString settings;                          // child elements of DigitMultimeter
    QString timeout = QStringLiteral("60000"); // the VISA time-out, ms
};

// A program folder of its own: configuration, instrument files, log and data folders, and a library
// folder that holds the chosen driver libraries.
class CProgramFolder {
public:
    explicit CProgramFolder(bool withMultimeterLibrary = true, bool withSupplyLibrary = true);
    ~CProgramFolder();
    QString Path() const { return m_dir.path() + u'/'; }
    void WriteConfiguration(int measureMode, bool autoSave);
    void WriteSupplyFile(const SInstrumentFile& file);
    void WriteMultimeterFile(const SInstrumentFile& file);
    QString LogText() const;
    QStringList DataFiles() const;

private:
    QTemporaryDir m_dir;
};

// Pumps the user-interface thread's events until the condition holds or the time is up.
bool PumpUntil(const std::function<bool()>& condition, int timeoutMs = 30000);

// The frame as the program shows it: created, with a view hosting the current test page.
struct SLumora {
    SLumora();
    ~SLumora();
    int created = -1;
    std::unique_ptr<CMainFrame> frame;
    CQXAppDialogMeasCurrent* page = nullptr;
};

void EnsureApplication();

// Hands samples to the data-logging page as a run does: its reset, then from a run's sample store in
// the given number of slices, each handed over as a refresh hands it.
void LogOnPage(CQXAppDialogMeasDLOG& page, const std::vector<double>& times,
               const std::vector<double>& values, int exclusion, unsigned slices = 1);

// What xlrd reads from the first sheet of a workbook: one line per row, each cell's Python repr
// joined by ",".
QStringList ReadWithXlrd(const QString& path);

} // namespace frametest
