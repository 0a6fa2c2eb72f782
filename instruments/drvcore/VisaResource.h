#pragma once

#include <string>

namespace drvcore {

// A VISA resource string, parsed case-insensitively; board numbers are optional.
//   TCPIP[n]::host[::device][::INSTR]   VXI-11 (device "inst0" when omitted)
//   TCPIP[n]::host::port::SOCKET        raw SCPI over TCP
//   USB[n]::vid::pid::serial[::intf][::INSTR]  USBTMC (numbers decimal or 0x-hex)
class CVisaResource {
public:
    enum eKind { eInvalid, eVxi11, eSocket, eUsbtmc };

    bool Parse(const std::string& text);

    eKind Kind() const { return m_kind; }
    int Board() const { return m_board; }
    const std::string& Host() const { return m_host; }
    const std::string& Device() const { return m_device; }
    int Port() const { return m_port; }
    unsigned VendorId() const { return m_vendorId; }
    unsigned ProductId() const { return m_productId; }
    const std::string& Serial() const { return m_serial; }
    int InterfaceNumber() const { return m_interface; } // -1: any
    const std::string& Error() const { return m_error; }

private:
    bool Invalid(const std::string& why);

    eKind m_kind = eInvalid;
    int m_board = 0;
    std::string m_host;
    std::string m_device;
    int m_port = 0;
    unsigned m_vendorId = 0;
    unsigned m_productId = 0;
    std::string m_serial;
    int m_interface = -1;
    std::string m_error;
};

} // namespace drvcore
