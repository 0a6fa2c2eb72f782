#pragma once

#include <string>

class CParameterInstru;

namespace drvcore {

// The longest time-out an instrument record may give (ms): twice the default, far more than either
// instrument takes to answer. A file may say more (up to 2^31 ms), which would let an instrument that
// does not answer hold the program for weeks.
inline constexpr int kMaxTimeoutMs = 60000;
// The time-out of a record that gives none.
inline constexpr int kDefaultTimeoutMs = 30000;

// The record's Timeout in ms: a whole number above 0 (blanks around it allowed, as the program writes
// it), at most kMaxTimeoutMs; any other text, a unit after the number included, gives kDefaultTimeoutMs.
int TimeoutFromRecord(const CParameterInstru& record);

// What every session needs from the instrument record.
struct SSessionOptions {
    int timeoutMs = kDefaultTimeoutMs;
    // Appended to each command; its last character ends a text reply.
    std::string termination = "\n";

    // Timeout (TimeoutFromRecord) and EndOfLine: empty means "\n";
    // "LF", "CR" and "CRLF"
    // (any letter case) name those characters; any other text is the line end itself, written with the
    // escapes \n and \r or as the characters. False, with the reason in 'error', for an EndOfLine that
    // is no line end: commands ended by it would never end on the instrument.
    static bool FromRecord(const CParameterInstru& record, SSessionOptions& options, std::string& error);
};

} // namespace drvcore
