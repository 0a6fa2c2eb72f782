#pragma once

#include <string>

class CParameterInstru;

namespace drvcore {

// What every session needs from the instrument record.
struct SSessionOptions {
    int timeoutMs = 30000;
    // Appended to each command; its last character ends a text reply.
    std::string termination = "\n";

    // Timeout (ms; not a positive number: 30000) and EndOfLine (empty: "\n"; "\n", "\r", "\t"
    // and "\\" written as escapes are decoded).
    static SSessionOptions FromRecord(const CParameterInstru& record);
};

} // namespace drvcore
