#pragma once

#include "waveform/common/ColorRef.h"

#include <QBrush>
#include <QPen>

// The style of one curve. The record is passed between libraries by pointer: the field order is fixed.
class CLineStyle {
public:
    CLineStyle();
    CLineStyle(const CLineStyle& other);
    CLineStyle& operator=(const CLineStyle& other);
    virtual ~CLineStyle();

    // A solid pen of LineWidth and LineColor and a solid brush of LineColor.
    void ReCreateObjects();

    // What drawing uses: built from the numbers now, so a pen left from older colours is never drawn.
    QPen DrawPen() const;
    QBrush DrawBrush() const;

    int Visible = 0;
    QPen Pen;
    QBrush Brush;
    int LineWidth = 1;
    COLORREF LineColor = 0x000000;
    int DrawnFirstIndex = 0;
    int DrawnEndIndex = 0;
    int DrawnFirstX = 0;
    int DrawnLastX = 0;
};

static_assert(sizeof(COLORREF) == 4, "COLORREF is a 32-bit 0x00BBGGRR value");
static_assert(sizeof(CLineStyle) == 56, "the style record's layout is shared between libraries");
