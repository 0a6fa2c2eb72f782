// The multimeter's measurements: one capture through a trigger-model template, and data logging
// read back from the reading buffer in rounds.
#include "EntityInstruDVM.h"

#include "platform/Event.h"
#include "platform/Numbers.h"
#include "platform/Utf16.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <thread>

namespace {

constexpr unsigned POLL_MS = 20;
// Readings gather this long between two data-logging rounds.
constexpr std::int64_t ROUND_MS = 50;
constexpr std::uint64_t MIN_POINTS = 10;
constexpr std::uint64_t SAMPLE_BYTES = 16;

std::int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void PumpMessages() {
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

} // namespace

void CEntityInstruDVM::SetEmptyBlock() {
    if (m_dataBuffer.size() < 2)
        m_dataBuffer.resize(2);
    m_dataBuffer[0] = '#';
    m_dataBuffer[1] = '0';
    m_dataSize = 2;
}

bool CEntityInstruDVM::TakeBlock(std::uint64_t count) {
    const std::uint64_t payload = count * SAMPLE_BYTES;
    if (m_dataSize < 2 || m_dataBuffer[0] != '#' || m_dataBuffer[1] < '0' || m_dataBuffer[1] > '9')
        return false;
    std::uint64_t header = 2;
    if (m_dataBuffer[1] != '0') {
        const auto digits = static_cast<std::uint64_t>(m_dataBuffer[1] - '0');
        if (m_dataSize < 2 + digits)
            return false;
        std::uint64_t length = 0;
        for (std::uint64_t i = 0; i < digits; ++i) {
            const char c = m_dataBuffer[2 + i];
            if (c < '0' || c > '9')
                return false;
            length = length * 10 + static_cast<std::uint64_t>(c - '0');
        }
        if (length != payload)
            return false;
        header += digits;
    }
    if (m_dataSize < header + payload)
        return false;
    std::memmove(m_dataBuffer.data() + 2, m_dataBuffer.data() + header, payload);
    m_dataBuffer[0] = '#';
    m_dataBuffer[1] = '0';
    m_dataSize = static_cast<unsigned>(2 + payload);
    return true;
}

int CEntityInstruDVM::QueryCount(std::uint64_t& count) {
    const auto session = LockSession();
    if (!WriteAndReadHelper(QStringLiteral(":TRAC:ACT? \"defbuffer1\"")))
        return 0;
    const QString reply = Reply();
    bool ok = false;
    count = reply.toULongLong(&ok);
    return ok ? 1 : 0;
}

int CEntityInstruDVM::ReadSamples(std::uint64_t first, std::uint64_t last) {
    if (last < first) {
        SetEmptyBlock();
        return 1;
    }
    const QString query =
        QStringLiteral(":TRAC:DATA? %1, %2, \"defbuffer1\", READ, REL").arg(first).arg(last);
    const auto session = LockSession();
    if (!WriteAndReadHelper(query) || !TakeBlock(last - first + 1)) {
        SetEmptyBlock();
        return 0;
    }
    return 1;
}

int CEntityInstruDVM::SetMeasureCurrentTime(const CParameterInstruMultiMeter& parameters) {
    TakeTimeout(parameters);
    m_capturePrepared = false;
    if (!(parameters.NplcCurr > 0.0) || !(parameters.LineFrequency > 0.0) || !(parameters.CaptCurr >= 0.0))
        return 0;
    const double count = std::ceil(parameters.CaptCurr / (parameters.NplcCurr / parameters.LineFrequency));
    if (!(count <= static_cast<double>(MAX_SAMPLES)))
        return 0;
    m_captureCount = static_cast<std::uint64_t>(count);
    m_captureSeconds = parameters.CaptCurr;
    if (m_captureCount == 0) {
        m_capturePrepared = true;
        return 1;
    }
    const std::uint64_t points = std::max(m_captureCount, MIN_POINTS);
    if (!SetCurrentNPLC(parameters.NplcCurr) || !SetCurrentDisableAutozero() ||
        !WriteCommandHelper(QStringLiteral(":TRAC:POIN %1, \"defbuffer1\"").arg(points)) ||
        !WriteCommandHelper(QStringLiteral(":FORM:DATA REAL")) ||
        !WriteCommandHelper(QStringLiteral(":FORM:BORD SWAP")))
        return 0;
    // The position is the share of the buffer kept from before the event: 0 keeps only the
    // readings that follow the edge.
    const QString load =
        m_triggerMode == 0
            ? QStringLiteral(":TRIG:LOAD \"SimpleLoop\", %1, 0, \"defbuffer1\"").arg(m_captureCount)
            : QStringLiteral(":TRIG:LOAD \"LoopUntilEvent\", ATR, 0, ENT, 0, \"defbuffer1\"");
    if (!WriteCommandHelper(load))
        return 0;
    m_capturePrepared = true;
    return 1;
}

int CEntityInstruDVM::InitMeasAndWaitForResult() {
    if (!m_capturePrepared)
        return 0;
    if (m_captureCount == 0) {
        SetEmptyBlock();
        return 1;
    }
    if (!WriteCommandHelper(QStringLiteral(":TRAC:CLE \"defbuffer1\"")) ||
        !WriteCommandHelper(QStringLiteral(":INIT")))
        return 0;
    // A free-running capture ends by itself; one waiting for an edge ends when the edge comes.
    const std::int64_t limitMs =
        m_triggerMode == 0 ? static_cast<std::int64_t>(m_captureSeconds * 1000.0) + m_timeoutMs : -1;
    QElapsedTimer elapsed;
    elapsed.start();
    for (;;) {
        PumpMessages();
        if (m_abortEvent && m_abortEvent->Wait(POLL_MS) == platform::eWaitResult::Signaled) {
            WriteCommandHelper(QStringLiteral(":ABOR"));
            return 0;
        }
        if (!m_abortEvent)
            std::this_thread::sleep_for(std::chrono::milliseconds(POLL_MS));
        if (!WriteAndReadHelper(QStringLiteral(":TRIG:STAT?")))
            return 0;
        const QString state = platform::AsciiUpper(Reply());
        if (state.startsWith(QLatin1String("IDLE")))
            break;
        if (!state.startsWith(QLatin1String("RUNNING")) && !state.startsWith(QLatin1String("WAITING")))
            return 0;
        if (limitMs >= 0 && elapsed.elapsed() > limitMs) {
            WriteCommandHelper(QStringLiteral(":ABOR"));
            return 0;
        }
    }
    std::uint64_t available = 0;
    if (!QueryCount(available))
        return 0;
    return ReadSamples(1, std::min(available, m_captureCount));
}

int CEntityInstruDVM::InitialDataLogging() {
    m_loggedCount = 0;
    return WriteCommandHelper(QStringLiteral(":ABOR")) &&
                   WriteCommandHelper(QStringLiteral(":TRAC:POIN %1, \"defbuffer1\"").arg(MAX_SAMPLES)) &&
                   WriteCommandHelper(QStringLiteral(":FORM:DATA REAL")) &&
                   WriteCommandHelper(QStringLiteral(":FORM:BORD SWAP")) &&
                   WriteCommandHelper(
                       QStringLiteral(":TRIG:LOAD \"LoopUntilEvent\", COMM, 100, ENT, 0, \"defbuffer1\"")) &&
                   WriteCommandHelper(QStringLiteral(":TRAC:CLE \"defbuffer1\""))
               ? 1
               : 0;
}

int CEntityInstruDVM::InitMeasureDataLogging() {
    m_loggedCount = 0;
    m_lastRoundMs = NowMs();
    return WriteCommandHelper(QStringLiteral(":INIT"));
}

int CEntityInstruDVM::ReadDataLoggingBuffer() {
    const std::int64_t started = NowMs();
    for (;;) {
        // The owner watches the stop event itself: leave it set and hand over nothing.
        if (StopRequested()) {
            SetEmptyBlock();
            return 1;
        }
        const std::int64_t wait = m_lastRoundMs + ROUND_MS - NowMs();
        if (wait > 0) {
            PumpMessages();
            std::this_thread::sleep_for(std::chrono::milliseconds(std::min<std::int64_t>(wait, POLL_MS)));
            continue;
        }
        std::uint64_t available = 0;
        if (!QueryCount(available)) {
            SetEmptyBlock();
            return 0;
        }
        m_lastRoundMs = NowMs();
        if (available > m_loggedCount) {
            const std::uint64_t last = std::min(available, m_loggedCount + ROUND_SAMPLES);
            if (!ReadSamples(m_loggedCount + 1, last))
                return 0;
            m_loggedCount = last;
            return 1;
        }
        if (NowMs() - started > static_cast<std::int64_t>(m_timeoutMs)) {
            SetEmptyBlock();
            return 0;
        }
    }
}

int CEntityInstruDVM::AbortMeasureDataLogging() {
    return WriteCommandHelper(QStringLiteral(":ABOR"));
}
