// lumora-benchsim: the simulated bench in the foreground until SIGINT or SIGTERM.
#include "instruments/simulator/bench/SimulatedBench.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <pthread.h>
#include <string>

namespace {

const char* const USAGE =
    "usage: lumora-benchsim [options]\n"
    "  --supply-address A      loopback address of the DC power supply (127.0.0.1)\n"
    "  --meter-address A       loopback address of the multimeter (127.0.0.2)\n"
    "  --portmapper-port N     portmapper port on both addresses (111; 0 a free port; -1 none)\n"
    "  --vxi11-port N          VXI-11 core channel port (0: a free port)\n"
    "  --socket-port N         raw SCPI socket port (5025)\n"
    "  --stream-port N         data stream port of the power supply (13842)\n"
    "  --time-scale X          simulated seconds per second (1)\n"
    "  --idle-ms N             with every session of a port taken, a new client takes the place of one\n"
    "                          that has waited N ms for its client (10000)\n"
    "  --supply-log FILE       append every command the power supply receives to FILE\n"
    "  --meter-log FILE        append every command the multimeter receives to FILE\n"
    "  --supply-fault F        drop, stall or garbage: misbehave on every reply of the power supply\n"
    "  --meter-fault F         the same for the multimeter\n"
    "  --refuse-stream         refuse the data stream's start request\n"
    "  --hold-measurements     started measurements never complete\n"
    "  --supply-trip T         report a protection trip (OCP, OVP, OTP, RVS, OPS)\n";

bool IsLoopback(const std::string& address) {
    return address.rfind("127.", 0) == 0;
}

bool ParseInt(const std::string& text, int& value) {
    char* end = nullptr;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || parsed < -1 || parsed > 65535)
        return false;
    value = static_cast<int>(parsed);
    return true;
}

bool ParseFault(const std::string& text, benchsim::CFaultSwitches::eFault& fault) {
    static const std::map<std::string, benchsim::CFaultSwitches::eFault> faults = {
        {"drop", benchsim::CFaultSwitches::eDropMidReply},
        {"stall", benchsim::CFaultSwitches::eStall},
        {"garbage", benchsim::CFaultSwitches::eGarbage}};
    const auto found = faults.find(text);
    if (found == faults.end())
        return false;
    fault = found->second;
    return true;
}

struct SCommandLine {
    benchsim::CSimulatedBench::SOptions options;
    std::string supplyLog, meterLog, supplyTrip;
    bool supplyFault = false, meterFault = false, refuseStream = false, hold = false;
    benchsim::CFaultSwitches::eFault supplyFaultKind{}, meterFaultKind{};
};

bool Parse(int argc, char** argv, SCommandLine& line, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--refuse-stream") {
            line.refuseStream = true;
            continue;
        }
        if (name == "--hold-measurements") {
            line.hold = true;
            continue;
        }
        if (i + 1 >= argc) {
            error = "missing value or unknown option: " + name;
            return false;
        }
        const std::string value = argv[++i];
        bool ok = true;
        if (name == "--supply-address")
            line.options.supplyAddress = value;
        else if (name == "--meter-address")
            line.options.meterAddress = value;
        else if (name == "--portmapper-port")
            ok = ParseInt(value, line.options.portmapperPort);
        else if (name == "--vxi11-port")
            ok = ParseInt(value, line.options.vxi11Port) && line.options.vxi11Port >= 0;
        else if (name == "--socket-port")
            ok = ParseInt(value, line.options.socketPort) && line.options.socketPort >= 0;
        else if (name == "--stream-port")
            ok = ParseInt(value, line.options.streamPort) && line.options.streamPort >= 0;
        else if (name == "--idle-ms")
            ok = ParseInt(value, line.options.idleMs) && line.options.idleMs >= 0;
        else if (name == "--time-scale")
            ok = (line.options.timeScale = std::strtod(value.c_str(), nullptr)) > 0.0;
        else if (name == "--supply-log")
            line.supplyLog = value;
        else if (name == "--meter-log")
            line.meterLog = value;
        else if (name == "--supply-fault")
            ok = line.supplyFault = ParseFault(value, line.supplyFaultKind);
        else if (name == "--meter-fault")
            ok = line.meterFault = ParseFault(value, line.meterFaultKind);
        else if (name == "--supply-trip")
            line.supplyTrip = value;
        else {
            error = "unknown option: " + name;
            return false;
        }
        if (!ok) {
            error = "bad value for " + name + ": " + value;
            return false;
        }
    }
    if (!IsLoopback(line.options.supplyAddress) || !IsLoopback(line.options.meterAddress)) {
        error = "the bench binds loopback addresses (127.x.x.x) only";
        return false;
    }
    return true;
}

void PrintInstrument(const char* name, benchsim::CSimulatedInstrument& instrument) {
    std::printf("%s on %s: VXI-11 %s (core channel port %d), socket %s\n", name, instrument.Address().c_str(),
                instrument.Vxi11Resource().c_str(), instrument.Vxi11Port(),
                instrument.SocketResource().c_str());
}

} // namespace

int main(int argc, char** argv) {
    SCommandLine line;
    std::string error;
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(USAGE, stdout);
        return 0;
    }
    if (!Parse(argc, argv, line, error)) {
        std::fprintf(stderr, "lumora-benchsim: %s\n%s", error.c_str(), USAGE);
        return 2;
    }
    // The servers' threads inherit the blocked signals, so only sigwait below sees them.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    benchsim::CSimulatedBench bench(line.options);
    if (!bench.Start(error)) {
        std::fprintf(stderr, "lumora-benchsim: %s\n", error.c_str());
        return 1;
    }
    if (!error.empty())
        std::printf("note: %s; using a free portmapper port instead\n", error.c_str());
    if (!line.supplyLog.empty() && !bench.SupplyHost().Log().WriteTo(line.supplyLog))
        std::fprintf(stderr, "lumora-benchsim: cannot write %s\n", line.supplyLog.c_str());
    if (!line.meterLog.empty() && !bench.MeterHost().Log().WriteTo(line.meterLog))
        std::fprintf(stderr, "lumora-benchsim: cannot write %s\n", line.meterLog.c_str());
    if (line.supplyFault)
        bench.SupplyHost().Faults().Set(line.supplyFaultKind, true);
    if (line.meterFault)
        bench.MeterHost().Faults().Set(line.meterFaultKind, true);
    bench.Stream().SetRefuseStart(line.refuseStream);
    bench.Supply().SetHoldMeasurement(line.hold);
    bench.Meter().SetHoldMeasurement(line.hold);
    if (!line.supplyTrip.empty())
        bench.Supply().SetProtectionTrip(line.supplyTrip);

    PrintInstrument("DC power supply (2280S)", bench.SupplyInstrument());
    std::printf("  data stream on %s:%d\n", line.options.supplyAddress.c_str(), bench.Stream().Port());
    PrintInstrument("multimeter (DMM7510)", bench.MeterInstrument());
    if (bench.PortmapperPort() > 0) {
        std::printf("portmapper on port %d of both addresses\n", bench.PortmapperPort());
        if (bench.PortmapperPort() != 111)
            std::printf("  export LUMORA_VXI11_PORTMAPPER_PORT=%d for the VXI-11 clients\n",
                        bench.PortmapperPort());
    }
    std::printf("running; stop with Ctrl+C\n");
    std::fflush(stdout);

    int received = 0;
    sigwait(&signals, &received);
    std::printf("stopping\n");
    bench.Stop();
    return 0;
}
