#pragma once

#include "instruments/simulator/InstrumentModel.h"

#include <atomic>
#include <charconv>
#include <string>

namespace drvcoretest {

// A trivial instrument: *IDN?, blocks of a requested size whose data hold '\n' bytes, and a block
// header that promises more than it sends.
class CTestModel : public benchsim::IInstrumentModel {
public:
    static constexpr const char* kIdentity = "LUMORA,TESTMODEL,0,1.0";

    bool Execute(const std::string& command, std::string& reply) override {
        if (command == "*IDN?") {
            reply = kIdentity;
            return true;
        }
        if (command == "MICRO?") {
            reply = "10 \xc2\xb5"
                    "A";
            return true;
        }
        if (StartsWith(command, "BLOCK? ")) {
            const std::string data = Pattern(Number(command));
            const std::string length = std::to_string(data.size());
            reply = "#" + std::to_string(length.size()) + length + data;
            return true;
        }
        if (StartsWith(command, "INDEF? ")) {
            reply = "#0" + Pattern(Number(command));
            return true;
        }
        if (StartsWith(command, "PROMISE? ")) {
            const std::string length = std::to_string(Number(command));
            reply = "#" + std::to_string(length.size()) + length + "short";
            return true;
        }
        return false;
    }

    void DeviceClear() override { ++m_clears; }
    int Clears() const { return m_clears.load(); }

    // Byte i of a block: cycles through all 256 values, so '\n' and '#' occur inside the data.
    static std::string Pattern(size_t size) {
        std::string data(size, '\0');
        for (size_t i = 0; i < size; ++i)
            data[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
        return data;
    }

private:
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
