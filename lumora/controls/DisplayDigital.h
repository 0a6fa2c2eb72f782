#pragma once

#include "ColorRef.h"

#include <QFont>
#include <QRect>
#include <QString>
#include <QWidget>

namespace controls {

// The large readout of a supply: a voltage with "V" and a current with "A", one above the other, or
// one of them over the full height when the other is empty. The owner sets the texts and updates.
class CDisplayDigital : public QWidget {
public:
    explicit CDisplayDigital(QWidget* parent = nullptr);
    ~CDisplayDigital() override;

    QString m_strCurrent;
    QString m_strVoltage;
    COLORREF m_crText = RGB(0, 0, 0);
    COLORREF m_crBack = RGB(179, 183, 139);
    // Whether the supply's output is on; the owner keeps it in step with the output switch.
    bool m_bOutputOn = false;

    // Lays the rectangles out for the current client size.
    void Layout();
    const QRect& UpperValueRect() const { return m_upperValue; }
    const QRect& UpperUnitRect() const { return m_upperUnit; }
    const QRect& LowerValueRect() const { return m_lowerValue; }
    const QRect& LowerUnitRect() const { return m_lowerUnit; }
    const QRect& FullValueRect() const { return m_fullValue; }
    const QRect& FullUnitRect() const { return m_fullUnit; }
    const QFont& UnitFont() const { return m_unitFont; }
    // The font a value text is drawn in within a rectangle of the width.
    static QFont FittedFont(const QFont& font, const QString& text, int width);
    const QFont& ValueFont() const { return m_valueFont; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    static QFont MakeFont(int pixelHeight);

    QRect m_upperValue;
    QRect m_upperUnit;
    QRect m_lowerValue;
    QRect m_lowerUnit;
    QRect m_fullValue;
    QRect m_fullUnit;
    QFont m_valueFont;
    QFont m_unitFont;
};

} // namespace controls
