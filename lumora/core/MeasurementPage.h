#pragma once

#include "lumora/controls/DialogResize.h"
#include "lumora/controls/ThemeHelperST.h"
#include "lumora/core/PageSkeleton.h"
#include "platform/MessageTarget.h"

#include <QString>
#include <QStringList>
#include <cstddef>
#include <initializer_list>
#include <vector>

namespace controls {
class CListCtrlEx;
class CReportCtrl;
class CXPStyleButtonST;
} // namespace controls
class CWaveformPlotMainWnd;
class QComboBox;
class QFrame;
class QLabel;
struct CWaveformStatisticRecord;
struct MainPreferences;

// What the four measurement pages share: the hidden place holder the plot covers, the table beneath
// it, the axis labels and combo boxes, the toolbar buttons and their commands (axes, tools, markers,
// the line buttons that hide a line or load one from a file), the marker and statistics values the
// plot reports, and the main preferences record the view attaches.
class CMeasurementPage : public controls::CDialogResize,
                         public platform::CMessageTarget,
                         public CPageControlIds {
public:
    // A toolbar button: its id, its tooltip and its left edge in dialog units.
    struct SToolButton {
        int id;
        int tipId; // string id of the tool tip
        int x;
    };
    // The table beneath the plot: the statistics list of the current and data-logging pages, or the
    // report list of the voltage and CCDF pages.
    enum class ETable { eStatistics, eReport };

    ~CMeasurementPage() override;

    // Takes the preferences record of the main frame; true when there is one.
    bool AttachFrameParameters();
    controls::CListCtrlEx* StatisticList() const { return m_list; }
    controls::CReportCtrl* ReportList() const { return m_report; }
    // The page's plot; null before OnInitDialog or when it could not be made.
    virtual CWaveformPlotMainWnd* PlotWindow() const = 0;
    // A toolbar button's command.
    virtual void OnCommand(int id);
    // WM_APP+0xC6 from the plot: marker and statistics values into the table.
    platform::LRESULT OnMessage(platform::UINT message, platform::WPARAM wParam,
                                platform::LPARAM lParam) override;

    // Enter and Escape leave the page as it is: it is a part of the view, not a dialog to close.
    void accept() override {}
    void reject() override {}

    // All layers of a plot, or its marker layer only, as each kind of plot redraws them.
    static void RedrawAllLayers(CWaveformPlotMainWnd& plot);
    static void RedrawMarkerLayer(CWaveformPlotMainWnd& plot);

protected:
    CMeasurementPage(int templateId, QWidget* parent);

    // The page's size, the place holder and the table, in dialog units; then the toolbar buttons.
    void CreateSkeleton(QSize size, const QRect& placeHolder, const QRect& table, const SToolButton* buttons,
                        std::size_t count, ETable kind = ETable::eStatistics);
    // The skeleton of the pages that only read files (voltage, CCDF): template 449 x 323, a report table
    // and thirteen buttons, four line buttons, settings, fit, restore, four tools and two markers.
    void CreateFilePageSkeleton();
    // The labels "横坐标" and "纵坐标" with their combo boxes, shown or hidden.
    void ShowAxisCombos(bool show);
    // The template's table height was drawn for the system's low list rows; rows of the style in use
    // are taller. The table grows upwards into the plot until its header, four rows and a horizontal
    // scroll bar fit; the plot window follows the place holder. The page keeps a smallest size: the
    // given width in dialog units, and a height at which the plot keeps some height.
    void FitStatisticList(QWidget* plot, int minWidth);
    // The table: the headers, four rows named by IDS_STAT_MAXIMUM to IDS_STAT_MILLIAMPERE_HOURS, "标记 1",
    // "标记 2" and "差值" in the marker label columns, red text in the value columns, which show "---".
    void BuildStatisticList(const QString* headers, int columns, std::initializer_list<int> labelColumns,
                            std::initializer_list<int> valueColumns);
    // The report table: its images and style, then each column inserted at its position with its colours.
    void SetUpReportTable(const QStringList& columns, const std::vector<int>& positions);
    // The value columns of the marker pairs: vertical markers (index 0), then horizontal ones (index 1,
    // time then value). Hiding a pair shows "---" in its columns, and in the statistics too when
    // clearStatistics is set for the horizontal pair.
    void SetMarkerColumns(std::vector<int> vertical, std::vector<int> horizontal, bool clearStatistics);
    void SetValueCells(int column, int firstRow, int lastRow, const QString& text);
    // The tool buttons' checks: 1092 for tool 0 (where the page has it), 1086..1089 for tools 1..4.
    void UpdateToolButtons(int tool);
    // The line buttons' checks from the line plot's lines.
    void UpdateLineButtons();
    QString ValueText(double value) const;
    // Rows 0..2 of a column: a, b and a - b as values, or as plain numbers (time).
    void ShowValues(int column, double a, double b);
    void ShowPlainValues(int column, double a, double b);
    // Column 1: maximum, minimum, mean and "毫安时", or "---" in all four when not valid.
    void ShowStatistics(const CWaveformStatisticRecord& statistics);
    // The open dialog for a comparison file, starting in the folder of the last one when section names
    // where the page remembers it (the chosen path is written back there); a name typed without an
    // extension takes defaultSuffix. Empty when cancelled.
    QString AskForComparisonFile(const QString& section, const QString& filter,
                                 const QString& defaultSuffix = QString());
    // The line buttons' dialog of those pages: a text file, from no remembered folder, "txt" added to a
    // name typed without an extension.
    QString AskForTextFile();
    static void ShowParseError();
    // Runs a plot's settings dialog; a settings file the disk did not take is reported.
    static void EditPlotSettings(CWaveformPlotMainWnd& plot);
    // The last three characters of a path, lower-cased: the writers' choice of format.
    static QString Extension(const QString& path);
    static const QString& EmptyCell();
    QRect DialogRect(int x, int y, int width, int height) const;
    controls::CXPStyleButtonST* Button(int id) const;

    // What the commands act on, where the pages differ.
    // The plot the axis buttons fit and restore (the data-logging page: the one shown).
    virtual CWaveformPlotMainWnd* ShownPlot() const { return PlotWindow(); }
    // The plot whose lines the line buttons show, hide and load (the data-logging page: its CCDF plot).
    virtual CWaveformPlotMainWnd* LinePlot() const { return PlotWindow(); }
    virtual void SetTool(int tool) = 0;
    // Button 1083: the settings of the plot shown; nothing on the pages that give it no action.
    virtual void OnSettings();
    // A command of the page's own (true: handled, the marker layer is redrawn).
    virtual bool OnPageCommand(int id) { return false; }
    virtual bool LineButtonsActive() const { return true; }
    // The file dialog of a line button and the reading of the chosen file into the line.
    virtual QString AskForLineFile() = 0;
    virtual void LoadLineFile(int line, const QString& path) = 0;
    // Whether a line button fits the axes afterwards, whether or not a file was read.
    virtual bool RefitAfterLineButton() const { return true; }
    // Code 3: the vertical markers' values (the two-axis plot reports both axes).
    virtual void ShowVerticalMarkerValues(platform::WPARAM record);
    // The plots that follow the place holder when the page is sized.
    virtual void FitPlots(const QRect& rect);

    void OnSize(unsigned type, int cx, int cy) override;

    controls::CThemeHelperST m_theme;
    controls::CListCtrlEx* m_list = nullptr;
    controls::CReportCtrl* m_report = nullptr;
    QFrame* m_placeHolder = nullptr;
    QComboBox* m_comboHori = nullptr;
    QComboBox* m_comboVert = nullptr;
    QLabel* m_labelHori = nullptr;
    QLabel* m_labelVert = nullptr;
    MainPreferences* m_preferences = nullptr;
    std::vector<int> m_verticalColumns;
    std::vector<int> m_horizontalColumns;
    bool m_horizontalClearsStatistics = false;

private:
    void OnLineButton(int line);
    void ClearMarkerColumns(int pair);
    platform::LRESULT OnWaveformMarker(platform::WPARAM record, platform::LPARAM code);

    QRect m_placeHolderUnits;
    QRect m_tableUnits;
};
