#pragma once

#include "instruments/simulator/InstrumentModel.h"

#include <map>
#include <mutex>
#include <string>

namespace drivertest {

// An instrument that answers each query with a fixed text: for reply forms the simulated
// instruments never send. Commands without '?' are taken silently; unknown queries get no reply.
class CScriptedModel : public benchsim::IInstrumentModel {
public:
    void SetReply(const std::string& query, const std::string& reply) {
        std::lock_guard lock(m_mutex);
        m_replies[query] = reply;
    }
    bool Execute(const std::string& command, std::string& reply) override {
        std::lock_guard lock(m_mutex);
        const auto found = m_replies.find(command);
        if (found == m_replies.end())
            return false;
        reply = found->second;
        return true;
    }

private:
    std::mutex m_mutex;
    std::map<std::string, std::string> m_replies;
};

} // namespace drivertest
