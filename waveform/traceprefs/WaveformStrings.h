#pragma once

#include <QString>

// The texts of the waveform preferences dialog, by their ids. They stay in the library's own table so
// they cannot clash with the ids of the program that loads it.
namespace traceprefs {

enum : int {
    IDS_PAGE_AXIS = 2000,
    IDS_CAPTION = 2001,
    IDS_PAGE_COLOUR = 2002,
    IDS_VERT_RANGE = 2004,
    IDS_HORI_RANGE = 2005,
};

QString LoadString(int id);

} // namespace traceprefs
