#pragma once

#include "lumora/controls/DialogResize.h"
#include "lumora/controls/ThemeHelperST.h"
#include "lumora/core/PageSkeleton.h"

#include <QString>
#include <QStringList>
#include <array>
#include <vector>

namespace controls {
class CReportCtrl;
class CXPStyleButtonST;
} // namespace controls
class CWaveformPlotMainWnd;
class QComboBox;
class QFrame;
class QLabel;

// What the voltage and CCDF pages share: their lines come only from files. A plot over place holder
// 1016, a report table 1006, thirteen tool buttons (four line buttons, settings, fit, restore, four
// tools, two marker buttons) and the hidden axis combo boxes. The pages say which plot they show,
// how they fill their table and how a file becomes a line.
class CQXAppDialogMeasFilePage : public controls::CDialogResize, public CPageControlIds {
public:
    explicit CQXAppDialogMeasFilePage(unsigned templateId, QWidget* parent = nullptr);
    ~CQXAppDialogMeasFilePage() override;

    // Builds the plot, the table and the buttons; false when the plot cannot be created.
    bool OnInitDialog();
    void OnCommand(int id);

    controls::CReportCtrl* ReportList() const { return m_list; }
    // The plot of the page, null before OnInitDialog.
    virtual CWaveformPlotMainWnd* PlotWindow() const = 0;

    void accept() override {}
    void reject() override {}

protected:
    const controls::DlgResizeMapEntry* GetDlgResizeMap() const override;
    void OnSize(unsigned type, int cx, int cy) override;

    virtual bool CreatePlot(const QRect& rect) = 0;
    virtual void BuildTable() = 0;
    virtual void SetTool(int tool) = 0;
    virtual int GetTool() const = 0;
    // Reads the file into the line: 1 read, 0 parse error (shown), -1 cancelled.
    virtual int LoadLine(int line, const QString& path, QChar separator) = 0;
    // All layers, or only the markers.
    virtual void RedrawAll() = 0;
    virtual void RedrawMarkers() = 0;
    // Whether the line button refits the plot also when no file was read.
    virtual bool RefitAfterLineButton() const = 0;
    // Whether the axis labels and combo boxes are shown.
    virtual bool ShowsAxisCombos() const = 0;
    // Buttons present but hidden.
    virtual bool IsButtonHidden(int id) const = 0;

    void UpdateLineButtons();
    void UpdateToolButtons();
    void UpdateMarkerButtons();
    void ShowParseError();
    // The table's images and style, then each column inserted at its position with its colours.
    void SetUpReportTable(const QStringList& columns, const std::vector<int>& positions);
    controls::CXPStyleButtonST* Button(int id) const;
    QRect DialogRect(int x, int y, int width, int height) const;

private:
    void SetupToolButtons();
    void OnLineButton(int line);

    controls::CThemeHelperST m_theme;
    controls::CReportCtrl* m_list = nullptr;
    QFrame* m_placeHolder = nullptr;
    std::array<controls::CXPStyleButtonST*, 13> m_buttons{};
    QComboBox* m_comboHori = nullptr;
    QComboBox* m_comboVert = nullptr;
    QLabel* m_labelHori = nullptr;
    QLabel* m_labelVert = nullptr;
};
