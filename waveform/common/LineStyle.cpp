#include "waveform/common/LineStyle.h"

CLineStyle::CLineStyle() : Pen(Qt::black, 1, Qt::SolidLine), Brush(Qt::black, Qt::SolidPattern) {}

CLineStyle::CLineStyle(const CLineStyle& other) : CLineStyle() {
    *this = other;
}

CLineStyle& CLineStyle::operator=(const CLineStyle& other) {
    if (this == &other)
        return *this;
    const bool widthChanged = LineWidth != other.LineWidth;
    LineWidth = other.LineWidth;
    if (LineColor != other.LineColor) {
        LineColor = other.LineColor;
        ReCreateObjects();
    } else if (widthChanged || Pen.style() == Qt::NoPen) {
        ReCreateObjects();
    }
    Visible = other.Visible;
    DrawnFirstIndex = other.DrawnFirstIndex;
    DrawnEndIndex = other.DrawnEndIndex;
    DrawnFirstX = other.DrawnFirstX;
    DrawnLastX = other.DrawnLastX;
    return *this;
}

CLineStyle::~CLineStyle() = default;

void CLineStyle::ReCreateObjects() {
    Pen = DrawPen();
    Brush = DrawBrush();
}

QPen CLineStyle::DrawPen() const {
    QPen pen(waveform::ToQColor(LineColor), LineWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    return pen;
}

QBrush CLineStyle::DrawBrush() const {
    return QBrush(waveform::ToQColor(LineColor), Qt::SolidPattern);
}
