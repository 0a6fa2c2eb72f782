#pragma once

#include <string>

namespace benchsim {

// One simulated instrument behind a protocol server. The servers (VXI-11, raw socket) frame the
// bytes; the model sees one command line at a time, without its termination.
class IInstrumentModel {
public:
    virtual ~IInstrumentModel() = default;

    // Executes one program message unit. Returns true with 'reply' set (text, or an IEEE 488.2 block)
    // when it answers; false when it does not (a setting, or an unknown command, which goes to the
    // error queue as a real instrument does).
    virtual bool Execute(const std::string& command, std::string& reply) = 0;

    // A device clear from the bus: abort what runs, drop pending output.
    virtual void DeviceClear() {}
};

} // namespace benchsim
