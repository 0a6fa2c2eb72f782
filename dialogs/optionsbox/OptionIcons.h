#pragma once

#include <QPixmap>

namespace optionsbox {

// The icons of the main preferences dialog by resource id: 55219 the dialog's, 55230 the
// configuration file's group, 55242 the current data's, 55210 the data logging's, 55243 the log's.
// 32 x 32 pixels; an unknown id gives an empty picture of that size.
QPixmap OptionIcon(int id);

} // namespace optionsbox
