#include "ScpiModel.h"

#include "ScpiParser.h"

#include <chrono>
#include <thread>

namespace benchsim {
namespace {

const char* StandardMessage(int code) {
    switch (code) {
    case -101:
        return "Invalid character";
    case -102:
        return "Syntax error";
    case -104:
        return "Data type error";
    case -108:
        return "Parameter not allowed";
    case -109:
        return "Missing parameter";
    case -113:
        return "Undefined header";
    case -114:
        return "Header suffix out of range";
    case -131:
        return "Invalid suffix";
    case -138:
        return "Suffix not allowed";
    case -221:
        return "Settings conflict";
    case -222:
        return "Data out of range";
    case -224:
        return "Illegal parameter value";
    case -230:
        return "Data corrupt or stale";
    case -363:
        return "Input buffer overrun";
    case -410:
        return "Query INTERRUPTED";
    case -420:
        return "Query UNTERMINATED";
    default:
        return "Error";
    }
}

} // namespace

CScpiModel::CScpiModel() {
    using T = CScpiTree;
    const auto set = T::eForm::SetOnly, query = T::eForm::QueryOnly, both = T::eForm::SetAndQuery;
    m_tree.Add("*CLS", set);
    m_tree.Add("*ESE", both, {T::Int(0, 255, 0)});
    m_tree.Add("*ESR", query);
    m_tree.Add("*IDN", query);
    m_tree.Add("*OPC", both);
    m_tree.Add("*RST", set);
    m_tree.Add("*SRE", both, {T::Int(0, 255, 0)});
    m_tree.Add("*STB", query);
    m_tree.Add("*TST", query);
    m_tree.Add("*WAI", set);
    m_tree.Add(":SYSTem:ERRor[:NEXT]", query);
    m_tree.Add(":SYSTem:ERRor:COUNt", query);
    m_tree.Add(":SYSTem:ERRor:CLEar", set);
    m_tree.Add(":STATus:OPERation[:EVENt]", query);
    m_tree.Add(":STATus:OPERation:CONDition", query);
    m_tree.Add(":STATus:OPERation:ENABle", both, {T::Int(0, 65535, 0)});
    m_tree.Add(":STATus:QUEStionable[:EVENt]", query);
    m_tree.Add(":STATus:QUEStionable:CONDition", query);
    m_tree.Add(":STATus:QUEStionable:ENABle", both, {T::Int(0, 65535, 0)});
    m_tree.Add(":STATus:PRESet", set);
    m_tree.Add(":STATus:CLEar", set);
}

bool CScpiModel::Execute(const std::string& command, std::string& reply) {
    reply.clear();
    SProgramMessage message;
    message.text = command;
    while (Run(message, reply, SIZE_MAX) == eStep::Waiting)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return message.answered;
}

IInstrumentModel::eStep CScpiModel::Run(SProgramMessage& message, std::string& output, std::size_t limit) {
    std::lock_guard lock(m_mutex);
    for (;;) {
        if (!ContinueReply(message, output, limit))
            return eStep::OutputFull;
        if (output.size() >= limit && !message.Finished())
            return eStep::OutputFull;
        const std::size_t unitStart = message.at;
        const std::string pathBefore = message.path;
        CScpiParser::SUnit unit;
        int error = 0;
        const CScpiParser::eResult read = CScpiParser::Next(message, unit, error);
        if (read == CScpiParser::eResult::End)
            return eStep::Finished;
        if (read == CScpiParser::eResult::Error) {
            PushError(error);
            continue;
        }
        CScpiCommand command;
        if ((error = m_tree.Resolve(unit.header, unit.query, unit.data, command)) != 0) {
            PushError(error);
            continue;
        }
        const std::string& key = command.Header();
        if ((key == "*WAI" || (key == "*OPC" && command.IsQuery())) && Busy()) {
            message.at = unitStart;
            message.path = pathBefore;
            return eStep::Waiting;
        }
        std::string part;
        eResult result = HandleCommon(command, part, message.answered);
        if (result == eResult::Unknown)
            result = Handle(command, part);
        switch (result) {
        case eResult::Reply:
            if (message.answered)
                output += ';';
            if (output.empty())
                output.swap(part); // a block of many megabytes is not copied
            else
                output += part;
            message.answered = true;
            message.rest = std::move(m_replyRest);
            m_replyRest = nullptr;
            break;
        case eResult::Done:
            break;
        case eResult::Unknown:
            PushError(-113);
            break;
        case eResult::OutOfRange:
            PushError(-222);
            break;
        case eResult::BadParameter:
            PushError(-224);
            break;
        case eResult::NoData:
            PushError(-230);
            break;
        }
    }
}

void CScpiModel::PushError(int code, const char* message) {
    m_errors.Push(code, message ? message : StandardMessage(code));
    if (code <= -100 && code > -200)
        m_eventStatus |= ESR_CME;
    else if (code <= -200 && code > -300)
        m_eventStatus |= ESR_EXE;
    else if (code <= -300 && code > -400)
        m_eventStatus |= ESR_DDE;
    else if (code <= -400 && code > -500)
        m_eventStatus |= ESR_QYE;
}

void CScpiModel::ReportError(int code) {
    std::lock_guard lock(m_mutex);
    PushError(code);
}

void CScpiModel::DeviceClear() {
    std::lock_guard lock(m_mutex);
    AbortMeasurement();
    m_opcPending = false;
}

std::size_t CScpiModel::ErrorCount() const {
    std::lock_guard lock(m_mutex);
    return m_errors.Count();
}

void CScpiModel::UpdateOperationComplete() {
    if (m_opcPending && !Busy()) {
        m_opcPending = false;
        m_eventStatus |= ESR_OPC;
    }
}

unsigned CScpiModel::StatusByte(bool outputPending) const {
    unsigned stb = 0;
    if (m_errors.Count() != 0)
        stb |= STB_EAV;
    if ((m_questionableEvent & m_questionableEnable) != 0)
        stb |= STB_QSB;
    if (outputPending)
        stb |= STB_MAV;
    if ((m_eventStatus & m_eventEnable) != 0)
        stb |= STB_ESB;
    if ((m_operationEvent & m_operationEnable) != 0)
        stb |= STB_OSB;
    if ((stb & m_serviceEnable & ~STB_MSS) != 0)
        stb |= STB_MSS;
    return stb;
}

CScpiModel::eResult CScpiModel::HandleCommon(const CScpiCommand& command, std::string& reply,
                                             bool outputPending) {
    const std::string& h = command.Header();
    const bool q = command.IsQuery();
    auto answer = [&](unsigned value) {
        reply = std::to_string(value);
        return eResult::Reply;
    };
    UpdateOperationComplete();
    if (h == "*IDN") {
        reply = Identity();
        return eResult::Reply;
    }
    if (h == "*OPC") {
        if (q)
            return answer(1); // Run waits until nothing overlapped runs
        m_opcPending = true;
        UpdateOperationComplete();
        return eResult::Done;
    }
    if (h == "*WAI")
        return eResult::Done;
    if (h == "*CLS") {
        m_errors.Clear();
        m_eventStatus = 0;
        m_operationEvent = m_questionableEvent = 0;
        m_opcPending = false;
        ClearStatus();
        return eResult::Done;
    }
    if (h == "*RST") {
        AbortMeasurement();
        ResetState();
        m_opcPending = false;
        return eResult::Done;
    }
    if (h == "*TST")
        return answer(0);
    if (h == "*ESE")
        return CountSetting(command, reply, m_eventEnable);
    if (h == "*SRE") {
        const eResult result = CountSetting(command, reply, m_serviceEnable);
        m_serviceEnable &= ~STB_MSS;
        return result;
    }
    if (h == "*ESR") {
        const unsigned value = m_eventStatus;
        m_eventStatus = 0;
        return answer(value);
    }
    if (h == "*STB")
        return answer(StatusByte(outputPending));
    if (h == "SYST:ERR:NEXT") {
        reply = m_errors.Pop();
        return eResult::Reply;
    }
    if (h == "SYST:ERR:COUN")
        return answer(static_cast<unsigned>(m_errors.Count()));
    if (h == "SYST:ERR:CLE") {
        m_errors.Clear();
        return eResult::Done;
    }
    if (h == "STAT:OPER:EVEN") {
        const unsigned value = m_operationEvent;
        m_operationEvent = 0;
        return answer(value);
    }
    if (h == "STAT:QUES:EVEN") {
        const unsigned value = m_questionableEvent;
        m_questionableEvent = 0;
        return answer(value);
    }
    if (h == "STAT:OPER:COND")
        return answer(Busy() ? 0x10u : 0u); // bit 4: measuring
    if (h == "STAT:QUES:COND")
        return answer(0);
    if (h == "STAT:OPER:ENAB")
        return CountSetting(command, reply, m_operationEnable);
    if (h == "STAT:QUES:ENAB")
        return CountSetting(command, reply, m_questionableEnable);
    if (h == "STAT:PRES") {
        m_operationEnable = m_questionableEnable = 0;
        return eResult::Done;
    }
    if (h == "STAT:CLE") {
        m_operationEvent = m_questionableEvent = 0;
        ClearStatus();
        return eResult::Done;
    }
    return eResult::Unknown;
}

CScpiModel::eResult CScpiModel::SwitchSetting(const CScpiCommand& command, std::string& reply, bool& target) {
    if (command.IsQuery()) {
        reply = OnOff(target);
        return eResult::Reply;
    }
    target = *command.Switch(0);
    return eResult::Done;
}

CScpiModel::eResult CScpiModel::NumberSetting(const CScpiCommand& command, std::string& reply, double& target,
                                              std::string (*format)(double)) {
    if (command.IsQuery()) {
        reply = format(command.Count() ? *command.Number(0) : target);
        return eResult::Reply;
    }
    target = *command.Number(0);
    return eResult::Done;
}

} // namespace benchsim
