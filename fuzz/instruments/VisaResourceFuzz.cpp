#include "instruments/drvcore/VisaResource.h"
#include "instruments/visa/ResourcePattern.h"

#include <cstdint>
#include <string>

// Parses the input as a resource string, and uses it as an expression on a few names.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), std::min<size_t>(size, 256));
    drvcore::CVisaResource resource;
    resource.Parse(text);
    visa::CResourcePattern pattern;
    if (pattern.Compile(text)) {
        for (const char* name : {"USB0::0x05E6::0x2280::4471234::INSTR", "TCPIP0::127.0.0.1::INSTR", ""})
            pattern.Matches(name);
    }
    return 0;
}
