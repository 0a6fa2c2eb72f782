#include "waveform/common/ParameterWaveform.h"

namespace {

constexpr COLORREF kDefaultLineColors[CParameterWaveform::kLineCount] = {0xFF0000, 0xCBC0FF, 0x800080,
                                                                         0x008000};

} // namespace

CParameterWaveform::CParameterWaveform() : Styles(kLineCount) {
    SetDefaultScale();
    SetDefaultColors();
}

CParameterWaveform::CParameterWaveform(const CParameterWaveform& other) : Styles() {
    *this = other;
}

CParameterWaveform& CParameterWaveform::operator=(const CParameterWaveform& other) {
    if (this == &other)
        return *this;
    ScaleTextHori = other.ScaleTextHori;
    ScaleTextVert = other.ScaleTextVert;
    ScaleTextVertLeft = other.ScaleTextVertLeft;
    HoriMaxZoom = other.HoriMaxZoom;
    HoriMinZoom = other.HoriMinZoom;
    VertMaxZoom = other.VertMaxZoom;
    VertMinZoom = other.VertMinZoom;
    VertLeftMaxZoom = other.VertLeftMaxZoom;
    VertLeftMinZoom = other.VertLeftMinZoom;
    AxisWidth = other.AxisWidth;
    AxisStyle = other.AxisStyle;
    ColorAxis = other.ColorAxis;
    ColorAxisBkGnd = other.ColorAxisBkGnd;
    ColorAxisText = other.ColorAxisText;
    LineStyle = other.LineStyle;
    HoriUnitFixed = other.HoriUnitFixed;
    ChartName = other.ChartName;
    if (Styles.size() > other.Styles.size())
        Styles.resize(other.Styles.size());
    for (size_t i = 0; i < other.Styles.size(); ++i) {
        if (i < Styles.size())
            Styles[i] = other.Styles[i];
        else
            Styles.push_back(other.Styles[i]);
    }
    return *this;
}

CParameterWaveform::~CParameterWaveform() = default;

void CParameterWaveform::SetDefaultScale() {
    HoriMaxZoom = 10.0;
    HoriMinZoom = 0.0;
    VertMaxZoom = 1.0;
    VertMinZoom = 0.0;
    VertLeftMaxZoom = 5.0;
    VertLeftMinZoom = 0.0;
    ChartName = QStringLiteral("电流波形曲线");
    ScaleTextHori = QStringLiteral("时间 (s)");
    ScaleTextVert = QStringLiteral("电流 (A)");
    ScaleTextVertLeft = QStringLiteral("电压 (V)");
    HoriUnitFixed = 1;
}

void CParameterWaveform::SetDefaultColors() {
    LineStyle = 0;
    AxisWidth = 1;
    AxisStyle = 0;
    ColorAxis = 0xD3D3D3;
    ColorAxisBkGnd = 0xFFFFFF;
    ColorAxisText = 0;
    for (size_t i = 0; i < Styles.size() && i < static_cast<size_t>(kLineCount); ++i) {
        Styles[i].LineColor = kDefaultLineColors[i];
        Styles[i].ReCreateObjects();
    }
    if (!Styles.empty())
        Styles[0].Visible = 1;
}
