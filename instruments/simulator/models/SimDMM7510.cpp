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

void CSimDMM7510::Normalise(CScpiCommand& command) const {
    command.AddRootFor({"FUNC", "CURR", "VOLT"}, "SENS");
    command.DropNode("DC");
    command.DropNode("IMM");
}

std::uint64_t CSimDMM7510::BufferCount() {
    std::lock_guard lock(m_mutex);
    Advance();
    return m_count;
}

double CSimDMM7510::Reading(std::uint64_t index) const {
    const double t = m_bufferStart + static_cast<double>(index) * Period();
    if (m_function == "VOLT:DC")
        return BATTERY_VOLTAGE + 1e-4 * (m_dut.Current(t) - m_dut.Profile().sleepCurrent);
    const double current = m_dut.Current(t);
    if (!m_autoRange && std::fabs(current) > m_range * 1.2)
        return 9.9e37;
    return current;
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
        m_errors.Push(-221, "Settings conflict; analog trigger needs a fixed range and autozero off");
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
    return eResult::Unknown;
}

CSimDMM7510::eResult CSimDMM7510::HandleSense(const CScpiCommand& command, std::string& reply) {
    const std::string& h = command.Header();
    const bool q = command.IsQuery();
    auto word = [&](std::string& target, std::initializer_list<const char*> allowed) {
        if (q) {
            reply = target;
            return eResult::Reply;
        }
        const std::string value = command.Word(0);
        for (const char* option : allowed) {
            if (value.rfind(option, 0) == 0) {
                target = option;
                return eResult::Done;
            }
        }
        return eResult::BadParameter;
    };
    if (h == "SENS:FUNC") {
        if (q) {
            reply = "\"" + m_function + "\"";
            return eResult::Reply;
        }
        const std::string function = command.Word(0);
        if (function == "CURR:DC" || function == "CURR" || function == "CURRENT" || function == "CURRENT:DC")
            m_function = "CURR:DC";
        else if (function == "VOLT:DC" || function == "VOLT" || function == "VOLTAGE" ||
                 function == "VOLTAGE:DC")
            m_function = "VOLT:DC";
        else
            return eResult::BadParameter;
        return eResult::Done;
    }
    if (h == "SENS:CURR:RANG") {
        if (q) {
            reply = FormatExp(m_range);
            return eResult::Reply;
        }
        const auto value = command.Number(0);
        if (!value)
            return eResult::BadParameter;
        for (double range : RANGES) {
            if (std::fabs(*value) <= range * 1.0000001) {
                m_range = range;
                m_autoRange = false;
                return eResult::Done;
            }
        }
        return eResult::OutOfRange;
    }
    if (h == "SENS:CURR:RANG:AUTO")
        return SwitchSetting(command, reply, m_autoRange);
    if (h == "SENS:CURR:AZER" || h == "SENS:CURR:AZER:STAT")
        return SwitchSetting(command, reply, m_autozero);
    if (h == "SENS:CURR:NPLC")
        return NumberSetting(command, reply, m_nplc, 0.0005, 15.0, FormatExp);
    if (h == "SENS:CURR:ATR:MODE")
        return word(m_atrMode, {"OFF", "EDGE", "WIND"});
    if (h == "SENS:CURR:ATR:EDGE:SLOP")
        return word(m_atrSlope, {"RIS", "FALL"});
    if (h == "SENS:CURR:ATR:EDGE:LEV")
        return NumberSetting(command, reply, m_atrLevel, -3.6, 3.6, FormatExp);
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
    if (h == "INIT" && !q)
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

std::string CSimDMM7510::Block(std::uint64_t first, std::uint64_t last, bool withTime) const {
    const bool single = m_format == "SREAL";
    const bool little = m_byteOrder == "SWAP";
    const std::size_t width = (single ? 4 : 8) * (withTime ? 2 : 1);
    const std::size_t bytes = static_cast<std::size_t>(last - first + 1) * width;
    const std::string length = std::to_string(bytes);
    std::string out;
    out.reserve(bytes + length.size() + 2);
    out += '#';
    out += std::to_string(length.size());
    out += length;
    const double period = Period();
    for (std::uint64_t i = first; i <= last; ++i) {
        const double value = Reading(i);
        const double rel = static_cast<double>(i) * period;
        if (single) {
            Append(out, static_cast<float>(value), little);
            if (withTime)
                Append(out, static_cast<float>(rel), little);
        } else {
            Append(out, value, little);
            if (withTime)
                Append(out, rel, little);
        }
    }
    return out;
}

CSimDMM7510::eResult CSimDMM7510::HandleTrace(const CScpiCommand& command, std::string& reply) {
    const std::string& h = command.Header();
    const bool q = command.IsQuery();
    auto bufferOk = [&](std::size_t index) {
        return command.Count() <= index || command.Text(index) == "defbuffer1";
    };
    if (h == "TRAC:POIN") {
        if (!bufferOk(q ? 0 : 1))
            return eResult::BadParameter;
        if (q) {
            reply = std::to_string(m_points);
            return eResult::Reply;
        }
        std::uint64_t value = 0;
        const eResult read = ReadCount(command, 10, static_cast<double>(MAX_POINTS), value);
        if (read != eResult::Done)
            return read;
        if (m_state == eState::Running)
            return eResult::BadParameter;
        m_points = value;
        m_count = 0;
        return eResult::Done;
    }
    if (h == "TRAC:CLE" && !q) {
        if (!bufferOk(0))
            return eResult::BadParameter;
        m_count = 0;
        m_bufferStart = m_clock.Now();
        m_runStart = m_bufferStart;
        m_scanned = 0;
        return eResult::Done;
    }
    if (h == "TRAC:ACT" && q) {
        if (!bufferOk(0))
            return eResult::BadParameter;
        reply = std::to_string(m_count);
        return eResult::Reply;
    }
    if (h == "TRAC:DATA" && q) {
        const auto first = command.Number(0);
        const auto last = command.Number(1);
        if (!first || !last || !bufferOk(2))
            return eResult::BadParameter;
        bool withTime = false;
        for (std::size_t i = 3; i < command.Count(); ++i) {
            const std::string element = command.Word(i);
            if (element.rfind("REL", 0) == 0)
                withTime = true;
            else if (element.rfind("READ", 0) != 0)
                return eResult::BadParameter;
        }
        if (*first < 1 || *last < *first || *last > static_cast<double>(m_count))
            return eResult::OutOfRange;
        const auto begin = static_cast<std::uint64_t>(*first) - 1;
        const auto end = static_cast<std::uint64_t>(*last) - 1;
        if (m_format == "ASC") {
            const double period = Period();
            for (std::uint64_t i = begin; i <= end; ++i) {
                if (!reply.empty())
                    reply += ',';
                reply += FormatExp(Reading(i));
                if (withTime)
                    reply += "," + FormatExp(static_cast<double>(i) * period);
            }
        } else {
            reply = Block(begin, end, withTime);
        }
        return eResult::Reply;
    }
    if (h == "FORM:DATA" || h == "FORM") {
        if (q) {
            reply = m_format;
            return eResult::Reply;
        }
        const std::string format = command.Word(0);
        if (format.rfind("ASC", 0) == 0)
            m_format = "ASC";
        else if (format == "REAL")
            m_format = "REAL";
        else if (format == "SREAL")
            m_format = "SREAL";
        else
            return eResult::BadParameter;
        return eResult::Done;
    }
    if (h == "FORM:BORD") {
        if (q) {
            reply = m_byteOrder;
            return eResult::Reply;
        }
        const std::string order = command.Word(0);
        if (order.rfind("SWAP", 0) == 0)
            m_byteOrder = "SWAP";
        else if (order.rfind("NORM", 0) == 0)
            m_byteOrder = "NORM";
        else
            return eResult::BadParameter;
        return eResult::Done;
    }
    return eResult::Unknown;
}

} // namespace benchsim
