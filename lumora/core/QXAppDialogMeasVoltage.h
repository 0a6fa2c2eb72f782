#pragma once

#include "lumora/core/QXAppDialogMeasFilePage.h"

class CWaveformTimeVsAmpMainWnd;

// The voltage page: voltage curves read from text files in a time-versus-amplitude plot.
class CQXAppDialogMeasVoltage : public CQXAppDialogMeasFilePage {
public:
    enum : int { IDD = 118, IDC_WAVEFORM = 1226 };

    explicit CQXAppDialogMeasVoltage(QWidget* parent = nullptr);
    ~CQXAppDialogMeasVoltage() override;

    // Reads a "Time" and "Voltage" file into line 0 and fits the axes: 1 read, 0 parse error (shown), -1
    // cancelled.
    int LoadWaveformFromTextFile(const QString& path, QChar separator);

    CWaveformPlotMainWnd* PlotWindow() const override;
    CWaveformTimeVsAmpMainWnd* Waveform() const { return m_waveform; }

protected:
    bool CreatePlot(const QRect& rect) override;
    void BuildTable() override;
    void SetTool(int tool) override;
    int GetTool() const override;
    int LoadLine(int line, const QString& path, QChar separator) override;
    void RedrawAll() override;
    void RedrawMarkers() override;
    bool RefitAfterLineButton() const override { return false; }
    bool ShowsAxisCombos() const override { return true; }
    bool IsButtonHidden(int) const override { return false; }

private:
    CWaveformTimeVsAmpMainWnd* m_waveform = nullptr;
};
