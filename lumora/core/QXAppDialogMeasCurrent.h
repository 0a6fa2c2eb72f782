#pragma once

#include "lumora/core/DataImport.h"
#include "lumora/core/MeasurementPage.h"

#include <QString>
#include <vector>

class CWaveformTimeVsAmpMainWnd;

// The current test page: the measured current of a run in a time-versus-amplitude plot, marker and
// statistics values in a table beneath it, up to three comparison lines from files, and the export of
// the measured line as CSV, text or workbook.
class CQXAppDialogMeasCurrent : public CMeasurementPage {
public:
    enum : int {
        IDD = 108,
        IDC_WAVEFORM = 1225,
        IDC_LABEL_HORI = 1066,
        IDC_LABEL_VERT = 1067,
    };

    explicit CQXAppDialogMeasCurrent(QWidget* parent = nullptr);
    ~CQXAppDialogMeasCurrent() override;

    // Builds the plot, the table and the tool buttons; false when the plot cannot be created.
    bool OnInitDialog();

    void SetMeasuredData(double* x, double* y, unsigned n, int exclusion);
    void ResetMeasurement();
    // Writes line 0 as csv, txt or xls by the path's extension: 1 written, 0 not (a message says why).
    int SaveWaveformData(const QString& path);
    int SaveListData(const QString& path);
    // Reads a comparison file into line 0..3: 1 read, 0 not read (the parse error was shown, the line is
    // left as it was).
    int LoadWaveformFromTextFile(int line, const QString& path, QChar separator);
    int LoadWaveformFromXlsFile(int line, const QString& path);

    CWaveformPlotMainWnd* PlotWindow() const override;
    CWaveformTimeVsAmpMainWnd* Waveform() const { return m_waveform; }

protected:
    const controls::DlgResizeMapEntry* GetDlgResizeMap() const override;
    void SetTool(int tool) override;
    QString AskForLineFile() override;
    void LoadLineFile(int line, const QString& path) override;

private:
    void CreateHiddenTemplateItems();
    int ShowLoadedLine(int line, int result, const CImportColumn& x, const CImportColumn& y);

    CWaveformTimeVsAmpMainWnd* m_waveform = nullptr;
};
