#pragma once

#include "instruments/simulator/models/ScpiModel.h"

#include <gtest/gtest.h>
#include <span>
#include <string>

// Talking to a simulated instrument model directly, without a transport.
namespace benchsimtest {

inline std::string Ask(benchsim::CScpiModel& model, const std::string& command) {
    std::string reply;
    EXPECT_TRUE(model.Execute(command, reply)) << command;
    return reply;
}

// A command that must be taken silently and without error.
inline void Send(benchsim::CScpiModel& model, const std::string& command) {
    std::string reply;
    EXPECT_FALSE(model.Execute(command, reply)) << command;
    EXPECT_EQ(model.ErrorCount(), 0u) << command << " " << (model.Execute(":SYST:ERR?", reply), reply);
}

struct SSetting {
    const char* set;
    const char* query;
    const char* reply;
};

inline void ExpectSettingsKept(benchsim::CScpiModel& model, std::span<const SSetting> cases) {
    for (const SSetting& c : cases) {
        Send(model, c.set);
        EXPECT_EQ(Ask(model, c.query), c.reply) << c.set;
    }
}

struct SRejected {
    const char* set;
    const char* error; // the error code the queue holds afterwards
    const char* query;
    const char* kept; // the answer to 'query': the value from before
};

// Each case on a freshly reset model.
template <class Model> void ExpectRejected(std::span<const SRejected> cases) {
    for (const SRejected& c : cases) {
        Model model;
        std::string reply;
        EXPECT_FALSE(model.Execute(c.set, reply)) << c.set;
        EXPECT_EQ(Ask(model, ":SYST:ERR?").substr(0, 4), c.error) << c.set;
        EXPECT_EQ(Ask(model, c.query), c.kept) << c.set;
    }
}

} // namespace benchsimtest
