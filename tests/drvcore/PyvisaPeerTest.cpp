#include "tests/drvcore/TestBench.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

using drvcoretest::CTestBench;
using drvcoretest::CTestModel;

// pyvisa-py asks the portmapper on port 111, so the VXI-11 bench takes 111 on an address of its own.
constexpr const char* kVxi11Address = "127.77.0.1";
constexpr const char* kSocketAddress = "127.77.0.2";
constexpr int kBlockSize = 300000;

std::string RunPeer(const std::string& resource) {
    const std::string command = "timeout 300 /usr/bin/python3 " LUMORA_PYVISA_PEER_SCRIPT " '" + resource +
                                "' " + std::to_string(kBlockSize) + " 2>&1";
    std::string output;
    if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
        char chunk[4096];
        for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;)
            output.append(chunk, got);
        ::pclose(pipe);
    }
    return output;
}

class PyvisaPeerTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::system("/usr/bin/python3 -c 'import pyvisa, pyvisa_py' >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "pyvisa-py is not installed for /usr/bin/python3 (Debian python3-pyvisa-py)";
    }
};

TEST_F(PyvisaPeerTest, ReadsIdentityAndBlockOverVxi11) {
    CTestBench bench(kVxi11Address, 111);
    if (!bench.Ok())
        GTEST_SKIP() << "cannot listen on " << kVxi11Address
                     << " port 111 (taken, or no privilege): " << bench.Portmapper().Error();
    const std::string output = RunPeer(bench.Vxi11Resource());
    EXPECT_NE(output.find(std::string("IDN ") + CTestModel::kIdentity + "\n"), std::string::npos) << output;
    EXPECT_NE(output.find("BLOCK " + std::to_string(kBlockSize) + " same\n"), std::string::npos) << output;
    EXPECT_EQ(bench.Host().Log().Lines(),
              (std::vector<std::string>{"*IDN?", "BLOCK? " + std::to_string(kBlockSize)}));
}

TEST_F(PyvisaPeerTest, ReadsIdentityAndBlockOverRawSocket) {
    CTestBench bench(kSocketAddress);
    ASSERT_TRUE(bench.Ok());
    const std::string output = RunPeer(bench.SocketResource());
    EXPECT_NE(output.find(std::string("IDN ") + CTestModel::kIdentity + "\n"), std::string::npos) << output;
    EXPECT_NE(output.find("BLOCK " + std::to_string(kBlockSize) + " same\n"), std::string::npos) << output;
}

} // namespace
