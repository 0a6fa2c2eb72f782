#include "lumora/core/PageSkeleton.h"

#include "lumora/LumoraStrings.h"
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
        {IDS_TIP_LINE_1, u"曲线1"},
        {IDS_TIP_LINE_2, u"曲线2"},
        {IDS_TIP_LINE_3, u"曲线3"},
        {IDS_TIP_LINE_4, u"曲线4"},
        {IDS_TIP_SETTINGS, u"设置"},
        {IDS_TIP_FIT, u"适应"},
        {IDS_TIP_RESTORE, u"恢复"},
        {IDS_TIP_NO_TOOL, u"无工具"},
        {IDS_TIP_DRAG, u"拖放"},
        {IDS_TIP_ZOOM_BOX, u"区域选择"},
        {IDS_TIP_ZOOM_HORI, u"水平选择"},
        {IDS_TIP_ZOOM_VERT, u"垂直选择"},
        {IDS_TIP_MARKERS_HORI, u"水平标记"},
        {IDS_TIP_MARKERS_VERT, u"垂直标记"},
        {IDS_TIP_CCDF, u"CCDF"},
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
