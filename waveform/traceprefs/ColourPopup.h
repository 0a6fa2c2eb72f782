#pragma once

#include "waveform/common/ColorRef.h"

#include <QPointer>
#include <QWidget>

class CColorButton;

// The palette dropped down by a CColorButton: 40 colours in 8 columns, an "Automatic" box above and a
// "More Colors..." box below. It is a child window of its button, so it closes with it, and it calls
// the button only while the button still exists. It deletes itself when it closes.
class CColourPopup : public QWidget {
public:
    static constexpr int kColumns = 8;
    static constexpr int kColourCount = 40;
    static constexpr int kNone = -1;
    static constexpr int kCustomBox = -2;
    static constexpr int kDefaultBox = -3;

    struct ColourTableEntry {
        COLORREF Colour;
        const char* Name;
    };
    static const ColourTableEntry kColours[kColourCount];

    // at: the screen point of the owner's lower-left corner; colour: CLR_DEFAULT for automatic.
    CColourPopup(CColorButton* owner, const QPoint& at, COLORREF colour, COLORREF defaultColour,
                 const QString& defaultText, const QString& customText);
    ~CColourPopup() override;

    int CurrentIndex() const { return m_current; }
    // The texts of the "Automatic" and "More Colors..." boxes.
    const QString& DefaultText() const { return m_defaultText; }
    const QString& CustomText() const { return m_customText; }
    // The rectangle of a cell or box, in the popup's coordinates.
    QRect ItemRect(int index) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    int RowCount() const { return (kColourCount + kColumns - 1) / kColumns; }
    int HitTest(const QPoint& point) const;
    COLORREF ColourOf(int index) const;
    void ChangeSelection(int index);
    void Choose();
    void EndSelection(bool chosen, COLORREF colour);
    void PlaceOnScreen(const QPoint& at);

    QPointer<CColorButton> m_owner;
    COLORREF m_initialColour;
    COLORREF m_defaultColour;
    QString m_defaultText;
    QString m_customText;
    int m_cell = 18;
    int m_margin = 2;
    QRect m_defaultBox, m_customBox, m_cellsRect;
    int m_chosen = kNone;
    int m_current = kNone;
    bool m_colourDialogOpen = false;
    bool m_ended = false;
};
