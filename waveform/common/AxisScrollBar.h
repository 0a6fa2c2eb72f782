#pragma once

// What a plot frame needs of the scroll bar of an axis, linear or logarithmic: it passes the axis'
// ranges in and reads the visible range back after the bar reported a move.
class CAxisScrollBar {
public:
    virtual ~CAxisScrollBar() = default;
    virtual void SetFullRange(double min, double max) = 0;
    virtual void SetVisibleRange(double min, double max) = 0;
    virtual double VisibleMin() const = 0;
    virtual double VisibleMax() const = 0;
};
