#pragma once

#include <QString>

namespace traceprefs {

// The ids of the library's string table. The numbers are those of the library's resources; the
// language library translates the same ids.
enum : int {
    // The preferences dialog: its caption, its tree and the refusals of its axis page.
    IDS_PAGE_AXIS = 2000,
    IDS_CAPTION = 2001,
    IDS_PAGE_COLOUR = 2002,
    IDS_VERT_RANGE = 2004,
    IDS_HORI_RANGE = 2005,
    // The axis page.
    IDS_CHART_NAME = 34700,
    IDS_HORI_AXIS = 34701,
    IDS_UNIT_ADAPTIVE = 34702,
    IDS_UNIT_FIXED = 34703,
    IDS_AXIS_TEXT = 34704,
    IDS_AXIS_MIN = 34705,
    IDS_AXIS_MAX = 34706,
    IDS_VERT_AXIS = 34707,
    IDS_LEFT_AXIS = 34708,
    IDS_AXIS_UNIT = 34709,
    // The colour page; the point styles and the curves in their lists' order.
    IDS_AXES = 34710,
    IDS_AXIS_COLOUR = 34711,
    IDS_LINE_STYLE = 34712,
    IDS_LINE_WIDTH = 34713,
    IDS_TEXT_COLOUR = 34714,
    IDS_BACK_COLOUR = 34715,
    IDS_CURVES = 34716,
    IDS_POINTS_LINE = 34717,
    IDS_POINTS_DIAMOND = 34718,
    IDS_POINTS_CROSS = 34719,
    IDS_POINTS_SQUARE = 34720,
    IDS_CURVE_1 = 34721,
    IDS_CURVE_2 = 34722,
    IDS_CURVE_3 = 34723,
    IDS_CURVE_4 = 34724,
    IDS_CURVE_NAME = 34725,
    IDS_CURVE_COLOUR = 34726,
    // The colour popup's boxes.
    IDS_AUTOMATIC = 34727,
    IDS_MORE_COLORS = 34728,
};

// The library's text of the id; its Chinese texts are registered at first use, so a language layer
// registered before or after takes their place.
QString Text(int id);

} // namespace traceprefs
