#include "instruments/drvcore/UsbtmcSession.h"

#include "instruments/visa/UsbtmcDevices.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <linux/usb/tmc.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace drvcore {

CUsbtmcSession::CUsbtmcSession(const CVisaResource& resource, const SSessionOptions& options)
    : CSession(options), m_resource(resource) {}

CUsbtmcSession::~CUsbtmcSession() {
    Close();
}

bool CUsbtmcSession::FailIo(const char* what) {
    m_error = std::string(what) + ": " + std::strerror(errno);
    Close();
    return false;
}

bool CUsbtmcSession::Open() {
    Close();
    visa::SUsbtmcDevice device;
    if (!visa::CUsbtmcDevices::Find(m_resource.VendorId(), m_resource.ProductId(), m_resource.Serial(),
                                    m_resource.InterfaceNumber(), device)) {
        char ids[64];
        std::snprintf(ids, sizeof ids, "0x%04X::0x%04X::", m_resource.VendorId(), m_resource.ProductId());
        return Fail(std::string("no USBTMC device ") + ids + m_resource.Serial() + " attached");
    }
    m_fd = ::open(device.node.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_fd < 0) {
        m_error = "cannot open " + device.node + ": " + std::strerror(errno);
        return false;
    }
    uint32_t timeout = static_cast<uint32_t>(m_options.timeoutMs);
    m_kernelDevice = ::ioctl(m_fd, USBTMC_IOCTL_SET_TIMEOUT, &timeout) == 0;
    if (!m_kernelDevice)
        ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) | O_NONBLOCK);
    return true;
}

void CUsbtmcSession::Close() {
    DropUnread();
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

bool CUsbtmcSession::WaitFor(short events) {
    if (m_kernelDevice)
        return true;
    pollfd p{m_fd, events, 0};
    int ready;
    do {
        ready = ::poll(&p, 1, m_options.timeoutMs);
    } while (ready < 0 && errno == EINTR);
    return ready == 1 && (p.revents & events) != 0;
}

bool CUsbtmcSession::WaitForInput(int ms) {
    if (m_fd < 0 || m_kernelDevice)
        return false;
    pollfd p{m_fd, POLLIN, 0};
    return ::poll(&p, 1, ms) == 1 && (p.revents & POLLIN) != 0;
}

bool CUsbtmcSession::Write(std::string_view message) {
    if (m_fd < 0)
        return Fail("not connected");
    size_t at = 0;
    while (at < message.size()) {
        const ssize_t written = ::write(m_fd, message.data() + at, message.size() - at);
        if (written > 0) {
            at += static_cast<size_t>(written);
            continue;
        }
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && WaitFor(POLLOUT))
            continue;
        if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            errno = ETIMEDOUT;
        return FailIo("write");
    }
    return true;
}

long long CUsbtmcSession::ReadRaw(char* data, size_t size, bool& end) {
    if (m_fd < 0) {
        Fail("not connected");
        return -1;
    }
    for (;;) {
        const ssize_t got = ::read(m_fd, data, size);
        if (got > 0) {
            end = m_kernelDevice && static_cast<size_t>(got) < size;
            return got;
        }
        if (got == 0) {
            errno = ECONNRESET;
            FailIo("read");
            return -1;
        }
        if (errno == EINTR)
            continue;
        if ((errno == EAGAIN || errno == EWOULDBLOCK) && WaitFor(POLLIN))
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            errno = ETIMEDOUT;
        FailIo("read");
        return -1;
    }
}

bool CUsbtmcSession::Clear() {
    if (m_fd < 0)
        return Fail("not connected");
    DropUnread();
    if (m_kernelDevice)
        return ::ioctl(m_fd, USBTMC_IOCTL_CLEAR) == 0 || FailIo("clear");
    char scrap[4096];
    while (::read(m_fd, scrap, sizeof scrap) > 0) {
    }
    return true;
}

bool CUsbtmcSession::GoToLocal() {
    if (m_fd >= 0 && m_kernelDevice)
        ::ioctl(m_fd, USBTMC488_IOCTL_GOTO_LOCAL);
    return true;
}

} // namespace drvcore
