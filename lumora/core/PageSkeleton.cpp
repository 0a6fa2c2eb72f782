#include "lumora/core/PageSkeleton.h"

#include "lumora/controls/XPStyleButtonST.h"
#include "lumora/shell/ToolIcon.h"
#include "platform/ControlId.h"
#include "platform/StringTable.h"

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

void RegisterToolTipStrings() {
    platform::RegisterStrings({
        {34300, u"曲线1"},
        {34301, u"曲线2"},
        {34302, u"曲线3"},
        {34303, u"曲线4"},
        {34304, u"设置"},
        {34305, u"适应"},
        {34306, u"恢复"},
        {34307, u"无工具"},
        {34308, u"拖放"},
        {34309, u"区域选择"},
        {34310, u"水平选择"},
        {34311, u"垂直选择"},
        {34312, u"水平标记"},
        {34313, u"垂直标记"},
        {34315, u"CCDF"},
    });
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
