#pragma once

#include "instruments/simulator/CommandLog.h"
#include "instruments/simulator/bench/SimulatedInstrument.h"

#include <QString>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace drivertest {

// The two ways a driver test reaches a simulated instrument.
enum class eTransport { Vxi11, Socket };

inline std::string TransportName(const ::testing::TestParamInfo<eTransport>& info) {
    return info.param == eTransport::Vxi11 ? "Vxi11" : "Socket";
}

inline QString ResourceFor(eTransport transport, const benchsim::CSimulatedInstrument& instrument) {
    return QString::fromStdString(transport == eTransport::Vxi11 ? instrument.Vxi11Resource()
                                                                 : instrument.SocketResource());
}

// A driver with a query that is answered only after every command sent before it has run
// (raw socket writes do not wait).
template <class Driver> class CSyncedDriver : public Driver {
public:
    void Sync() { this->WriteAndReadHelper(QStringLiteral("*OPC?")); }
};

// The commands the instrument received, once those in flight have arrived.
template <class Driver>
std::vector<std::string> SentCommands(CSyncedDriver<Driver>& driver, benchsim::CCommandLog& log) {
    driver.Sync();
    std::vector<std::string> lines = log.Lines();
    if (!lines.empty() && lines.back() == "*OPC?")
        lines.pop_back();
    return lines;
}

} // namespace drivertest
