#pragma once

#include <string>

class CParameterInstru;

namespace drvcore {

// What every session needs from the instrument record.
struct SSessionOptions {
    int timeoutMs = 30000;
    // Appended to each command; its last character ends a text reply.
    std::string termination = "\n";

    // Timeout (ms; not a positive number: 30000) and EndOfLine: empty means "\n"; "LF", "CR" and "CRLF"
    // (any letter case) name those characters; any other text is the line end itself, written with the
    // escapes \n and \r or as the characters. False, with the reason in 'error', for an EndOfLine that
    // is no line end: commands ended by it would never end on the instrument.
    static bool FromRecord(const CParameterInstru& record, SSessionOptions& options, std::string& error);
};

} // namespace drvcore
