#pragma once

#include "lumora/controls/DialogResize.h"

#include <QRect>
#include <QString>

class QWidget;
namespace controls {
class CThemeHelperST;
class CXPStyleButtonST;
} // namespace controls

// What the measurement pages build alike.

// The control ids every measurement page's template gives its shared controls.
struct CPageControlIds {
    enum : int {
        IDC_PLACE_HOLDER = 1016,
        IDC_LIST_STATISTIC = 1006,
        IDC_COMBO_HORI = 1066,
        IDC_COMBO_VERT = 1067,
        IDC_AUTO_AXES = 1068,
        IDC_LINE_FIRST = 1079,
        IDC_LINE_LAST = 1082,
        IDC_SETTINGS = 1083,
        IDC_ADAPTIVE = 1084,
        IDC_RESTORE = 1085,
        IDC_TOOL_PAN = 1086,
        IDC_TOOL_ZOOM = 1087,
        IDC_TOOL_HORI = 1088,
        IDC_TOOL_VERT = 1089,
        IDC_MARKER_VERT = 1090,
        IDC_MARKER_HORI = 1091,
        IDC_TOOL_NONE = 1092,
    };
};

// The resize map of the current, voltage and CCDF pages: the plot's place holder grows both ways,
// the table grows across and moves down, the settings button keeps to the right.
const controls::DlgResizeMapEntry* PageResizeMap();

// The tool buttons' tips, IDS_TIP_LINE_1 to IDS_TIP_MARKERS_VERT in the toolbar's order and IDS_TIP_CCDF.
void RegisterToolTipStrings();

// One tool button of a page at rect (pixels): its id, the page's theme, its icon, the tooltip in
// place of a caption, the toolbar look. Settings, fit and restore are push buttons, the rest
// check-like.
controls::CXPStyleButtonST* CreatePageToolButton(QWidget* page, controls::CThemeHelperST* theme, int id,
                                                 const QString& tip, const QRect& rect);
