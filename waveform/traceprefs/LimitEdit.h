#pragma once

#include "lumora/controls/DigEdit.h"

#include <QString>

// A digit edit for a zoom limit. A limit of a plot of nanoamperes needs more than the six decimals a
// digit edit shows, so it shows each value with six significant digits (and at least six decimals),
// steps the digits past the sixth decimal too, and gives back the limit it was given, to the last bit,
// as long as the user has not changed its text.
class CLimitEdit : public controls::CDigEdit {
public:
    explicit CLimitEdit(QWidget* parent = nullptr);
    ~CLimitEdit() override;

    // Shows the limit with at least the given decimals.
    void SetLimit(double value, int decimals);
    // The limit given when its text is the one shown for it, else the value typed (within the edit's
    // bounds).
    double Limit();
    // Whether the text is the given limit or a number typed (the strict rule, no key refused).
    bool HasLimit() const;

    // The decimals that show the value with six significant digits, at least six.
    static int DecimalsFor(double value);
    // The decimals that show two limits apart: each with six significant digits and their difference
    // with three.
    static int DecimalsForPair(double min, double max);
    // The value in fixed notation with the decimals, trailing zeros past the sixth decimal (or past the
    // kept ones) removed.
    static QString LimitText(double value, int decimals, int kept = 0);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // The text of the value as typed or stepped: with the decimals it needs, and no fewer than the
    // edit was given.
    QString TextOf(double value) const;
    double Bounded(double value) const;
    // The typed value, or the last one taken when the text holds no number.
    double Typed() const;
    void Take();
    void StepDigit(bool up);

    double m_given = 0.0;
    QString m_givenText;
    QString m_takenText;
    int m_decimals = 6;
};
