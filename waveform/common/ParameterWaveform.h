#pragma once

#include "waveform/common/ColorRef.h"
#include "waveform/common/LineStyle.h"

#include <QString>
#include <vector>

// Display parameters of one plot window. Passed between libraries by pointer: the field order is fixed.
class CParameterWaveform {
public:
    static constexpr int kLineCount = 4;

    CParameterWaveform();
    CParameterWaveform(const CParameterWaveform& other);
    CParameterWaveform& operator=(const CParameterWaveform& other);
    virtual ~CParameterWaveform();

    void SetDefaultScale();
    void SetDefaultColors();

    QString ScaleTextHori;
    QString ScaleTextVert;
    QString ScaleTextVertLeft;
    double HoriMaxZoom = 10.0;
    double HoriMinZoom = 0.0;
    double VertMaxZoom = 1.0;
    double VertMinZoom = 0.0;
    double VertLeftMaxZoom = 5.0;
    double VertLeftMinZoom = 0.0;
    int AxisWidth = 1;
    int AxisStyle = 0;
    COLORREF ColorAxis = 0xD3D3D3;
    COLORREF ColorAxisBkGnd = 0xFFFFFF;
    COLORREF ColorAxisText = 0x000000;
    int LineStyle = 0;
    int HoriUnitFixed = 1;
    QString ChartName;
    std::vector<CLineStyle> Styles;
};

static_assert(sizeof(QString) == 24 && sizeof(std::vector<CLineStyle>) == 24, "64-bit Qt 6 layout");
static_assert(sizeof(CParameterWaveform) == 208, "the record's layout is shared between libraries");
