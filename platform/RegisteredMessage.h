#pragma once

#include "MessageTarget.h"

#include <QString>

namespace platform {

// A message number of its own for the name, the same for every call with that name in the process,
// in the range 0xC000-0xFFFF; 0 when the range is used up.
UINT RegisterWindowMessage(const QString& name);

} // namespace platform
