#pragma once

#include "lumora/core/ParameterInstru.h"

#include <QString>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace drvcore {
class CSession;
}

// Base of the instrument drivers: owns the session to one instrument, chosen by its VISA resource,
// and the reply buffer of the last query. Operations return 1 on success and 0 on failure.
class CEntityInstrument {
public:
    static const int BUFFER_SIZE; // 102400: the reply buffer's initial size in bytes
    // The largest reply accepted: a block of 6,000,000 samples of 16 bytes plus its header.
    static const unsigned MAX_REPLY_SIZE;

    CEntityInstrument();
    virtual ~CEntityInstrument();
    CEntityInstrument(const CEntityInstrument&) = delete;
    CEntityInstrument& operator=(const CEntityInstrument&) = delete;

    void SetInstrumentID(unsigned id);
    unsigned GetInstrumentID() const;

    // Takes resource, time-out, termination and addresses for the next connection. A change of any
    // of them closes the open session, so that the next connection check opens the new one.
    void SetParameterInstru(CParameterInstru& parameters);
    int IsInstruConnected() const;
    // Opens the session with the stored parameters; 0 on failure.
    int SetInstrumentControl();
    // Why the last connection, command or read failed (as said on the standard error too); empty
    // when the last one succeeded, or failed for a reason the driver does not tell.
    QString GetLastError() const;

    QString GetDataString() const;
    char* GetDataBuffer();
    // A copy of the last reply's bytes taken under the session lock: what another thread's query
    // does to the reply buffer afterwards cannot reach it.
    std::vector<char> GetDataCopy() const;
    unsigned GetDataSize() const;

    int ResetInstrument();
    int ShutDownRemoteControl();
    void CopyFrom(const CEntityInstrument& other);
    // Holds the session for a sequence of calls (a query and the look at its reply) against other
    // threads; every call takes the same lock on its own as well.
    std::unique_lock<std::recursive_mutex> LockSession() const { return std::unique_lock(m_mutex); }

    // Slots the system reserves; nothing calls them.
    virtual void SetProperty(int property);
    virtual QString SelfTest(const QString& argument);
    virtual void SetParameterViaFlag(int flag, void* value);
    virtual void* GetParameterViaFlag(int flag);

protected:
    // Sends one command line (the termination is appended); 1 when sent.
    int WriteCommandHelper(const QString& command);
    // Sends a query and stores the whole reply (text or IEEE 488.2 block) in the reply buffer.
    int WriteAndReadHelper(const QString& query);
    // Reads one more reply without sending (a reply that the instrument sends on its own).
    int ReadHelper();
    // Sends *IDN? and gives the reply without blanks around it; empty, with the reason kept, when the
    // query fails or the instrument answers nothing.
    QString QueryIdentification();
    // Sends a device clear to the instrument and drops pending input.
    int ClearHelper();

    // The last reply: raw bytes and their count. Drivers read them directly.
    std::vector<char> m_dataBuffer;
    unsigned m_dataSize = 0;

private:
    bool EnsureSessionLocked();
    void CloseLocked();
    void Fail(const std::string& reason);

    unsigned m_instrumentId = 0;
    CParameterInstru m_parameters;
    std::unique_ptr<drvcore::CSession> m_session;
    std::string m_lastError;
    mutable std::recursive_mutex m_mutex;
};
