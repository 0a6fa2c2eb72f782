#pragma once

#include "instruments/drvcore/EntityInstrument.h"
#include "instruments/drvcore/SessionOptions.h"
#include "platform/MessageTarget.h"

#include <algorithm>
#include <span>

// Steps the instrument drivers share; header-only, since the drivers, not drvcore, link platform.
namespace drvcore {

// The time-out of a parameter record in milliseconds, as the session takes it (TimeoutFromRecord).
inline unsigned TimeoutMs(const CParameterInstru& parameters) {
    return static_cast<unsigned>(TimeoutFromRecord(parameters));
}

// Opens the driver's session when it is closed and tells 'parent' (when given) of the new connection
// with 'message'; 1 when connected.
inline int ConnectAndNotify(CEntityInstrument& driver, platform::CMessageTarget* parent,
                            platform::UINT message) {
    if (driver.IsInstruConnected())
        return 1;
    if (!driver.SetInstrumentControl())
        return 0;
    if (parent)
        platform::SendMessage(parent, message, driver.GetInstrumentID(), 1);
    return 1;
}

// Applies item 'which' or, when it is 0 or less, every item of 'all' in order, stopping at the first
// that fails; 1 when all applied succeeded.
template <class Apply> int ApplyItems(int which, std::span<const int> all, Apply apply) {
    if (which > 0)
        return apply(which);
    for (int item : all)
        if (!apply(item))
            return 0;
    return 1;
}

} // namespace drvcore
