#pragma once

// What the time-versus-amplitude plot reports to its host page: the records all plot windows share.
#include "waveform/common/PlotRecords.h"
