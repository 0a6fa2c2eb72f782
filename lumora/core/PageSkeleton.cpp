#include "lumora/core/PageSkeleton.h"

#include "lumora/controls/XPStyleButtonST.h"
#include "lumora/shell/ToolIcon.h"
#include "platform/ControlId.h"

const controls::DlgResizeMapEntry* PageResizeMap() {
    using controls::CDialogResize;
    static const controls::DlgResizeMapEntry map[] = {
        {1016, CDialogResize::SizeX | CDialogResize::SizeY},
        {1006, CDialogResize::SizeX | CDialogResize::MoveY},
        {1083, CDialogResize::MoveX},
        {-1, 0},
    };
    return map;
}

controls::CXPStyleButtonST* CreatePageToolButton(QWidget* page, controls::CThemeHelperST* theme, int id,
                                                 const QString& tip, const QRect& rect) {
    using controls::CXPStyleButtonST;
    const bool push = id == 1083 || id == 1084 || id == 1085;
    auto* button =
        new CXPStyleButtonST(page, push ? CXPStyleButtonST::BS_PUSHBUTTON : CXPStyleButtonST::BS_CHECKBOX);
    platform::SetControlId(button, id);
    button->SetThemeHelper(theme);
    button->SetIcons(shell::ToolIcon(id));
    button->BrightenBackColor();
    button->SetTooltipText(tip);
    button->setText(QString());
    button->DrawAsToolbar(true);
    button->setGeometry(rect);
    return button;
}
