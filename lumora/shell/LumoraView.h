#pragma once

#include <QString>
#include <QWidget>

class CMainFrame;
class CQXAppDialogMeasCCDF;
class CQXAppDialogMeasCurrent;
class CQXAppDialogMeasDLOG;
class CQXAppDialogMeasVoltage;
class CWaveformPlotMainWnd;
class QPrinter;
class QStackedWidget;

// The view of the main window: it owns the four measurement pages, shows the one the frame selected,
// and carries the file commands (open, save, screenshot, list data) and the printing of the selected
// page's plot.
class CLumoraView : public QWidget {
public:
    enum : unsigned {
        ID_FILE_OPEN_WAVEFORM = 32784,
        ID_FILE_SAVE_WAVEFORM = 32786,
        ID_SAVE_SCREENSHOT = 32787,
        ID_SAVE_LIST_DATA = 32788,
        ID_FILE_PRINT = 57607,
        ID_FILE_PRINT_DIRECT = 57608,
        ID_FILE_PRINT_PREVIEW = 57609,
    };

    explicit CLumoraView(CMainFrame* frame, QWidget* parent = nullptr);
    ~CLumoraView() override;

    // Builds the view (the given one, else a new one) into the frame: the pages, the frame's commands of
    // the view, the central widget and the frame's page pointers. Null when the view cannot be built.
    static CLumoraView* CreateInFrame(CMainFrame& frame, CLumoraView* view = nullptr);

    // Creates the pages (current, voltage, CCDF, data logging); a page that cannot be created is left
    // out. 0 in any case, as the window's creation goes on.
    int OnCreate();
    // Hands the main frame's preferences to the current and data-logging pages.
    void OnInitialUpdate();
    // Called by the frame when it is shut down: the pages are no longer its to use.
    void DetachFrame() { m_frame = nullptr; }

    void ShowMeasurementPage(unsigned id);
    void PostPageCommand(unsigned id);
    void InitialMemory(unsigned count);

    void OnFileOpenWaveform();
    void OnFileSaveWaveform();
    void OnSaveScreenShot();
    void OnSaveListData();
    // Printing with the print dialog, on the default printer without it, or in a preview window.
    void OnFilePrint();
    void OnFilePrintDirect();
    void OnFilePrintPreview();

    // The commands once their file is chosen: 1 done, 0 failed or refused (a message was shown).
    int OpenWaveformFile(const QString& path);
    int SaveWaveformFile(const QString& path, const QString& selectedFilter = QString());
    int SaveScreenShotFile(const QString& path);
    int SaveListDataFile(const QString& path);
    // Prints the selected page's plot on one landscape page of the printer; false when that page has
    // no plot or the printer cannot be drawn on.
    bool PrintSelectedPage(QPrinter& printer);
    // The application's printer, as the print setup command leaves it: each print starts from its
    // printer, paper and colour. None: the system's default printer.
    static void SetApplicationPrinter(QPrinter* printer);
    static QPrinter* ApplicationPrinter();
    // Quick print's check: a printer to print on (the application printer's, or any the system has).
    static bool PrinterAvailable();
    // The plot the print command prints: null when the selected page has none.
    CWaveformPlotMainWnd* PrintedWindow() const;

    CQXAppDialogMeasCurrent* PageCurrent() const { return m_pageCurrent; }
    CQXAppDialogMeasVoltage* PageVoltage() const { return m_pageVoltage; }
    CQXAppDialogMeasCCDF* PageCCDF() const { return m_pageCCDF; }
    CQXAppDialogMeasDLOG* PageDLOG() const { return m_pageDLOG; }
    // The page shown now, null when none is.
    QWidget* VisiblePage() const;
    unsigned SelectedPage() const;
    // Whether the selected page saves a screenshot (the current and data-logging pages).
    bool SavesScreenShot() const;

    // Appends the filter's extension ("CSV 文件(*.csv)" gives ".csv") when the path has none of the
    // known data types csv, txt, xls and bin.
    static QString WithFilterExtension(const QString& path, const QString& selectedFilter);

protected:
    // The file dialogs; tests answer them without a window. Empty when cancelled.
    virtual QString AskOpenFileName(const QString& folder, const QString& filter);
    virtual QString AskSaveFileName(const QString& title, const QString& proposed, const QString& filter,
                                    QString* selectedFilter);

private:
    bool RunActive() const;
    int OpenWorkbook(const QString& path);
    int OpenText(const QString& path, QChar separator);

    CMainFrame* m_frame = nullptr;
    QStackedWidget* m_stack = nullptr;
    QWidget* m_blank = nullptr;
    CQXAppDialogMeasCurrent* m_pageCurrent = nullptr;
    CQXAppDialogMeasVoltage* m_pageVoltage = nullptr;
    CQXAppDialogMeasCCDF* m_pageCCDF = nullptr;
    CQXAppDialogMeasDLOG* m_pageDLOG = nullptr;
};
