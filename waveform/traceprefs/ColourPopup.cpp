#include "waveform/traceprefs/ColourPopup.h"

#include "waveform/traceprefs/ColorButton.h"

#include <QColorDialog>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QToolTip>

const CColourPopup::ColourTableEntry CColourPopup::kColours[kColourCount] = {
    {0x000000, "Black"},
    {0x002AA5, "Brown"},
    {0x404000, "Dark Olive Green"},
    {0x005500, "Dark Green"},
    {0x5E0000, "Dark Teal"},
    {0x8B0000, "Dark blue"},
    {0x82004B, "Indigo"},
    {0x282828, "Dark grey"},
    {0x00008B, "Dark red"},
    {0x2068FF, "Orange"},
    {0x008B8B, "Dark yellow"},
    {0x009300, "Green"},
    {0x8E8E38, "Teal"},
    {0xFF0000, "Blue"},
    {0xC07B7B, "Blue-grey"},
    {0x666666, "Grey - 40"},
    {0x0000FF, "Red"},
    {0x5BADFF, "Light orange"},
    {0x32CD32, "Lime"},
    {0x71B33C, "Sea green"},
    {0xD4FF7F, "Aqua"},
    {0xC09E7D, "Light blue"},
    {0x800080, "Violet"},
    {0x7F7F7F, "Grey - 50"},
    {0xCBC0FF, "Pink"},
    {0x00D7FF, "Gold"},
    {0x00FFFF, "Yellow"},
    {0x00FF00, "Bright green"},
    {0xD0E040, "Turquoise"},
    {0xFFFFC0, "Skyblue"},
    {0x480048, "Plum"},
    {0xC0C0C0, "Light grey"},
    {0xE1E4FF, "Rose"},
    {0x8CB4D2, "Tan"},
    {0xE0FFFF, "Light yellow"},
    {0x98FB98, "Pale green "},
    {0xEEEEAF, "Pale turquoise"},
    {0x8B8368, "Pale blue"},
    {0xFAE6E6, "Lavender"},
    {0xFFFFFF, "White"},
};

CColourPopup::CColourPopup(CColorButton* owner, const QPoint& at, COLORREF colour, COLORREF defaultColour,
                           const QString& defaultText, const QString& customText)
    : QWidget(owner, Qt::Popup | Qt::FramelessWindowHint), m_owner(owner), m_initialColour(colour),
      m_defaultColour(defaultColour), m_defaultText(defaultText), m_customText(customText) {
    setAttribute(Qt::WA_DeleteOnClose);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    const QFontMetrics metrics(font());
    m_cell = std::max(18, 2 * 2 + 7);
    const int width = kColumns * m_cell + 2 * m_margin;
    const int boxHeight = metrics.height() + 4 * m_margin + 2;
    int y = m_margin;
    if (!m_defaultText.isEmpty()) {
        m_defaultBox = QRect(m_margin, y, width - 2 * m_margin, boxHeight);
        y += boxHeight + m_margin;
    }
    m_cellsRect = QRect(m_margin, y, kColumns * m_cell, RowCount() * m_cell);
    y += m_cellsRect.height() + m_margin;
    if (!m_customText.isEmpty()) {
        m_customBox = QRect(m_margin, y + m_margin, width - 2 * m_margin, boxHeight);
        y += boxHeight + 2 * m_margin;
    }
    resize(width, y);

    if (colour == CColorButton::CLR_DEFAULT) {
        m_chosen = !m_defaultText.isEmpty() ? kDefaultBox : (!m_customText.isEmpty() ? kCustomBox : kNone);
    } else {
        for (int i = 0; i < kColourCount && m_chosen == kNone; ++i)
            if (kColours[i].Colour == colour)
                m_chosen = i;
    }
    m_current = m_chosen;
    PlaceOnScreen(at);
}

CColourPopup::~CColourPopup() = default;

void CColourPopup::PlaceOnScreen(const QPoint& at) {
    QScreen* screen = QGuiApplication::screenAt(at);
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    QPoint place = at;
    if (screen != nullptr) {
        const QRect area = screen->availableGeometry();
        if (place.x() + width() > area.right() + 1)
            place.setX(area.right() + 1 - width());
        if (place.x() < area.left())
            place.setX(area.left());
        if (place.y() + height() > area.bottom() + 1) {
            const int ownerHeight = m_owner ? m_owner->height() : 0;
            place.setY(at.y() - ownerHeight - height());
        }
        if (place.y() < area.top())
            place.setY(area.top());
    }
    move(place);
}

QRect CColourPopup::ItemRect(int index) const {
    if (index == kDefaultBox)
        return m_defaultBox;
    if (index == kCustomBox)
        return m_customBox;
    if (index < 0 || index >= kColourCount)
        return {};
    return QRect(m_cellsRect.left() + (index % kColumns) * m_cell,
                 m_cellsRect.top() + (index / kColumns) * m_cell, m_cell, m_cell);
}

int CColourPopup::HitTest(const QPoint& point) const {
    if (m_defaultBox.contains(point))
        return kDefaultBox;
    if (m_customBox.contains(point))
        return kCustomBox;
    if (!m_cellsRect.contains(point))
        return kNone;
    const int index =
        ((point.y() - m_cellsRect.top()) / m_cell) * kColumns + (point.x() - m_cellsRect.left()) / m_cell;
    return index < kColourCount ? index : kNone;
}

COLORREF CColourPopup::ColourOf(int index) const {
    if (index == kDefaultBox)
        return CColorButton::CLR_DEFAULT;
    if (index >= 0 && index < kColourCount)
        return kColours[index].Colour;
    return m_initialColour;
}

void CColourPopup::ChangeSelection(int index) {
    if (index == m_current)
        return;
    m_current = index;
    update();
    if (m_owner && index != kNone)
        m_owner->OnPopupMessage(CColorButton::CPN_SELCHANGE, ColourOf(index));
}

void CColourPopup::Choose() {
    if (m_current == kCustomBox) {
        // The colour dialog runs its own loop: it has no parent, so the owner going away meanwhile
        // cannot delete it under us, and this popup is checked again afterwards.
        m_colourDialogOpen = true;
        hide();
        QPointer<CColourPopup> self(this);
        QPointer<QColorDialog> dialog = new QColorDialog(waveform::ToQColor(m_initialColour & 0xFFFFFF));
        const int result = dialog->exec();
        const QColor chosen = dialog ? dialog->selectedColor() : QColor();
        delete dialog.data();
        if (!self)
            return;
        m_colourDialogOpen = false;
        if (result == QDialog::Accepted && chosen.isValid())
            EndSelection(true, waveform::FromQColor(chosen));
        else
            EndSelection(false, m_initialColour);
        return;
    }
    if (m_current == kNone) {
        EndSelection(false, m_initialColour);
        return;
    }
    EndSelection(true, ColourOf(m_current));
}

void CColourPopup::EndSelection(bool chosen, COLORREF colour) {
    if (m_ended)
        return;
    m_ended = true;
    if (m_owner)
        m_owner->OnPopupMessage(chosen ? CColorButton::CPN_SELENDOK : CColorButton::CPN_SELENDCANCEL, colour);
    close();
}

void CColourPopup::mouseMoveEvent(QMouseEvent* event) {
    const int index = HitTest(event->position().toPoint());
    if (index != kNone)
        ChangeSelection(index);
}

void CColourPopup::mouseReleaseEvent(QMouseEvent* event) {
    const int index = HitTest(event->position().toPoint());
    if (rect().contains(event->position().toPoint()) && index != kNone) {
        ChangeSelection(index);
        Choose();
    } else if (!rect().contains(event->position().toPoint())) {
        EndSelection(false, m_initialColour);
    }
}

void CColourPopup::keyPressEvent(QKeyEvent* event) {
    const int rows = RowCount();
    const bool hasDefault = !m_defaultText.isEmpty();
    const bool hasCustom = !m_customText.isEmpty();
    int index = m_current;
    switch (event->key()) {
    case Qt::Key_Right:
        index = index < 0 ? 0 : (index + 1) % kColourCount;
        break;
    case Qt::Key_Left:
        index = index < 0 ? kColourCount - 1 : (index + kColourCount - 1) % kColourCount;
        break;
    case Qt::Key_Down:
        if (index == kDefaultBox)
            index = 0;
        else if (index == kCustomBox || index == kNone)
            index = hasDefault ? kDefaultBox : 0;
        else if (index + kColumns < kColourCount)
            index += kColumns;
        else
            index = hasCustom ? kCustomBox : (hasDefault ? kDefaultBox : index % kColumns);
        break;
    case Qt::Key_Up:
        if (index == kCustomBox)
            index = (rows - 1) * kColumns;
        else if (index == kDefaultBox || index == kNone)
            index = hasCustom ? kCustomBox : (rows - 1) * kColumns;
        else if (index >= kColumns)
            index -= kColumns;
        else
            index = hasDefault ? kDefaultBox : (hasCustom ? kCustomBox : index + (rows - 1) * kColumns);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        Choose();
        return;
    case Qt::Key_Escape:
        EndSelection(false, m_initialColour);
        return;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    ChangeSelection(index);
}

void CColourPopup::closeEvent(QCloseEvent* event) {
    // A click outside, or the application losing activation, closes the popup: that cancels.
    if (!m_colourDialogOpen)
        EndSelection(false, m_initialColour);
    QWidget::closeEvent(event);
}

bool CColourPopup::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int index = HitTest(help->pos());
        if (index >= 0)
            QToolTip::showText(help->globalPos(), QString::fromLatin1(kColours[index].Name), this,
                               ItemRect(index));
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

void CColourPopup::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette& pal = palette();
    painter.fillRect(rect(), pal.color(QPalette::Button));
    painter.setPen(pal.color(QPalette::Light));
    painter.drawLine(0, 0, width() - 1, 0);
    painter.drawLine(0, 0, 0, height() - 1);
    painter.setPen(pal.color(QPalette::Dark));
    painter.drawLine(width() - 1, 0, width() - 1, height() - 1);
    painter.drawLine(0, height() - 1, width() - 1, height() - 1);

    const auto drawState = [&](const QRect& r, int index) {
        if (index == m_current) {
            painter.setPen(pal.color(QPalette::Dark));
            painter.drawRect(r.adjusted(0, 0, -1, -1));
        } else if (index == m_chosen) {
            painter.fillRect(r, pal.color(QPalette::Highlight).lighter(160));
            painter.setPen(pal.color(QPalette::Light));
            painter.drawRect(r.adjusted(0, 0, -1, -1));
        }
    };
    const auto drawBox = [&](const QRect& r, int index, const QString& text) {
        if (r.isEmpty())
            return;
        drawState(r, index);
        painter.setPen(pal.color(QPalette::ButtonText));
        painter.drawText(r, Qt::AlignCenter, text);
        if (index == kDefaultBox) {
            QPen dotted(pal.color(QPalette::Dark), 1, Qt::DotLine);
            painter.setPen(dotted);
            painter.drawRect(r.adjusted(2, 2, -3, -3));
        } else {
            painter.setPen(pal.color(QPalette::Mid));
            painter.drawLine(r.left(), r.top() - m_margin, r.right(), r.top() - m_margin);
        }
    };
    drawBox(m_defaultBox, kDefaultBox, m_defaultText);
    drawBox(m_customBox, kCustomBox, m_customText);
    for (int i = 0; i < kColourCount; ++i) {
        const QRect r = ItemRect(i);
        drawState(r, i);
        const QRect swatch = r.adjusted(m_margin + 1, m_margin + 1, -m_margin - 1, -m_margin - 1);
        painter.fillRect(swatch, waveform::ToQColor(kColours[i].Colour));
        painter.setPen(pal.color(QPalette::Dark));
        painter.drawRect(swatch.adjusted(-1, -1, 0, 0));
    }
}
