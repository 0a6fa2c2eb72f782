#include "ScpiModel.h"

#include <cmath>

namespace benchsim {

CScpiModel::CScpiModel() = default;

bool CScpiModel::Execute(const std::string& command, std::string& reply) {
    std::lock_guard lock(m_mutex);
    reply.clear();
    bool answered = false;
    for (const std::string& unit : CScpiCommand::SplitUnits(command)) {
        CScpiCommand parsed(unit);
        Normalise(parsed);
        std::string part;
        eResult result = HandleCommon(parsed, part);
        if (result == eResult::Unknown)
            result = Handle(parsed, part);
        switch (result) {
        case eResult::Reply:
            if (answered)
                reply += ';';
            reply += part;
            answered = true;
            break;
        case eResult::Done:
            break;
        case eResult::Unknown:
            m_errors.Push(-113, "Undefined header");
            break;
        case eResult::OutOfRange:
            m_errors.Push(-222, "Data out of range");
            break;
        case eResult::BadParameter:
            m_errors.Push(-224, "Illegal parameter value");
            break;
        case eResult::NoData:
            m_errors.Push(-230, "Data corrupt or stale");
            break;
        }
    }
    return answered;
}

void CScpiModel::DeviceClear() {
    std::lock_guard lock(m_mutex);
    AbortMeasurement();
}

std::size_t CScpiModel::ErrorCount() const {
    std::lock_guard lock(m_mutex);
    return m_errors.Count();
}

CScpiModel::eResult CScpiModel::HandleCommon(const CScpiCommand& command, std::string& reply) {
    const std::string& h = command.Header();
    if (h == "*IDN" && command.IsQuery()) {
        reply = Identity();
        return eResult::Reply;
    }
    if (h == "*OPC" && command.IsQuery()) {
        reply.assign(1, '1');
        return eResult::Reply;
    }
    if ((h == "*OPC" || h == "*WAI") && !command.IsQuery())
        return eResult::Done;
    if (h == "*CLS" && !command.IsQuery()) {
        m_errors.Clear();
        ClearStatus();
        return eResult::Done;
    }
    if (h == "*RST" && !command.IsQuery()) {
        AbortMeasurement();
        ResetState();
        return eResult::Done;
    }
    if ((h == "SYST:ERR" || h == "SYST:ERR:NEXT") && command.IsQuery()) {
        reply = m_errors.Pop();
        return eResult::Reply;
    }
    if (h == "SYST:ERR:COUN" && command.IsQuery()) {
        reply = std::to_string(m_errors.Count());
        return eResult::Reply;
    }
    if (h == "SYST:ERR:CLE" && !command.IsQuery()) {
        m_errors.Clear();
        return eResult::Done;
    }
    return eResult::Unknown;
}

CScpiModel::eResult CScpiModel::SwitchSetting(const CScpiCommand& command, std::string& reply, bool& target) {
    if (command.IsQuery()) {
        reply = OnOff(target);
        return eResult::Reply;
    }
    const auto on = command.Switch(0);
    if (!on)
        return eResult::BadParameter;
    target = *on;
    return eResult::Done;
}

CScpiModel::eResult CScpiModel::NumberSetting(const CScpiCommand& command, std::string& reply, double& target,
                                              double minimum, double maximum, std::string (*format)(double)) {
    if (command.IsQuery()) {
        reply = format(target);
        return eResult::Reply;
    }
    const auto value = command.Number(0);
    if (!value)
        return eResult::BadParameter;
    if (*value < minimum || *value > maximum)
        return eResult::OutOfRange;
    target = *value;
    return eResult::Done;
}

CScpiModel::eResult CScpiModel::ReadCount(const CScpiCommand& command, double minimum, double maximum,
                                          std::uint64_t& count) {
    const auto value = command.Number(0);
    if (!value || *value != std::floor(*value))
        return eResult::BadParameter;
    if (*value < minimum || *value > maximum)
        return eResult::OutOfRange;
    count = static_cast<std::uint64_t>(*value);
    return eResult::Done;
}

} // namespace benchsim
