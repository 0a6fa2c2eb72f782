#pragma once

#include "lumora/core/MeasurementPage.h"

class CWaveformCCDFMainWnd;

// The CCDF page: complementary cumulative distributions read ready-made from text files.
class CQXAppDialogMeasCCDF : public CMeasurementPage {
public:
    enum : int { IDD = 119, IDC_WAVEFORM = 1227 };

    explicit CQXAppDialogMeasCCDF(QWidget* parent = nullptr);
    ~CQXAppDialogMeasCCDF() override;

    // Builds the plot, the table and the buttons; false when the plot cannot be created.
    bool OnInitDialog();
    // Reads a "CCDFAmplitude" and "Occurrence" file into line 0 without refitting the axes: 1 read, 0
    // parse error or too few points (shown).
    int LoadWaveformFromTextFile(const QString& path, QChar separator);

    CWaveformPlotMainWnd* PlotWindow() const override;
    CWaveformCCDFMainWnd* Waveform() const { return m_waveform; }

protected:
    const controls::DlgResizeMapEntry* GetDlgResizeMap() const override;
    void SetTool(int tool) override;
    void OnSettings() override {}
    QString AskForLineFile() override;
    void LoadLineFile(int line, const QString& path) override;

private:
    int LoadLine(int line, const QString& path, QChar separator);

    CWaveformCCDFMainWnd* m_waveform = nullptr;
};
