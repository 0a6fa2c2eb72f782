#pragma once

#include <QString>

namespace optionsbox {

// The ids of the library's string table. The numbers are those of the library's resources; the
// language library translates the same ids.
enum : int {
    // The dialog and its tree.
    IDS_APPLY = 34500,
    IDS_PAGE_GENERAL = 34501,
    IDS_PAGE_DATA = 34502,
    IDS_CAPTION = 34503,
    // The data page.
    IDS_DATA_FORMAT = 34504,
    IDS_DECIMAL_PLACES = 34505,
    IDS_SCIENTIFIC_RANGE = 34506,
    IDS_BELOW = 34507,
    IDS_ABOVE = 34508,
    // The general page: its groups, and what each offers.
    IDS_CONFIG_FILE = 34509,
    IDS_CURRENT_FILES = 34510,
    IDS_AUTO_SAVE = 34511,
    IDS_DATALOGGING_FILES = 34512,
    IDS_SECONDS = 34513,
    IDS_REFRESH_INTERVAL = 34514,
    IDS_LOG_FILES = 34515,
    IDS_SAVE_LOG = 34516,
    IDS_VOLTAGE_FILES = 34517,
    IDS_CCDF_FILES = 34518,
};

// The library's text of the id; its Chinese texts are registered at first use, so a language layer
// registered before or after takes their place.
QString Text(int id);

} // namespace optionsbox
