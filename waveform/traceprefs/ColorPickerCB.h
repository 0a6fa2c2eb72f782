#pragma once

#include "waveform/common/ColorRef.h"

#include <QComboBox>

// A list whose entries show a pen sample in the list's colour next to their text; each entry's item
// data is the value it stands for.
class CColorPickerCB : public QComboBox {
public:
    explicit CColorPickerCB(QWidget* parent = nullptr);
    ~CColorPickerCB() override;

    void SetColour(COLORREF colour);
    COLORREF GetColour() const { return m_colour; }
    // Selects the first entry whose item data equals value; false (and no selection) when none does.
    bool SelectValue(int value);
    // The selected entry's item data, 0 when nothing is selected.
    int SelectedValue() const;

    // Draws one entry's text and sample; used by the list and by the closed box.
    void DrawEntry(QPainter& painter, const QRect& rect, int index, bool selected, bool enabled) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void Fill(const std::initializer_list<std::pair<const char*, int>>& entries);
    virtual QPen SamplePen(int value) const = 0;

private:
    COLORREF m_colour = 0;
};

// Pen styles 0..4: solid, dash, dot, dash-dot, dash-dot-dot.
class CColorPickerCBLineStyle : public CColorPickerCB {
public:
    explicit CColorPickerCBLineStyle(QWidget* parent = nullptr);
    void InitializeDefaultStyles();
    static Qt::PenStyle PenStyleOf(int style);

protected:
    QPen SamplePen(int value) const override;
};

// Pen widths in pixels.
class CColorPickerCBLineWidth : public CColorPickerCB {
public:
    explicit CColorPickerCBLineWidth(QWidget* parent = nullptr);
    void InitializeDefaultWidths();

protected:
    QPen SamplePen(int value) const override;
};
