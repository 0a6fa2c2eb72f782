#pragma once

#include <QString>

namespace traceprefs {

// The colour popup's boxes.
enum : int { IDS_AUTOMATIC = 34727, IDS_MORE_COLORS = 34728 };

// The library's text of the id; its Chinese texts are registered at first use, so a language layer
// registered before or after takes their place.
QString Text(int id);

} // namespace traceprefs
