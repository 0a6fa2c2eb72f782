#include "EntityInstruDCPS.h"

#include "instruments/drvcore/DriverSteps.h"

#include "platform/Event.h"
#include "platform/MessageTarget.h"
#include "platform/Numbers.h"
#include "platform/ParseNumber.h"
#include "platform/Utf16.h"

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

namespace {

constexpr unsigned MAX_COUNT = 2500;
using Items = CParameterInstruDCSource;
constexpr int ALL_ITEMS_SET[] = {Items::ITEM_FUNCTION_TYPE, Items::ITEM_OUTPUT,
                                 Items::ITEM_VOLTAGE,       Items::ITEM_VOLTAGE_PROTECTION,
                                 Items::ITEM_CURRENT,       Items::ITEM_CURRENT_PROTECTION,
                                 Items::ITEM_RANGE,         Items::ITEM_BUFFER_CAPACITY,
                                 Items::ITEM_TRIGGER_COUNT};
constexpr int ALL_ITEMS_GET[] = {Items::ITEM_FUNCTION_TYPE,
                                 Items::ITEM_OUTPUT,
                                 Items::ITEM_VOLTAGE,
                                 Items::ITEM_VOLTAGE_PROTECTION,
                                 Items::ITEM_CURRENT,
                                 Items::ITEM_CURRENT_PROTECTION,
                                 Items::ITEM_IDN,
                                 Items::ITEM_RANGE,
                                 Items::ITEM_BUFFER_CAPACITY,
                                 Items::ITEM_TRIGGER_COUNT};
const char* const RANGE_TEXTS[] = {"0.01", "0.1", "1", "10"};

} // namespace

CEntityInstruDCPS::CEntityInstruDCPS() = default;

CEntityInstruDCPS::~CEntityInstruDCPS() = default;

void CEntityInstruDCPS::CopyFrom(const CEntityInstruDCPS& other) {
    CEntityInstrument::CopyFrom(other);
}

void CEntityInstruDCPS::SetParentWndPtr(platform::CMessageTarget* parent, platform::CEvent* abortEvent) {
    m_parent = parent;
    m_abortEvent = abortEvent;
}

QString CEntityInstruDCPS::Reply() const {
    return GetDataString().trimmed();
}

void CEntityInstruDCPS::TakeTimeout(const CParameterInstru& parameters) {
    m_timeoutMs = drvcore::TimeoutMs(parameters);
}

int CEntityInstruDCPS::CheckConnection() {
    return drvcore::ConnectAndNotify(*this, m_parent, WM_INSTRUMENT_CONNECTED);
}

int CEntityInstruDCPS::SetInstrumentControlDCPS() {
    return CheckConnection();
}

int CEntityInstruDCPS::QueryText(const QString& query, QString& reply) {
    const auto session = LockSession();
    if (!WriteAndReadHelper(query))
        return 0;
    reply = Reply();
    return 1;
}

int CEntityInstruDCPS::SendValue(const char* header, const QString& value) {
    // A parameter that is no number (a level an instrument file does not hold is empty) is not sent:
    // the supply would queue a parameter error and hold another level than the record says.
    if (!platform::ReadStrictDouble(value))
        return 0;
    return WriteCommandHelper(QString::fromLatin1(header) + QLatin1Char(' ') + value);
}

int CEntityInstruDCPS::QueryOnOff(const QString& query, int& on) {
    const auto session = LockSession();
    on = 0;
    if (!WriteAndReadHelper(query))
        return 0;
    const QString reply = platform::AsciiUpper(Reply());
    on = (reply == QLatin1String("ON") || reply == QLatin1String("1")) ? 1 : 0;
    return 1;
}

int CEntityInstruDCPS::SetFunctionType(int type) {
    if (!CheckConnection())
        return 0;
    switch (type) {
    case 1:
        return WriteCommandHelper(QStringLiteral(":SENS:FUNC \"VOLT:DC\""));
    case 2:
        return WriteCommandHelper(QStringLiteral(":SENS:FUNC \"CURR:DC\""));
    case 3:
        return WriteCommandHelper(QStringLiteral(":SENS:FUNC \"CONC:DC\""));
    default:
        return 0;
    }
}

int CEntityInstruDCPS::GetFunctionType(int& type) {
    const auto session = LockSession();
    type = 0;
    if (!WriteAndReadHelper(QStringLiteral(":SENS:FUNC?")))
        return 0;
    const QString reply = platform::AsciiUpper(Reply());
    if (reply.contains(QLatin1String("VOLT")))
        type = 1;
    else if (reply.contains(QLatin1String("CURR")))
        type = 2;
    else if (reply.contains(QLatin1String("CONC")))
        type = 3;
    return type != 0 ? 1 : 0;
}

QString CEntityInstruDCPS::GetInstrumentIDN() {
    return QueryIdentification();
}

int CEntityInstruDCPS::SetOutputState(int on) {
    return WriteCommandHelper(on ? QStringLiteral(":OUTP ON") : QStringLiteral(":OUTP OFF"));
}

int CEntityInstruDCPS::GetOutputState(int& on) {
    return QueryOnOff(QStringLiteral(":OUTP?"), on);
}

int CEntityInstruDCPS::SetVoltageLevel(const QString& value) {
    return SendValue(":VOLT", value);
}
int CEntityInstruDCPS::GetVoltageLevel(QString& value) {
    return QueryText(QStringLiteral(":VOLT?"), value);
}
int CEntityInstruDCPS::SetVoltageLimit(const QString& value) {
    return SendValue(":VOLT:LIM", value);
}
int CEntityInstruDCPS::GetVoltageLimit(QString& value) {
    return QueryText(QStringLiteral(":VOLT:LIM?"), value);
}
int CEntityInstruDCPS::SetVoltageProtection(const QString& value) {
    return SendValue(":VOLT:PROT", value);
}
int CEntityInstruDCPS::GetVoltageProtection(QString& value) {
    return QueryText(QStringLiteral(":VOLT:PROT?"), value);
}
int CEntityInstruDCPS::SetCurrentLimit(const QString& value) {
    return SendValue(":CURR", value);
}
int CEntityInstruDCPS::GetCurrentLimit(QString& value) {
    return QueryText(QStringLiteral(":CURR?"), value);
}
int CEntityInstruDCPS::SetCurrentProtection(const QString& value) {
    return SendValue(":CURR:PROT", value);
}
int CEntityInstruDCPS::GetCurrentProtection(QString& value) {
    return QueryText(QStringLiteral(":CURR:PROT?"), value);
}

int CEntityInstruDCPS::IsSystemErrorOccured(int& occurred) {
    const auto session = LockSession();
    occurred = 1;
    if (!WriteAndReadHelper(QStringLiteral(":SYST:ERR?")))
        return 0;
    occurred = Reply().contains(QLatin1String("No error")) ? 0 : 1;
    return 1;
}

unsigned CEntityInstruDCPS::CheckProtectionTripped() {
    const auto session = LockSession();
    if (!WriteAndReadHelper(QStringLiteral(":OUTP:PROT:TRIP?")))
        return 6;
    const QString reply = platform::AsciiUpper(Reply());
    const char* const trips[] = {"OCP", "OVP", "OTP", "RVS", "OPS"};
    for (unsigned i = 0; i < 5; ++i)
        if (reply.contains(QLatin1String(trips[i])))
            return i + 1;
    return reply.contains(QLatin1String("NONE")) ? 0 : 6;
}

int CEntityInstruDCPS::GetSystemAutozero(int& on) {
    return QueryOnOff(QStringLiteral(":SYST:AZER?"), on);
}

int CEntityInstruDCPS::SetSystemAutozero(int on) {
    return WriteCommandHelper(on ? QStringLiteral(":SYST:AZER ON") : QStringLiteral(":SYST:AZER OFF"));
}

int CEntityInstruDCPS::SetCurrentNPLC(double nplc) {
    return WriteCommandHelper(platform::CFormat(":SENS:CURR:NPLC %f", nplc));
}

int CEntityInstruDCPS::GetCurrentNPLC(double& nplc) {
    const auto session = LockSession();
    if (!WriteAndReadHelper(QStringLiteral(":SENS:CURR:NPLC?")))
        return 0;
    nplc = platform::WToF(Reply());
    return 1;
}

int CEntityInstruDCPS::GetPowerLineFrequency(double& frequency) {
    const auto session = LockSession();
    if (!WriteAndReadHelper(QStringLiteral(":SYST:LFR?")))
        return 0;
    frequency = platform::WToF(Reply());
    return 1;
}

int CEntityInstruDCPS::SetCurrentRange(int index) {
    if (!WriteCommandHelper(QStringLiteral(":SENS:CURR:DC:RANG:AUTO OFF")))
        return 0;
    if (index < 0 || index > 3)
        return 0;
    return SendValue(":SENS:CURR:DC:RANG", QString::fromLatin1(RANGE_TEXTS[index]));
}

int CEntityInstruDCPS::GetCurrentRange(int& index) {
    const auto session = LockSession();
    if (!WriteAndReadHelper(QStringLiteral(":SENS:CURR:DC:RANG?")))
        return 0;
    // Only ASCII letters are upper-cased, so a micro sign keeps its meaning.
    const QString reply = platform::AsciiUpper(Reply());
    double factor = 1.0;
    if (reply.contains(QLatin1Char('M')))
        factor = 0.001;
    else if (reply.contains(QChar(0x03BC)) || reply.contains(QChar(0x00B5)))
        factor = 0.000001;
    const double v = platform::WToF(reply) * factor;
    if (std::fabs(v - 0.01) <= 0.001)
        index = 0;
    else if (std::fabs(v - 0.1) <= 0.01)
        index = 1;
    else if (std::fabs(v - 1.0) <= 0.1)
        index = 2;
    else if (std::fabs(v - 10.0) <= 0.1)
        index = 3;
    else
        return 0;
    return 1;
}

int CEntityInstruDCPS::SetTriggerTimeout(CParameterInstruDCSource& parameters) {
    TakeTimeout(parameters);
    // A period of zero or less would divide by zero or give a negative count.
    if (!(parameters.DcsNplcCurr > 0.0) || !(parameters.LineFrequency > 0.0))
        return 0;
    const double period = parameters.DcsNplcCurr / parameters.LineFrequency;
    const double count = std::ceil(parameters.TriggerTimeout / period);
    if (!(count >= 0.0) || count > 4294967295.0)
        return 0;
    parameters.TriggerCount = static_cast<int>(std::min(count, 2147483647.0));
    if (!SetTriggerCount(static_cast<unsigned>(count)))
        return 0;
    return SetBufferCapacity(static_cast<unsigned>(count));
}

int CEntityInstruDCPS::SetTriggerCount(unsigned count) {
    if (!WriteCommandHelper(QStringLiteral(":TRIG:COUN 1")))
        return 0;
    return WriteCommandHelper(
        platform::CFormat(":TRIG:SAMP:COUN %d", static_cast<int>(std::min(count, MAX_COUNT))));
}

int CEntityInstruDCPS::GetTriggerCount(unsigned& count) {
    const auto session = LockSession();
    if (!WriteAndReadHelper(QStringLiteral(":TRIG:SAMP:COUN?")))
        return 0;
    count = platform::WcsToUL(Reply(), 10);
    return 1;
}

int CEntityInstruDCPS::SetBufferCapacity(unsigned count) {
    return WriteCommandHelper(
        platform::CFormat(":TRACe:POINts %d", static_cast<int>(std::min(count, MAX_COUNT))));
}

int CEntityInstruDCPS::GetBufferCapacity(unsigned& count) {
    const auto session = LockSession();
    if (!WriteAndReadHelper(QStringLiteral(":TRACe:POINts?")))
        return 0;
    count = platform::WcsToUL(Reply(), 10);
    return 1;
}

int CEntityInstruDCPS::GetSystemErrorCounts() {
    const auto session = LockSession();
    if (!WriteAndReadHelper(QStringLiteral(":SYSTem:ERRor:COUNt?")))
        return -1;
    return platform::WToI(Reply());
}

int CEntityInstruDCPS::SetItem(CParameterInstruDCSource& p, int item) {
    switch (item) {
    case Items::ITEM_FUNCTION_TYPE:
        return SetFunctionType(p.FunctionType);
    case Items::ITEM_OUTPUT:
        return SetOutputState(p.OutputState);
    case Items::ITEM_VOLTAGE:
        return SetVoltageLevel(p.VoltageLevel);
    case Items::ITEM_VOLTAGE_PROTECTION:
        return SetVoltageProtection(p.VoltageProtection);
    case Items::ITEM_CURRENT:
        return SetCurrentLimit(p.CurrentLimit);
    case Items::ITEM_CURRENT_PROTECTION:
        return SetCurrentProtection(p.CurrentProtection);
    case Items::ITEM_RANGE:
        return SetCurrentRange(p.CurrentRange);
    case Items::ITEM_BUFFER_CAPACITY:
        return SetBufferCapacity(p.BufferCapacity);
    case Items::ITEM_TRIGGER_COUNT:
        return SetTriggerTimeout(p);
    default:
        return 0;
    }
}

int CEntityInstruDCPS::GetItem(CParameterInstruDCSource& p, int item) {
    switch (item) {
    case Items::ITEM_FUNCTION_TYPE:
        return GetFunctionType(p.FunctionType);
    case Items::ITEM_OUTPUT:
        return GetOutputState(p.OutputState);
    case Items::ITEM_VOLTAGE:
        return GetVoltageLevel(p.VoltageLevel);
    case Items::ITEM_VOLTAGE_PROTECTION:
        return GetVoltageProtection(p.VoltageProtection);
    case Items::ITEM_CURRENT:
        return GetCurrentLimit(p.CurrentLimit);
    case Items::ITEM_CURRENT_PROTECTION:
        return GetCurrentProtection(p.CurrentProtection);
    case Items::ITEM_IDN:
        p.InstrumentIDN = GetInstrumentIDN();
        return 1;
    case Items::ITEM_RANGE:
        return GetCurrentRange(p.CurrentRange);
    case Items::ITEM_BUFFER_CAPACITY:
        return GetBufferCapacity(p.BufferCapacity);
    case Items::ITEM_TRIGGER_COUNT: {
        unsigned count = 0;
        if (!GetTriggerCount(count))
            return 0;
        p.TriggerCount = static_cast<int>(count);
        return 1;
    }
    default:
        return 0;
    }
}

int CEntityInstruDCPS::SetParameterInstruDCSource(CParameterInstruDCSource& parameters, int which) {
    TakeTimeout(parameters);
    if (!CheckConnection())
        return 0;
    return drvcore::ApplyItems(which, ALL_ITEMS_SET, [&](int item) { return SetItem(parameters, item); });
}

int CEntityInstruDCPS::GetParameterInstruDCSource(CParameterInstruDCSource& parameters, int which) {
    TakeTimeout(parameters);
    if (!CheckConnection())
        return 0;
    return drvcore::ApplyItems(which, ALL_ITEMS_GET, [&](int item) { return GetItem(parameters, item); });
}

bool CEntityInstruDCPS::PauseOrStop(unsigned milliseconds) {
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
    if (m_abortEvent)
        return m_abortEvent->Wait(milliseconds) == platform::eWaitResult::Signaled;
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    return false;
}
