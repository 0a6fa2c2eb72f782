#pragma once

#include "platform/MessageTarget.h"
#include "waveform/common/MemoryDC.h"
#include "waveform/common/ParameterWaveform.h"
#include "waveform/tailplot/CcdfCurve.h"
#include "waveform/tailplot/LogAxis.h"
#include "waveform/tailplot/LogPlotPainter.h"

#include <QFont>
#include <QWidget>
#include <array>
#include <vector>

class QPaintDevice;
class QPrinter;

// Mouse tools of the CCDF window.
enum eWaveformOperateToolsCCDF : int {
    eCCDFToolNone = 0,
    eCCDFToolPan = 1,
    eCCDFToolZoomBox = 2,
    eCCDFToolZoomHori = 3,
    eCCDFToolZoomVert = 4,
};

// The plot child of the CCDF window: up to four CCDF curves on logarithmic axes, drawn in layers, two
// marker pairs, mouse tools, bitmap export and printing. Used on the user-interface thread only.
class CWaveformCCDFWnd : public QWidget {
public:
    // Range changes reported to the frame (WM_APP+0x6D, wParam).
    enum eAxisFlag : int { eHoriOrg = 1, eHoriZoom = 2, eVertOrg = 3, eVertZoom = 4 };
    static constexpr platform::UINT kAxisChangedMessage = platform::WM_APP + 0x6D;

    CWaveformCCDFWnd();
    ~CWaveformCCDFWnd() override;

    // Window creation: layers, fonts, then the parameter file "WaveformCCDF.xml". frame receives the
    // range changes. 0, or -2 when the layers cannot be had.
    int Create(QWidget* parent, platform::CMessageTarget* frame);
    bool IsCreated() const { return m_created; }
    QString ConfigFilePath() const;

    // The CCDF of n raw readings (see tailplot::ComputeCcdf); the line is shown when it holds points.
    void SetDataMultiLine(int line, const double* samples, unsigned n);
    // A ready CCDF (amplitude, percent) drawn as it is; 0 for fewer than two points or a bad line.
    int SetCcdfPointsMultiLine(int line, const double* amplitudes, const double* percents, unsigned n);
    const std::vector<double>& GetDataMultiLineX(int line) const;
    const std::vector<double>& GetDataMultiLineY(int line) const;
    int GetMultiLineVisible(int line) const;
    void SetMultiLineVisible(int line, int visible);
    int IsMultiLineHasData(int line) const;
    void SetMultiLineStyle(int line, const CLineStyle& style);
    void SetMultiLineStyle(int line, COLORREF colour, int unused, int width);
    CLineStyle GetMultiLineStyle(int line) const;

    void SetMarkerVisible(int pairA, int show);
    int GetMarkerVisible(int pairA) const;
    // The values under the marker lines as last drawn: pair A amplitudes, pair B percents.
    void GetMarkerValues(int pairA, double& value1, double& value2) const;
    void SetWaveformOperateTool(eWaveformOperateToolsCCDF tool);
    eWaveformOperateToolsCCDF GetWaveformOperateTool() const { return m_tool; }

    void SetAxisTextHori(const QString& text) { m_parameter.ScaleTextHori = text; }
    void SetAxisTextVert(const QString& text) { m_parameter.ScaleTextVert = text; }
    void SetChartName(const QString& text) { m_parameter.ChartName = text; }

    void SetAxisAdaptive();
    void SetAxisRestore();
    void SetAxisScaleHoriOrg(double min, double max, int notify);
    void SetAxisScaleVertOrg(double min, double max, int notify);
    // Visible ranges; a limit below 1e-20 is raised to it.
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

    // background: the axes and lines 1..3 too; line 0 and the markers are always redrawn.
    void ReDrawWaveformWnd(int background);
    int SaveAsBitmap(const QString& path) const;

    void OnBeginPrinting(QPrinter* printer);
    void OnPrepareDC(QPainter* painter, QPaintDevice* printer);
    void OnPrint(QPainter* painter, const QRect* drawRect, int width, int height);
    void OnEndPrinting();

    // The mapping of the visible ranges onto the plot area, as last laid out.
    tailplot::CLogMapping GetMapping() const { return Mapping(m_plot); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    enum eMarkerLine { eMarkerNone, eMarkerA1, eMarkerA2, eMarkerB1, eMarkerB2 };

    tailplot::CCcdfCurve* Line(int line);
    const tailplot::CCcdfCurve* Line(int line) const;
    void InitGDIObjects();
    void Notify(int flag);
    void RecalDrawArea(int cx, int cy);
    waveform::CPlotArea CalcAxisRect(const QRect& client) const;
    tailplot::CLogMapping Mapping(const waveform::CPlotArea& area) const;
    QPen FramePen() const;

    void DrawAll(QPainter& painter, const QRect& client, const tailplot::CLogMapping& mapping);
    void DrawLine(QPainter& painter, int line, const tailplot::CLogMapping& mapping) const;
    // Marker lines off the plot go onto its nearer edge; every line takes the value at its pixel.
    void PlaceMarkers(const tailplot::CLogMapping& mapping);
    eMarkerLine HitTest(const QPoint& point) const;
    void UpdateCursor();

    bool m_created = false;
    platform::CMessageTarget* m_frame = nullptr;

    QRect m_client;
    waveform::CPlotArea m_plot;
    CMemoryDC m_dcComposed, m_dcStatic, m_dcRealTime, m_dcScratch;

    CParameterWaveform m_parameter;
    bool m_axisPensApplied = false; // the frame pen follows ColorAxis once parameters were applied
    QFont m_fontSong, m_fontArial, m_fontMarker;

    std::array<tailplot::CCcdfCurve, CParameterWaveform::kLineCount> m_lines;

    double m_vertOrgMin = 0.001, m_vertOrgMax = 100.0, m_vertZoomMin = 0.001, m_vertZoomMax = 100.0;
    double m_horiOrgMin = 0.0001, m_horiOrgMax = 10.0, m_horiZoomMin = 0.0001, m_horiZoomMax = 10.0;

    bool m_buttonDown = false;
    QPoint m_pressPoint;
    double m_pressHoriMin = 0.0, m_pressHoriMax = 0.0, m_pressVertMin = 0.0, m_pressVertMax = 0.0;
    eWaveformOperateToolsCCDF m_tool = eCCDFToolNone;
    eMarkerLine m_over = eMarkerNone;
    eMarkerLine m_dragging = eMarkerNone;
    tailplot::CMarkerPair m_markerA, m_markerB;
};
