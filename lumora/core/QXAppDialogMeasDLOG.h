#pragma once

#include "lumora/controls/DialogResize.h"
#include "lumora/controls/ThemeHelperST.h"
#include "platform/MessageTarget.h"

#include <QString>
#include <QStringList>
#include <array>
#include <vector>

namespace controls {
class CListCtrlEx;
class CXPStyleButtonST;
} // namespace controls
class CWaveformComboMainWnd;
class CWaveformCCDFMainWnd;
class QComboBox;
class QFrame;
struct MainPreferences;

// The data-logging page: a run's current in the two-axis plot (voltage on the left axis, current on
// the right), on demand the CCDF of the logged values, marker and statistics values in a table, and
// the logged line as CSV, text, workbook or binary data file, with readers for those files.
class CQXAppDialogMeasDLOG : public controls::CDialogResize, public platform::CMessageTarget {
public:
    enum : int {
        IDD = 120,
        IDC_PLACE_HOLDER = 1016,
        IDC_LIST_STATISTIC = 1006,
        IDC_COMBO_HORI = 1066,
        IDC_COMBO_VERT = 1067,
        IDC_WAVEFORM = 1228,
        IDC_WAVEFORM_CCDF = 1229,
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
        IDC_CCDF = 1093,
    };

    explicit CQXAppDialogMeasDLOG(QWidget* parent = nullptr);
    ~CQXAppDialogMeasDLOG() override;

    // Builds the plot, the table and the tool buttons; false when the plot cannot be created.
    bool OnInitDialog();
    bool AttachFrameParameters();

    // Called by the data-logging run (on the user-interface thread).
    void ResetDataLogging();
    void InitialMemory(unsigned capacity);
    // Appends samples start .. start+count-1 of the run's whole arrays to the logged line.
    void AppendMeasuredData(const double* x, const double* y, unsigned start, unsigned count, int exclusion);

    int SaveWaveformData(const QString& path);
    int SaveListData(const QString& path);
    int SaveAsBitmap(const QString& path);
    void LoadWaveformFromTextFile(const QString& path, QChar separator);
    void LoadWaveformFromBinFile(const QString& path);
    void LoadCcdfLineFromTextFile(int line, const QString& path, QChar separator);
    void LoadCcdfLineFromBinFile(int line, const QString& path);
    void ShowCcdfView(int show);
    int IsCcdfView() const { return m_ccdfView; }

    platform::LRESULT OnMessage(platform::UINT message, platform::WPARAM wParam,
                                platform::LPARAM lParam) override;
    void OnCommand(int id);

    CWaveformComboMainWnd* Waveform() const { return m_waveform; }
    CWaveformCCDFMainWnd* WaveformCCDF() const { return m_ccdf; }
    controls::CListCtrlEx* StatisticList() const { return m_list; }
    // The two-axis line that holds the DC current (the run's line, or the "DC" column of a loaded
    // file); -1 when none does.
    int CurrentLine() const { return m_currentLine; }

    void accept() override {}
    void reject() override {}

protected:
    const controls::DlgResizeMapEntry* GetDlgResizeMap() const override;
    void OnSize(unsigned type, int cx, int cy) override;

private:
    // The columns of a text file, by kind: voltage (with its own times), DC current, minimum, maximum.
    struct SFileColumns {
        std::vector<double> times, voltageTimes;
        std::vector<double> values[4];
    };
    enum { eVoltage = 0, eCurrent = 1, eMinimum = 2, eMaximum = 3 };

    void BuildStatisticList();
    void SetupToolButtons();
    void UpdateLineButtons();
    void UpdateToolButtons();
    void UpdateMarkerButtons();
    void SetValueCells(int column, int firstRow, int lastRow, const QString& text);
    void ResetValueCells();
    void OnLineButton(int line);
    void LeaveCcdfView();
    void RefitVisiblePlot();
    bool ReadTextColumns(const QString& path, QChar separator, SFileColumns& columns) const;
    platform::LRESULT OnWaveformMarker(platform::WPARAM record, platform::LPARAM code);
    QString ValueText(double value) const;
    QRect DialogRect(int x, int y, int width, int height) const;
    controls::CXPStyleButtonST* Button(int id) const;

    controls::CThemeHelperST m_theme;
    controls::CListCtrlEx* m_list = nullptr;
    CWaveformComboMainWnd* m_waveform = nullptr;
    CWaveformCCDFMainWnd* m_ccdf = nullptr;
    QFrame* m_placeHolder = nullptr;
    std::array<controls::CXPStyleButtonST*, 15> m_buttons{};
    QComboBox* m_comboHori = nullptr;
    QComboBox* m_comboVert = nullptr;
    MainPreferences* m_preferences = nullptr;
    int m_ccdfView = 0;
    int m_currentLine = -1;
};
