#pragma once

#include "instruments/simulator/InstrumentModel.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdint>
#include <string>

namespace drvcoretest {

// A trivial instrument: *IDN?, blocks of a requested size whose data hold '\n' bytes, and a block
// header that promises more than it sends.
class CTestModel : public benchsim::IInstrumentModel {
public:
    static constexpr const char* kIdentity = "LUMORA,TESTMODEL,0,1.0";

    bool Execute(const std::string& command, std::string& reply) override {
        benchsim::SProgramMessage block;
        block.text = command;
        if (BeginBlock(block, reply)) {
            block.rest(reply, SIZE_MAX);
            return true;
        }
        if (command == "*IDN?") {
            reply = kIdentity;
            return true;
        }
        if (command == "MICRO?") {
            reply = "10 \xc2\xb5"
                    "A";
            return true;
        }
        if (StartsWith(command, "PROMISE? ")) {
            const std::string length = std::to_string(Number(command));
            reply = "#" + std::to_string(length.size()) + length + "short";
            return true;
        }
        return false;
    }

    // Blocks are made as they are read, as an instrument sends its buffer: a block its reader gave up
    // on holds the instrument no longer than the part in hand.
    eStep Run(benchsim::SProgramMessage& message, std::string& output, std::size_t limit) override {
        if (!message.rest && !BeginBlock(message, output))
            return IInstrumentModel::Run(message, output, limit);
        return ContinueReply(message, output, limit) ? eStep::Finished : eStep::OutputFull;
    }

    void DeviceClear() override { ++m_clears; }
    int Clears() const { return m_clears.load(); }

    // Byte i of a block: cycles through all 256 values, so '\n' and '#' occur inside the data.
    static std::string Pattern(size_t size) {
        std::string data;
        AppendPattern(data, 0, size);
        return data;
    }

private:
    // The pattern repeats every 65,536 bytes: blocks of many megabytes are copied from one period.
    static void AppendPattern(std::string& data, size_t from, size_t count) {
        static const std::string period = [] {
            std::string bytes(65536, '\0');
            for (size_t i = 0; i < bytes.size(); ++i)
                bytes[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
            return bytes;
        }();
        data.reserve(data.size() + count);
        for (size_t at = from % period.size(); count > 0; at = 0) {
            const size_t part = std::min(count, period.size() - at);
            data.append(period, at, part);
            count -= part;
        }
    }

    // BLOCK? n (a definite block) and INDEF? n (an indefinite one): the header now, the data as read.
    static bool BeginBlock(benchsim::SProgramMessage& message, std::string& output) {
        const std::string& command = message.text;
        const bool definite = StartsWith(command, "BLOCK? ");
        if (!definite && !StartsWith(command, "INDEF? "))
            return false;
        const size_t size = Number(command);
        if (definite) {
            const std::string length = std::to_string(size);
            output += "#" + std::to_string(length.size()) + length;
        } else {
            output += "#0";
        }
        message.at = message.text.size();
        message.answered = true;
        message.rest = [size, made = size_t{0}](std::string& out, size_t limit) mutable {
            const size_t part = std::min(size - made, limit > out.size() ? limit - out.size() : 0);
            AppendPattern(out, made, part);
            made += part;
            return made == size;
        };
        return true;
    }

    static bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }
    static size_t Number(const std::string& command) {
        size_t value = 0;
        const size_t at = command.find(' ') + 1;
        std::from_chars(command.data() + at, command.data() + command.size(), value);
        return value;
    }

    std::atomic<int> m_clears{0};
};

} // namespace drvcoretest
