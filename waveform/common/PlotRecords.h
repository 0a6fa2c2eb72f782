#pragma once

#include "platform/MessageTarget.h"

#include <cstddef>
#include <cstdint>

// What a plot window reports to its host page and what passes between the parts of a plot frame. The
// host reads the records with this same declaration: their layouts are fixed.

// WM_APP+0xC6: wParam points to a record valid only during the call, lParam is the code.
constexpr platform::UINT WM_WAVEFORM_MARKER = platform::WM_APP + 0xC6;
constexpr platform::LPARAM kMarkerCodePairA = 0;
constexpr platform::LPARAM kMarkerCodePairB = 3;
constexpr platform::LPARAM kMarkerCodeStatistics = 6;

// Between the parts of a plot frame: the child reports a changed range (wParam: the flag), a scroll bar
// a moved visible range (wParam: 0 horizontal, 1 vertical bar).
constexpr platform::UINT WM_WAVEFORM_AXIS_CHANGED = platform::WM_APP + 0x6D;
constexpr platform::UINT WM_WAVEFORM_SCROLLBAR = platform::WM_USER + 0x6D;

// The vertical axis of a one-axis window is the right axis of the two-axis window; the left axis is
// that window's second vertical axis.
enum eAxisChanged : int {
    eAxisHoriOrg = 1,
    eAxisHoriZoom = 2,
    eAxisVertOrg = 3,
    eAxisVertZoom = 4,
    eAxisLeftOrg = 5,
    eAxisLeftZoom = 6,
};

// The mouse tools; every window numbers its tools this way.
enum eWaveformOperateTools : int {
    eWaveformToolNone = 0,
    eWaveformToolPan = 1,
    eWaveformToolZoomBox = 2,
    eWaveformToolZoomHori = 3,
    eWaveformToolZoomVert = 4,
};

// Marker pair A (vertical lines on line 0's samples) or pair B (horizontal lines).
struct CWaveformMarkerRecord {
    int Shown;
    std::uint32_t Index1; // pair A: sample index of line 1
    std::uint32_t Index2;
    int Pixel1; // pair A: pixel x; pair B: pixel y
    int Pixel2;
    double Value1; // pair A: X value; pair B: the value
    double Value2;
    double Value3; // pair A: Y value
    double Value4;
};

struct CWaveformStatisticRecord {
    int Valid;
    double Maximum;
    double Minimum;
    double Mean;
    double Product; // |X2 - X1| * mean / 3.6: the charge in mAh
};

static_assert(sizeof(CWaveformMarkerRecord) == 56 && offsetof(CWaveformMarkerRecord, Index1) == 4 &&
                  offsetof(CWaveformMarkerRecord, Pixel1) == 12 &&
                  offsetof(CWaveformMarkerRecord, Value1) == 24 &&
                  offsetof(CWaveformMarkerRecord, Value4) == 48,
              "marker record layout read by the host pages");
static_assert(sizeof(CWaveformStatisticRecord) == 40 && offsetof(CWaveformStatisticRecord, Maximum) == 8 &&
                  offsetof(CWaveformStatisticRecord, Product) == 32,
              "statistics record layout read by the host pages");
