#include "XPStyleButtonST.h"

#include "ThemeHelperST.h"

namespace controls {

CXPStyleButtonST::CXPStyleButtonST(QWidget* parent, unsigned style) : CButtonST(parent, style) {}

void CXPStyleButtonST::SetThemeHelper(CThemeHelperST* helper) {
    m_themeHelper = helper;
    update();
}

void CXPStyleButtonST::DrawAsToolbar(bool toolbar, bool repaint) {
    m_toolbar = toolbar;
    if (repaint)
        update();
}

bool CXPStyleButtonST::Themed() const {
    return m_themeHelper != nullptr && m_themeHelper->IsAppThemed();
}

void CXPStyleButtonST::PaintBackground(QPainter& painter, const QRect& rect) {
    if (Themed()) {
        CThemeHelperST::HTHEME theme = m_themeHelper->OpenThemeData(
            this, m_toolbar ? QStringLiteral("TOOLBAR") : QStringLiteral("BUTTON"));
        if (theme.IsValid()) {
            int state = CThemeHelperST::PBS_NORMAL;
            if (IsDefaultButton() && (!m_toolbar || DrawsFlatBorder()))
                state = CThemeHelperST::PBS_DEFAULTED;
            if (IsHovered())
                state = CThemeHelperST::PBS_HOT;
            if (IsPressedState())
                state = CThemeHelperST::PBS_PRESSED;
            if (IsDisabledState())
                state = CThemeHelperST::PBS_DISABLED;
            m_themeHelper->DrawThemeParentBackground(this, painter, rect);
            m_themeHelper->DrawThemeBackground(theme, painter, CThemeHelperST::BP_PUSHBUTTON, state, rect,
                                               this);
            m_themeHelper->CloseThemeData(theme);
            return;
        }
    }
    CButtonST::PaintBackground(painter, rect);
}

void CXPStyleButtonST::PaintBorder(QPainter& painter, const QRect& rect) {
    if (Themed())
        return;
    CButtonST::PaintBorder(painter, rect);
}

} // namespace controls
