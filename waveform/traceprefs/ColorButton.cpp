#include "waveform/traceprefs/ColorButton.h"

#include "platform/ControlId.h"
#include "waveform/traceprefs/ColourPopup.h"
#include "waveform/traceprefs/TraceStrings.h"

#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

CColorButton::CColorButton(QWidget* parent)
    : QPushButton(parent), m_defaultColour(waveform::FromQColor(palette().color(QPalette::Mid))),
      m_defaultText(traceprefs::Text(traceprefs::IDS_AUTOMATIC)),
      m_customText(traceprefs::Text(traceprefs::IDS_MORE_COLORS)) {
    setAutoDefault(false);
    connect(this, &QPushButton::clicked, this, [this] { OnClicked(); });
}

CColorButton::~CColorButton() = default;

void CColorButton::SetColour(COLORREF colour) {
    m_automatic = colour == CLR_DEFAULT;
    if (!m_automatic)
        m_colour = colour & 0xFFFFFF;
    update();
}

void CColorButton::SetDefaultColour(COLORREF colour) {
    m_defaultColour = colour & 0xFFFFFF;
    update();
}

void CColorButton::OnClicked() {
    if (m_popupOpen)
        return;
    m_popupOpen = true;
    const COLORREF shown = m_automatic ? CLR_DEFAULT : m_colour;
    auto* popup = new CColourPopup(this, mapToGlobal(rect().bottomLeft()), shown, m_defaultColour,
                                   m_defaultText, m_customText);
    popup->show();
    update();
    Notify(CPN_DROPDOWN, GetColour());
}

void CColorButton::OnPopupMessage(platform::UINT message, COLORREF colour) {
    switch (message) {
    case CPN_SELENDOK: {
        m_popupOpen = false;
        const COLORREF before = GetColour();
        const bool wasAutomatic = m_automatic;
        SetColour(colour);
        Notify(CPN_CLOSEUP, GetColour());
        Notify(CPN_SELENDOK, GetColour());
        if (before != GetColour() || wasAutomatic != m_automatic)
            Notify(CPN_SELCHANGE, GetColour());
        break;
    }
    case CPN_SELENDCANCEL:
        m_popupOpen = false;
        SetColour(colour);
        Notify(CPN_CLOSEUP, GetColour());
        Notify(CPN_SELENDCANCEL, GetColour());
        break;
    case CPN_SELCHANGE:
        if (m_trackSelection)
            SetColour(colour);
        Notify(CPN_SELCHANGE, Resolve(colour));
        break;
    default:
        break;
    }
}

void CColorButton::Notify(platform::UINT message, COLORREF colour) {
    for (QWidget* w = parentWidget(); w != nullptr; w = w->parentWidget()) {
        if (auto* target = dynamic_cast<platform::CMessageTarget*>(w)) {
            platform::SendMessage(target, message, colour, platform::ControlId(this));
            return;
        }
    }
}

void CColorButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    if (m_popupOpen)
        option.state |= QStyle::State_Sunken;
    painter.drawControl(QStyle::CE_PushButtonBevel, option);
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(3, 3, -3, -3);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
    QRect inner = rect().adjusted(4, 4, -4, -4);
    if (option.state & QStyle::State_Sunken)
        inner.translate(1, 1);
    const int arrowWidth = 9;
    const QRect arrow(inner.right() - arrowWidth, inner.center().y() - 2, arrowWidth - 2, 4);
    const QColor arrowColour =
        isEnabled() ? palette().color(QPalette::ButtonText) : palette().color(QPalette::Mid);
    QPolygon triangle;
    triangle << arrow.topLeft() << arrow.topRight() << QPoint(arrow.center().x(), arrow.bottom());
    painter.setPen(arrowColour);
    painter.setBrush(arrowColour);
    painter.drawPolygon(triangle);
    const int separatorX = arrow.left() - 4;
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(separatorX, inner.top(), separatorX, inner.bottom());
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(separatorX + 1, inner.top(), separatorX + 1, inner.bottom());
    if (!isEnabled())
        return;
    const QRect swatch(inner.left(), inner.top(), separatorX - 3 - inner.left(), inner.height());
    painter.setPen(Qt::black);
    painter.setBrush(waveform::ToQColor(GetColour()));
    painter.drawRect(swatch.adjusted(0, 0, -1, -1));
}
