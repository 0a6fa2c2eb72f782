#include "EntityInstruDVM.h"

#include "instruments/drvcore/DriverSteps.h"

#include "platform/Event.h"
#include "platform/MessageTarget.h"
#include "platform/Numbers.h"
#include "platform/ParseNumber.h"
#include "platform/Utf16.h"

#include <cmath>
#include <new>

namespace {

using Items = CParameterInstruMultiMeter;
constexpr int ALL_ITEMS_SET[] = {Items::ITEM_FUNCTION_TYPE, Items::ITEM_RANGE, Items::ITEM_TRIGGER_MODE,
                                 Items::ITEM_TRIGGER_LEVEL};
constexpr int ALL_ITEMS_GET[] = {Items::ITEM_FUNCTION_TYPE, Items::ITEM_IDN, Items::ITEM_RANGE,
                                 Items::ITEM_TRIGGER_MODE, Items::ITEM_TRIGGER_LEVEL};
const double RANGES[] = {10e-6, 100e-6, 1e-3, 10e-3, 100e-3, 1.0, 3.0};
const char* const RANGE_TEXTS[] = {"1e-05", "0.0001", "0.001", "0.01", "0.1", "1", "3"};

} // namespace

CEntityInstruDVM::CEntityInstruDVM() = default;

CEntityInstruDVM::~CEntityInstruDVM() = default;

void CEntityInstruDVM::SetParentWndPtr(platform::CMessageTarget* parent, platform::CEvent* abortEvent) {
    m_parent = parent;
    m_abortEvent = abortEvent;
}

QString CEntityInstruDVM::Reply() const {
    return GetDataString().trimmed();
}

void CEntityInstruDVM::TakeTimeout(const CParameterInstru& parameters) {
    m_timeoutMs = drvcore::TimeoutMs(parameters);
}

bool CEntityInstruDVM::StopRequested() const {
    return m_abortEvent && m_abortEvent->IsSet();
}

int CEntityInstruDVM::CheckConnection() {
    return drvcore::ConnectAndNotify(*this, m_parent, WM_INSTRUMENT_CONNECTED);
}

int CEntityInstruDVM::SetInstrumentControlDVM() {
    return CheckConnection();
}

int CEntityInstruDVM::SetFunctionType(int type) {
    if (!CheckConnection())
        return 0;
    if (type == 1)
        return WriteCommandHelper(QStringLiteral(":SENS:FUNC \"VOLT:DC\""));
    if (type == 2)
        return WriteCommandHelper(QStringLiteral(":SENS:FUNC \"CURR:DC\""));
    return 0;
}

int CEntityInstruDVM::GetFunctionType(int& type) {
    const auto session = LockSession();
    type = 0;
    if (!WriteAndReadHelper(QStringLiteral(":SENS:FUNC?")))
        return 0;
    const QString reply = platform::AsciiUpper(Reply());
    if (reply.contains(QLatin1String("VOLT")))
        type = 1;
    else if (reply.contains(QLatin1String("CURR")))
        type = 2;
    return type != 0 ? 1 : 0;
}

QString CEntityInstruDVM::GetInstrumentIDN() {
    return QueryIdentification();
}

int CEntityInstruDVM::SetCurrentRange(int index) {
    if (index < 0 || index > 6)
        return 0;
    return WriteCommandHelper(QStringLiteral(":SENS:CURR:RANG:AUTO OFF")) &&
                   WriteCommandHelper(QStringLiteral(":SENS:CURR:RANG ") +
                                      QString::fromLatin1(RANGE_TEXTS[index]))
               ? 1
               : 0;
}

int CEntityInstruDVM::GetCurrentRange(int& index) {
    const auto session = LockSession();
    if (!WriteAndReadHelper(QStringLiteral(":SENS:CURR:RANG?")))
        return 0;
    const double value = platform::WToF(Reply());
    for (int i = 0; i < 7; ++i) {
        if (std::fabs(value - RANGES[i]) <= RANGES[i] * 0.01) {
            index = i;
            return 1;
        }
    }
    return 0;
}

int CEntityInstruDVM::SetCurrentDisableAutozero() {
    return WriteCommandHelper(QStringLiteral(":SENS:CURR:AZER OFF"));
}

int CEntityInstruDVM::SetCurrentNPLC(double nplc) {
    return WriteCommandHelper(platform::CFormat(":SENS:CURR:NPLC %.6g", nplc));
}

int CEntityInstruDVM::SetTriggerMode(int mode) {
    if (mode < 0 || mode > 2)
        return 0;
    if (mode == 0) {
        if (!WriteCommandHelper(QStringLiteral(":SENS:CURR:ATR:MODE OFF")))
            return 0;
    } else if (!WriteCommandHelper(QStringLiteral(":SENS:CURR:ATR:MODE EDGE")) ||
               !WriteCommandHelper(mode == 1 ? QStringLiteral(":SENS:CURR:ATR:EDGE:SLOP RIS")
                                             : QStringLiteral(":SENS:CURR:ATR:EDGE:SLOP FALL"))) {
        return 0;
    }
    m_triggerMode = mode;
    return 1;
}

int CEntityInstruDVM::GetTriggerMode(int& mode) {
    const auto session = LockSession();
    if (!WriteAndReadHelper(QStringLiteral(":SENS:CURR:ATR:MODE?")))
        return 0;
    const QString reply = platform::AsciiUpper(Reply());
    if (reply.startsWith(QLatin1String("OFF"))) {
        mode = m_triggerMode = 0;
        return 1;
    }
    if (!reply.startsWith(QLatin1String("EDGE")) ||
        !WriteAndReadHelper(QStringLiteral(":SENS:CURR:ATR:EDGE:SLOP?")))
        return 0;
    const QString slope = platform::AsciiUpper(Reply());
    if (slope.startsWith(QLatin1String("RIS")))
        mode = m_triggerMode = 1;
    else if (slope.startsWith(QLatin1String("FALL")))
        mode = m_triggerMode = 2;
    else
        return 0;
    return 1;
}

int CEntityInstruDVM::SetTriggerLevel(const QString& amperes) {
    // A level that is no number is not sent: the meter would queue a parameter error.
    if (!platform::ReadStrictDouble(amperes))
        return 0;
    return WriteCommandHelper(QStringLiteral(":SENS:CURR:ATR:EDGE:LEV ") + amperes.trimmed());
}

int CEntityInstruDVM::GetTriggerLevel(QString& amperes) {
    const auto session = LockSession();
    if (!WriteAndReadHelper(QStringLiteral(":SENS:CURR:ATR:EDGE:LEV?")))
        return 0;
    amperes = Reply();
    return 1;
}

int CEntityInstruDVM::SetItem(const CParameterInstruMultiMeter& p, int item) {
    switch (item) {
    case Items::ITEM_FUNCTION_TYPE:
        return SetFunctionType(p.FunctionType);
    case Items::ITEM_RANGE:
        return SetCurrentRange(p.CurrentRange);
    case Items::ITEM_TRIGGER_MODE:
        return SetTriggerMode(p.TriggerMode);
    case Items::ITEM_TRIGGER_LEVEL:
        return SetTriggerLevel(p.TriggerLevel);
    default:
        return 0;
    }
}

int CEntityInstruDVM::GetItem(CParameterInstruMultiMeter& p, int item) {
    switch (item) {
    case Items::ITEM_FUNCTION_TYPE:
        return GetFunctionType(p.FunctionType);
    case Items::ITEM_IDN:
        // An instrument without identification still has its settings read.
        p.InstrumentIDN = GetInstrumentIDN();
        return 1;
    case Items::ITEM_RANGE:
        return GetCurrentRange(p.CurrentRange);
    case Items::ITEM_TRIGGER_MODE:
        return GetTriggerMode(p.TriggerMode);
    case Items::ITEM_TRIGGER_LEVEL:
        return GetTriggerLevel(p.TriggerLevel);
    default:
        return 0;
    }
}

int CEntityInstruDVM::SetParameterInstruMultiMeter(const CParameterInstruMultiMeter& parameters, int which) {
    TakeTimeout(parameters);
    if (!CheckConnection())
        return 0;
    return drvcore::ApplyItems(which, ALL_ITEMS_SET, [&](int item) { return SetItem(parameters, item); });
}

int CEntityInstruDVM::GetParameterInstruMultiMeter(CParameterInstruMultiMeter& parameters, int which) {
    TakeTimeout(parameters);
    if (!CheckConnection())
        return 0;
    return drvcore::ApplyItems(which, ALL_ITEMS_GET, [&](int item) { return GetItem(parameters, item); });
}

extern "C" CEntityInstrument* DLL_DriverCreateObject() {
    return new (std::nothrow) CEntityInstruDVM();
}
