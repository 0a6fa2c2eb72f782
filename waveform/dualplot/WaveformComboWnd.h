#pragma once

#include "waveform/common/WaveformPlotWnd.h"
#include "waveform/dualplot/ComboRecords.h"

#include <array>
#include <functional>

// The plot child of the two-axis data-logging window: four lines against a common time axis, each
// scaled on the left or the right vertical axis; line 0 grows slice by slice while a run logs. Pair B
// is placed by right-axis values and reports both axes; the tools move and zoom the time and the right
// axis. The time axis follows the data: its full range is the time the lines span, and its visible
// range goes with it until the user moves or zooms it; SetAxisRestore, the scroll bar's reset, a new
// run and the reset bring the following back. The vertical axes follow a run's refits
// (FollowVerticalData) alike until the user moves or zooms one of them, or gives the dialog other
// limits; SetAxisRestore, SetAxisAdaptive, a bar's reset, a new run and the reset bring that back.
// Used on the user-interface thread only.
class CWaveformComboWnd : public CWaveformPlotWnd {
public:
    CWaveformComboWnd();
    ~CWaveformComboWnd() override;

    // Line 0 emptied; SetDataIndex may then fill up to capacity samples. Its memory grows with the
    // samples handed over, so that a long run takes no more than it has logged.
    void InitialMemory(unsigned capacity);
    // Appends samples [start, start + count) of the run's whole buffers x and y to line 0: only that
    // slice is copied and summarised. Nothing when it goes beyond the capacity InitialMemory gave. A
    // slice starting before the end of line 0 replaces what lay from there on. Excluded indices of the
    // slice are appended by the rule of SetDataMultiLine. Nothing is redrawn and the host is told
    // nothing; the time axis follows the data (the frame's bar is told).
    void SetDataIndex(const double* x, const double* y, unsigned start, unsigned count, int exclusion);
    // The same with x and y pointing at the slice's first sample. 0 when it was not taken: beyond the
    // capacity, or no memory for it (line 0 then stays as it was).
    int AppendDataSlice(const double* x, const double* y, unsigned start, unsigned count, int exclusion);
    // Samples line 0 has room for before its arrays move.
    std::size_t DataRoom() const;
    // Room for at least 'room' samples in line 0 (no more than the capacity) without a second copy of its
    // samples: the arrays are let go first and made again, and refill(x, y, n) writes the n samples the
    // line held, which the caller has elsewhere. 0 when the memory could not be had: line 0 is then made
    // again as it was (empty only when not even that memory is left).
    int RemakeDataRoom(std::size_t room,
                       const std::function<void(double* x, double* y, std::size_t n)>& refill);
    // Replaces a line's samples; axis: non-zero the left axis, 0 the right one.
    void SetDataMultiLine(int line, const double* x, const double* y, unsigned n, int axis, int exclusion);
    // Ranges back to their starting values (right 0..1, left 0..5, time 0..1) and line 0 emptied, its
    // room given back.
    void ResetWaveformDataLogging();
    // The number of samples of the line; 0 for a line outside 0..3.
    unsigned GetMultiLineDataLength(int line) const;

    void SetAxisTextVertLeft(const QString& text) { m_parameter.ScaleTextVertLeft = text; }
    void SetAxisTextVertRight(const QString& text) { m_parameter.ScaleTextVert = text; }

    // The left axis over the visible lines on it and the right axis over those on it; the time axis is
    // left as it is (it follows the data, or stays where the user put it). The vertical axes follow the
    // data from then on.
    void SetAxisAdaptive() override;
    // A run's refit: the full ranges of the vertical axes fitted as SetAxisAdaptive fits them, and the
    // visible ranges too while they follow the data (not after the user's own vertical view).
    void FollowVerticalData();
    void OnHorizontalView(bool restored) override;
    void OnVerticalView(bool restored) override;
    // True while the visible time range follows the data.
    bool FollowsTime() const { return m_followTime; }
    // True while the visible vertical ranges follow the data.
    bool FollowsVertical() const { return m_followVertical; }

    void SetWaveformOperateTool(eWaveformOperateToolsCombo tool) { SetOperateTool(tool); }
    eWaveformOperateToolsCombo GetWaveformOperateTool() const {
        return static_cast<eWaveformOperateToolsCombo>(GetOperateTool());
    }

protected:
    waveform::CPlotArea CalcAxisRect(const QRect& client) const override;
    void DrawAxes(QPainter& painter, const QRect& client,
                  const waveform::CPlotMapping& mapping) const override;
    waveform::CPlotMapping LineMapping(int line, const waveform::CPlotMapping& mapping) const override;
    void DrawRealTimeLines(QPainter& painter, const waveform::CPlotMapping& mapping,
                           bool keepDrawnRange) override;
    void ReportMarkerB() override;
    void ApplyParameterRanges(int notify) override;
    bool WidensShortTimeSpans() const override { return true; }

private:
    // Each grid row of the right axis with its right label and the left axis' label at its pixel row.
    template <typename Visit> void ForEachRowLabel(const waveform::CPlotMapping& mapping, Visit visit) const;
    // Full time range := the time the visible lines span; the visible range too while it follows.
    void FollowTimeOfData();
    // Full ranges of the vertical axes := the extents of their visible lines; the visible ranges too
    // when asked.
    void FitVerticalAxes(bool visible);
    void MakeRoom(CLineData& d, std::size_t needed);

    std::array<int, kLineCount> m_axisFlags{};
    bool m_followTime = true;
    bool m_followVertical = true;
    std::size_t m_capacity = 0;
    CWaveformComboMarkerRecord m_comboMarkerB{};
};
