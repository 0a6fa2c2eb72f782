#include "ThemeHelperST.h"

#include <QApplication>
#include <QPainter>
#include <QStyleOption>

namespace controls {

CThemeHelperST::CThemeHelperST() : m_followApplication(true) {}

CThemeHelperST::CThemeHelperST(QStyle* style) : m_style(style) {}

QStyle* CThemeHelperST::Style(const QWidget* widget) const {
    if (!m_followApplication)
        return m_style.data();
    if (widget != nullptr)
        return widget->style();
    return qobject_cast<QApplication*>(QCoreApplication::instance()) ? QApplication::style() : nullptr;
}

bool CThemeHelperST::IsAppThemed() const {
    return Style() != nullptr;
}

CThemeHelperST::HTHEME CThemeHelperST::OpenThemeData(QWidget* widget, const QString& className) const {
    if (Style(widget) == nullptr)
        return {};
    if (className.compare(QStringLiteral("BUTTON"), Qt::CaseInsensitive) == 0)
        return {QStringLiteral("BUTTON")};
    if (className.compare(QStringLiteral("TOOLBAR"), Qt::CaseInsensitive) == 0)
        return {QStringLiteral("TOOLBAR")};
    return {};
}

CThemeHelperST::HRESULT CThemeHelperST::CloseThemeData(HTHEME& theme) const {
    if (Style() == nullptr || !theme.IsValid())
        return E_FAIL;
    theme = {};
    return S_OK;
}

CThemeHelperST::HRESULT CThemeHelperST::DrawThemeBackground(const HTHEME& theme, QPainter& painter, int part,
                                                            int state, const QRect& rect,
                                                            const QWidget* widget) const {
    QStyle* style = Style(widget);
    if (style == nullptr || !theme.IsValid() || part != BP_PUSHBUTTON)
        return E_FAIL;
    const bool toolbar = theme.className == QStringLiteral("TOOLBAR");
    QStyleOptionButton option;
    if (widget != nullptr)
        option.initFrom(widget);
    option.rect = rect;
    option.state &=
        ~(QStyle::State_MouseOver | QStyle::State_Sunken | QStyle::State_On | QStyle::State_Raised);
    option.state |= QStyle::State_Enabled;
    switch (state) {
    case PBS_HOT:
        option.state |= QStyle::State_MouseOver | QStyle::State_Raised;
        break;
    case PBS_PRESSED:
        option.state |= QStyle::State_Sunken | QStyle::State_On;
        break;
    case PBS_DISABLED:
        option.state &= ~QStyle::State_Enabled;
        break;
    case PBS_DEFAULTED:
        if (toolbar)
            option.state |= QStyle::State_On;
        else
            option.features |= QStyleOptionButton::DefaultButton;
        break;
    default:
        break;
    }
    if (toolbar) {
        // A tool button shows a panel only while hovered, pressed or checked.
        if (option.state & (QStyle::State_MouseOver | QStyle::State_Sunken | QStyle::State_On))
            style->drawPrimitive(QStyle::PE_PanelButtonTool, &option, &painter, widget);
    } else {
        style->drawControl(QStyle::CE_PushButtonBevel, &option, &painter, widget);
    }
    return S_OK;
}

CThemeHelperST::HRESULT CThemeHelperST::DrawThemeParentBackground(const QWidget* widget, QPainter&,
                                                                  const QRect&) const {
    return Style(widget) == nullptr || widget == nullptr ? E_FAIL : S_OK;
}

} // namespace controls
