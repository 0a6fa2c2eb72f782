#pragma once

#include "lumora/controls/DialogResize.h"
#include "lumora/controls/ThemeHelperST.h"
#include "platform/MessageTarget.h"

#include <QString>
#include <array>
#include <vector>

namespace controls {
class CListCtrlEx;
class CXPStyleButtonST;
} // namespace controls
class CWaveformTimeVsAmpMainWnd;
class QComboBox;
class QFrame;
struct MainPreferences;

// The current test page: the measured current of a run in a time-versus-amplitude plot, marker and
// statistics values in a table beneath it, up to three comparison lines from files, and the export of
// the measured line as CSV, text or workbook.
class CQXAppDialogMeasCurrent : public controls::CDialogResize, public platform::CMessageTarget {
public:
    enum : int {
        IDD = 108,
        IDC_PLACE_HOLDER = 1016,
        IDC_LIST_STATISTIC = 1006,
        IDC_COMBO_HORI = 1066,
        IDC_COMBO_VERT = 1067,
        IDC_WAVEFORM = 1225,
        IDC_LINE_FIRST = 1079,
        IDC_LINE_LAST = 1082,
        IDC_SETTINGS = 1083,
        IDC_ADAPTIVE = 1084,
        IDC_RESTORE = 1085,
        IDC_TOOL_PAN = 1086,
        IDC_TOOL_ZOOM = 1087,
        IDC_TOOL_HORI = 1088,
        IDC_TOOL_VERT = 1089,
        IDC_MARKER_VERT = 1090,
        IDC_MARKER_HORI = 1091,
        IDC_TOOL_NONE = 1092,
    };

    explicit CQXAppDialogMeasCurrent(QWidget* parent = nullptr);
    ~CQXAppDialogMeasCurrent() override;

    // Builds the plot, the table and the tool buttons; false when the plot cannot be created.
    bool OnInitDialog();
    bool AttachFrameParameters();

    void SetMeasuredData(double* x, double* y, unsigned n, int exclusion);
    void ResetMeasurement();
    int SaveWaveformData(const QString& path);
    int SaveListData(const QString& path);
    // Reads a comparison file into line 0..3: 1 read, 0 not readable (the parse error was shown), -1
    // cancelled by the user (the line is left as it was, no message).
    int LoadWaveformFromTextFile(int line, const QString& path, QChar separator);
    int LoadWaveformFromXlsFile(int line, const QString& path);

    platform::LRESULT OnMessage(platform::UINT message, platform::WPARAM wParam,
                                platform::LPARAM lParam) override;
    void OnCommand(int id);

    CWaveformTimeVsAmpMainWnd* Waveform() const { return m_waveform; }
    controls::CListCtrlEx* StatisticList() const { return m_list; }

    // Enter and Escape leave the page as it is: it is a part of the view, not a dialog to close.
    void accept() override {}
    void reject() override {}

protected:
    const controls::DlgResizeMapEntry* GetDlgResizeMap() const override;
    void OnSize(unsigned type, int cx, int cy) override;

private:
    void BuildStatisticList();
    void SetupToolButtons();
    void UpdateLineButtons();
    void UpdateToolButtons();
    void UpdateMarkerButtons();
    void SetValueCells(int column, int firstRow, int lastRow, const QString& text);
    void OnLineButton(int line);
    int ShowLoadedLine(int line, int result, const std::vector<double>& x, const std::vector<double>& y);
    platform::LRESULT OnWaveformMarker(platform::WPARAM record, platform::LPARAM code);
    QString ValueText(double value) const;
    QRect DialogRect(int x, int y, int width, int height) const;
    controls::CXPStyleButtonST* Button(int id) const;

    controls::CThemeHelperST m_theme;
    controls::CListCtrlEx* m_list = nullptr;
    CWaveformTimeVsAmpMainWnd* m_waveform = nullptr;
    QFrame* m_placeHolder = nullptr;
    std::array<controls::CXPStyleButtonST*, 14> m_buttons{};
    QComboBox* m_comboHori = nullptr;
    QComboBox* m_comboVert = nullptr;
    MainPreferences* m_preferences = nullptr;
};
