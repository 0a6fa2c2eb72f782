#pragma once

#include "lumora/controls/DialogResize.h"
#include "lumora/controls/ThemeHelperST.h"
#include "lumora/core/PageSkeleton.h"
#include "platform/MessageTarget.h"

#include <QString>
#include <cstddef>

namespace controls {
class CListCtrlEx;
class CXPStyleButtonST;
} // namespace controls
class CWaveformPlotMainWnd;
class QComboBox;
class QFrame;
struct CWaveformMarkerRecord;
struct CWaveformStatisticRecord;
struct MainPreferences;

// What the measurement pages share: the hidden place holder the plot covers, the statistics table,
// the two hidden combo boxes, the toolbar buttons and the main preferences record the view attaches.
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

    ~CMeasurementPage() override;

    // Takes the preferences record of the main frame; true when there is one.
    bool AttachFrameParameters();
    controls::CListCtrlEx* StatisticList() const { return m_list; }
    // A toolbar button's command.
    virtual void OnCommand(int id) = 0;

    // Enter and Escape leave the page as it is: it is a part of the view, not a dialog to close.
    void accept() override {}
    void reject() override {}

protected:
    CMeasurementPage(int templateId, QWidget* parent);

    // The page's size, the place holder and the table, in dialog units; then the toolbar buttons.
    void CreateSkeleton(QSize size, const QRect& placeHolder, const QRect& table, const SToolButton* buttons,
                        std::size_t count);
    // The template's table height was drawn for the system's low list rows; rows of the style in use
    // are taller. The table grows upwards into the plot until its header, four rows and a horizontal
    // scroll bar fit; the plot window follows the place holder. The page keeps a smallest size: the
    // given width in dialog units, and a height at which the plot keeps some height.
    void FitStatisticList(QWidget* plot, int minWidth);
    // The table: the headers, four rows named by strings 33005-33008, "标记 1", "标记 2" and "差值" in
    // the marker label columns, red text in the value columns, which show "---".
    void BuildStatisticList(const QString* headers, int columns, std::initializer_list<int> labelColumns,
                            std::initializer_list<int> valueColumns);
    void SetValueCells(int column, int firstRow, int lastRow, const QString& text);
    // The tool buttons' checks: 1092 for tool 0, 1086..1089 for tools 1..4.
    void UpdateToolButtons(int tool);
    QString ValueText(double value) const;
    // Rows 0..2 of a column: a, b and a - b as values, or as plain numbers (time).
    void ShowValues(int column, double a, double b);
    void ShowPlainValues(int column, double a, double b);
    // Column 1: maximum, minimum, mean and "毫安时", or "---" in all four when not valid.
    void ShowStatistics(const CWaveformStatisticRecord& statistics);
    // Shows or hides a marker pair of the plot for its button (1090 values, 1091 times) and updates
    // both buttons; true when the pair is shown now.
    bool ToggleMarkers(CWaveformPlotMainWnd& plot, int id);
    // The open dialog for a comparison file, starting in the folder of the last one; the chosen path is
    // remembered under the page's profile section. Empty when cancelled.
    // The open-file dialog of a comparison line; a name typed without extension takes defaultSuffix.
    QString AskForComparisonFile(const QString& section, const QString& filter,
                                 const QString& defaultSuffix = QString());
    static void StopBox(int id);
    // Runs a plot's settings dialog; a settings file the disk did not take is reported.
    static void EditPlotSettings(CWaveformPlotMainWnd& plot);
    // The last three characters of a path, lower-cased: the writers' choice of format.
    static QString Extension(const QString& path);
    static const QString& EmptyCell();
    QRect DialogRect(int x, int y, int width, int height) const;
    controls::CXPStyleButtonST* Button(int id) const;

    controls::CThemeHelperST m_theme;
    controls::CListCtrlEx* m_list = nullptr;
    QFrame* m_placeHolder = nullptr;
    QComboBox* m_comboHori = nullptr;
    QComboBox* m_comboVert = nullptr;
    MainPreferences* m_preferences = nullptr;

private:
    QRect m_placeHolderUnits;
    QRect m_tableUnits;
};
