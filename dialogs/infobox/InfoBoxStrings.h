#pragma once

// The ids of the information library's string table: the about box's texts. The numbers are those of
// the library's resources; the language library translates the same ids.
namespace infobox {

enum : int {
    IDS_ABOUT_TITLE = 27100,
    IDS_ABOUT_OK = 27101,
    IDS_ABOUT_SYSINFO = 27102,
    IDS_ABOUT_COMPANY = 27103,
    IDS_ABOUT_CAPTION = 27104,
    IDS_ABOUT_VERSION = 27105,
    IDS_ABOUT_COPYRIGHT = 27106,
    IDS_ABOUT_WEBLINK = 27107,
    IDS_ABOUT_MAILLINK = 27108,
};

} // namespace infobox
