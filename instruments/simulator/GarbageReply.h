#pragma once

#include <string>

namespace benchsim {

// Bytes that no reply parser may take for an answer: a '#' that starts no block, then noise.
std::string GarbageReply();

} // namespace benchsim
