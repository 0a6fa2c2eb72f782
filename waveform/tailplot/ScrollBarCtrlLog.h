#pragma once

#include "waveform/common/ScrollBarCtrl.h"

// Scroll bar of a logarithmic axis: the thumb shows the visible range in decades, the arrows step both
// limits to the next whole multiple of their decade and a drag scales them by 1 % per move.
class CScrollBarCtrlLog : public CScrollBarCtrl {
public:
    explicit CScrollBarCtrlLog(QWidget* parent = nullptr);
    ~CScrollBarCtrlLog() override;

    QRect ThumbRect() const override;

    // The neighbouring whole multiple of value's decade, above or below: 3.2e-5 steps to 4e-5 or 2e-5,
    // 1e-5 down to 9e-6. Values of 0 or below are returned as they are.
    static double DecadeStep(double value, bool up);

protected:
    void Step(double fraction, bool up, bool arrow) override;
};
