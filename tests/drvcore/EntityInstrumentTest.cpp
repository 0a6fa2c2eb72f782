#include "instruments/drvcore/EntityInstrument.h"
#include "tests/drvcore/TestBench.h"
#include "tests/support/WaitFor.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

namespace {

using drvcoretest::CTestBench;
using drvcoretest::CTestModel;
using Fault = benchsim::CFaultSwitches;

// Exposes the protected helpers that the drivers use.
class CTestInstrument : public CEntityInstrument {
public:
    using CEntityInstrument::ClearHelper;
    using CEntityInstrument::ReadHelper;
    using CEntityInstrument::WriteAndReadHelper;
    using CEntityInstrument::WriteCommandHelper;
};

enum eTransport { eVxi11, eSocket };

class EntityInstrumentTest : public ::testing::TestWithParam<eTransport> {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_bench.Ok());
        Connect(m_instrument, testsupport::kLongTimeoutMs);
    }

    void Connect(CTestInstrument& instrument, const QString& timeout, const QString& endOfLine = QString()) {
        m_record.Resource = QString::fromStdString(Resource());
        m_record.Timeout = timeout;
        m_record.EndOfLine = endOfLine;
        instrument.SetParameterInstru(m_record);
    }

    std::string Resource() const {
        return GetParam() == eVxi11 ? m_bench.Vxi11Resource() : m_bench.SocketResource();
    }

    std::string Reply(CTestInstrument& instrument) {
        return std::string(instrument.GetDataBuffer(), instrument.GetDataSize());
    }

    static std::string Block(size_t size) {
        const std::string length = std::to_string(size);
        return "#" + std::to_string(length.size()) + length + CTestModel::Pattern(size);
    }

    CTestBench m_bench;
    CParameterInstru m_record;
    CTestInstrument m_instrument;
};

TEST_P(EntityInstrumentTest, QueryReturnsTheTextWithoutTermination) {
    ASSERT_EQ(m_instrument.SetInstrumentControl(), 1);
    EXPECT_EQ(m_instrument.IsInstruConnected(), 1);
    ASSERT_EQ(m_instrument.WriteAndReadHelper("*IDN?"), 1);
    EXPECT_EQ(m_instrument.GetDataString(), QString(CTestModel::kIdentity));
    ASSERT_EQ(m_instrument.WriteAndReadHelper("MICRO?"), 1);
    EXPECT_EQ(m_instrument.GetDataString(), QString::fromUtf8("10 \xc2\xb5"
                                                              "A"));
}

TEST_P(EntityInstrumentTest, CommandsArriveAsSentInOrder) {
    ASSERT_EQ(m_instrument.WriteCommandHelper(":SENS:FUNC \"CURR:DC\""), 1);
    ASSERT_EQ(m_instrument.WriteAndReadHelper("*IDN?"), 1);
    ASSERT_EQ(m_instrument.ResetInstrument(), 1);
    ASSERT_EQ(m_instrument.WriteAndReadHelper("*IDN?"), 1);
    EXPECT_EQ(m_bench.Host().Log().Lines(),
              (std::vector<std::string>{":SENS:FUNC \"CURR:DC\"", "*IDN?", "*RST", "*IDN?"}));
}

TEST_P(EntityInstrumentTest, ALongCommandArrivesWhole) {
    // Longer than the largest device_write the VXI-11 server takes: the session splits it.
    const std::string command = ":DATA " + std::string(1500000, '7');
    ASSERT_EQ(m_instrument.WriteCommandHelper(QString::fromStdString(command)), 1);
    ASSERT_EQ(m_instrument.WriteAndReadHelper("*IDN?"), 1);
    const auto lines = m_bench.Host().Log().Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(lines[0] == command);
}

TEST_P(EntityInstrumentTest, EndOfLineOfTheRecordTerminatesCommands) {
    for (const char* endOfLine : {"\\r\\n", "\r\n", "\n", "LF", "CRLF"}) {
        m_bench.Host().Log().Clear();
        Connect(m_instrument, testsupport::kLongTimeoutMs, QString::fromLatin1(endOfLine));
        ASSERT_EQ(m_instrument.WriteAndReadHelper("*IDN?"), 1) << endOfLine;
        EXPECT_EQ(m_instrument.GetDataString(), QString(CTestModel::kIdentity)) << endOfLine;
        EXPECT_EQ(m_bench.Host().Log().Lines(), std::vector<std::string>{"*IDN?"}) << endOfLine;
    }
}

TEST_P(EntityInstrumentTest, AnUnknownEndOfLineIsRefusedAndNothingIsSent) {
    m_bench.Host().Log().Clear();
    Connect(m_instrument, testsupport::kLongTimeoutMs, QStringLiteral("LINEFEED"));
    EXPECT_EQ(m_instrument.SetInstrumentControl(), 0);
    EXPECT_EQ(m_instrument.WriteAndReadHelper("*IDN?"), 0);
    EXPECT_EQ(m_instrument.IsInstruConnected(), 0);
    EXPECT_TRUE(m_bench.Host().Log().Lines().empty());
}

TEST_P(EntityInstrumentTest, BinaryBlocksAreReadWhole) {
    struct SCase {
        const char* query;
        std::string expected;
    };
    const SCase cases[] = {
        {"BLOCK? 0", "#10"},
        {"BLOCK? 300", Block(300)},
        {"BLOCK? 400000", Block(400000)}, // beyond the initial buffer
        {"INDEF? 0", "#0"},
        {"INDEF? 1000", "#0" + CTestModel::Pattern(1000)},
        {"INDEF? 400002", "#0" + CTestModel::Pattern(400002)},
    };
    for (const SCase& c : cases) {
        ASSERT_EQ(m_instrument.WriteAndReadHelper(c.query), 1) << c.query;
        EXPECT_EQ(m_instrument.GetDataSize(), c.expected.size()) << c.query;
        EXPECT_TRUE(Reply(m_instrument) == c.expected) << c.query;
        // The next reply starts clean: nothing of the block is left over.
        ASSERT_EQ(m_instrument.WriteAndReadHelper("*IDN?"), 1) << c.query;
        EXPECT_EQ(m_instrument.GetDataString(), QString(CTestModel::kIdentity)) << c.query;
    }
}

TEST_P(EntityInstrumentTest, OversizedRepliesFailAndTheNextCallReconnects) {
    const std::string tooLong = std::to_string(CEntityInstrument::MAX_REPLY_SIZE);
    for (const std::string& query : {"PROMISE? " + tooLong, "INDEF? " + tooLong}) {
        EXPECT_EQ(m_instrument.WriteAndReadHelper(QString::fromStdString(query)), 0) << query;
        EXPECT_EQ(m_instrument.GetDataSize(), 0u) << query;
        EXPECT_EQ(m_instrument.IsInstruConnected(), 0) << query;
        ASSERT_EQ(m_instrument.WriteAndReadHelper("*IDN?"), 1) << query;
        EXPECT_EQ(m_instrument.GetDataString(), QString(CTestModel::kIdentity)) << query;
    }
}

TEST_P(EntityInstrumentTest, FaultsFailCleanlyAndTheNextCallReconnects) {
    for (Fault::eFault fault : {Fault::eStall, Fault::eDropMidReply, Fault::eGarbage}) {
        ASSERT_EQ(m_instrument.WriteAndReadHelper("*IDN?"), 1) << fault;
        // Only the faulty call waits for its time-out, a short one.
        Connect(m_instrument, "300");
        m_bench.Host().Faults().Set(fault, true);
        EXPECT_EQ(m_instrument.WriteAndReadHelper("BLOCK? 1000"), 0) << fault;
        EXPECT_EQ(m_instrument.GetDataSize(), 0u) << fault;
        EXPECT_EQ(m_instrument.IsInstruConnected(), 0) << fault;
        m_bench.Host().Faults().Set(fault, false);
        Connect(m_instrument, testsupport::kLongTimeoutMs);
        ASSERT_EQ(m_instrument.WriteAndReadHelper("*IDN?"), 1) << fault;
        EXPECT_EQ(m_instrument.GetDataString(), QString(CTestModel::kIdentity)) << fault;
        EXPECT_EQ(m_instrument.IsInstruConnected(), 1) << fault;
    }
}

TEST_P(EntityInstrumentTest, ChangedParametersCloseTheSession) {
    ASSERT_EQ(m_instrument.SetInstrumentControl(), 1);
    CParameterInstru same = m_record;
    same.Name = "renamed";
    m_instrument.SetParameterInstru(same);
    EXPECT_EQ(m_instrument.IsInstruConnected(), 1);

    struct SChange {
        const char* field;
        void (*apply)(CParameterInstru&);
    };
    const SChange changes[] = {
        {"Timeout", [](CParameterInstru& r) { r.Timeout = "90000"; }},
        {"EndOfLine", [](CParameterInstru& r) { r.EndOfLine = "\\r\\n"; }},
        {"Resource", [](CParameterInstru& r) { r.Resource += " "; }},
    };
    for (const SChange& change : changes) {
        ASSERT_EQ(m_instrument.SetInstrumentControl(), 1) << change.field;
        CParameterInstru changed = m_record;
        change.apply(changed);
        m_instrument.SetParameterInstru(changed);
        EXPECT_EQ(m_instrument.IsInstruConnected(), 0) << change.field;
        ASSERT_EQ(m_instrument.WriteAndReadHelper("*IDN?"), 1) << change.field;
        EXPECT_EQ(m_instrument.IsInstruConnected(), 1) << change.field;
        m_record = changed;
    }
}

TEST_P(EntityInstrumentTest, ANewResourceIsUsedAfterTheChange) {
    ASSERT_EQ(m_instrument.WriteAndReadHelper("*IDN?"), 1);
    CTestBench other;
    ASSERT_TRUE(other.Ok());
    CParameterInstru moved = m_record;
    moved.Resource = QString::fromStdString(other.SocketResource());
    m_instrument.SetParameterInstru(moved);
    ASSERT_EQ(m_instrument.WriteAndReadHelper("*IDN?"), 1);
    EXPECT_EQ(other.Host().Log().Lines(), std::vector<std::string>{"*IDN?"});
}

TEST_P(EntityInstrumentTest, DeviceClearReachesTheInstrument) {
    ASSERT_EQ(m_instrument.ClearHelper(), 1);
    EXPECT_EQ(m_bench.Model().Clears(), GetParam() == eVxi11 ? 1 : 0);
    ASSERT_EQ(m_instrument.WriteAndReadHelper("*IDN?"), 1);
}

TEST_P(EntityInstrumentTest, ReadWithoutAReplyTimesOut) {
    ASSERT_EQ(m_instrument.WriteCommandHelper("*RST"), 1);
    // Only the read waits for its time-out, a short one. The changed time-out opens a new session,
    // on which nothing was asked either.
    Connect(m_instrument, "200");
    EXPECT_EQ(m_instrument.ReadHelper(), 0);
    Connect(m_instrument, testsupport::kLongTimeoutMs);
    EXPECT_EQ(m_instrument.WriteAndReadHelper("*IDN?"), 1);
}

TEST_P(EntityInstrumentTest, ShutDownClosesTheSession) {
    ASSERT_EQ(m_instrument.SetInstrumentControl(), 1);
    EXPECT_EQ(m_instrument.ShutDownRemoteControl(), 1);
    EXPECT_EQ(m_instrument.IsInstruConnected(), 0);
    EXPECT_EQ(m_instrument.ShutDownRemoteControl(), 1);
}

TEST_P(EntityInstrumentTest, CopyReachesTheSameInstrument) {
    m_instrument.SetInstrumentID(32814);
    ASSERT_EQ(m_instrument.WriteAndReadHelper("*IDN?"), 1);
    CTestInstrument copy;
    copy.CopyFrom(m_instrument);
    EXPECT_EQ(copy.GetInstrumentID(), 32814u);
    EXPECT_EQ(copy.GetDataString(), QString(CTestModel::kIdentity));
    ASSERT_EQ(copy.WriteAndReadHelper("BLOCK? 10"), 1);
    EXPECT_TRUE(Reply(copy) == Block(10));
}

TEST_P(EntityInstrumentTest, ConcurrentCallersEachGetTheirOwnReply) {
    auto worker = [this](QString query, std::string expected, int& mismatches) {
        for (int i = 0; i < 40; ++i) {
            // Held across the query and the look at its reply, as a driver does.
            auto lock = m_instrument.LockSession();
            if (m_instrument.WriteAndReadHelper(query) != 1 || Reply(m_instrument) != expected)
                ++mismatches;
        }
    };
    int mismatchesA = 0, mismatchesB = 0;
    std::thread a(worker, QString("*IDN?"), std::string(CTestModel::kIdentity), std::ref(mismatchesA));
    std::thread b(worker, QString("BLOCK? 5000"), Block(5000), std::ref(mismatchesB));
    a.join();
    b.join();
    EXPECT_EQ(mismatchesA + mismatchesB, 0);
    EXPECT_EQ(m_bench.Host().Log().Size(), 80u);
}

TEST_P(EntityInstrumentTest, UnreachableInstrumentFailsToConnect) {
    m_bench.Socket().Stop();
    m_bench.Vxi11().Stop();
    EXPECT_EQ(m_instrument.SetInstrumentControl(), 0);
    EXPECT_EQ(m_instrument.IsInstruConnected(), 0);
    EXPECT_EQ(m_instrument.WriteAndReadHelper("*IDN?"), 0);
}

INSTANTIATE_TEST_SUITE_P(Transports, EntityInstrumentTest, ::testing::Values(eVxi11, eSocket),
                         [](const auto& row) { return row.param == eVxi11 ? "Vxi11" : "Socket"; });

} // namespace
