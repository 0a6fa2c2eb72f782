#pragma once

#include "ScpiTree.h"
#include "instruments/simulator/InstrumentModel.h"

#include <string>
#include <vector>

namespace benchsim {

// Reads a program message one unit at a time by the syntax of IEEE 488.2: headers (common, absolute
// or continuing the path of the unit before, as compound commands do), then parameters as decimal
// and non-decimal numbers, character data, strings and blocks.
class CScpiParser {
public:
    struct SUnit {
        // The header's nodes as written, the path already in front; a common command is one node "*IDN".
        std::vector<std::string> header;
        bool query = false;
        std::vector<SScpiData> data;
    };
    enum class eResult { Unit, End, Error };

    // The next unit from message.at on; 'at' moves past it and its ';'. On a syntax error 'error'
    // holds the code (-101 or -102) and the rest of the message is skipped, as the parser has lost
    // its place.
    static eResult Next(SProgramMessage& message, SUnit& unit, int& error);

private:
    static bool ReadData(const std::string& text, std::size_t& at, SScpiData& data, int& error);
    static bool ReadDecimal(const std::string& text, std::size_t& at, SScpiData& data);
};

} // namespace benchsim
