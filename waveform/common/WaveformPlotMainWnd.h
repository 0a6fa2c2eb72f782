#pragma once

#include "platform/MessageTarget.h"
#include "waveform/common/AxisScrollBar.h"
#include "waveform/common/WaveformPlotWnd.h"

#include <QWidget>
#include <vector>

// The frame a host page embeds around a plot child: the child with a scroll bar per axis (the
// horizontal one along the bottom, the vertical one on the right, the two-axis window's left one on the
// left). It keeps the bars and the child's ranges in step (WM_APP+0x6D from the child, WM_USER+0x6D
// from a bar). Every method with a namesake in the child forwards to it and does nothing (returns 0)
// until the window is created. Used on the user-interface thread only.
class CWaveformPlotMainWnd : public QWidget, public platform::CMessageTarget {
public:
    static constexpr int kBarThickness = 15;

    ~CWaveformPlotMainWnd() override;

    platform::LRESULT OnMessage(platform::UINT message, platform::WPARAM wParam,
                                platform::LPARAM lParam) override;

    const platform::CLargeArray<double>& GetDataMultiLineX(int line) const {
        return m_plotWnd.GetDataMultiLineX(line);
    }
    const platform::CLargeArray<double>& GetDataMultiLineY(int line) const {
        return m_plotWnd.GetDataMultiLineY(line);
    }
    int GetMultiLineVisible(int line) const;
    void SetMultiLineVisible(int line, int visible);
    int IsMultiLineHasData(int line) const;
    int GetMultiLineStatistic(int line, double& min, double& max, double& mean) const;
    void SetMarkerVisible(int pairA, int show);
    int GetMarkerVisible(int pairA) const;
    void SetAxisTextHori(const QString& text);
    void SetAxisTextVert(const QString& text);
    void SetChartName(const QString& text);
    void SetAxisAdaptive();
    void SetAxisRestore();
    void ReDrawWaveformWnd(int axis, int realtime, int markers);
    // The preferences dialog on the display parameters, the visible ranges shown as the zoom limits;
    // on OK the parameters are applied, drawn and saved. 1 when the user left with OK, 0 on Cancel, -1
    // when the parameters were applied but their file could not be written.
    int SetPropertyWaveform();
    const CParameterWaveform& GetGDI() const { return m_plotWnd.GetGDI(); }

    void OnBeginPrinting(QPrinter* printer);
    void OnPrepareDC(QPainter* painter, QPaintDevice* printer);
    void OnPrint(QPainter* painter, const QRect* drawRect, int width, int height);
    void OnEndPrinting();

protected:
    explicit CWaveformPlotMainWnd(CWaveformPlotWnd& plotWnd);

    // Registers the scroll bar of an axis (bars are members of the window's frame, built before it
    // calls this). controlId tells apart two vertical bars that notify with a block (the two-axis
    // window); 0 when the bar notifies with the code itself.
    void AddAxisBar(QWidget& widget, CAxisScrollBar& bar, int axis, int controlId = 0);

    // Creates the child (its failure gives -2), passes the ranges to the bars and lays the parts out.
    // 0 on success.
    int CreateFrame(QWidget* parent, platform::CMessageTarget* host, const QRect& rect, int id);

    // The dialog's mode: 0 one vertical axis, 1 the two-axis window's left axis too.
    virtual int PropertyMode() const { return 0; }

    bool Ready() const { return m_created && m_plotWnd.IsCreated(); }
    CWaveformPlotWnd& PlotWnd() { return m_plotWnd; }
    const CWaveformPlotWnd& PlotWnd() const { return m_plotWnd; }

    void resizeEvent(QResizeEvent* event) override;

private:
    struct CBarLink {
        QWidget* Widget;
        CAxisScrollBar* Bar;
        int Axis;
        int ControlId;
    };

    void OnSize(int cx, int cy);
    void PassRangesToBars();
    void PassRange(const CBarLink& link, bool full);
    const CBarLink* BarOfAxis(int axis) const;
    // The bar that sent WM_USER+0x6D: wParam 0 the horizontal bar, 1 a vertical one.
    const CBarLink* NotifyingBar(platform::WPARAM wParam, platform::LPARAM lParam) const;

    CWaveformPlotWnd& m_plotWnd;
    std::vector<CBarLink> m_bars;
    bool m_created = false;
};
