#include "Sim2280S.h"

#include <algorithm>
#include <cmath>

namespace benchsim {
namespace {

// The instrument's clock has been running for a while before the bench starts.
constexpr double UPTIME = 1000.0;
const double RANGES[] = {0.01, 0.1, 1.0, 10.0};

} // namespace

CSim2280S::CSim2280S() {
    using T = CScpiTree;
    const auto set = T::eForm::SetOnly, query = T::eForm::QueryOnly, both = T::eForm::SetAndQuery;
    const double count = MAX_COUNT;
    m_tree.Add("[:SOURce[1]]:VOLTage[:LEVel][:IMMediate][:AMPLitude]", both, {T::Num(0.0, 32.0, 0.0, "V")});
    m_tree.Add("[:SOURce[1]]:VOLTage:LIMit[:LEVel]", both, {T::Num(0.0, 33.0, 33.0, "V")});
    m_tree.Add("[:SOURce[1]]:VOLTage:PROTection[:LEVel]", both, {T::Num(0.0, 33.0, 33.0, "V")});
    m_tree.Add("[:SOURce[1]]:CURRent[:LEVel][:IMMediate][:AMPLitude]", both, {T::Num(0.0, 6.1, 0.1, "A")});
    m_tree.Add("[:SOURce[1]]:CURRent:PROTection[:LEVel]", both, {T::Num(0.0, 6.1, 6.1, "A")});
    m_tree.Add(":OUTPut[1][:STATe]", both, {T::Bool()});
    m_tree.Add(":OUTPut[1]:PROTection:TRIPped", query);
    m_tree.Add(":OUTPut[1]:PROTection:CLEar", set);
    m_tree.Add(":SYSTem:AZERo[:STATe]", both, {T::Bool()});
    m_tree.Add(":SYSTem:LFRequency", query);
    m_tree.Add(":SENSe[1]:FUNCtion[:ON]", both, {T::Str("CURRent[:DC]|VOLTage[:DC]|CONCurrent[:DC]")});
    // At most 12 power-line cycles at 50 Hz (15 at 60 Hz).
    m_tree.Add(":SENSe[1]:CURRent[:DC]:NPLCycles", both, {T::Num(0.002, 12.0, 1.0)});
    m_tree.Add(":SENSe[1]:CURRent[:DC]:RANGe[:UPPer]", both, {T::Num(0.0, 10.0, 10.0, "A")});
    m_tree.Add(":SENSe[1]:CURRent[:DC]:RANGe:AUTO", both, {T::Bool()});
    m_tree.Add(":TRIGger[:SEQuence[1]]:COUNt", both, {T::Int(1, count, 1)});
    m_tree.Add(":TRIGger[:SEQuence[1]]:SAMPle:COUNt", both, {T::Int(1, count, 1)});
    m_tree.Add(":TRIGger[:SEQuence[1]]:SOURce", both, {T::Choice("IMMediate|MANual|BUS|EXTernal")});
    m_tree.Add(":INITiate[:IMMediate]", set);
    m_tree.Add(":INITiate:CONTinuous", both, {T::Bool()});
    m_tree.Add(":ABORt", set);
    m_tree.Add(":STATus:OPERation:INSTrument:ISUMmary[:EVENt]", query);
    m_tree.Add(":STATus:OPERation:INSTrument:ISUMmary:ENABle", both, {T::Int(0, 65535, 0)});
    m_tree.Add(":FETCh", query);
    m_tree.Add(":READ", query);
    m_tree.Add(":MEASure[:SCALar]:CURRent[:DC]", query);
    m_tree.Add(":MEASure[:SCALar]:VOLTage[:DC]", query);
    m_tree.Add(":TRACe:POINts", both, {T::Int(1, count, count)});
    m_tree.Add(":TRACe:CLEar", set);
    m_tree.Add(":TRACe:FEED:CONTrol", both, {T::Choice("ALWays|NEVer|NEXT")});
    m_tree.Add(":TRACe:ACTual", query);
    m_tree.Add(":TRACe:DATA", query, {}, {T::Optional(T::Str())});
    m_tree.Add(":FORMat:ELEMents", both, {T::Str()});
    ResetState();
}

std::string CSim2280S::Identity() const {
    return "KEITHLEY INSTRUMENTS,MODEL 2280S-32-6,4411283,02.02.13b";
}

void CSim2280S::ResetState() {
    m_function = "CURR:DC";
    SetOutput(false);
    m_voltage = 0.0;
    m_voltageLimit = 5.0;
    m_voltageProtection = 5.0;
    m_current = 0.5;
    m_currentProtection = 0.5;
    m_autozero = true;
    m_nplc = 1.0;
    m_range = 1.0;
    m_autoRange = true;
    m_triggerCount = m_sampleCount = 1;
    m_points = MAX_COUNT;
    m_triggerSource = "IMM";
    m_elements = "READ";
    m_feedControl = "NEV";
    m_isumEnable = 0;
    m_continuous = false;
    m_buffer.clear();
    m_haveLast = false;
}

void CSim2280S::ClearStatus() {
    m_isumEvent = 0;
}

void CSim2280S::AbortMeasurement() {
    Advance();
    m_running = false;
}

bool CSim2280S::Busy() {
    Advance();
    return m_running;
}

bool CSim2280S::IsContinuous() const {
    std::lock_guard lock(m_mutex);
    return m_continuous;
}

bool CSim2280S::IsOutputOn() const {
    std::lock_guard lock(m_mutex);
    return m_output;
}

void CSim2280S::SetProtectionTrip(const std::string& trip) {
    std::lock_guard lock(m_mutex);
    m_trip = trip;
}

double CSim2280S::Period() const {
    return m_nplc / m_lineFrequency;
}

void CSim2280S::SetOutput(bool on) {
    constexpr std::size_t kKeptChanges = 64;
    if (on != m_output)
        m_outputChanges.emplace_back(m_clock.Now(), on);
    m_output = on;
    while (m_outputChanges.size() > kKeptChanges) {
        m_outputBefore = m_outputChanges.front().second;
        m_outputChanges.pop_front();
    }
}

bool CSim2280S::OutputAt(double t) const {
    for (auto change = m_outputChanges.rbegin(); change != m_outputChanges.rend(); ++change)
        if (change->first <= t)
            return change->second;
    return m_outputBefore;
}

double CSim2280S::Reading(double t) const {
    const bool on = OutputAt(t);
    if (m_function == "VOLT:DC")
        return on ? m_voltage : 0.0;
    const double current = on ? m_dut.Current(t) : 0.0;
    if (!m_autoRange && std::fabs(current) > m_range * 1.2)
        return 9.91e37;
    return current;
}

void CSim2280S::Advance() {
    const double now = m_clock.Now();
    const double period = Period();
    if (m_running && !Held()) {
        const auto made =
            std::min<std::uint64_t>(m_runCount, static_cast<std::uint64_t>((now - m_runStart) / period));
        for (; m_runTaken < made; ++m_runTaken) {
            const double rel = static_cast<double>(m_runTaken) * period;
            m_last = {Reading(m_runStart + rel), rel};
            m_haveLast = true;
            m_buffer.push_back(m_last);
            if (m_buffer.size() > m_points)
                m_buffer.pop_front();
        }
        if (m_runTaken >= m_runCount) {
            m_running = false;
            m_isumEvent |= MEASUREMENT_DONE;
        }
    }
    if (m_continuous) {
        const auto made = static_cast<std::uint64_t>((now - m_continuousStart) / period) + 1;
        // Only the newest readings can still be in the buffer.
        const std::uint64_t first = std::max(m_continuousTaken, made > m_points ? made - m_points : 0);
        for (std::uint64_t i = first; i < made; ++i) {
            const double rel = static_cast<double>(i) * period;
            m_last = {Reading(m_continuousStart + rel), rel};
            m_haveLast = true;
            if (m_feedControl == "ALW") {
                m_buffer.push_back(m_last);
                if (m_buffer.size() > m_points)
                    m_buffer.pop_front();
            }
        }
        m_continuousTaken = std::max(m_continuousTaken, made);
    }
}

std::vector<CSim2280S::SStreamReading> CSim2280S::TakeStreamReadings(std::uint64_t& run, std::uint64_t& next,
                                                                     std::size_t max) {
    std::lock_guard lock(m_mutex);
    std::vector<SStreamReading> readings;
    if (!m_continuous)
        return readings;
    if (run != m_continuousRun) {
        run = m_continuousRun;
        next = 0;
    }
    const double period = Period();
    const auto made = static_cast<std::uint64_t>((m_clock.Now() - m_continuousStart) / period) + 1;
    readings.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(max, made > next ? made - next : 0)));
    for (; next < made && readings.size() < max; ++next) {
        const double t = m_continuousStart + static_cast<double>(next) * period;
        readings.push_back({static_cast<float>(Reading(t)), UPTIME + t});
    }
    return readings;
}

std::string CSim2280S::FormatPairs(std::size_t first, std::size_t count) const {
    std::string text;
    text.reserve(count * 28);
    for (std::size_t i = first; i < first + count; ++i) {
        if (!text.empty())
            text += ',';
        text += FormatExp(m_buffer[i].first);
        text += ',';
        text += FormatExp(m_buffer[i].second);
    }
    return text;
}

CSim2280S::eResult CSim2280S::Handle(const CScpiCommand& command, std::string& reply) {
    Advance();
    const std::string& h = command.Header();
    const std::string root = h.substr(0, h.find(':'));
    if (root == "SENS")
        return HandleSense(command, reply);
    if (root == "TRIG" || root == "INIT" || root == "ABOR" || root == "STAT" || root == "FETC" ||
        root == "READ" || root == "MEAS")
        return HandleTrigger(command, reply);
    if (root == "TRAC" || root == "FORM")
        return HandleTrace(command, reply);
    return HandleSource(command, reply);
}

CSim2280S::eResult CSim2280S::HandleSource(const CScpiCommand& command, std::string& reply) {
    const std::string& h = command.Header();
    const bool q = command.IsQuery();
    struct SLevel {
        const char* header;
        double* value;
    };
    const SLevel levels[] = {{"SOUR:VOLT:LEV:IMM:AMPL", &m_voltage},
                             {"SOUR:VOLT:LIM:LEV", &m_voltageLimit},
                             {"SOUR:VOLT:PROT:LEV", &m_voltageProtection},
                             {"SOUR:CURR:LEV:IMM:AMPL", &m_current},
                             {"SOUR:CURR:PROT:LEV", &m_currentProtection}};
    for (const SLevel& level : levels) {
        if (h == level.header)
            return NumberSetting(command, reply, *level.value, FormatFixed);
    }
    if (h == "OUTP:STAT") {
        if (q) {
            reply = OnOff(m_output);
            return eResult::Reply;
        }
        const bool on = *command.Switch(0);
        if (on && m_trip != "NONE")
            return eResult::Done; // a tripped output stays off until the trip is cleared
        SetOutput(on);
        return eResult::Done;
    }
    if (h == "OUTP:PROT:TRIP") {
        reply = m_trip;
        return eResult::Reply;
    }
    if (h == "OUTP:PROT:CLE") {
        m_trip = "NONE";
        return eResult::Done;
    }
    if (h == "SYST:AZER:STAT")
        return SwitchSetting(command, reply, m_autozero);
    if (h == "SYST:LFR") {
        reply = FormatFixed(m_lineFrequency);
        return eResult::Reply;
    }
    return eResult::Unknown;
}

CSim2280S::eResult CSim2280S::HandleSense(const CScpiCommand& command, std::string& reply) {
    const std::string& h = command.Header();
    const bool q = command.IsQuery();
    if (h == "SENS:FUNC:ON") {
        if (q) {
            reply = "\"" + m_function + "\"";
            return eResult::Reply;
        }
        m_function = command.Text(0);
        return eResult::Done;
    }
    if (h == "SENS:CURR:DC:NPLC")
        return NumberSetting(command, reply, m_nplc, FormatFixed);
    if (h == "SENS:CURR:DC:RANG:UPP") {
        if (q) {
            reply = FormatExp(command.Count() ? *command.Number(0) : m_range);
            return eResult::Reply;
        }
        // The range that holds the value, as the instrument chooses it.
        for (double range : RANGES) {
            if (*command.Number(0) <= range * 1.0000001) {
                m_range = range;
                m_autoRange = false;
                return eResult::Done;
            }
        }
        return eResult::OutOfRange;
    }
    if (h == "SENS:CURR:DC:RANG:AUTO")
        return SwitchSetting(command, reply, m_autoRange);
    return eResult::Unknown;
}

CSim2280S::eResult CSim2280S::HandleTrigger(const CScpiCommand& command, std::string& reply) {
    const std::string& h = command.Header();
    const bool q = command.IsQuery();
    if (h == "TRIG:SEQ:COUN")
        return CountSetting(command, reply, m_triggerCount);
    if (h == "TRIG:SEQ:SAMP:COUN")
        return CountSetting(command, reply, m_sampleCount);
    if (h == "TRIG:SEQ:SOUR") {
        if (q) {
            reply = m_triggerSource;
            return eResult::Reply;
        }
        m_triggerSource = command.Text(0);
        return eResult::Done;
    }
    if (h == "INIT:IMM") {
        if (m_running || m_continuous)
            return eResult::Done;
        m_running = true;
        m_runStart = m_clock.Now();
        m_runTaken = 0;
        m_runCount = static_cast<std::uint64_t>(m_triggerCount) * m_sampleCount;
        return eResult::Done;
    }
    if (h == "INIT:CONT") {
        if (q) {
            reply = OnOff(m_continuous);
            return eResult::Reply;
        }
        const bool on = *command.Switch(0);
        if (on && !m_continuous) {
            m_continuous = true;
            m_continuousStart = m_clock.Now();
            m_continuousTaken = 0;
            ++m_continuousRun;
        }
        if (!on)
            m_continuous = false;
        return eResult::Done;
    }
    if (h == "ABOR") {
        m_running = false;
        return eResult::Done;
    }
    if (h == "STAT:OPER:INST:ISUM:EVEN") {
        reply = std::to_string(m_isumEvent);
        m_isumEvent = 0;
        return eResult::Reply;
    }
    if (h == "STAT:OPER:INST:ISUM:ENAB")
        return CountSetting(command, reply, m_isumEnable);
    if (h == "READ" || h == "MEAS:SCAL:CURR:DC" || h == "MEAS:SCAL:VOLT:DC") {
        if (m_running) {
            PushError(-221, "Settings conflict; a measurement is running");
            return eResult::Done;
        }
        if (h != "READ")
            m_function = h == "MEAS:SCAL:CURR:DC" ? "CURR:DC" : "VOLT:DC";
        const double now = m_clock.Now();
        m_last = {Reading(now), 0.0};
        m_haveLast = true;
    }
    if (!m_haveLast)
        return eResult::NoData;
    reply = FormatExp(m_last.first);
    if (m_elements.find("REL") != std::string::npos)
        reply += "," + FormatExp(m_last.second);
    return eResult::Reply;
}

CSim2280S::eResult CSim2280S::HandleTrace(const CScpiCommand& command, std::string& reply) {
    const std::string& h = command.Header();
    const bool q = command.IsQuery();
    if (h == "TRAC:POIN") {
        if (q) {
            reply = std::to_string(m_points);
            return eResult::Reply;
        }
        m_points = static_cast<unsigned>(*command.Number(0));
        while (m_buffer.size() > m_points)
            m_buffer.pop_front();
        return eResult::Done;
    }
    if (h == "TRAC:CLE") {
        m_buffer.clear();
        return eResult::Done;
    }
    if (h == "TRAC:FEED:CONT") {
        if (q) {
            reply = m_feedControl;
            return eResult::Reply;
        }
        m_feedControl = command.Text(0);
        return eResult::Done;
    }
    if (h == "TRAC:ACT") {
        reply = std::to_string(m_buffer.size());
        return eResult::Reply;
    }
    if (h == "TRAC:DATA") {
        const std::string elements = command.Count() ? command.Word(0) : m_elements;
        if (elements != "READ,REL" && elements != "READ")
            return eResult::BadParameter;
        if (m_buffer.empty())
            return eResult::NoData;
        if (elements == "READ") {
            for (const auto& [value, rel] : m_buffer) {
                (void)rel;
                if (!reply.empty())
                    reply += ',';
                reply += FormatExp(value);
            }
        } else {
            reply = FormatPairs(0, m_buffer.size());
        }
        return eResult::Reply;
    }
    if (h == "FORM:ELEM") {
        if (q) {
            reply = "\"" + m_elements + "\"";
            return eResult::Reply;
        }
        const std::string elements = command.Word(0);
        if (elements != "READ,REL" && elements != "READ")
            return eResult::BadParameter;
        m_elements = elements;
        return eResult::Done;
    }
    return eResult::Unknown;
}

} // namespace benchsim
