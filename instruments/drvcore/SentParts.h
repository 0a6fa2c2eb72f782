#pragma once

#include <cstddef>
#include <sys/uio.h>

namespace drvcore {

// Steps a gather list past 'sent' bytes that a partial send took: whole parts are dropped and the
// first part left is trimmed, so the next send carries on where this one stopped.
inline void SkipSentParts(iovec*& parts, int& count, std::size_t sent) {
    while (count > 0 && sent >= parts->iov_len) {
        sent -= parts->iov_len;
        ++parts;
        --count;
    }
    if (count > 0) {
        parts->iov_base = static_cast<char*>(parts->iov_base) + sent;
        parts->iov_len -= sent;
    }
}

} // namespace drvcore
