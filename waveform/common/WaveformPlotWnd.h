#pragma once

#include "platform/MessageTarget.h"
#include "waveform/common/LineData.h"
#include "waveform/common/LinePainter.h"
#include "waveform/common/MemoryDC.h"
#include "waveform/common/ParameterWaveform.h"
#include "waveform/common/PlotMapping.h"
#include "waveform/common/PlotRecords.h"

#include <QFont>
#include <QImage>
#include <QRegion>
#include <QStringList>
#include <QWidget>
#include <array>
#include <vector>

class QPaintDevice;
class QPrinter;

// One node of a plot's four lines.
struct CLoopLinkItem {
    CLineData Data;
    double XMin = 0.0, XMax = 0.0; // time extent of all samples
    CLoopLinkItem* Prev = nullptr;
    CLoopLinkItem* Next = nullptr;
};

// The axes of a plot window. The vertical axis of a one-axis window is the right axis of the two-axis
// window; the left axis exists in that window only.
enum ePlotAxis : int { ePlotAxisHori = 0, ePlotAxisVert = 1, ePlotAxisLeft = 2 };

// The plot child shared by the plot windows: four lines in a circular list, a display parameter record
// with its file, layered drawing (static layer: axes and lines 1..3; real-time lines drawn over a copy
// of it on the shown layer; markers and the zoom box on top, with the pixels under them kept so that
// moving them restores only what they covered), full and visible ranges per axis reported to the frame
// (WM_APP+0x6D), two marker pairs reported to the host (WM_APP+0xC6), four mouse tools, bitmap export
// and printing. A window adds its own data entries and overrides the hooks below (axes, line mapping,
// plot rectangle, auto-fit). Used on the user-interface thread only.
class CWaveformPlotWnd : public QWidget {
public:
    static constexpr int kLineCount = CParameterWaveform::kLineCount;
    static constexpr int kAxisCount = 3;

    explicit CWaveformPlotWnd(const QString& configFileName);
    ~CWaveformPlotWnd() override;

    // Window creation: layers, fonts, then the parameter file. frame receives the range changes,
    // host the marker and statistics records. 0, or -2 when the layers cannot be had.
    int Create(QWidget* parent, platform::CMessageTarget* frame, platform::CMessageTarget* host);
    bool IsCreated() const { return m_created; }

    void SetConfigFileName(const QString& name) { m_configFileName = name; }
    QString ConfigFilePath() const;

    // ---- lines ----
    // A line outside 0..3 gives line 0's values.
    const std::vector<double>& GetDataMultiLineX(int line) const;
    const std::vector<double>& GetDataMultiLineY(int line) const;
    int GetMultiLineVisible(int line) const;
    void SetMultiLineVisible(int line, int visible);
    int IsMultiLineHasData(int line) const;
    // Minimum, maximum and mean of the line's samples that are not excluded; 0 when none remain.
    int GetMultiLineStatistic(int line, double& min, double& max, double& mean) const;
    void SetMultiLineStyle(int line, const CLineStyle& style);
    void SetMultiLineStyle(int line, COLORREF colour, int unused, int width);
    CLineStyle GetMultiLineStyle(int line) const;

    // ---- markers and tools ----
    void SetMarkerVisible(int pairA, int show);
    int GetMarkerVisible(int pairA) const;
    // The tool numbers of eWaveformOperateTools, which every window's tool enumeration shares.
    void SetOperateTool(int tool);
    int GetOperateTool() const { return m_tool; }

    void SetAxisTextHori(const QString& text) { m_parameter.ScaleTextHori = text; }
    void SetAxisTextVert(const QString& text) { m_parameter.ScaleTextVert = text; }
    void SetChartName(const QString& text) { m_parameter.ChartName = text; }

    // ---- ranges ----
    // Full (Org) and visible (Zoom) range of an axis; notify sends the axis' flag to the frame. A
    // visible range set so is a chosen view (OnHorizontalView, OnVerticalView).
    void SetAxisScaleOrg(int axis, double min, double max, int notify);
    void SetAxisScaleZoom(int axis, double min, double max, int notify);
    // The visible range alone, as the window's own fitting and the frame's bars set it.
    void SetAxisZoomRange(int axis, double min, double max, int notify);
    void GetAxisScaleOrg(int axis, double& min, double& max) const;
    void GetAxisScaleZoom(int axis, double& min, double& max) const;
    void SetAxisScaleHoriOrg(double min, double max, int notify);
    void SetAxisScaleVertOrg(double min, double max, int notify);
    void SetAxisScaleHoriZoom(double min, double max, int notify);
    void SetAxisScaleVertZoom(double min, double max, int notify);
    void GetAxisScaleHoriOrg(double& min, double& max) const;
    void GetAxisScaleVertOrg(double& min, double& max) const;
    void GetAxisScaleHoriZoom(double& min, double& max) const;
    void GetAxisScaleVertZoom(double& min, double& max) const;

    // Fits the ranges to the data of the visible lines (by default horizontal and vertical over all of
    // them).
    virtual void SetAxisAdaptive();
    // Visible := full range on every axis of the window, vertical ones first.
    void SetAxisRestore();
    // The horizontal view was chosen: moved or zoomed by the user (pan, zoom box, scroll bar), or
    // brought back to its full range (restored: SetAxisRestore, the scroll bar's reset). A window that
    // follows its data on that axis stops or starts again.
    virtual void OnHorizontalView(bool restored) { (void)restored; }
    // The same for the vertical axes: moved or zoomed by the user (pan, zoom box, scroll bar), or
    // brought back to their full ranges.
    virtual void OnVerticalView(bool restored) { (void)restored; }

    // ---- parameters ----
    const CParameterWaveform& GetGDI() const { return m_parameter; }
    // Applies the record (its zoom fields become the full and visible ranges), redraws and saves it.
    // Applies and draws the parameters and saves them to the plot's file; 0 when the file was not written.
    int SetGDI(const CParameterWaveform& parameter);
    // Copies the visible ranges into the record's zoom fields.
    virtual void UpdateParameterWaveform();
    // A copy of the record with the visible ranges as its zoom fields; the record itself is kept.
    CParameterWaveform ParameterWithVisibleRanges();
    int SaveParameters();

    // ---- drawing ----
    // axis: the static layer (axes, lines 1..3); realtime: the real-time lines; markers: the marker
    // lines (0 leaves them off).
    void ReDrawWaveformWnd(int axis, int realtime, int markers);
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
    enum eMarkerLine { eMarkerNone, eMarkerA1, eMarkerA2, eMarkerB1, eMarkerB2 };

    // ---- hooks of the windows ----
    // The plot rectangle inside a client rectangle, its margins wide enough for the labels of the
    // present ranges.
    virtual waveform::CPlotArea CalcAxisRect(const QRect& client) const;
    // Axes, grid, labels and captions on the static layer, printer or bitmap.
    virtual void DrawAxes(QPainter& painter, const QRect& client,
                          const waveform::CPlotMapping& mapping) const;
    // Draws one line; the base draws it from its summary in the mapping LineMapping gives.
    virtual void DrawOneLine(QPainter& painter, int line, const waveform::CPlotMapping& mapping,
                             bool keepDrawnRange);
    // The mapping a line is drawn in (the two-axis window scales a line on its own vertical axis).
    virtual waveform::CPlotMapping LineMapping(int line, const waveform::CPlotMapping& mapping) const;
    // The lines of the real-time layer (the base: line 0).
    virtual void DrawRealTimeLines(QPainter& painter, const waveform::CPlotMapping& mapping,
                                   bool keepDrawnRange);
    // Draws the shown marker pairs when draw is set; the area they cover on the painter either way.
    virtual QRegion DrawMarkers(QPainter& painter, const waveform::CPlotMapping& mapping, bool draw) const;
    // Reports pair B after a drag (the base: the pair B record, code 3).
    virtual void ReportMarkerB();
    // The record's ranges: the base takes the horizontal and the vertical zoom fields.
    virtual void ApplyParameterRanges(int notify);
    // Pair A snaps to line 0's samples; a window without samples in time order lets it stand anywhere.
    virtual bool MarkersSnapToLine() const { return true; }
    // True where visible time spans below 0.0001 are widened to it before drawing.
    virtual bool WidensShortTimeSpans() const { return false; }
    // Labels stand this far from the plot and at least this far inside the client.
    static constexpr int kLabelGap = 3;
    static constexpr int kLabelEdge = 2;

    // The two-axis window uses the left axis too: restoring and parameters then cover it.
    void UseLeftAxis() { m_axisCount = kAxisCount; }
    int AxisCount() const { return m_axisCount; }

    // Makes an axis logarithmic: its visible limits are kept at 1e-20 or above and the tools pan and
    // zoom it in decades.
    void SetAxisLogarithmic(int axis, bool logarithmic);
    bool IsAxisLogarithmic(int axis) const;

    // ---- pieces for the windows ----
    CLoopLinkItem* Line(int line) const;
    // Replaces a line's samples: copy, excluded indices by the exclusion rule (PlotExclusion.h) and
    // summary; the line is shown when it holds samples. Pair A goes back to the first sample.
    void AssignLine(int line, const double* x, const double* y, unsigned n, int exclusion);
    // Forgets what was drawn of a line, so that the marker snapping does not use it.
    void ForgetDrawnRange(int line) { m_drawn[static_cast<std::size_t>(line)] = {}; }
    // Extent of a line's samples: all times, values that are not excluded. False when none counts.
    bool LineExtent(int line, double& xMin, double& xMax, double& yMin, double& yMax) const;
    void Notify(int flag);
    void SendMarker(platform::LPARAM code, const void* record);
    // Puts pair A lines left at 0 on the first sample of the given line and reports pair A.
    void ResetMarkerA(const CLineData& line);
    // The mapping of the horizontal and vertical visible ranges on an area. An empty or reversed linear
    // time span is widened to 0.0001 (and any shorter one where the window widens short spans).
    waveform::CPlotMapping DrawMapping(const waveform::CPlotArea& area) const;
    // The plot rectangle of the client with margins of at least the given widths: a whole number of
    // 10-pixel steps wide and high, 2 and 3 text heights above and below.
    waveform::CPlotArea PlotAreaWithMargins(const QRect& client, int left, int right) const;
    // The width of the widest text in the axis font; a label's margin adds its gap to the plot.
    int WidestLabel(const QStringList& texts) const;
    bool AxesDrawable(const waveform::CPlotMapping& mapping) const;
    // Pens, fonts and texts of the axes, for the windows' DrawAxes.
    QColor GridColour() const;
    QPen AxisPen() const;
    const QFont& AxisFont() const { return m_fontArial; }
    const QFont& MarkerFont() const { return m_fontMarker; }
    // The linear vertical grid: lines every span / 10 with their labels below the plot, each inside the
    // client and none over the one before it.
    void DrawTimeGrid(QPainter& painter, const QRect& client, const waveform::CPlotMapping& mapping) const;
    // The chart name over the plot, the horizontal caption at the client's bottom, and the frame.
    void DrawCaptionsAndFrame(QPainter& painter, const QRect& client, const waveform::CPlotArea& area) const;

    CParameterWaveform m_parameter;
    CWaveformMarkerRecord m_markerA{};
    CWaveformMarkerRecord m_markerB{};
    CWaveformStatisticRecord m_statistic{};

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    struct CAxisRange {
        double OrgMin = 0.0, OrgMax = 1.0, ZoomMin = 0.0, ZoomMax = 1.0;
        bool Log = false;
    };

    // Pixels of the shown layer kept from under an overlay (marker lines, the zoom box).
    struct COverlayPiece {
        QRect Rect;
        QImage Pixels;
    };

    void OnSize(int cx, int cy);
    void RecalDrawArea(int cx, int cy);
    void InitGDIObjects();
    void DrawStaticLines(QPainter& painter, const waveform::CPlotMapping& mapping, bool keepDrawnRange);
    // The vertical labels of the one-axis windows at the grid values of the mapping.
    QStringList VerticalLabels(const waveform::CPlotMapping& mapping) const;
    // Puts back what the overlays covered, last drawn first; the area they covered.
    QRegion RemoveOverlays();
    // Keeps the shown layer's pixels of what draw(painter, false) covers, then draws it (draw(painter,
    // true)); the area covered.
    template <typename Draw> QRegion DrawOverlay(Draw draw);
    // The zoom box of the pointer's drag on the shown layer, with the markers under it.
    void ShowZoomBox(const QRect& box);
    void PlaceMarkerPixels(const waveform::CPlotMapping& mapping);
    eMarkerLine HitTest(const QPoint& point) const;
    void DragMarker(const QPoint& point);
    void SendStatistics();
    void UpdateCursor();
    void Pan(const QPoint& point);
    void ZoomToBox(const QPoint& release);
    // Limits a logarithmic axis' visible range to positive values.
    void AdjustZoom(int axis, double& min, double& max) const;
    static int OrgFlag(int axis);
    static int ZoomFlag(int axis);

    bool m_created = false;
    platform::CMessageTarget* m_frame = nullptr;
    platform::CMessageTarget* m_host = nullptr;

    QRect m_client;
    waveform::CPlotArea m_plot;
    // The shown layer and the static one (axes and static lines).
    CMemoryDC m_dcComposed, m_dcStatic;
    std::vector<COverlayPiece> m_overlays;

    bool m_axisPensApplied = false; // frame and grid pens follow ColorAxis once parameters were applied
    QString m_configFileName;
    QFont m_fontSong, m_fontArial, m_fontMarker;

    std::array<CLoopLinkItem, kLineCount> m_items;
    CLoopLinkItem* m_head = nullptr;
    std::array<waveform::CDrawnRange, kLineCount> m_drawn;
    std::array<CAxisRange, kAxisCount> m_axes;

    bool m_buttonDown = false;
    QPoint m_pressPoint, m_currentPoint;
    std::array<CAxisRange, kAxisCount> m_axesAtPress;
    int m_axisCount = 2;
    int m_tool = eWaveformToolNone;
    eMarkerLine m_over = eMarkerNone;
    eMarkerLine m_dragging = eMarkerNone;
};
