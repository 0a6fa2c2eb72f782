#pragma once

#include "instruments/drvcore/RpcClient.h"
#include "instruments/drvcore/Session.h"
#include "instruments/drvcore/TcpConnection.h"
#include "instruments/drvcore/VisaResource.h"

#include <cstdint>

namespace drvcore {

// VXI-11 core channel: asks the host's portmapper for the core program's port, then create_link,
// device_write, device_read (to END), device_clear, device_local and destroy_link.
class CVxi11Session : public CSession {
public:
    CVxi11Session(const CVisaResource& resource, const SSessionOptions& options);
    ~CVxi11Session() override;

    // The portmapper port asked on every host. 0 (the default) means the environment variable
    // LUMORA_VXI11_PORTMAPPER_PORT when set, else 111. Tests point it at their own portmapper.
    static void SetPortmapperPort(int port);
    static int PortmapperPort();

    bool Open() override;
    void Close() override;
    bool IsOpen() const override { return m_open; }
    bool Write(std::string_view message) override;
    bool Clear() override;
    bool GoToLocal() override;
    bool MarksMessageEnd() const override { return true; }
    bool WaitForInput(int ms) override { return m_dataLeft > 0; }

protected:
    long long ReadRaw(char* data, size_t size, bool& end) override;

private:
    bool QueryCorePort(int& port);
    bool GenericCall(uint32_t procedure, const char* what);
    bool CheckDeviceError(int32_t error, const char* what);
    bool FinishReadReply();
    bool FailRpc();

    std::string m_host;
    std::string m_device;
    CTcpConnection m_connection;
    CRpcClient m_rpc;
    bool m_open = false;
    int32_t m_link = 0;
    uint32_t m_maxRecvSize = 1024;
    size_t m_dataLeft = 0;
    size_t m_paddingLeft = 0;
    bool m_endAfterData = false;
};

} // namespace drvcore
