#pragma once

#include "lumora/core/QXAppDialogMeasFilePage.h"

class CWaveformCCDFMainWnd;

// The CCDF page: complementary cumulative distributions read ready-made from text files.
class CQXAppDialogMeasCCDF : public CQXAppDialogMeasFilePage {
public:
    enum : int { IDD = 119, IDC_WAVEFORM = 1227 };
    // Shown for a file of fewer than two points (UTF-8).
    // "错误：CCDF 数据点太少，至少需要两个点！"
    static constexpr int kTooFewPointsId = 35022;

    explicit CQXAppDialogMeasCCDF(QWidget* parent = nullptr);
    ~CQXAppDialogMeasCCDF() override;

    // Reads a "CCDFAmplitude" and "Occurrence" file into line 0 without refitting the axes: 1 read, 0
    // parse error or too few points (shown), -1 cancelled.
    int LoadWaveformFromTextFile(const QString& path, QChar separator);

    CWaveformPlotMainWnd* PlotWindow() const override;
    CWaveformCCDFMainWnd* Waveform() const { return m_waveform; }

protected:
    bool CreatePlot(const QRect& rect) override;
    void BuildTable() override;
    void SetTool(int tool) override;
    int GetTool() const override;
    int LoadLine(int line, const QString& path, QChar separator) override;
    void RedrawAll() override;
    void RedrawMarkers() override;
    bool RefitAfterLineButton() const override { return true; }
    bool ShowsAxisCombos() const override { return false; }
    bool IsButtonHidden(int id) const override { return id >= IDC_TOOL_ZOOM && id <= IDC_MARKER_HORI; }

private:
    CWaveformCCDFMainWnd* m_waveform = nullptr;
};
