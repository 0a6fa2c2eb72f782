#include "instruments/visa/Visa.h"
#include "tests/drvcore/FakeUsbTree.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class FindResourceTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(viOpenDefaultRM(&m_manager), VI_SUCCESS); }
    void TearDown() override { viClose(m_manager); }

    drvcoretest::CFakeUsbTree m_tree;
    ViSession m_manager = 0;
};

TEST_F(FindResourceTest, ListsEveryUsbtmcInstrumentByItsResourceName) {
    m_tree.AddDevice(0, "05e6", "2280", "4471234");
    m_tree.AddDevice(1, "05e6", "7510", "04412345");
    m_tree.AddDevice(2, "1ab1", "04ce", "DS1ZA1", {}, "class/usb");
    ViFindList list = 0;
    ViUInt32 count = 0;
    char name[VI_FIND_BUFLEN];
    ASSERT_EQ(viFindRsrc(m_manager, "?*USB?*INSTR", &list, &count, name), VI_SUCCESS);
    ASSERT_EQ(count, 3u);
    std::vector<std::string> names{name};
    while (viFindNext(list, name) == VI_SUCCESS)
        names.push_back(name);
    EXPECT_EQ(names, (std::vector<std::string>{"USB0::0x05E6::0x2280::4471234::INSTR",
                                               "USB0::0x05E6::0x7510::04412345::INSTR",
                                               "USB0::0x1AB1::0x04CE::DS1ZA1::INSTR"}));
    EXPECT_EQ(viFindNext(list, name), VI_ERROR_RSRC_NFOUND);
    EXPECT_EQ(viClose(list), VI_SUCCESS);
    EXPECT_EQ(viFindNext(list, name), VI_ERROR_INV_OBJECT);
}

TEST_F(FindResourceTest, TheExpressionSelects) {
    m_tree.AddDevice(0, "05e6", "2280", "4471234");
    m_tree.AddDevice(1, "05e6", "7510", "04412345");
    ViUInt32 count = 0;
    char name[VI_FIND_BUFLEN];
    ASSERT_EQ(viFindRsrc(m_manager, "USB?*0x7510?*", nullptr, &count, name), VI_SUCCESS);
    EXPECT_EQ(count, 1u);
    EXPECT_STREQ(name, "USB0::0x05E6::0x7510::04412345::INSTR");
    EXPECT_EQ(viFindRsrc(m_manager, "TCPIP?*", nullptr, &count, name), VI_ERROR_RSRC_NFOUND);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(viFindRsrc(m_manager, "USB[", nullptr, &count, name), VI_ERROR_INV_EXPR);
}

TEST_F(FindResourceTest, BrokenEntriesAreSkipped) {
    m_tree.AddDevice(0, "zz", "2280", "1");       // unreadable vendor
    m_tree.AddDevice(1, "05e6", "2280", nullptr); // no serial: an empty one
    std::filesystem::create_directories(m_tree.Root() / "sys/class/usbmisc/usbtmc9"); // no device link
    ViUInt32 count = 0;
    char name[VI_FIND_BUFLEN];
    ASSERT_EQ(viFindRsrc(m_manager, "?*", nullptr, &count, name), VI_SUCCESS);
    EXPECT_EQ(count, 1u);
    EXPECT_STREQ(name, "USB0::0x05E6::0x2280::::INSTR");
}

TEST_F(FindResourceTest, HandlesAreChecked) {
    ViUInt32 count = 7;
    char name[VI_FIND_BUFLEN];
    EXPECT_EQ(viFindRsrc(m_manager + 1000, "?*", nullptr, &count, name), VI_ERROR_INV_OBJECT);
    EXPECT_EQ(viOpenDefaultRM(nullptr), VI_ERROR_INV_PARAMETER);
    EXPECT_EQ(viClose(987654), VI_ERROR_INV_OBJECT);
    m_tree.AddDevice(0, "05e6", "2280", "1");
    ViFindList list = 0;
    ASSERT_EQ(viFindRsrc(m_manager, "?*", &list, &count, name), VI_SUCCESS);
    // Closing the manager closes its find lists.
    EXPECT_EQ(viClose(m_manager), VI_SUCCESS);
    EXPECT_EQ(viFindNext(list, name), VI_ERROR_INV_OBJECT);
    ASSERT_EQ(viOpenDefaultRM(&m_manager), VI_SUCCESS);
}

} // namespace
