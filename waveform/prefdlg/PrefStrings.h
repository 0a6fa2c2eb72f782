#pragma once

#include <QString>

namespace prefdlg {

// The ids of the library's string table. The numbers are those of the library's resources; the
// language library translates the same ids.
enum : int {
    // The refusals of a value typed into an edit.
    IDS_ENTER_INTEGER = 34600,
    IDS_ENTER_INTEGER_RANGE = 34601,
    IDS_ENTER_NUMBER = 34609,
    // The dialog.
    IDS_CAPTION = 34602,
    IDS_CATEGORY = 34603,
    IDS_DEFAULTS_ALL = 34604,
    IDS_DEFAULTS_CURRENT = 34605,
    IDS_HELP = 34606,
    IDS_OK = 34607,
    IDS_CANCEL = 34608,
};

// The library's text of the id; its Chinese texts are registered at first use, so a language layer
// registered before or after takes their place.
QString Text(int id);

} // namespace prefdlg
