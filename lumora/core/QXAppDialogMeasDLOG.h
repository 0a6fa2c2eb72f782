#pragma once

#include "lumora/core/MeasurementPage.h"

#include <QString>
#include <array>
#include <vector>

class CBinDataFile;
class CSampleStore;
class CWaveformComboMainWnd;
class CWaveformCCDFMainWnd;
struct STextColumn;

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

    // Called by the data-logging run (on the user-interface thread). The reset empties the logged line
    // and the CCDF view's line 0 (the last run's distribution).
    void ResetDataLogging();
    void InitialMemory(unsigned capacity);
    // Appends samples start .. start+count-1 of the run's sample store to the logged line, then refits
    // and redraws the two-axis plot, shown or behind the CCDF view; 0 when the plot could not keep them
    // (it keeps what it had).
    int AppendMeasuredSamples(const CSampleStore& samples, unsigned start, unsigned count, int exclusion);

    // Writes the plot's current line by the path's extension (csv, txt, xls, bin) under its name ("Current
    // DC" for a run's line and a file's DC column, "Current Min", "Current Max"): the first line that
    // holds a current, never the voltage. Other lines shown are not written, and a message says so after
    // the save. 1 written, 0 not (a message says why, also when there is no current to write).
    int SaveWaveformData(const QString& path);
    int SaveListData(const QString& path);
    int SaveAsBitmap(const QString& path);
    // The page's files back into the two-axis plot: its columns Voltage, DC, Min and Max as lines 0, 1,
    // ... A file that gives no line is reported and changes no line.
    void LoadWaveformFromTextFile(const QString& path, QChar separator);
    void LoadWaveformFromBinFile(const QString& path);
    void LoadCcdfLineFromTextFile(int line, const QString& path, QChar separator);
    void LoadCcdfLineFromBinFile(int line, const QString& path);
    void ShowCcdfView(int show);
    int IsCcdfView() const { return m_ccdfView; }

    CWaveformPlotMainWnd* PlotWindow() const override;
    CWaveformComboMainWnd* Waveform() const { return m_waveform; }
    CWaveformCCDFMainWnd* WaveformCCDF() const { return m_ccdf; }

protected:
    const controls::DlgResizeMapEntry* GetDlgResizeMap() const override;
    CWaveformPlotMainWnd* ShownPlot() const override;
    CWaveformPlotMainWnd* LinePlot() const override;
    void SetTool(int tool) override;
    bool OnPageCommand(int id) override;
    bool LineButtonsActive() const override;
    QString AskForLineFile() override;
    void LoadLineFile(int line, const QString& path) override;
    void ShowVerticalMarkerValues(platform::WPARAM record) override;
    void FitPlots(const QRect& rect) override;

private:
    void ResetValueCells();
    void LeaveCcdfView();
    // The first line holding a current (not the voltage); -1 when none does.
    int CurrentLine() const;
    void RefitVisiblePlot();
    // The logged line's new samples on the two-axis plot.
    void ShowLoggedLine();
    // The page's text file read into columns Voltage, DC, Min and Max (those the header names; with
    // voltage false the three without it); false, reported, when it gives no value.
    bool ReadTextColumns(const QString& path, QChar separator, bool voltage,
                         std::vector<STextColumn>& columns);
    // The binary file read into 'file'; false when it was not read or the read was cancelled.
    bool ReadBinFile(CBinDataFile& file, const QString& path);

    CWaveformComboMainWnd* m_waveform = nullptr;
    CWaveformCCDFMainWnd* m_ccdf = nullptr;
    int m_ccdfView = 0;
    // What each line of the two-axis plot holds: a file column's kind (voltage, DC, Min, Max), the run's
    // current in line 0; -1 for nothing loaded.
    std::array<int, 4> m_lineKinds{1, -1, -1, -1};
};
