#include "instruments/drvcore/EntityInstrument.h"

#include "instruments/drvcore/ReplyReader.h"
#include "instruments/drvcore/Session.h"
#include "instruments/drvcore/SessionFactory.h"

#include <QStringDecoder>
#include <QtGlobal>
#include <algorithm>
#include <cstring>

const int CEntityInstrument::BUFFER_SIZE = 102400;
const unsigned CEntityInstrument::MAX_REPLY_SIZE = 6000000u * 16u + 1024u;

CEntityInstrument::CEntityInstrument() = default;

CEntityInstrument::~CEntityInstrument() {
    std::lock_guard lock(m_mutex);
    CloseLocked();
}

void CEntityInstrument::SetInstrumentID(unsigned id) {
    std::lock_guard lock(m_mutex);
    m_instrumentId = id;
}

unsigned CEntityInstrument::GetInstrumentID() const {
    std::lock_guard lock(m_mutex);
    return m_instrumentId;
}

void CEntityInstrument::SetParameterInstru(CParameterInstru& parameters) {
    std::lock_guard lock(m_mutex);
    // The open session was made for the old values: close it, so the next check opens the new one.
    if (parameters.Resource != m_parameters.Resource || parameters.Timeout != m_parameters.Timeout ||
        parameters.EndOfLine != m_parameters.EndOfLine)
        CloseLocked();
    m_parameters = parameters;
}

int CEntityInstrument::IsInstruConnected() const {
    std::lock_guard lock(m_mutex);
    return m_session && m_session->IsOpen() ? 1 : 0;
}

int CEntityInstrument::SetInstrumentControl() {
    std::lock_guard lock(m_mutex);
    CloseLocked();
    return EnsureSessionLocked() ? 1 : 0;
}

bool CEntityInstrument::EnsureSessionLocked() {
    // Every operation passes here first: the reason of an earlier failure is not this one's.
    m_lastError.clear();
    if (m_session && m_session->IsOpen())
        return true;
    m_session.reset();
    std::string error;
    const std::string resource = m_parameters.Resource.trimmed().toStdString();
    drvcore::SSessionOptions options;
    if (!drvcore::SSessionOptions::FromRecord(m_parameters, options, error)) {
        Fail(resource + ": " + error);
        return false;
    }
    auto session = drvcore::CreateSession(resource, options, error);
    if (!session) {
        Fail(error);
        return false;
    }
    if (!session->Open()) {
        Fail("cannot open " + resource + ": " + session->LastError());
        return false;
    }
    m_session = std::move(session);
    return true;
}

void CEntityInstrument::Fail(const std::string& reason) {
    m_lastError = reason;
    qWarning("drvcore: %s", reason.c_str());
}

QString CEntityInstrument::GetLastError() const {
    std::lock_guard lock(m_mutex);
    return QString::fromStdString(m_lastError);
}

void CEntityInstrument::CloseLocked() {
    if (m_session)
        m_session->Close();
    m_session.reset();
}

int CEntityInstrument::WriteCommandHelper(const QString& command) {
    std::lock_guard lock(m_mutex);
    if (!EnsureSessionLocked())
        return 0;
    std::string message = command.toStdString();
    message += m_session->Options().termination;
    if (!m_session->Write(message)) {
        Fail("sending \"" + command.toStdString() + "\" failed: " + m_session->LastError());
        CloseLocked();
        return 0;
    }
    return 1;
}

int CEntityInstrument::WriteAndReadHelper(const QString& query) {
    std::lock_guard lock(m_mutex);
    m_dataSize = 0;
    if (!WriteCommandHelper(query))
        return 0;
    return ReadHelper();
}

int CEntityInstrument::ReadHelper() {
    std::lock_guard lock(m_mutex);
    m_dataSize = 0;
    if (!EnsureSessionLocked())
        return 0;
    drvcore::CReplyReader reader(*m_session, static_cast<size_t>(BUFFER_SIZE), MAX_REPLY_SIZE);
    unsigned size = 0;
    if (!reader.Read(m_dataBuffer, size)) {
        Fail("reading a reply failed: " + reader.Error());
        // The link's state is unknown after a failed read: the next call starts a new session.
        CloseLocked();
        return 0;
    }
    m_dataSize = size;
    return 1;
}

QString CEntityInstrument::QueryIdentification() {
    std::lock_guard lock(m_mutex);
    if (!WriteAndReadHelper(QStringLiteral("*IDN?")))
        return {};
    const QString identification = GetDataString().trimmed();
    if (identification.isEmpty())
        Fail("empty identification reply");
    return identification;
}

int CEntityInstrument::ClearHelper() {
    std::lock_guard lock(m_mutex);
    if (!EnsureSessionLocked())
        return 0;
    if (!m_session->Clear()) {
        Fail("device clear failed: " + m_session->LastError());
        CloseLocked();
        return 0;
    }
    return 1;
}

QString CEntityInstrument::GetDataString() const {
    std::lock_guard lock(m_mutex);
    const QByteArrayView bytes(m_dataBuffer.data(), static_cast<qsizetype>(m_dataSize));
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    // Instruments that do not speak UTF-8 send Latin-1 (a micro sign as 0xB5).
    if (utf8.hasError())
        text = QString::fromLatin1(bytes);
    return text;
}

char* CEntityInstrument::GetDataBuffer() {
    std::lock_guard lock(m_mutex);
    return m_dataBuffer.data();
}

std::vector<char> CEntityInstrument::GetDataCopy() const {
    std::lock_guard lock(m_mutex);
    return std::vector<char>(m_dataBuffer.begin(), m_dataBuffer.begin() + m_dataSize);
}

unsigned CEntityInstrument::GetDataSize() const {
    std::lock_guard lock(m_mutex);
    return m_dataSize;
}

int CEntityInstrument::ResetInstrument() {
    return WriteCommandHelper(QStringLiteral("*RST"));
}

int CEntityInstrument::ShutDownRemoteControl() {
    std::lock_guard lock(m_mutex);
    if (!m_session)
        return 1;
    const bool local = m_session->GoToLocal();
    CloseLocked();
    return local ? 1 : 0;
}

void CEntityInstrument::CopyFrom(const CEntityInstrument& other) {
    if (&other == this)
        return;
    std::scoped_lock lock(m_mutex, other.m_mutex);
    m_instrumentId = other.m_instrumentId;
    CParameterInstru parameters = other.m_parameters;
    SetParameterInstru(parameters);
    m_dataSize = other.m_dataSize;
    if (m_dataBuffer.size() < other.m_dataSize)
        m_dataBuffer.resize(other.m_dataSize);
    std::copy_n(other.m_dataBuffer.begin(), other.m_dataSize, m_dataBuffer.begin());
}

void CEntityInstrument::SetProperty(int) {}

QString CEntityInstrument::SelfTest(const QString&) {
    return QString();
}

void CEntityInstrument::SetParameterViaFlag(int, void*) {}

void* CEntityInstrument::GetParameterViaFlag(int) {
    return nullptr;
}
