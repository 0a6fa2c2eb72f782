#pragma once

#include "instruments/drvcore/SessionOptions.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace drvcore {

// One open connection to an instrument. Each call is bounded by the options' time-out; a failed call
// leaves the session unusable (the owner closes it and opens a new one).
class CSession {
public:
    explicit CSession(const SSessionOptions& options) : m_options(options) {}
    virtual ~CSession() = default;
    CSession(const CSession&) = delete;
    CSession& operator=(const CSession&) = delete;

    virtual bool Open() = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // Sends one whole message (the caller appended the termination).
    virtual bool Write(std::string_view message) = 0;
    // Sends a device clear and drops pending input.
    virtual bool Clear() = 0;
    // Returns the instrument to local control where the bus knows how; true otherwise.
    virtual bool GoToLocal() { return true; }
    // True when the transport marks the end of a message (then Read sets 'end').
    virtual bool MarksMessageEnd() const = 0;
    // True when more input arrives within 'ms' (for stream transports).
    virtual bool WaitForInput(int ms) = 0;

    // Reads up to 'size' (> 0) bytes of the reply; returns the count, or -1 on failure. Bytes given
    // back by Unread come first.
    long long Read(char* data, size_t size, bool& end);
    // Keeps bytes read past the end of a reply for the next Read.
    void Unread(const char* data, size_t size);
    void DropUnread() { m_unread.clear(); }

    const std::string& LastError() const { return m_error; }
    const SSessionOptions& Options() const { return m_options; }

protected:
    virtual long long ReadRaw(char* data, size_t size, bool& end) = 0;
    bool Fail(const std::string& why);

    SSessionOptions m_options;
    std::string m_error;

private:
    std::string m_unread;
};

} // namespace drvcore
