#pragma once

#include "lumora/core/MeasurementPage.h"

#include <QString>
#include <vector>

class CSampleStore;
class CWaveformComboMainWnd;
class CWaveformCCDFMainWnd;

// The data-logging page: a run's current in the two-axis plot (voltage on the left axis, current on
// the right), on demand the CCDF of the logged values, marker and statistics values in a table, and
// the logged line as CSV, text, workbook or binary data file, with readers for those files.
class CQXAppDialogMeasDLOG : public CMeasurementPage {
public:
    enum : int {
        IDD = 120,
        IDC_WAVEFORM = 1228,
        IDC_WAVEFORM_CCDF = 1229,
        IDC_CCDF = 1093,
    };

    explicit CQXAppDialogMeasDLOG(QWidget* parent = nullptr);
    ~CQXAppDialogMeasDLOG() override;

    // Builds the plot, the table and the tool buttons; false when the plot cannot be created.
    bool OnInitDialog();

    // Called by the data-logging run (on the user-interface thread).
    void ResetDataLogging();
    void InitialMemory(unsigned capacity);
    // Appends samples start .. start+count-1 of the run's whole arrays to the logged line.
    void AppendMeasuredData(const double* x, const double* y, unsigned start, unsigned count, int exclusion);
    // The same from a run's sample store; 0 when the plot could not keep them (it keeps what it had).
    int AppendMeasuredSamples(const CSampleStore& samples, unsigned start, unsigned count, int exclusion);

    int SaveWaveformData(const QString& path);
    int SaveListData(const QString& path);
    int SaveAsBitmap(const QString& path);
    void LoadWaveformFromTextFile(const QString& path, QChar separator);
    void LoadWaveformFromBinFile(const QString& path);
    // The page's own workbook ("Time", "Current DC") back on line 0: 1 read, 0 parse error (shown), -1
    // cancelled.
    int LoadWaveformFromXlsFile(const QString& path);
    void LoadCcdfLineFromTextFile(int line, const QString& path, QChar separator);
    void LoadCcdfLineFromBinFile(int line, const QString& path);
    void ShowCcdfView(int show);
    int IsCcdfView() const { return m_ccdfView; }

    platform::LRESULT OnMessage(platform::UINT message, platform::WPARAM wParam,
                                platform::LPARAM lParam) override;
    void OnCommand(int id) override;

    CWaveformComboMainWnd* Waveform() const { return m_waveform; }
    CWaveformCCDFMainWnd* WaveformCCDF() const { return m_ccdf; }
    // The two-axis line that holds the DC current (the run's line, or the "DC" column of a loaded
    // file); -1 when none does.
    int CurrentLine() const { return m_currentLine; }

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

    void UpdateLineButtons();
    void ResetValueCells();
    void OnLineButton(int line);
    void LeaveCcdfView();
    void RefitVisiblePlot();
    bool ReadTextColumns(const QString& path, QChar separator, SFileColumns& columns) const;
    platform::LRESULT OnWaveformMarker(platform::WPARAM record, platform::LPARAM code);

    CWaveformComboMainWnd* m_waveform = nullptr;
    CWaveformCCDFMainWnd* m_ccdf = nullptr;
    int m_ccdfView = 0;
    int m_currentLine = -1;
};
