#include "instruments/drvcore/VisaResource.h"

#include <gtest/gtest.h>

namespace {

using drvcore::CVisaResource;

TEST(VisaResourceTest, ParsesTheThreeKinds) {
    struct SCase {
        const char* text;
        CVisaResource::eKind kind;
        int board;
        const char* host;
        const char* device;
        int port;
        unsigned vid, pid;
        const char* serial;
        int intf;
    };
    const SCase cases[] = {
        {"TCPIP0::127.0.0.1::INSTR", CVisaResource::eVxi11, 0, "127.0.0.1", "inst0", 0, 0, 0, "", -1},
        {"tcpip::bench.lan::inst1::instr", CVisaResource::eVxi11, 0, "bench.lan", "inst1", 0, 0, 0, "", -1},
        {"TCPIP3::10.0.0.7", CVisaResource::eVxi11, 3, "10.0.0.7", "inst0", 0, 0, 0, "", -1},
        {"TCPIP0::127.0.0.2::5025::SOCKET", CVisaResource::eSocket, 0, "127.0.0.2", "", 5025, 0, 0, "", -1},
        {"Tcpip1::host::0x13A1::socket", CVisaResource::eSocket, 1, "host", "", 5025, 0, 0, "", -1},
        {"USB0::0x05E6::0x2280::4471234::INSTR", CVisaResource::eUsbtmc, 0, "", "", 0, 0x05E6, 0x2280,
         "4471234", -1},
        {"usb::1510::0x7510::Q12::2::instr", CVisaResource::eUsbtmc, 0, "", "", 0, 1510, 0x7510, "Q12", 2},
        {"USB2::0x05e6::0x7510::04471234", CVisaResource::eUsbtmc, 2, "", "", 0, 0x05E6, 0x7510, "04471234",
         -1},
    };
    for (const SCase& c : cases) {
        CVisaResource r;
        ASSERT_TRUE(r.Parse(c.text)) << c.text << ": " << r.Error();
        EXPECT_EQ(r.Kind(), c.kind) << c.text;
        EXPECT_EQ(r.Board(), c.board) << c.text;
        EXPECT_EQ(r.Host(), c.host) << c.text;
        EXPECT_EQ(r.Device(), c.device) << c.text;
        EXPECT_EQ(r.Port(), c.port) << c.text;
        EXPECT_EQ(r.VendorId(), c.vid) << c.text;
        EXPECT_EQ(r.ProductId(), c.pid) << c.text;
        EXPECT_EQ(r.Serial(), c.serial) << c.text;
        EXPECT_EQ(r.InterfaceNumber(), c.intf) << c.text;
    }
}

TEST(VisaResourceTest, RejectsMalformedResources) {
    for (const char* text : {"", "GPIB0::5::INSTR", "TCPIP0::::INSTR", "TCPIP0::host::port::SOCKET",
                             "TCPIP0::host::70000::SOCKET", "TCPIP0::host::0::SOCKET", "TCPIP0::host::SOCKET",
                             "TCPIPx::host::INSTR", "TCPIP0::host::hislip0::INSTR", "USB0::0x05E6::INSTR",
                             "USB0::0x1FFFF::0x2280::1::INSTR", "USB0::0x05E6::0x2280::1::intf::INSTR",
                             "TCPIP0::a::b::c::INSTR"}) {
        CVisaResource r;
        EXPECT_FALSE(r.Parse(text)) << text;
        EXPECT_EQ(r.Kind(), CVisaResource::eInvalid) << text;
        EXPECT_FALSE(r.Error().empty()) << text;
    }
}

} // namespace
