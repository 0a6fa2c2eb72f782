#pragma once

#include <QString>

namespace prefdlg {

// The library's text of the id; its Chinese texts are registered at first use, so a language layer
// registered before or after takes their place.
QString Text(int id);

} // namespace prefdlg
