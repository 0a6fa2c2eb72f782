#pragma once

#include "waveform/common/PlotRecords.h"

// What the two-axis plot reports to its host page besides the records all plot windows share.

// The tools of the two-axis window (the numbers of eWaveformOperateTools).
enum eWaveformOperateToolsCombo : int {
    eComboToolNone = 0,
    eComboToolPan = 1,
    eComboToolZoomBox = 2,
    eComboToolZoomHori = 3,
    eComboToolZoomVert = 4,
};

// Control ids of the frame's vertical scroll bars, which tell the frame which of them moved.
constexpr int kComboLeftBarId = 33566;
constexpr int kComboRightBarId = 33567;

// Code 3 (pair B): the values of both pair B lines on both vertical axes.
struct CWaveformComboMarkerRecord {
    double RightValue1;
    double RightValue2;
    double LeftValue1;
    double LeftValue2;
};

static_assert(sizeof(CWaveformComboMarkerRecord) == 32, "pair B record layout read by the host page");
