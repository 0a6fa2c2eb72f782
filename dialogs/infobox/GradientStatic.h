#pragma once

#include "lumora/controls/ColorRef.h"

#include <QLabel>

namespace infobox {

using controls::COLORREF;
using controls::ToColorRef;
using controls::ToQColor;

// A static filled with a two-colour gradient, its text on one line on top.
class CGradientStatic : public QLabel {
public:
    explicit CGradientStatic(QWidget* parent = nullptr);

    // Left (or top) and right (or bottom) colours.
    void SetColor(COLORREF first);
    void SetGradientColor(COLORREF second);
    void SetTextColor(COLORREF color);
    // 0 left, 1 centred, any other value right.
    void SetTextAlign(int align);
    void SetVertical(bool vertical);
    void SetMargin(int margin);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_margin = 10;
    COLORREF m_first;
    COLORREF m_second;
    COLORREF m_textColor;
    int m_align = 0;
    bool m_vertical = false;
};

} // namespace infobox
