// The measurement sequences of the power supply driver: triggered current test, continuous data
// logging, and the fetch- and trace-based variants.
#include "EntityInstruDCPS.h"

#include "platform/Event.h"
#include "platform/Numbers.h"

#include <QElapsedTimer>
#include <chrono>
#include <thread>

namespace {

constexpr unsigned POLL_MS = 100;
constexpr int MEASUREMENT_DONE = 0x400;
const char* const TRACE_QUERY = "TRAC:DATA? \"READ,REL\"";

} // namespace

int CEntityInstruDCPS::InitialMeasure_Common() {
    int on = 0;
    if (!GetOutputState(on))
        return 0;
    if (!on) {
        if (!WriteCommandHelper(QStringLiteral(":OUTP ON")) || !GetOutputState(on) || !on)
            return 0;
    }
    if (!WriteCommandHelper(QStringLiteral(":SYSTem:ERRor:CLEar")))
        return 0;
    if (CheckProtectionTripped() != 0 && !WriteCommandHelper(QStringLiteral(":OUTPut:PROTection:CLEar")))
        return 0;
    return WriteCommandHelper(QStringLiteral(":TRACe:CLEar")) &&
                   WriteCommandHelper(QStringLiteral(":TRIG:SOUR IMM")) &&
                   WriteCommandHelper(QStringLiteral("*CLS")) && SetSystemAutozero(0)
               ? 1
               : 0;
}

int CEntityInstruDCPS::QueryEventRegister(int& events) {
    // Held across the query and the look at its reply, so a pane's query cannot come between.
    const auto session = LockSession();
    if (!WriteAndReadHelper(QStringLiteral(":STAT:OPER:INST:ISUM:EVEN?")))
        return 0;
    events = platform::WToI(GetDataString());
    return 1;
}

int CEntityInstruDCPS::InitMeasAndWaitForResult_CurrDC() {
    if (!InitialMeasure_Common() || !WriteCommandHelper(QStringLiteral(":INIT:CONT OFF")) ||
        !WriteCommandHelper(QStringLiteral(":ABOR")))
        return 0;
    if (GetSystemErrorCounts() > 0)
        return 0;
    // Drain events left from earlier runs; bounded by the stop event and the session's time-out.
    QElapsedTimer drain;
    drain.start();
    for (;;) {
        if (PauseOrStop(POLL_MS)) {
            WriteCommandHelper(QStringLiteral(":ABOR"));
            return 0;
        }
        int events = 0;
        if (!QueryEventRegister(events))
            return 0;
        if (events == 0)
            break;
        if (drain.elapsed() >= static_cast<qint64>(m_timeoutMs))
            return 0;
    }
    if (!WriteCommandHelper(QStringLiteral(":STAT:OPER:INST:ISUM:ENAB 1024")) ||
        !WriteCommandHelper(QStringLiteral(":INIT")))
        return 0;
    for (;;) {
        if (PauseOrStop(POLL_MS))
            break;
        int events = 0;
        if (!QueryEventRegister(events))
            return 0;
        if (events & MEASUREMENT_DONE)
            return WriteAndReadHelper(QString::fromLatin1(TRACE_QUERY));
    }
    // Stopped: the event was consumed by the wait, as a reset would.
    if (m_abortEvent)
        m_abortEvent->Reset();
    WriteCommandHelper(QStringLiteral(":ABOR"));
    return 0;
}

int CEntityInstruDCPS::InitialMeasure_DataLogging() {
    if (!InitialMeasure_Common() || !WriteCommandHelper(QStringLiteral(":FORM:ELEM \"READ,REL\"")) ||
        !WriteCommandHelper(QStringLiteral(":TRACe:FEED:CONTrol ALWays")))
        return 0;
    if (GetSystemErrorCounts() > 0)
        return 0;
    return WriteCommandHelper(QStringLiteral(":INIT:CONT ON"));
}

int CEntityInstruDCPS::AbortMeasureDataLogging() {
    if (!WriteCommandHelper(QStringLiteral(":INIT:CONT OFF")))
        return 0;
    return WriteCommandHelper(QStringLiteral(":ABOR"));
}

int CEntityInstruDCPS::InitialMeasure_DataLogging_FetchData() {
    m_previousReply.clear();
    m_fetchCount = 0;
    if (!InitialMeasure_DataLogging())
        return 0;
    if (!SetBufferCapacity(100))
        return 0;
    for (int i = 0; i < 10; ++i) {
        if (!WriteAndReadHelper(QStringLiteral(":FETC?")))
            return 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    double first = 0.0;
    if (FetchData_TimeStamp_First(first) != 1)
        return 0;
    m_timeOffset = -first;
    m_lastTimeStamp = 0.0;
    return 1;
}

int CEntityInstruDCPS::FetchData_TimeStamp_First(double& stamp) {
    const auto session = LockSession();
    if (!WriteAndReadHelper(QStringLiteral(":FETC?")))
        return -1;
    if (m_dataSize <= 2)
        return 0;
    const QString reply = GetDataString();
    const auto comma = reply.indexOf(QLatin1Char(','));
    stamp = comma < 0 ? 0.0 : platform::WToF(reply.mid(comma + 1));
    return 1;
}

bool CEntityInstruDCPS::IsNewFetchReply() {
    if (m_previousReply.size() != m_dataSize)
        return true;
    if (m_dataSize < 2)
        return false;
    // Readings differ first in their last digits; the comparison stops where both hold the
    // comma before the time stamp.
    for (m_scanIndex = m_dataSize - 1; m_scanIndex >= 1; --m_scanIndex) {
        const char now = m_dataBuffer[m_scanIndex];
        const char before = m_previousReply[m_scanIndex];
        if (now == ',' && before == ',')
            return false;
        if (now != before)
            return true;
    }
    return false;
}

int CEntityInstruDCPS::FetchData_DataLogging(double& time, double& value) {
    const auto session = LockSession();
    if (!WriteAndReadHelper(QStringLiteral(":FETC?")))
        return -1;
    m_sameReply = IsNewFetchReply() ? 0 : 1;
    if (m_sameReply)
        return 0;
    ++m_fetchCount;
    m_previousReply.assign(m_dataBuffer.begin(), m_dataBuffer.begin() + m_dataSize);
    if (m_dataSize <= 2)
        return 0;
    const QString reply = GetDataString();
    const auto comma = reply.indexOf(QLatin1Char(','));
    value = platform::WToF(reply.left(comma < 0 ? reply.size() : comma));
    const double stamp = comma < 0 ? 0.0 : platform::WToF(reply.mid(comma + 1));
    // A restarted relative clock carries the time on from the last stamp.
    if (stamp < m_lastTimeStamp)
        m_timeOffset += m_lastTimeStamp;
    m_lastTimeStamp = stamp;
    time = m_timeOffset + stamp;
    return 1;
}

int CEntityInstruDCPS::InitialMeasure_DataLogging_TraceData() {
    m_previousReply.clear();
    if (!InitialMeasure_Common() || !WriteCommandHelper(QStringLiteral(":FORM:ELEM \"READ,REL\"")) ||
        !WriteCommandHelper(QStringLiteral(":TRACe:FEED:CONTrol ALWays")))
        return 0;
    if (GetSystemErrorCounts() > 0)
        return 0;
    if (!WriteCommandHelper(QStringLiteral(":INIT")) ||
        !WriteCommandHelper(QStringLiteral(":INIT:CONT ON")) ||
        !WriteAndReadHelper(QString::fromLatin1(TRACE_QUERY)))
        return 0;
    return SetBufferCapacity(100);
}

int CEntityInstruDCPS::TraceData_DataLogging() {
    return WriteAndReadHelper(QString::fromLatin1(TRACE_QUERY));
}
