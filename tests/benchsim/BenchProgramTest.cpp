#include "platform/ProgramFolder.h"
#include "tests/drivertest/StreamClient.h"
#include "tests/support/WaitFor.h"

#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

constexpr int kLongMs = static_cast<int>(testsupport::kLongWait.count());

// The program as a user runs it: it prints where it listens, serves, and ends on SIGTERM.
TEST(BenchProgram, ServesUntilTerminated) {
    QProcess program;
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(platform::ProgramFolder() + "lumora-benchsim",
                  {"--supply-address", "127.0.0.3", "--meter-address", "127.0.0.4", "--portmapper-port", "0",
                   "--socket-port", "0", "--stream-port", "0"});
    ASSERT_TRUE(program.waitForStarted(kLongMs));
    QString output;
    while (!output.contains("running") && program.waitForReadyRead(kLongMs))
        output += QString::fromLocal8Bit(program.readAll());
    ASSERT_TRUE(output.contains("running")) << output.toStdString();
    const auto match = QRegularExpression("TCPIP0::127\\.0\\.0\\.4::(\\d+)::SOCKET").match(output);
    ASSERT_TRUE(match.hasMatch()) << output.toStdString();

    drivertest::CStreamClient meter("127.0.0.4", static_cast<std::uint16_t>(match.captured(1).toUInt()));
    ASSERT_TRUE(meter.Connected());
    const std::string query = "*IDN?\n";
    ASSERT_TRUE(meter.Send(std::vector<unsigned char>(query.begin(), query.end())));
    const auto reply = meter.Read(14);
    EXPECT_EQ(std::string(reply.begin(), reply.end()), "KEITHLEY INSTR");

    program.terminate();
    ASSERT_TRUE(program.waitForFinished(kLongMs));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
}

TEST(BenchProgram, RefusesAddressesBeyondLoopback) {
    QProcess program;
    program.start(platform::ProgramFolder() + "lumora-benchsim", {"--supply-address", "10.0.0.1"});
    ASSERT_TRUE(program.waitForFinished(kLongMs));
    EXPECT_EQ(program.exitCode(), 2);
}

} // namespace
