#include "FrameFixture.h"

#include "lumora/core/MainFrame.h"
#include "lumora/core/QXAppDialogMeasCurrent.h"
#include "lumora/core/QXAppDialogMeasDLOG.h"
#include "lumora/core/SampleStore.h"
#include "lumora/shell/ProgressWnd.h"
#include "platform/CodePage.h"
#include "platform/ControlId.h"
#include "platform/LibraryFolder.h"
#include "platform/MessageBox.h"
#include "platform/Profile.h"
#include "platform/ProgramFolder.h"
#include "tests/support/DialogText.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <thread>

namespace frametest {

void EnsureApplication() {
    static int argc = 1;
    static char name[] = "frame_tests";
    static char* argv[] = {name, nullptr};
    if (QApplication::instance() == nullptr) {
        new QApplication(argc, argv);
        QApplication::setOrganizationName(QStringLiteral("TORVANE TECHNOLOGIES"));
        QApplication::setApplicationName(QStringLiteral("Lumora"));
    }
}

void LogOnPage(CQXAppDialogMeasDLOG& page, const std::vector<double>& times,
               const std::vector<double>& values, int exclusion, unsigned slices) {
    const auto n = static_cast<unsigned>(times.size());
    CSampleStore store(n);
    store.Append(times.data(), values.data(), n);
    page.ResetDataLogging();
    page.InitialMemory(n);
    for (unsigned k = 0; k < slices; ++k) {
        const unsigned start = n / slices * k;
        const unsigned end = k + 1 == slices ? n : n / slices * (k + 1);
        page.AppendMeasuredSamples(store, start, end - start, exclusion);
    }
}

QStringList ReadWithXlrd(const QString& path) {
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import sys, xlrd\n"
                                 "s = xlrd.open_workbook(sys.argv[1]).sheet_by_index(0)\n"
                                 "for r in range(s.nrows):\n"
                                 "    print(','.join(repr(c.value) for c in s.row(r)))\n"),
                  path});
    if (!python.waitForFinished(60000) || python.exitCode() != 0)
        return {QStringLiteral("xlrd failed: ") + QString::fromUtf8(python.readAllStandardError())};
    return QString::fromUtf8(python.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

CMessageRecorder::CMessageRecorder() {
    platform::SetMessageBoxSink([this](const QString& text, const QString&, unsigned) {
        std::lock_guard lock(m_mutex);
        m_texts << text;
        return platform::IDOK;
    });
}

CMessageRecorder::~CMessageRecorder() {
    platform::SetMessageBoxSink({});
}

QStringList CMessageRecorder::Texts() const {
    std::lock_guard lock(m_mutex);
    return m_texts;
}

bool CMessageRecorder::Contains(const QString& text) const {
    return Texts().contains(text);
}

void CMessageRecorder::Clear() {
    std::lock_guard lock(m_mutex);
    m_texts.clear();
}

CProgressWatch::CProgressWatch(std::function<void(CProgressWnd&)> look) {
    m_timer = new QTimer;
    QObject::connect(m_timer, &QTimer::timeout, m_timer, [look = std::move(look)] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* window = dynamic_cast<CProgressWnd*>(widget);
            if (window != nullptr && window->isVisible())
                look(*window);
        }
    });
    m_timer->start(1);
}

CProgressWatch::~CProgressWatch() {
    delete m_timer;
}

void CProgressWatch::Cancel(CProgressWnd& window) {
    platform::FindControl<QPushButton>(&window, 10)->click();
}

CDialogRecorder::CDialogRecorder() {
    m_timer = new QTimer;
    QObject::connect(m_timer, &QTimer::timeout, m_timer, [this] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr)
            return;
        m_texts << testsupport::DialogText(*dialog);
        dialog->accept();
    });
    m_timer->start(10);
}

CDialogRecorder::~CDialogRecorder() {
    delete m_timer;
}

namespace {

void WriteFile(const QString& path, const QString& text) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(platform::ToAnsi(text).c_str());
}

QString InstrumentXml(const QString& name, const SInstrumentFile& file) {
    return QStringLiteral(
               "<?xml version=\"1.0\" encoding=\"GB2312\" standalone=\"yes\" ?>\n"
               "<QXInstrument><Instrument>"
               "<Property Name=\"%1\" Type=\"\" Model=\"\" />"
               "<VISA Resource=\"%2\" Timeout=\"%4\" EndOfLine=\"\" AddressIP=\"\" AddressUSB=\"\" />"
               "<DigitMultimeter>%3</DigitMultimeter>"
               "</Instrument></QXInstrument>\n")
        .arg(name, file.resource, file.settings, file.timeout);
}

} // namespace

CProgramFolder::CProgramFolder(bool withMultimeterLibrary, bool withSupplyLibrary) {
    EnsureApplication();
    platform::SetProgramFolderOverride(m_dir.path());
    platform::SetProfileFileOverride(m_dir.path() + QStringLiteral("/profile.ini"));
    const QString libraries = m_dir.path() + QStringLiteral("/lib/");
    QDir().mkpath(libraries);
    QStringList names;
    if (withSupplyLibrary)
        names << QStringLiteral("libsupplydrv.so");
    if (withMultimeterLibrary)
        names << QStringLiteral("libmeterdrv.so");
    for (const QString& name : names)
        QFile::link(platform::ExecutableFolder() + name, libraries + name);
    platform::SetLibraryFolderOverride(libraries);
}

CProgramFolder::~CProgramFolder() {
    platform::SetLibraryFolderOverride(QString());
    platform::SetProfileFileOverride(QString());
    platform::SetProgramFolderOverride(QString());
}

void CProgramFolder::WriteConfiguration(int measureMode, bool autoSave) {
    const QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"GB2312\" standalone=\"yes\" ?>\n"
                                       "<LumoraSuite><General>"
                                       "<PathConfig Value=\"%1Config/MainApp.xml\" />"
                                       "<LogPath Value=\"%1LogFiles/\" />"
                                       "<LogFileName Value=\"QX_Log_test.txt\" />"
                                       "<SaveLog Value=\"1\" />"
                                       "<FilePathCurr Value=\"%1Data/Current/\" />"
                                       "<AutoSaveCurr Value=\"%2\" />"
                                       "</General><Measure><MeasureMode Value=\"%3\" /></Measure>"
                                       "</LumoraSuite>\n")
                            .arg(Path())
                            .arg(autoSave ? 1 : 0)
                            .arg(measureMode);
    WriteFile(Path() + QStringLiteral("Config/MainApp.xml"), xml);
    QDir().mkpath(Path() + QStringLiteral("Data/Current"));
}

void CProgramFolder::WriteSupplyFile(const SInstrumentFile& file) {
    WriteFile(Path() + QStringLiteral("Instruments/DC Power Supply/DC Power Supply.xml"),
              InstrumentXml(QStringLiteral("DC Power Supply"), file));
}

void CProgramFolder::WriteMultimeterFile(const SInstrumentFile& file) {
    WriteFile(Path() + QStringLiteral("Instruments/Digit Multimeter/Digit Multimeter.xml"),
              InstrumentXml(QStringLiteral("Digit Multimeter"), file));
}

QString CProgramFolder::LogText() const {
    QString text;
    for (const QFileInfo& info : QDir(Path() + QStringLiteral("LogFiles")).entryInfoList(QDir::Files)) {
        QFile file(info.filePath());
        if (file.open(QIODevice::ReadOnly))
            text += platform::FromAnsi(file.readAll().toStdString());
    }
    return text;
}

QStringList CProgramFolder::DataFiles() const {
    QStringList files;
    for (const QFileInfo& info : QDir(Path() + QStringLiteral("Data/Current")).entryInfoList(QDir::Files))
        files << info.filePath();
    return files;
}

bool PumpUntil(const std::function<bool()>& condition, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

SLumora::SLumora() : frame(std::make_unique<CMainFrame>()) {
    created = frame->OnCreate();
    if (created < 0)
        return;
    auto* view = new QWidget(frame.get());
    auto* layout = new QVBoxLayout(view);
    page = new CQXAppDialogMeasCurrent(view);
    layout->addWidget(page);
    frame->setCentralWidget(view);
    page->OnInitDialog();
    frame->SetCurrentPage(page);
    frame->resize(1000, 700);
    frame->show();
}

SLumora::~SLumora() {
    if (frame)
        frame->close();
}

} // namespace frametest
