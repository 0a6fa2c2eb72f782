#include "lumora/shell/LumoraView.h"

#include "lumora/LumoraStrings.h"
#include "lumora/core/FilePageStrings.h"

#include "common/xmlfile/PathHelpers.h"
#include "common/xmlfile/TextHelpers.h"
#include "lumora/core/DataImport.h"
#include "lumora/core/MainFrame.h"
#include "lumora/core/QXAppDialogMeasCCDF.h"
#include "lumora/core/QXAppDialogMeasCurrent.h"
#include "lumora/core/QXAppDialogMeasDLOG.h"
#include "lumora/core/QXAppDialogMeasVoltage.h"
#include "lumora/sheetio/ExcelCell.h"
#include "lumora/sheetio/ExcelDocument.h"
#include "lumora/sheetio/ExcelSheet.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "platform/Profile.h"
#include "platform/StringTable.h"
#include "waveform/dualplot/WaveformComboMainWnd.h"
#include "waveform/stripplot/WaveformTimeVsAmpMainWnd.h"
#include "waveform/tailplot/WaveformCCDFMainWnd.h"

#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

const QString kSection = QStringLiteral("CLumoraView");

QString Extension(const QString& path) {
    return path.right(3).toLower();
}

bool IsDataType(const QString& extension) {
    return extension == QStringLiteral("csv") || extension == QStringLiteral("txt") ||
           extension == QStringLiteral("xls") || extension == QStringLiteral("bin");
}

QString CellText(const ExcelCell* cell) {
    if (cell != nullptr && cell->type == ExcelCell::eString && cell->GetString() != nullptr)
        return QString::fromLatin1(cell->GetString());
    if (cell != nullptr && cell->type == ExcelCell::eWString && cell->GetWString() != nullptr)
        return QString::fromUtf16(cell->GetWString());
    return QString();
}

QPrinter* g_applicationPrinter = nullptr;

// A print's printer starts as the application's printer is set up.
void StartFromApplicationPrinter(QPrinter& printer) {
    const QPrinter* setup = g_applicationPrinter;
    if (setup == nullptr)
        return;
    if (!setup->printerName().isEmpty())
        printer.setPrinterName(setup->printerName());
    printer.setPageSize(setup->pageLayout().pageSize());
    printer.setColorMode(setup->colorMode());
}

QString StoredFolder(const QString& key) {
    const QString stored = platform::GetProfileString(kSection, key);
    return stored.isEmpty() ? QString() : platform::NormalizePath(GetFileDirectory(stored));
}

} // namespace

CLumoraView::CLumoraView(CMainFrame* frame, QWidget* parent) : QWidget(parent), m_frame(frame) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_stack = new QStackedWidget(this);
    layout->addWidget(m_stack);
    m_blank = new QWidget(m_stack);
    m_stack->addWidget(m_blank);
}

CLumoraView::~CLumoraView() {
    // The measure thread reaches the pages through the frame: it ends before they go.
    if (m_frame != nullptr) {
        m_frame->StopMeasureAndWait();
        m_frame->SetCurrentPage(nullptr);
        m_frame->SetDataLoggingPage(nullptr);
        m_frame->SetView(nullptr);
    }
}

CLumoraView* CLumoraView::CreateInFrame(CMainFrame& frame, CLumoraView* view) {
    RegisterFilePageStrings();
    platform::RegisterStrings({
        {IDS_NO_PRINTER, u"错误：没有可用的打印机！请安装或连接打印机后重试。"},
        {IDS_PRINT_FAILED, u"错误：打印失败！请检查打印机后重试。"},
    });
    if (view == nullptr)
        view = new CLumoraView(&frame, &frame);
    view->OnCreate();
    if (view->m_pageCurrent == nullptr) {
        delete view;
        return nullptr;
    }
    frame.setCentralWidget(view);
    frame.SetCurrentPage(view->m_pageCurrent);
    frame.SetDataLoggingPage(view->m_pageDLOG);
    frame.SetView(view);
    auto enabledUnlessRunning = [&frame](platform::CCmdUI& ui) {
        ui.Enable(!frame.IsRunning() && !frame.MeasureThreadExists());
    };
    frame.AddViewCommand(
        ID_FILE_OPEN_WAVEFORM, platform::LoadString(IDS_FILE_OPEN_WAVEFORM),
        [view] { view->OnFileOpenWaveform(); }, enabledUnlessRunning);
    frame.AddViewCommand(ID_FILE_SAVE_WAVEFORM, platform::LoadString(IDS_FILE_SAVE_WAVEFORM),
                         [view] { view->OnFileSaveWaveform(); });
    // Only the current and data-logging pages save a screenshot: elsewhere the command is not offered
    // rather than asking for a file it would not write.
    frame.AddViewCommand(
        ID_SAVE_SCREENSHOT, platform::LoadString(IDS_SAVE_SCREENSHOT), [view] { view->OnSaveScreenShot(); },
        [view](platform::CCmdUI& ui) { ui.Enable(view->SavesScreenShot()); });
    frame.AddViewCommand(ID_SAVE_LIST_DATA, platform::LoadString(IDS_SAVE_LIST_DATA),
                         [view] { view->OnSaveListData(); });
    // Printing is offered only where the selected page has a plot.
    auto hasPlot = [view](platform::CCmdUI& ui) { ui.Enable(view->PrintedWindow() != nullptr); };
    frame.AddViewCommand(
        ID_FILE_PRINT, platform::LoadString(IDS_FILE_PRINT), [view] { view->OnFilePrint(); }, hasPlot);
    frame.AddViewCommand(
        ID_FILE_PRINT_DIRECT, platform::LoadString(IDS_FILE_PRINT_DIRECT),
        [view] { view->OnFilePrintDirect(); }, hasPlot);
    frame.AddViewCommand(
        ID_FILE_PRINT_PREVIEW, platform::LoadString(IDS_FILE_PRINT_PREVIEW),
        [view] { view->OnFilePrintPreview(); }, hasPlot);
    view->OnInitialUpdate();
    view->ShowMeasurementPage(frame.SelectedPage());
    return view;
}

int CLumoraView::OnCreate() {
    // Each page fills the view; one that cannot build its plot is left out.
    auto add = [this](auto* page) -> decltype(page) {
        m_stack->addWidget(page);
        if (page->OnInitDialog())
            return page;
        m_stack->removeWidget(page);
        delete page;
        return nullptr;
    };
    m_pageCurrent = add(new CQXAppDialogMeasCurrent(m_stack));
    m_pageVoltage = add(new CQXAppDialogMeasVoltage(m_stack));
    m_pageCCDF = add(new CQXAppDialogMeasCCDF(m_stack));
    m_pageDLOG = add(new CQXAppDialogMeasDLOG(m_stack));
    ShowMeasurementPage(CMainFrame::ID_MEASURE_CURRENT);
    return 0;
}

void CLumoraView::OnInitialUpdate() {
    if (m_pageCurrent != nullptr)
        m_pageCurrent->AttachFrameParameters();
    if (m_pageDLOG != nullptr)
        m_pageDLOG->AttachFrameParameters();
}

void CLumoraView::ShowMeasurementPage(unsigned id) {
    QWidget* page = nullptr;
    switch (id) {
    case CMainFrame::ID_MEASURE_CURRENT:
        page = m_pageCurrent;
        break;
    case CMainFrame::ID_MEASURE_VOLTAGE:
        page = m_pageVoltage;
        break;
    case CMainFrame::ID_MEASURE_CCDF:
        page = m_pageCCDF;
        break;
    case CMainFrame::ID_MEASURE_DATALOGGING:
        page = m_pageDLOG;
        break;
    default:
        break;
    }
    // An id of no page, or of a page that does not exist, hides them all.
    m_stack->setCurrentWidget(page != nullptr ? page : m_blank);
}

QWidget* CLumoraView::VisiblePage() const {
    QWidget* current = m_stack->currentWidget();
    return current == m_blank ? nullptr : current;
}

unsigned CLumoraView::SelectedPage() const {
    return m_frame != nullptr ? m_frame->SelectedPage() : CMainFrame::ID_MEASURE_CURRENT;
}

void CLumoraView::PostPageCommand(unsigned id) {
    if (m_frame == nullptr)
        return;
    QMetaObject::invokeMethod(
        m_frame, [frame = m_frame, id] { frame->OnCommand(id); }, Qt::QueuedConnection);
}

void CLumoraView::InitialMemory(unsigned count) {
    if (m_pageDLOG != nullptr)
        m_pageDLOG->InitialMemory(count);
}

bool CLumoraView::RunActive() const {
    return m_frame != nullptr && (m_frame->IsRunning() || m_frame->MeasureThreadExists());
}

QString CLumoraView::AskOpenFileName(const QString& folder, const QString& filter) {
    return QFileDialog::getOpenFileName(this, QString(), folder, filter);
}

QString CLumoraView::AskSaveFileName(const QString& title, const QString& proposed, const QString& filter,
                                     QString* selectedFilter) {
    return QFileDialog::getSaveFileName(this, title, proposed, filter, selectedFilter);
}

QString CLumoraView::WithFilterExtension(const QString& path, const QString& selectedFilter) {
    const QString extension = QFileInfo(path).suffix().toLower();
    if (IsDataType(extension) || extension == QStringLiteral("bmp"))
        return path;
    static const QRegularExpression pattern(QStringLiteral("\\(\\*\\.([A-Za-z0-9]+)\\)"));
    const QRegularExpressionMatch match = pattern.match(selectedFilter);
    if (!match.hasMatch())
        return path;
    return path + u'.' + match.captured(1);
}

// ---- open ----

void CLumoraView::OnFileOpenWaveform() {
    if (RunActive()) {
        platform::StopBox(IDS_MEASURE_RUNNING);
        return;
    }
    const QString path = AskOpenFileName(StoredFolder(QStringLiteral("FileLoadWaveform")),
                                         platform::LoadString(IDS_OPEN_WAVEFORM_FILTER));
    if (path.isEmpty())
        return;
    platform::WriteProfileString(kSection, QStringLiteral("FileLoadWaveform"), path);
    OpenWaveformFile(path);
}

int CLumoraView::OpenWaveformFile(const QString& path) {
    // A run writes into the pages' lines: nothing is loaded over it.
    if (RunActive()) {
        platform::StopBox(IDS_MEASURE_RUNNING);
        return 0;
    }
    const QString type = Extension(path);
    if (type == QStringLiteral("bin")) {
        if (m_pageDLOG == nullptr)
            return 0;
        m_pageDLOG->LoadWaveformFromBinFile(path);
        PostPageCommand(CMainFrame::ID_MEASURE_DATALOGGING);
        return 1;
    }
    if (type == QStringLiteral("xls"))
        return OpenWorkbook(path);
    if (type == QStringLiteral("txt") || type == QStringLiteral("csv"))
        return OpenText(path, type == QStringLiteral("txt") ? u'\t' : u',');
    return 0;
}

int CLumoraView::OpenWorkbook(const QString& path) {
    QString headerA;
    QString headerB;
    // Only the first sheet's header decides the page: the rest of the workbook is not read here. A
    // large workbook is read as a large text file is, under the progress window with Cancel.
    const int read = RunFileJob(this, path, [&](SImportControl& control) -> int {
        ExcelDocument document;
        if (const int loaded = LoadFirstSheet(document, path, control); loaded != kImportOk)
            return loaded;
        const ExcelSheet* sheet = document.GetSheet(0);
        if (sheet == nullptr || sheet->GetTotalRows() < 1 || sheet->GetTotalCols() != 2)
            return kImportFailed;
        headerA = CellText(sheet->CellAt(0, 0));
        headerB = CellText(sheet->CellAt(0, 1));
        return kImportOk;
    });
    if (read != kImportOk)
        return 0;
    // The data-logging page's workbook too ("Current DC") goes to the current page, which reads it.
    if (headerB.contains(QStringLiteral("Current"))) {
        if (m_pageCurrent == nullptr)
            return 0;
        m_pageCurrent->LoadWaveformFromXlsFile(0, path);
        PostPageCommand(CMainFrame::ID_MEASURE_CURRENT);
        return 1;
    }
    // The voltage and CCDF pages read no workbook: the view only switches to them.
    if (headerB.contains(QStringLiteral("Voltage"))) {
        PostPageCommand(CMainFrame::ID_MEASURE_VOLTAGE);
        return 1;
    }
    if (headerB.contains(QStringLiteral("Occurrence"))) {
        PostPageCommand(CMainFrame::ID_MEASURE_CCDF);
        return 1;
    }
    return 0;
}

int CLumoraView::OpenText(const QString& path, QChar separator) {
    // The header as the readers see it: CR, LF or CR LF ends it, a byte-order mark says the encoding.
    QString header;
    if (ReadTextHeaderLine(path, header) != kImportOk)
        return 0;
    QStringList fields;
    const int count = SplitByChar(fields, header, separator);
    if (count > 2 || (count == 2 && fields[1].contains(QStringLiteral("Current DC")))) {
        if (m_pageDLOG == nullptr)
            return 0;
        m_pageDLOG->LoadWaveformFromTextFile(path, separator);
        PostPageCommand(CMainFrame::ID_MEASURE_DATALOGGING);
        return 1;
    }
    if (count < 2)
        return 0;
    if (fields[1].contains(QStringLiteral("Current")) && m_pageCurrent != nullptr) {
        m_pageCurrent->LoadWaveformFromTextFile(0, path, separator);
        PostPageCommand(CMainFrame::ID_MEASURE_CURRENT);
        return 1;
    }
    if (fields[1].contains(QStringLiteral("Voltage")) && m_pageVoltage != nullptr) {
        m_pageVoltage->LoadWaveformFromTextFile(path, separator);
        PostPageCommand(CMainFrame::ID_MEASURE_VOLTAGE);
        return 1;
    }
    if (fields[1].contains(QStringLiteral("Occurrence")) && m_pageCCDF != nullptr) {
        m_pageCCDF->LoadWaveformFromTextFile(path, separator);
        PostPageCommand(CMainFrame::ID_MEASURE_CCDF);
        return 1;
    }
    return 0;
}

// ---- save ----

void CLumoraView::OnFileSaveWaveform() {
    const unsigned page = SelectedPage();
    bool ready = false;
    if (page == CMainFrame::ID_MEASURE_CURRENT && m_pageCurrent != nullptr) {
        const auto& x = m_pageCurrent->Waveform()->GetDataMultiLineX(0);
        ready = !x.empty() && m_pageCurrent->Waveform()->GetDataMultiLineY(0).size() == x.size();
    } else if (page == CMainFrame::ID_MEASURE_DATALOGGING && m_pageDLOG != nullptr) {
        ready = m_pageDLOG->Waveform() != nullptr && m_pageDLOG->Waveform()->IsMultiLineHasData(0) != 0;
    }
    if (!ready) {
        platform::StopBox(IDS_DATA_NOT_READY);
        return;
    }
    const bool logging = page == CMainFrame::ID_MEASURE_DATALOGGING;
    const QString key =
        logging ? QStringLiteral("FileSaveWaveformDLog") : QStringLiteral("FileSaveWaveformCurr");
    const QString filter = logging ? platform::LoadString(IDS_SAVE_LOGGING_FILTER)
                                   : platform::LoadString(IDS_SAVE_WAVEFORM_FILTER);
    const QString name = FormatDateTime(QDateTime::currentDateTime(), QStringLiteral("%Y-%m-%d_%H-%M-%S"));
    const QString folder = StoredFolder(key);
    QString selected;
    const QString path =
        AskSaveFileName(QString(), folder.isEmpty() ? name : folder + name, filter, &selected);
    if (path.isEmpty())
        return;
    const QString chosen = WithFilterExtension(path, selected);
    platform::WriteProfileString(kSection, key, chosen);
    SaveWaveformFile(chosen, selected);
}

int CLumoraView::SaveWaveformFile(const QString& path, const QString& selectedFilter) {
    // Each page's writer chooses the format and names the types it writes when it has none of them.
    const QString chosen = WithFilterExtension(path, selectedFilter);
    const unsigned page = SelectedPage();
    if (page == CMainFrame::ID_MEASURE_CURRENT && m_pageCurrent != nullptr)
        return m_pageCurrent->SaveWaveformData(chosen);
    if (page == CMainFrame::ID_MEASURE_DATALOGGING && m_pageDLOG != nullptr)
        return m_pageDLOG->SaveWaveformData(chosen);
    platform::StopBox(IDS_DATA_NOT_READY);
    return 0;
}

// ---- screenshot and list data ----

void CLumoraView::OnSaveScreenShot() {
    const QString stored = platform::GetProfileString(kSection, QStringLiteral("SaveScreenShotAsBitmap"));
    const QString folder = StoredFolder(QStringLiteral("SaveScreenShotAsBitmap"));
    QString selected;
    const QString path = AskSaveFileName(platform::LoadString(IDS_SAVE_PICTURE),
                                         folder + GetFileTitleFromPath(GetFileNameFromPath(stored)),
                                         platform::LoadString(IDS_BITMAP_FILTER), &selected);
    if (path.isEmpty())
        return;
    const QString chosen = WithFilterExtension(path, platform::LoadString(IDS_BITMAP_FILTER));
    platform::WriteProfileString(kSection, QStringLiteral("SaveScreenShotAsBitmap"), chosen);
    SaveScreenShotFile(chosen);
}

bool CLumoraView::SavesScreenShot() const {
    // The voltage and CCDF pages save no screenshot.
    const unsigned page = SelectedPage();
    return page == CMainFrame::ID_MEASURE_CURRENT || page == CMainFrame::ID_MEASURE_DATALOGGING;
}

int CLumoraView::SaveScreenShotFile(const QString& path) {
    if (!SavesScreenShot())
        return 0;
    // The plots' bitmap writer reports a failed write or close itself but gives 0 silently for a file
    // it cannot create: that case is told here, once.
    const QFileInfo target(platform::NormalizePath(path));
    const QFileInfo folder(target.absolutePath());
    if (target.exists() ? !target.isWritable() || target.isDir() : !folder.isDir() || !folder.isWritable()) {
        platform::StopBox(IDS_FILE_CREATE_FAILED);
        return 0;
    }
    int saved = -1;
    switch (SelectedPage()) {
    case CMainFrame::ID_MEASURE_CURRENT:
        if (m_pageCurrent != nullptr)
            saved = m_pageCurrent->Waveform()->SaveAsBitmapTVA(path);
        break;
    case CMainFrame::ID_MEASURE_DATALOGGING:
        if (m_pageDLOG != nullptr)
            saved = m_pageDLOG->SaveAsBitmap(path);
        break;
    default:
        break;
    }
    return saved > 0 ? 1 : 0;
}

void CLumoraView::OnSaveListData() {
    const QString stored = platform::GetProfileString(kSection, QStringLiteral("SaveListDataAsFile"));
    const QString folder = StoredFolder(QStringLiteral("SaveListDataAsFile"));
    QString selected;
    const QString path =
        AskSaveFileName(QString(), folder + GetFileTitleFromPath(GetFileNameFromPath(stored)),
                        platform::LoadString(IDS_TEXT_FILTER), &selected);
    if (path.isEmpty())
        return;
    const QString chosen = WithFilterExtension(path, platform::LoadString(IDS_TEXT_FILTER));
    platform::WriteProfileString(kSection, QStringLiteral("SaveListDataAsFile"), chosen);
    SaveListDataFile(chosen);
}

int CLumoraView::SaveListDataFile(const QString& path) {
    const unsigned page = SelectedPage();
    if (page == CMainFrame::ID_MEASURE_CURRENT && m_pageCurrent != nullptr)
        return m_pageCurrent->SaveListData(path);
    if (page == CMainFrame::ID_MEASURE_DATALOGGING && m_pageDLOG != nullptr)
        return m_pageDLOG->SaveListData(path);
    return 0;
}

// ---- printing ----

CWaveformPlotMainWnd* CLumoraView::PrintedWindow() const {
    switch (SelectedPage()) {
    case CMainFrame::ID_MEASURE_CURRENT:
        return m_pageCurrent != nullptr ? m_pageCurrent->Waveform() : nullptr;
    case CMainFrame::ID_MEASURE_DATALOGGING:
        if (m_pageDLOG == nullptr)
            return nullptr;
        if (m_pageDLOG->IsCcdfView() != 0 && m_pageDLOG->WaveformCCDF() != nullptr)
            return m_pageDLOG->WaveformCCDF();
        return m_pageDLOG->Waveform();
    default:
        return nullptr;
    }
}

void CLumoraView::SetApplicationPrinter(QPrinter* printer) {
    g_applicationPrinter = printer;
}

QPrinter* CLumoraView::ApplicationPrinter() {
    return g_applicationPrinter;
}

bool CLumoraView::PrinterAvailable() {
    if (g_applicationPrinter != nullptr && !g_applicationPrinter->printerName().isEmpty() &&
        !QPrinterInfo::printerInfo(g_applicationPrinter->printerName()).isNull())
        return true;
    return !QPrinterInfo::availablePrinterNames().isEmpty();
}

void CLumoraView::OnFilePrint() {
    if (PrintedWindow() == nullptr)
        return;
    QPrinter printer(QPrinter::HighResolution);
    StartFromApplicationPrinter(printer);
    // Landscape for this job's printer only; the user's default printer settings stay as they are.
    printer.setPageOrientation(QPageLayout::Landscape);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (!PrintSelectedPage(printer))
        platform::StopBox(printer.outputFormat() == QPrinter::NativeFormat ? IDS_PRINT_FAILED
                                                                           : IDS_FILE_CREATE_FAILED);
}

void CLumoraView::OnFilePrintDirect() {
    if (PrintedWindow() == nullptr)
        return;
    // Without a printer the job would go nowhere: that is said, not a file error.
    if (!PrinterAvailable()) {
        platform::StopBox(IDS_NO_PRINTER);
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    StartFromApplicationPrinter(printer);
    if (!PrintSelectedPage(printer))
        platform::StopBox(IDS_PRINT_FAILED);
}

void CLumoraView::OnFilePrintPreview() {
    if (PrintedWindow() == nullptr)
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    StartFromApplicationPrinter(printer);
    printer.setPageOrientation(QPageLayout::Landscape);
    QPrintPreviewDialog preview(&printer, this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* target) { PrintSelectedPage(*target); });
    preview.exec();
}

bool CLumoraView::PrintSelectedPage(QPrinter& printer) {
    CWaveformPlotMainWnd* window = PrintedWindow();
    if (window == nullptr)
        return false;
    printer.setPageOrientation(QPageLayout::Landscape);
    window->OnBeginPrinting(&printer);
    QPainter painter;
    if (!painter.begin(&printer)) {
        window->OnEndPrinting();
        return false;
    }
    window->OnPrepareDC(&painter, &printer);
    // The page in the units OnPrepareDC scaled the painter to: the screen's.
    const double scale = static_cast<double>(printer.logicalDpiX()) / window->logicalDpiX();
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    const QRect drawRect(0, 0, static_cast<int>(page.width() / scale),
                         static_cast<int>(page.height() / scale));
    window->OnPrint(&painter, &drawRect, width(), height());
    const bool ended = painter.end();
    window->OnEndPrinting();
    return ended;
}
