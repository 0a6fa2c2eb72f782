#include "SimDMM7510.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace benchsim {
namespace {

const double RANGES[] = {10e-6, 100e-6, 1e-3, 10e-3, 100e-3, 1.0, 3.0};
// The largest number of readings an edge search looks at in one step.
constexpr std::uint64_t SCAN_LIMIT = 4000000;
constexpr double BATTERY_VOLTAGE = 3.3;
const char* const DEFAULT_BUFFER = "defbuffer1";
const char* const ELEMENTS = "DATE|EXTRa|EXTRAUnit|EXTRAValue|FORMatted|FRACtional|READing|RELative|SEConds|"
                             "STATus|TIME|TSTamp|UNIT";

template <typename T> void Append(std::string& out, T value, bool littleEndian) {
    char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    const bool hostLittle = std::endian::native == std::endian::little;
    if (hostLittle != littleEndian)
        std::reverse(bytes, bytes + sizeof(T));
    out.append(bytes, sizeof(T));
}

} // namespace

CSimDMM7510::CSimDMM7510() {
    using T = CScpiTree;
    const auto set = T::eForm::SetOnly, query = T::eForm::QueryOnly, both = T::eForm::SetAndQuery;
    const auto buffer = T::Optional(T::Str());
    const auto element = T::Optional(T::Choice(ELEMENTS));
    const double points = static_cast<double>(MAX_POINTS);
    m_tree.Add("[:SENSe[1]]:FUNCtion[:ON]", both, {T::Str("CURRent[:DC]|VOLTage[:DC]")});
    m_tree.Add("[:SENSe[1]]:CURRent[:DC]:RANGe[:UPPer]", both, {T::Num(0.0, 3.0, 10e-6, "A")});
    m_tree.Add("[:SENSe[1]]:CURRent[:DC]:RANGe:AUTO", both, {T::Bool()});
    m_tree.Add("[:SENSe[1]]:CURRent[:DC]:AZERo[:STATe]", both, {T::Bool()});
    // At most 12 power-line cycles at 50 Hz (15 at 60 Hz).
    m_tree.Add("[:SENSe[1]]:CURRent[:DC]:NPLCycles", both, {T::Num(0.0005, 12.0, 1.0)});
    m_tree.Add("[:SENSe[1]]:CURRent[:DC]:ATRigger:MODE", both, {T::Choice("OFF|EDGE|WINDow")});
    m_tree.Add("[:SENSe[1]]:CURRent[:DC]:ATRigger:EDGE:SLOPe", both, {T::Choice("RISing|FALLing")});
    m_tree.Add("[:SENSe[1]]:CURRent[:DC]:ATRigger:EDGE:LEVel", both, {T::Num(-3.6, 3.6, 0.0, "A")});
    m_tree.Add("[:SENSe[1]]:COUNt", both, {T::Int(1, 1000000, 1)});
    m_tree.Add(":TRIGger:LOAD", set,
               {T::Str(), T::Optional(T::Any()), T::Optional(T::Any()), T::Optional(T::Any()),
                T::Optional(T::Any()), T::Optional(T::Any())});
    m_tree.Add(":INITiate[:IMMediate]", set);
    m_tree.Add(":ABORt", set);
    m_tree.Add("*TRG", set);
    m_tree.Add(":TRIGger:STATe", query);
    m_tree.Add(":TRACe:POINts", both, {T::Int(10, points, 100000), buffer}, {buffer});
    m_tree.Add(":TRACe:CLEar", set, {buffer});
    m_tree.Add(":TRACe:ACTual", query, {}, {buffer});
    m_tree.Add(":TRACe:DATA", query, {},
               {T::Int(1, points, 1), T::Int(1, points, 1), buffer, element, element, element, element});
    m_tree.Add(":TRACe:MAKE", set,
               {T::Str(), T::Int(10, points, 10),
                T::Optional(T::Choice("COMPact|STANdard|FULL|WRITable|FULLWRITable"))});
    m_tree.Add(":TRACe:DELete", set, {T::Str()});
    m_tree.Add(":FORMat[:DATA]", both, {T::Choice("ASCii|REAL|SREAL")});
    m_tree.Add(":FORMat:BORDer", both, {T::Choice("NORMal|SWAPped")});
    for (const char* reading : {":READ", ":FETCh", ":MEASure:CURRent[:DC]", ":MEASure:VOLTage[:DC]"})
        m_tree.Add(reading, query, {}, {buffer, element, element, element, element});
    m_tree.Add(":SYSTem:LFRequency", query);
    ResetState();
}

std::string CSimDMM7510::Identity() const {
    return "KEITHLEY INSTRUMENTS,MODEL DMM7510,04512873,1.7.7b";
}

void CSimDMM7510::ResetState() {
    m_function = "VOLT:DC";
    m_range = 1e-5;
    m_autoRange = true;
    m_nplc = 1.0;
    m_autozero = true;
    m_atrMode = "OFF";
    m_atrSlope = "RIS";
    m_atrLevel = 0.0;
    m_points = 100000;
    m_measureCount = 1;
    m_userBuffers.clear();
    m_format = "ASC";
    m_byteOrder = "NORM";
    m_template = eTemplate::None;
    m_state = eState::Idle;
    m_count = m_target = 0;
}

void CSimDMM7510::AbortMeasurement() {
    Advance();
    if (m_state == eState::Running)
        m_state = eState::Aborted;
    m_waitingForEvent = false;
}

bool CSimDMM7510::Busy() {
    Advance();
    return m_state == eState::Running;
}

std::uint64_t CSimDMM7510::BufferCount() {
    std::lock_guard lock(m_mutex);
    Advance();
    return m_count;
}

double CSimDMM7510::SBufferView::Reading(std::uint64_t index) const {
    const double t = start + static_cast<double>(index) * period;
    if (volts)
        return BATTERY_VOLTAGE + 1e-4 * (dut.Current(t) - dut.Profile().sleepCurrent);
    const double current = dut.Current(t);
    if (!autoRange && std::fabs(current) > range * 1.2)
        return 9.9e37;
    return current;
}

CSimDMM7510::SBufferView CSimDMM7510::View() const {
    return SBufferView{m_dut, m_bufferStart, Period(), m_range, m_function == "VOLT:DC", m_autoRange};
}

bool CSimDMM7510::FindEdge(double now) {
    const double period = Period();
    const double elapsed = now - m_runStart;
    if (elapsed < 0)
        return false;
    const auto made = static_cast<std::uint64_t>(elapsed / period);
    const std::uint64_t end = std::min(made, m_scanned + SCAN_LIMIT);
    const bool rising = m_atrSlope == "RIS";
    for (; m_scanned < end; ++m_scanned) {
        const double value = m_dut.Current(m_runStart + static_cast<double>(m_scanned) * period);
        const bool crossed = m_scanned > 0 && (rising ? (m_previous < m_atrLevel && value >= m_atrLevel)
                                                      : (m_previous > m_atrLevel && value <= m_atrLevel));
        m_previous = value;
        if (crossed) {
            const std::uint64_t post = m_points - PreEventPoints();
            const std::uint64_t pre = std::min(m_scanned, PreEventPoints());
            m_bufferStart = m_runStart + static_cast<double>(m_scanned - pre) * period;
            m_target = pre + post;
            return true;
        }
    }
    return false;
}

std::uint64_t CSimDMM7510::PreEventPoints() const {
    return static_cast<std::uint64_t>(std::llround(static_cast<double>(m_points) * m_position / 100.0));
}

void CSimDMM7510::Advance() {
    if (m_state != eState::Running || Held())
        return;
    const double now = m_clock.Now();
    const double period = Period();
    if (m_waitingForEvent) {
        if (m_event == "ATR" && FindEdge(now)) {
            m_waitingForEvent = false;
        } else {
            // Before the event the buffer fills continuously and keeps the newest readings.
            const auto made = static_cast<std::uint64_t>(std::max(0.0, now - m_runStart) / period);
            const std::uint64_t dropped = made > m_points ? made - m_points : 0;
            m_bufferStart = m_runStart + static_cast<double>(dropped) * period;
            m_count = made - dropped;
            return;
        }
    }
    const auto made = static_cast<std::uint64_t>(std::max(0.0, now - m_bufferStart) / period);
    m_count = std::min(made, m_target);
    if (m_count >= m_target)
        m_state = eState::Idle;
}

CSimDMM7510::eResult CSimDMM7510::Start() {
    if (m_template == eTemplate::None)
        return eResult::BadParameter;
    if (m_state == eState::Running)
        return eResult::Done;
    if (m_template == eTemplate::LoopUntilEvent && m_event == "ATR" &&
        (m_autoRange || m_autozero || m_atrMode != "EDGE" || m_function != "CURR:DC")) {
        PushError(-221, "Settings conflict; analog trigger needs a fixed range and autozero off");
        return eResult::Done;
    }
    m_state = eState::Running;
    m_runStart = m_clock.Now();
    m_bufferStart = m_runStart;
    m_count = 0;
    m_scanned = 0;
    if (m_template == eTemplate::SimpleLoop) {
        m_waitingForEvent = false;
        m_target = std::min(m_loopCount, m_points);
    } else {
        m_waitingForEvent = true;
        m_target = m_points;
    }
    return eResult::Done;
}

CSimDMM7510::eResult CSimDMM7510::Handle(const CScpiCommand& command, std::string& reply) {
    Advance();
    const std::string& h = command.Header();
    const std::string root = h.substr(0, h.find(':'));
    if (root == "SENS")
        return HandleSense(command, reply);
    if (root == "TRIG" || root == "INIT" || root == "ABOR" || h == "*TRG")
        return HandleTrigger(command, reply);
    if (root == "TRAC" || root == "FORM")
        return HandleTrace(command, reply);
    if (root == "READ" || root == "FETC" || root == "MEAS")
        return HandleReading(command, reply);
    if (h == "SYST:LFR") {
        reply = FormatFixed(m_lineFrequency);
        return eResult::Reply;
    }
    return eResult::Unknown;
}

CSimDMM7510::eResult CSimDMM7510::HandleSense(const CScpiCommand& command, std::string& reply) {
    const std::string& h = command.Header();
    const bool q = command.IsQuery();
    auto word = [&](std::string& target) {
        if (q) {
            reply = target;
            return eResult::Reply;
        }
        target = command.Text(0);
        return eResult::Done;
    };
    if (h == "SENS:FUNC:ON") {
        if (q) {
            reply = "\"" + m_function + "\"";
            return eResult::Reply;
        }
        m_function = command.Text(0);
        return eResult::Done;
    }
    if (h == "SENS:CURR:DC:RANG:UPP") {
        if (q) {
            reply = FormatExp(command.Count() ? *command.Number(0) : m_range);
            return eResult::Reply;
        }
        // The smallest range that holds the value.
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
    if (h == "SENS:CURR:DC:AZER:STAT")
        return SwitchSetting(command, reply, m_autozero);
    if (h == "SENS:CURR:DC:NPLC")
        return NumberSetting(command, reply, m_nplc, FormatExp);
    if (h == "SENS:CURR:DC:ATR:MODE")
        return word(m_atrMode);
    if (h == "SENS:CURR:DC:ATR:EDGE:SLOP")
        return word(m_atrSlope);
    if (h == "SENS:CURR:DC:ATR:EDGE:LEV")
        return NumberSetting(command, reply, m_atrLevel, FormatExp);
    if (h == "SENS:COUN")
        return CountSetting(command, reply, m_measureCount);
    return eResult::Unknown;
}

CSimDMM7510::eResult CSimDMM7510::LoadTemplate(const CScpiCommand& command) {
    const std::string name = command.Word(0);
    if (name == "SIMPLELOOP") {
        const auto count = command.Number(1);
        if (!count || *count < 1 || *count != std::floor(*count))
            return eResult::BadParameter;
        if (command.Count() > 3 && command.Text(3) != "defbuffer1")
            return eResult::BadParameter;
        m_template = eTemplate::SimpleLoop;
        m_loopCount = static_cast<std::uint64_t>(*count);
        return eResult::Done;
    }
    if (name == "LOOPUNTILEVENT") {
        std::string event = command.Word(1);
        if (event.rfind("ATR", 0) == 0)
            event = "ATR";
        else if (event.rfind("COMM", 0) == 0)
            event = "COMM";
        else if (event.rfind("DISP", 0) != 0 && event.rfind("EXT", 0) != 0)
            return eResult::BadParameter;
        const auto position = command.Number(2);
        if (!position || *position < 0 || *position > 100)
            return eResult::BadParameter;
        if (command.Count() > 5 && command.Text(5) != "defbuffer1")
            return eResult::BadParameter;
        m_template = eTemplate::LoopUntilEvent;
        m_event = event;
        m_position = *position;
        return eResult::Done;
    }
    return eResult::BadParameter;
}

CSimDMM7510::eResult CSimDMM7510::HandleTrigger(const CScpiCommand& command, std::string& reply) {
    const std::string& h = command.Header();
    const bool q = command.IsQuery();
    if (h == "TRIG:LOAD" && !q) {
        if (m_state == eState::Running)
            return eResult::BadParameter;
        return LoadTemplate(command);
    }
    if (h == "INIT:IMM")
        return Start();
    if (h == "ABOR" && !q) {
        AbortMeasurement();
        return eResult::Done;
    }
    if (h == "*TRG" && !q) {
        if (m_state == eState::Running && m_waitingForEvent && m_event == "COMM") {
            // The buffer keeps the position's share from before the event and fills up after it.
            const std::uint64_t keep = std::min(m_count, PreEventPoints());
            m_bufferStart += static_cast<double>(m_count - keep) * Period();
            m_count = keep;
            m_waitingForEvent = false;
            m_target = keep + (m_points - PreEventPoints());
        }
        return eResult::Done;
    }
    if (h == "TRIG:STAT" && q) {
        const char* state = m_state == eState::Running   ? (m_waitingForEvent ? "WAITING" : "RUNNING")
                            : m_state == eState::Aborted ? "ABORTED"
                                                         : "IDLE";
        reply = std::string(state) + ";" + state + ";" + (m_state == eState::Idle ? "3" : "2");
        return eResult::Reply;
    }
    return eResult::Unknown;
}

bool CSimDMM7510::KnownBuffer(const CScpiCommand& command, std::size_t index, std::uint64_t*& size) {
    const std::string name = command.Count() > index ? command.Text(index) : DEFAULT_BUFFER;
    if (name == DEFAULT_BUFFER) {
        size = &m_points;
        return true;
    }
    const auto found = m_userBuffers.find(name);
    size = found == m_userBuffers.end() ? nullptr : &found->second;
    return size != nullptr;
}

CSimDMM7510::eResult CSimDMM7510::Elements(const CScpiCommand& command, std::size_t first,
                                           bool& withTime) const {
    withTime = false;
    for (std::size_t i = first; i < command.Count(); ++i) {
        const std::string element = command.Text(i);
        if (element == "REL")
            withTime = true;
        else if (element != "READ")
            return eResult::BadParameter; // the other elements are not kept by this model
    }
    return eResult::Done;
}

std::string CSimDMM7510::Readings(std::uint64_t first, std::uint64_t last, bool withTime) {
    const bool ascii = m_format == "ASC";
    const bool single = m_format == "SREAL";
    const bool little = m_byteOrder == "SWAP";
    std::string head;
    if (!ascii) {
        const std::size_t width = (single ? 4 : 8) * (withTime ? 2 : 1);
        const std::string length = std::to_string(static_cast<std::size_t>(last - first + 1) * width);
        head = "#" + std::to_string(length.size()) + length;
    }
    ContinueReplyWith([view = View(), next = first, first, last, withTime, ascii, single,
                       little](std::string& out, std::size_t limit) mutable {
        for (; next <= last && out.size() < limit; ++next) {
            const double value = view.Reading(next);
            const double rel = static_cast<double>(next) * view.period;
            if (ascii) {
                if (next != first)
                    out += ',';
                out += FormatExp(value);
                if (withTime) {
                    out += ',';
                    out += FormatExp(rel);
                }
            } else if (single) {
                Append(out, static_cast<float>(value), little);
                if (withTime)
                    Append(out, static_cast<float>(rel), little);
            } else {
                Append(out, value, little);
                if (withTime)
                    Append(out, rel, little);
            }
        }
        return next > last;
    });
    return head;
}

CSimDMM7510::eResult CSimDMM7510::HandleTrace(const CScpiCommand& command, std::string& reply) {
    const std::string& h = command.Header();
    const bool q = command.IsQuery();
    std::uint64_t* size = nullptr;
    if (h == "TRAC:POIN") {
        if (!KnownBuffer(command, q ? 0 : 1, size))
            return eResult::BadParameter;
        if (q) {
            reply = std::to_string(*size);
            return eResult::Reply;
        }
        if (m_state == eState::Running && size == &m_points) {
            PushError(-221, "Settings conflict; the trigger model is running");
            return eResult::Done;
        }
        *size = static_cast<std::uint64_t>(*command.Number(0));
        if (size == &m_points)
            m_count = 0;
        return eResult::Done;
    }
    if (h == "TRAC:CLE") {
        if (!KnownBuffer(command, 0, size))
            return eResult::BadParameter;
        if (size == &m_points) {
            m_count = 0;
            m_bufferStart = m_clock.Now();
            m_runStart = m_bufferStart;
            m_scanned = 0;
        }
        return eResult::Done;
    }
    if (h == "TRAC:ACT") {
        if (!KnownBuffer(command, 0, size))
            return eResult::BadParameter;
        reply = std::to_string(size == &m_points ? m_count : 0);
        return eResult::Reply;
    }
    if (h == "TRAC:DATA") {
        bool withTime = false;
        if (!KnownBuffer(command, 2, size) || Elements(command, 3, withTime) != eResult::Done)
            return eResult::BadParameter;
        const auto first = static_cast<std::uint64_t>(*command.Number(0));
        const auto last = static_cast<std::uint64_t>(*command.Number(1));
        const std::uint64_t count = size == &m_points ? m_count : 0;
        if (last < first || last > count)
            return eResult::OutOfRange;
        reply = Readings(first - 1, last - 1, withTime);
        return eResult::Reply;
    }
    if (h == "TRAC:MAKE") {
        const std::string name = command.Text(0);
        if (name.empty() || name.size() > 31 || KnownBuffer(command, 0, size) || name == "defbuffer2")
            return eResult::BadParameter;
        m_userBuffers[name] = static_cast<std::uint64_t>(*command.Number(1));
        return eResult::Done;
    }
    if (h == "TRAC:DEL") {
        if (m_userBuffers.erase(command.Text(0)) == 0)
            return eResult::BadParameter;
        return eResult::Done;
    }
    if (h == "FORM:DATA") {
        if (q) {
            reply = m_format;
            return eResult::Reply;
        }
        m_format = command.Text(0);
        return eResult::Done;
    }
    if (h == "FORM:BORD") {
        if (q) {
            reply = m_byteOrder;
            return eResult::Reply;
        }
        m_byteOrder = command.Text(0);
        return eResult::Done;
    }
    return eResult::Unknown;
}

CSimDMM7510::eResult CSimDMM7510::HandleReading(const CScpiCommand& command, std::string& reply) {
    const std::string& h = command.Header();
    bool withTime = false;
    std::uint64_t* size = nullptr;
    if (!KnownBuffer(command, 0, size) || size != &m_points ||
        Elements(command, 1, withTime) != eResult::Done)
        return eResult::BadParameter;
    if (h != "FETC") {
        if (m_state == eState::Running) {
            PushError(-221, "Settings conflict; the trigger model is running");
            return eResult::Done;
        }
        if (h == "MEAS:CURR:DC" || h == "MEAS:VOLT:DC") {
            m_function = h == "MEAS:CURR:DC" ? "CURR:DC" : "VOLT:DC";
            m_autoRange = true;
        }
        // The readings of the count are taken now; the buffer holds them from its start.
        const auto count = std::min<std::uint64_t>(m_measureCount, m_points);
        m_bufferStart = m_clock.Now();
        m_runStart = m_bufferStart;
        m_count = count;
        m_state = eState::Idle;
    }
    if (m_count == 0)
        return eResult::NoData;
    reply = Readings(m_count - 1, m_count - 1, withTime);
    return eResult::Reply;
}

} // namespace benchsim
