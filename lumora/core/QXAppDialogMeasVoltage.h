#pragma once

#include "lumora/core/MeasurementPage.h"

class CWaveformTimeVsAmpMainWnd;

// The voltage page: voltage curves read from text files in a time-versus-amplitude plot.
class CQXAppDialogMeasVoltage : public CMeasurementPage {
public:
    enum : int { IDD = 118, IDC_WAVEFORM = 1226 };

    explicit CQXAppDialogMeasVoltage(QWidget* parent = nullptr);
    ~CQXAppDialogMeasVoltage() override;

    // Builds the plot, the table and the buttons; false when the plot cannot be created.
    bool OnInitDialog();
    // Reads a "Time" and "Voltage" file into line 0, the axes left as they are: 1 read, 0 parse error
    // (shown).
    int LoadWaveformFromTextFile(const QString& path, QChar separator);

    CWaveformPlotMainWnd* PlotWindow() const override;
    CWaveformTimeVsAmpMainWnd* Waveform() const { return m_waveform; }

protected:
    const controls::DlgResizeMapEntry* GetDlgResizeMap() const override;
    void SetTool(int tool) override;
    void OnSettings() override {}
    QString AskForLineFile() override;
    void LoadLineFile(int line, const QString& path) override;
    bool RefitAfterLineButton() const override { return false; }

private:
    int LoadLine(int line, const QString& path, QChar separator);

    CWaveformTimeVsAmpMainWnd* m_waveform = nullptr;
};
