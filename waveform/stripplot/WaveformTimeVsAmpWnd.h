#pragma once

#include "platform/MessageTarget.h"
#include "waveform/common/LineData.h"
#include "waveform/common/LinePainter.h"
#include "waveform/common/MemoryDC.h"
#include "waveform/common/ParameterWaveform.h"
#include "waveform/common/PlotMapping.h"
#include "waveform/stripplot/TimeVsAmpRecords.h"

#include <QFont>
#include <QWidget>
#include <array>
#include <vector>

class QPaintDevice;
class QPrinter;

// One node of the plot's four lines.
struct CLoopLinkItem {
    CLineData Data;
    double XMin = 0.0, XMax = 0.0; // time extent of all samples
    CLoopLinkItem* Prev = nullptr;
    CLoopLinkItem* Next = nullptr;
};

// The plot child of the time-versus-amplitude window: four lines of amplitude against time drawn in
// layers, axes and grid, two marker pairs, mouse tools, bitmap export and printing. Used on the
// user-interface thread only.
class CWaveformTimeVsAmpWnd : public QWidget {
public:
    CWaveformTimeVsAmpWnd();
    ~CWaveformTimeVsAmpWnd() override;

    // Window creation: layers, fonts, then the parameter file. frame receives the range changes,
    // host the marker and statistics records. 0, or -2 when the layers cannot be had.
    int Create(QWidget* parent, platform::CMessageTarget* frame, platform::CMessageTarget* host);
    bool IsCreated() const { return m_created; }

    void SetConfigFileName(const QString& name) { m_configFileName = name; }
    QString ConfigFilePath() const;

    void SetDataMultiLine(int line, const double* x, const double* y, unsigned n, int exclusion);
    void ReDrawWaveformWnd(int axis, int realtime, int markers);
    void ResetWaveformWnd();
    const std::vector<double>& GetDataMultiLineX(int line) const;
    const std::vector<double>& GetDataMultiLineY(int line) const;
    int GetMultiLineVisible(int line) const;
    void SetMultiLineVisible(int line, int visible);
    int IsMultiLineHasData(int line) const;
    int GetMultiLineStatistic(int line, double& min, double& max, double& mean) const;
    void SetMultiLineStyle(int line, const CLineStyle& style);
    void SetMultiLineStyle(int line, COLORREF colour, int unused, int width);
    CLineStyle GetMultiLineStyle(int line) const;

    void SetMarkerVisible(int pairA, int show);
    int GetMarkerVisible(int pairA) const;
    void SetWaveformOperateTool(eWaveformOperateTools tool);
    eWaveformOperateTools GetWaveformOperateTool() const { return m_tool; }

    void SetAxisTextHori(const QString& text) { m_parameter.ScaleTextHori = text; }
    void SetAxisTextVert(const QString& text) { m_parameter.ScaleTextVert = text; }
    void SetChartName(const QString& text) { m_parameter.ChartName = text; }

    void SetAxisAdaptive();
    void SetAxisRestore();
    void SetAxisScaleHoriOrg(double min, double max, int notify);
    void SetAxisScaleVertOrg(double min, double max, int notify);
    void SetAxisScaleHoriZoom(double min, double max, int notify);
    void SetAxisScaleVertZoom(double min, double max, int notify);
    void GetAxisScaleHoriOrg(double& min, double& max) const;
    void GetAxisScaleVertOrg(double& min, double& max) const;
    void GetAxisScaleHoriZoom(double& min, double& max) const;
    void GetAxisScaleVertZoom(double& min, double& max) const;

    const CParameterWaveform& GetGDI() const { return m_parameter; }
    void SetGDI(const CParameterWaveform& parameter);
    void UpdateParameterWaveform();
    int SaveParameters();

    int SaveAsBitmap(const QString& path) const;

    // Printing on a painter of the print job: one page, scaled by the printer's to the screen's
    // resolution; drawRect is the page's drawing rectangle in the scaled units.
    void OnBeginPrinting(QPrinter* printer);
    void OnPrepareDC(QPainter* painter, QPaintDevice* printer);
    void OnPrint(QPainter* painter, const QRect* drawRect, int width, int height);
    void OnEndPrinting();

    // The area inside the axes, as last laid out.
    waveform::CPlotArea GetPlotArea() const { return m_plot; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    enum eMarkerLine { eMarkerNone, eMarkerA1, eMarkerA2, eMarkerB1, eMarkerB2 };

    CLoopLinkItem* Line(int line) const;
    void OnSize(int cx, int cy);
    void RecalDrawArea(int cx, int cy);
    waveform::CPlotArea CalcAxisRect(const QRect& client) const;
    void InitGDIObjects();
    void Notify(int flag);
    void SendMarker(platform::LPARAM code, const void* record);

    // The mapping that drawing uses; a horizontal span below 0.0001 is widened.
    waveform::CPlotMapping DrawMapping(const waveform::CPlotArea& area) const;
    bool AxesDrawable(const waveform::CPlotMapping& mapping) const;

    // One drawing routine per layer, for screen, bitmap and printer alike.
    void DrawAxes(QPainter& painter, const QRect& client, const waveform::CPlotMapping& mapping) const;
    void DrawStaticLines(QPainter& painter, const waveform::CPlotMapping& mapping, bool keepDrawnRange);
    void DrawRealTimeLine(QPainter& painter, const waveform::CPlotMapping& mapping, bool keepDrawnRange);
    void DrawMarkers(QPainter& painter, const waveform::CPlotMapping& mapping) const;
    void DrawOneLine(QPainter& painter, int line, const waveform::CPlotMapping& mapping, bool keepDrawnRange);

    void PlaceMarkerPixels(const waveform::CPlotMapping& mapping);
    // Puts pair A lines left at 0 on the first sample of the given line and reports pair A.
    void ResetMarkerA(const CLineData& line);
    eMarkerLine HitTest(const QPoint& point) const;
    void DragMarker(const QPoint& point);
    void SendStatistics();
    void UpdateCursor();

    bool m_created = false;
    platform::CMessageTarget* m_frame = nullptr;
    platform::CMessageTarget* m_host = nullptr;

    QRect m_client;
    waveform::CPlotArea m_plot;
    CMemoryDC m_dcComposed, m_dcStatic, m_dcRealTime, m_dcScratch;
    bool m_composedNeedsStatic = true;

    CParameterWaveform m_parameter;
    bool m_axisPensApplied = false; // frame and grid pens follow ColorAxis once parameters were applied
    QString m_configFileName = QStringLiteral("Waveform.xml");
    QFont m_fontSong, m_fontArial, m_fontMarker;

    std::array<CLoopLinkItem, CParameterWaveform::kLineCount> m_items;
    CLoopLinkItem* m_head = nullptr;
    std::array<waveform::CDrawnRange, CParameterWaveform::kLineCount> m_drawn;

    double m_vertOrgMin = 0.0, m_vertOrgMax = 1.0, m_vertZoomMin = 0.0, m_vertZoomMax = 1.0;
    double m_horiOrgMin = 0.0, m_horiOrgMax = 1.0, m_horiZoomMin = 0.0, m_horiZoomMax = 1.0;

    bool m_buttonDown = false;
    QPoint m_pressPoint, m_currentPoint;
    double m_pressHoriMin = 0.0, m_pressHoriMax = 0.0, m_pressVertMin = 0.0, m_pressVertMax = 0.0;
    eWaveformOperateTools m_tool = eWaveformToolNone;
    eMarkerLine m_over = eMarkerNone;
    eMarkerLine m_dragging = eMarkerNone;

    CWaveformMarkerRecord m_markerA{};
    CWaveformMarkerRecord m_markerB{};
    CWaveformStatisticRecord m_statistic{};
};
