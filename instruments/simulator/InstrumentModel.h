#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace benchsim {

// The rest of a response unit too large to make at once (a buffer of millions of readings): appends to
// 'output' until it holds at least 'limit' bytes; true once the unit is complete.
using ReplyRest = std::function<bool(std::string& output, std::size_t limit)>;

// One program message (a line without its termination) on its way through an instrument's parser.
// The servers keep it between steps, so a long message is executed as its replies are read.
struct SProgramMessage {
    std::string text;
    std::size_t at = 0;
    // The header path that a relative header in a compound command continues ("SENS:CURR").
    std::string path;
    // A response unit was produced; the next one is separated by ';'.
    bool answered = false;
    // Made part by part as the client reads, so the instrument serves a device clear or another
    // session in between, and a reply its reader has abandoned costs no more than the part in hand.
    ReplyRest rest;

    bool Finished() const { return at >= text.size() && !rest; }
};

// One simulated instrument behind a protocol server. The servers (VXI-11, raw socket) frame the
// bytes; the model sees one command line at a time, without its termination.
class IInstrumentModel {
public:
    enum class eStep {
        Finished,   // the whole message is executed
        OutputFull, // the output reached the limit; run again once it has been read
        Waiting     // an overlapped operation holds the parser (*WAI, *OPC?); run again later
    };

    virtual ~IInstrumentModel() = default;

    // Executes one program message. Returns true with 'reply' set (text, or an IEEE 488.2 block)
    // when it answers; false when it does not (a setting, or an unknown command, which goes to the
    // error queue as a real instrument does).
    virtual bool Execute(const std::string& command, std::string& reply) = 0;

    // Executes units of 'message' from where it stands, appending their response units to 'output'
    // until the message ends, the output holds at least 'limit' bytes or the parser must wait.
    // A model that only answers whole messages runs them in one step.
    virtual eStep Run(SProgramMessage& message, std::string& output, std::size_t limit) {
        (void)limit;
        // Straight into an empty output, whose memory the server keeps from reply to reply.
        if (output.empty()) {
            message.answered = Execute(message.text, output);
            if (!message.answered)
                output.clear();
        } else {
            std::string reply;
            if (Execute(message.text, reply)) {
                output += reply;
                message.answered = true;
            }
        }
        message.at = message.text.size();
        return eStep::Finished;
    }

    // An error the transport found (an interrupted or unterminated query, an input overrun).
    virtual void ReportError(int code) { (void)code; }

    // A device clear from the bus: abort what runs, drop pending output.
    virtual void DeviceClear() {}

protected:
    // Continues the message's unfinished response unit; false while it is not complete.
    static bool ContinueReply(SProgramMessage& message, std::string& output, std::size_t limit) {
        if (message.rest && !message.rest(output, limit))
            return false;
        message.rest = nullptr;
        return true;
    }
};

} // namespace benchsim
