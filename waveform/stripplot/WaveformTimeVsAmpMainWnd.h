#pragma once

#include "platform/MessageTarget.h"
#include "waveform/common/ScrollBarCtrl.h"
#include "waveform/stripplot/WaveformTimeVsAmpWnd.h"

#include <QWidget>

// The time-versus-amplitude plot window a host page embeds: the plot child with a horizontal and a
// vertical scroll bar. Every method with a namesake in the child forwards to it and does nothing
// (returns 0) until the window is created. Used on the user-interface thread only.
class CWaveformTimeVsAmpMainWnd : public QWidget, public platform::CMessageTarget {
public:
    CWaveformTimeVsAmpMainWnd();
    ~CWaveformTimeVsAmpMainWnd() override;

    // Creates the window as a child of parent at rect; host receives WM_APP+0xC6 from the plot. 0 on
    // success; -2 when the plot, -3 the horizontal bar, -4 the vertical bar cannot be created.
    int Create(QWidget* parent, platform::CMessageTarget* host, const QRect& rect, int id = 0);

    platform::LRESULT OnMessage(platform::UINT message, platform::WPARAM wParam,
                                platform::LPARAM lParam) override;

    void SetConfigFileName(const QString& name);
    void SetDataMultiLine(int line, const double* x, const double* y, unsigned n, int exclusion);
    void ReDrawWaveformWnd(int axis, int realtime, int markers);
    void ResetWaveformWnd();
    const std::vector<double>& GetDataMultiLineX(int line) const {
        return m_wndWaveform.GetDataMultiLineX(line);
    }
    const std::vector<double>& GetDataMultiLineY(int line) const {
        return m_wndWaveform.GetDataMultiLineY(line);
    }
    int GetMultiLineVisible(int line) const;
    void SetMultiLineVisible(int line, int visible);
    int IsMultiLineHasData(int line) const;
    int GetMultiLineStatistic(int line, double& min, double& max, double& mean) const;
    void SetMarkerVisible(int pairA, int show);
    int GetMarkerVisible(int pairA) const;
    void SetWaveformOperateTool(eWaveformOperateTools tool);
    eWaveformOperateTools GetWaveformOperateTool() const;
    void SetAxisTextHori(const QString& text);
    void SetAxisTextVert(const QString& text);
    void SetChartName(const QString& text);
    void SetAxisAdaptive();
    void SetAxisRestore();
    int SaveAsBitmapTVA(const QString& path) const;

    void OnBeginPrinting(QPrinter* printer);
    void OnPrepareDC(QPainter* painter, QPaintDevice* printer);
    void OnPrint(QPainter* painter, const QRect* drawRect, int width, int height);
    void OnEndPrinting();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    bool Ready() const { return m_created && m_wndWaveform.IsCreated(); }
    void OnSize(int cx, int cy);
    void PassRangesToBars();

    CScrollBarCtrl m_scrollHori;
    CScrollBarCtrl m_scrollVert;
    CWaveformTimeVsAmpWnd m_wndWaveform;
    bool m_created = false;
};
