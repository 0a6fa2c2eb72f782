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

// The resize map of the current, voltage and CCDF pages: the plot's place holder grows both ways,
// the table grows across and moves down, the settings button keeps to the right.
const controls::DlgResizeMapEntry* PageResizeMap();

// The tool buttons' tips, strings 34300-34313 in the toolbar's order and 34315 "CCDF".
void RegisterToolTipStrings();

// One tool button of a page at rect (pixels): its id, the page's theme, its icon, the tooltip in
// place of a caption, the toolbar look. Settings, fit and restore are push buttons, the rest
// check-like.
controls::CXPStyleButtonST* CreatePageToolButton(QWidget* page, controls::CThemeHelperST* theme, int id,
                                                 const QString& tip, const QRect& rect);
