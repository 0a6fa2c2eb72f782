#pragma once

#include "platform/MessageTarget.h"
#include "waveform/tailplot/ScrollBarCtrlLog.h"
#include "waveform/tailplot/WaveformCCDFWnd.h"

#include <QWidget>

// The CCDF plot window a host page embeds: the plot child with a logarithmic horizontal and vertical
// scroll bar. Every method with a namesake in the child forwards to it and does nothing (returns 0)
// until the window is created. Used on the user-interface thread only.
class CWaveformCCDFMainWnd : public QWidget, public platform::CMessageTarget {
public:
    CWaveformCCDFMainWnd();
    ~CWaveformCCDFMainWnd() override;

    // Creates the window as a child of parent at rect. 0 on success; -2 when the plot, -3 the
    // horizontal bar, -4 the vertical bar cannot be created.
    int Create(QWidget* parent, const QRect& rect, int id = 0);

    platform::LRESULT OnMessage(platform::UINT message, platform::WPARAM wParam,
                                platform::LPARAM lParam) override;

    // The CCDF of n raw readings for the line; the caller redraws.
    void SetDataMultiLine(int line, const double* samples, unsigned n);
    // A CCDF read ready-made from a file, its points drawn as they are. 0 for fewer than two points.
    int SetCcdfPointsMultiLine(int line, const double* amplitudes, const double* percents, unsigned n);
    int GetMultiLineVisible(int line) const;
    void SetMultiLineVisible(int line, int visible);
    int IsMultiLineHasData(int line) const;
    void SetMarkerVisible(int pairA, int show);
    int GetMarkerVisible(int pairA) const;
    void SetWaveformOperateTool(eWaveformOperateToolsCCDF tool);
    eWaveformOperateToolsCCDF GetWaveformOperateTool() const;
    void SetAxisTextHori(const QString& text);
    void SetAxisTextVert(const QString& text);
    void SetChartName(const QString& text);
    void SetAxisAdaptive();
    void SetAxisRestore();
    void ReDrawWaveformWnd(int background);
    int SaveAsBitmapCCDF(const QString& path) const;

    void OnBeginPrinting(QPrinter* printer);
    void OnPrepareDC(QPainter* painter, QPaintDevice* printer);
    void OnPrint(QPainter* painter, const QRect* drawRect, int width, int height);
    void OnEndPrinting();

    // The plot child, for what the frame does not forward (styles, ranges, parameters).
    CWaveformCCDFWnd& Plot() { return m_wndWaveform; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    bool Ready() const { return m_created && m_wndWaveform.IsCreated(); }
    void OnSize(int cx, int cy);
    void PassRangesToBars();

    CScrollBarCtrlLog m_scrollHori;
    CScrollBarCtrlLog m_scrollVert;
    CWaveformCCDFWnd m_wndWaveform;
    bool m_created = false;
};
