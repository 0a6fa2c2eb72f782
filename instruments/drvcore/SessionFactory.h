#pragma once

#include "instruments/drvcore/Session.h"

#include <memory>
#include <string>

namespace drvcore {

// The session that the resource string names (not opened yet), or null with 'error' set.
std::unique_ptr<CSession> CreateSession(const std::string& resource, const SSessionOptions& options,
                                        std::string& error);

} // namespace drvcore
