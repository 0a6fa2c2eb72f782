#pragma once

#include "instruments/drvcore/Session.h"
#include "instruments/drvcore/VisaResource.h"

namespace drvcore {

// USBTMC through the kernel's usbtmc character device, found by vendor, product and serial in sysfs.
// The kernel frames messages (a short read is the end of a message) and bounds each transfer by the
// time-out set with its ioctl. A file that refuses that ioctl (a stand-in for tests) is driven as a
// stream with bounded polls instead.
class CUsbtmcSession : public CSession {
public:
    CUsbtmcSession(const CVisaResource& resource, const SSessionOptions& options);
    ~CUsbtmcSession() override;

    bool Open() override;
    void Close() override;
    bool IsOpen() const override { return m_fd >= 0; }
    bool Write(std::string_view message) override;
    bool Clear() override;
    bool GoToLocal() override;
    bool MarksMessageEnd() const override { return m_kernelDevice; }
    bool WaitForInput(int ms) override;

protected:
    long long ReadRaw(char* data, size_t size, bool& end) override;

private:
    bool WaitFor(short events);
    bool FailIo(const char* what);

    CVisaResource m_resource;
    int m_fd = -1;
    bool m_kernelDevice = false;
};

} // namespace drvcore
