// The settings, instrument and connection dialogs on their own: what a user types and picks, what
// they refuse with which message, and what they write into the records.
#include "DialogInput.h"
#include "FrameFixture.h"

#include "lumora/core/MainFrame.h"
#include "lumora/core/ParameterInstru.h"
#include "lumora/core/ParameterInstruDCSource.h"
#include "lumora/core/ParameterMeasDataLogging.h"
#include "lumora/shell/DlgPropertyVISARes.h"
#include "lumora/shell/QXDialogSettingsCurrProtect.h"
#include "lumora/shell/QXDialogSettingsInstru.h"
#include "lumora/shell/QXDialogSettingsMeasCurr.h"
#include "lumora/shell/QXDialogSettingsMeasDataLog.h"
#include "platform/Numbers.h"
#include "tests/drvcore/FakeUsbTree.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <gtest/gtest.h>

namespace {

using namespace frametest;

// Names a parameterised case after its row.
struct RowName {
    template <class T> std::string operator()(const testing::TestParamInfo<T>& row) const {
        return row.param.name;
    }
};

class DialogTest : public testing::Test {
protected:
    void SetUp() override {
        EnsureApplication();
        CMainFrame::RegisterFrameStrings();
    }
    // Shows the dialog, lets the test act on it, clicks OK: true when the dialog closed accepted.
    template <class D> bool Ok(D& dialog) {
        if (!dialog.isVisible())
            dialog.show();
        ClickOk(&dialog);
        return !dialog.isVisible() && dialog.result() == QDialog::Accepted;
    }
    CMessageRecorder m_messages;
};

// ---- VISA resource dialog ---------------------------------------------------------------------------

struct SResourceCase {
    const char* name;
    const char* resource;
    const char* stored;    // the record's AddressIP
    const char* shownHost; // in the address field
    const char* shownPort; // in the port field
    int shownInterface;    // -1: neither LAN nor USB
    const char* written;   // the resource after OK
};

class VisaRoundTrip : public DialogTest, public testing::WithParamInterface<SResourceCase> {};

// A name of the dialog's own form shows the stored address and is composed from it; any other name
// keeps its host and is written back as it stands.
TEST_P(VisaRoundTrip, OkWritesTheResourceTheDialogShows) {
    drvcoretest::CFakeUsbTree usb;
    const SResourceCase& row = GetParam();
    CParameterInstru record;
    record.Resource = QString::fromUtf8(row.resource);
    record.AddressIP = QString::fromUtf8(row.stored);
    record.Timeout = QStringLiteral("5000");
    CDlgPropertyVISARes dialog(record);
    dialog.show();
    EXPECT_EQ(Edit(&dialog, CDlgPropertyVISARes::IDC_RESOURCE)->text(), QString::fromUtf8(row.written));
    EXPECT_EQ(platform::FindControl<QComboBox>(&dialog, CDlgPropertyVISARes::IDC_INTERFACE)->currentIndex(),
              row.shownInterface);
    if (row.shownHost != nullptr) {
        EXPECT_EQ(Edit(&dialog, CDlgPropertyVISARes::IDC_ADDRESS_IP)->text(),
                  QString::fromUtf8(row.shownHost));
    }
    EXPECT_EQ(Edit(&dialog, CDlgPropertyVISARes::IDC_PORT)->text(), QString::fromUtf8(row.shownPort));
    // The LAN shows its address to edit.
    EXPECT_EQ(Edit(&dialog, CDlgPropertyVISARes::IDC_ADDRESS_IP)->isEnabled(),
              row.shownInterface == CDlgPropertyVISARes::eLan);
    if (row.shownInterface == CDlgPropertyVISARes::eLan) {
        EXPECT_EQ(platform::FindControl<QGroupBox>(&dialog, CDlgPropertyVISARes::IDC_GROUP)->title(),
                  QStringLiteral(" TCPIP "));
    }
    ASSERT_TRUE(Ok(dialog)) << m_messages.Texts().join(u'\n').toStdString();
    EXPECT_EQ(record.Resource, QString::fromUtf8(row.written));
    EXPECT_EQ(record.Timeout, QStringLiteral("5000"));
    if (row.shownInterface == CDlgPropertyVISARes::eLan) {
        EXPECT_EQ(record.AddressIP, QString::fromUtf8(row.shownHost));
    }
    if (row.shownInterface == CDlgPropertyVISARes::eUsb) {
        EXPECT_EQ(record.AddressUSB, record.Resource);
        auto* list = platform::FindControl<QComboBox>(&dialog, CDlgPropertyVISARes::IDC_USB_LIST);
        EXPECT_EQ(list->currentText(), record.Resource);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Resources, VisaRoundTrip,
    testing::Values(SResourceCase{"Vxi11", "TCPIP0::192.168.1.20::INSTR", "", "192.168.1.20", "", 0,
                                  "TCPIP0::192.168.1.20::INSTR"},
                    SResourceCase{"Vxi11StoredAddress", "TCPIP2::192.168.1.20::INSTR", "10.9.9.9", "10.9.9.9",
                                  "", 0, "TCPIP2::10.9.9.9::INSTR"},
                    SResourceCase{"Vxi11DeviceName", "TCPIP1::bench-psu.lan::inst0::INSTR", "10.9.9.9",
                                  "bench-psu.lan", "", 0, "TCPIP1::bench-psu.lan::inst0::INSTR"},
                    SResourceCase{"Socket", "TCPIP0::192.168.1.21::5025::SOCKET", "10.9.9.9", "192.168.1.21",
                                  "5025", 0, "TCPIP0::192.168.1.21::5025::SOCKET"},
                    SResourceCase{"Usb", "USB0::0x05E6::0x2280::4471234::INSTR", "10.9.9.9", nullptr, "", 1,
                                  "USB0::0x05E6::0x2280::4471234::INSTR"},
                    SResourceCase{"Gpib", "GPIB0::16::INSTR", "10.9.9.9", nullptr, "", -1,
                                  "GPIB0::16::INSTR"},
                    // A record without a name of three parts opens on the LAN with board 0 and the
                    // address the dialog starts from.
                    SResourceCase{"Empty", "", "10.9.9.9", "127.0.0.1", "", 0, "TCPIP0::127.0.0.1::INSTR"},
                    SResourceCase{"TwoParts", "TCPIP3::10.1.1.1", "10.9.9.9", "127.0.0.1", "", 0,
                                  "TCPIP0::127.0.0.1::INSTR"}),
    RowName());

// A board number out of range in the stored name is shown and refused on OK, not clamped.
TEST_F(DialogTest, VisaRefusesABoardOutOfRangeFromTheStoredName) {
    CParameterInstru record;
    record.Resource = QStringLiteral("TCPIP45::192.168.1.20::INSTR");
    CDlgPropertyVISARes dialog(record);
    dialog.show();
    EXPECT_EQ(Edit(&dialog, CDlgPropertyVISARes::IDC_BOARD)->text(), QStringLiteral("45"));
    EXPECT_FALSE(Ok(dialog));
    EXPECT_EQ(m_messages.Texts(), QStringList{QStringLiteral("请输入一个介于 0 和 31 之间的整数。")});
    EXPECT_EQ(record.Resource, QStringLiteral("TCPIP45::192.168.1.20::INSTR"));
}

struct SComposeCase {
    const char* name;
    const char* start;
    const char* board; // typed, or null
    const char* host;  // typed, or null
    const char* expected;
};

class VisaCompose : public DialogTest, public testing::WithParamInterface<SComposeCase> {};

TEST_P(VisaCompose, BoardAndHostMakeTheName) {
    const SComposeCase& row = GetParam();
    CParameterInstru record;
    record.Resource = QString::fromUtf8(row.start);
    CDlgPropertyVISARes dialog(record);
    dialog.show();
    if (row.board != nullptr)
        TypeInto(&dialog, CDlgPropertyVISARes::IDC_BOARD, QString::fromUtf8(row.board));
    if (row.host != nullptr)
        TypeInto(&dialog, CDlgPropertyVISARes::IDC_ADDRESS_IP, QString::fromUtf8(row.host));
    EXPECT_EQ(Edit(&dialog, CDlgPropertyVISARes::IDC_RESOURCE)->text(), QString::fromUtf8(row.expected));
    ASSERT_TRUE(Ok(dialog));
    EXPECT_EQ(record.Resource, QString::fromUtf8(row.expected));
    EXPECT_EQ(record.AddressIP, QString::fromUtf8(row.expected).split(QStringLiteral("::")).value(1));
}

INSTANTIATE_TEST_SUITE_P(Names, VisaCompose,
                         testing::Values(SComposeCase{"Board0Host", "TCPIP0::127.0.0.1::INSTR", "0",
                                                      "192.168.1.20", "TCPIP0::192.168.1.20::INSTR"},
                                         SComposeCase{"Board2", "TCPIP0::127.0.0.1::INSTR", "2", nullptr,
                                                      "TCPIP2::127.0.0.1::INSTR"},
                                         SComposeCase{"SocketKeepsItsPort", "TCPIP0::127.0.0.1::5025::SOCKET",
                                                      nullptr, "10.1.1.2", "TCPIP0::10.1.1.2::5025::SOCKET"},
                                         SComposeCase{"HostTakesNoSeparators", "TCPIP0::127.0.0.1::INSTR",
                                                      nullptr, "10.0.0.1:: x", "TCPIP0::10.0.0.1x::INSTR"},
                                         SComposeCase{"DeviceNameKept", "TCPIP0::127.0.0.1::inst1::INSTR",
                                                      "1", nullptr, "TCPIP1::127.0.0.1::inst1::INSTR"}),
                         RowName());

TEST_F(DialogTest, VisaFindsAUsbInstrumentAndNeverStoresAnEmptyName) {
    drvcoretest::CFakeUsbTree usb;
    usb.AddDevice(0, "05e6", "2280", "4471234");
    CParameterInstru record; // TCPIP0::127.0.0.1::INSTR, no USB address yet
    const CParameterInstru before = record;
    CDlgPropertyVISARes dialog(record);
    dialog.show();
    auto* list = platform::FindControl<QComboBox>(&dialog, CDlgPropertyVISARes::IDC_USB_LIST);
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->itemText(0), QStringLiteral("USB0::0x05E6::0x2280::4471234::INSTR"));
    EXPECT_FALSE(list->isVisible());

    Pick(&dialog, CDlgPropertyVISARes::IDC_INTERFACE, CDlgPropertyVISARes::eUsb);
    EXPECT_TRUE(list->isVisible());
    EXPECT_EQ(platform::FindControl<QGroupBox>(&dialog, CDlgPropertyVISARes::IDC_GROUP)->title(),
              QStringLiteral(" USB "));
    EXPECT_EQ(Edit(&dialog, CDlgPropertyVISARes::IDC_RESOURCE)->text(), QString());
    EXPECT_FALSE(Ok(dialog));
    EXPECT_EQ(m_messages.Texts(), QStringList{QStringLiteral("VISA 资源名称不能为空!")});
    EXPECT_EQ(record.Resource, before.Resource);
    EXPECT_EQ(record.AddressUSB, before.AddressUSB);

    list->setFocus();
    QTest::keyClick(list, Qt::Key_Home);
    EXPECT_EQ(Edit(&dialog, CDlgPropertyVISARes::IDC_RESOURCE)->text(),
              QStringLiteral("USB0::0x05E6::0x2280::4471234::INSTR"));
    ASSERT_TRUE(Ok(dialog));
    EXPECT_EQ(record.Resource, QStringLiteral("USB0::0x05E6::0x2280::4471234::INSTR"));
    EXPECT_EQ(record.AddressUSB, record.Resource);
}

TEST_F(DialogTest, VisaTimeOutAndTermination) {
    struct SRow {
        const char* name;
        const char* storedTimeout;
        const char* shownTimeout;
        QString storedEnd;
        const char* shownEnd;
        int pick; // termination entry picked, -1 none
        QString writtenEnd;
    } rows[] = {
        {"zero", "0", "3000", QString(), "NULL", -1, QString()},
        {"too long", "5000000", "3000", QStringLiteral("\n"), "\\n", -1, QStringLiteral("\n")},
        {"kept", "250", "250", QStringLiteral("\r\n"), "\\r\\n", -1, QStringLiteral("\r\n")},
        {"CR LF picked", "1000", "1000", QString(), "NULL", 3, QStringLiteral("\r\n")},
        {"NULL picked", "1000", "1000", QStringLiteral("\n"), "\\n", 0, QString()},
        {"unlisted kept", "1000", "1000", QStringLiteral(";\n"), ";\\n", -1, QStringLiteral(";\n")},
    };
    for (const SRow& row : rows) {
        SCOPED_TRACE(row.name);
        CParameterInstru record;
        record.Timeout = QString::fromUtf8(row.storedTimeout);
        record.EndOfLine = row.storedEnd;
        CDlgPropertyVISARes dialog(record);
        dialog.show();
        EXPECT_EQ(Edit(&dialog, CDlgPropertyVISARes::IDC_TIMEOUT)->text(),
                  QString::fromUtf8(row.shownTimeout));
        auto* termination = platform::FindControl<QComboBox>(&dialog, CDlgPropertyVISARes::IDC_TERMINATION);
        EXPECT_EQ(termination->currentText(), QString::fromUtf8(row.shownEnd));
        if (row.pick >= 0)
            Pick(&dialog, CDlgPropertyVISARes::IDC_TERMINATION, row.pick);
        ASSERT_TRUE(Ok(dialog));
        EXPECT_EQ(record.Timeout, QString::fromUtf8(row.shownTimeout));
        EXPECT_EQ(record.EndOfLine, row.writtenEnd);
    }
}

TEST_F(DialogTest, VisaRefusesATimeOutOrBoardOutOfRange) {
    const struct {
        int id;
        const char* typed;
        const char* message;
    } rows[] = {
        {CDlgPropertyVISARes::IDC_TIMEOUT, "0", "请输入一个介于 1 和 1000000 之间的整数。"},
        {CDlgPropertyVISARes::IDC_TIMEOUT, "", "请输入一个整数。"},
        {CDlgPropertyVISARes::IDC_BOARD, "32", "请输入一个介于 0 和 31 之间的整数。"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed);
        CMessageRecorder messages;
        CParameterInstru record;
        CDlgPropertyVISARes dialog(record);
        dialog.show();
        TypeInto(&dialog, row.id, QString::fromUtf8(row.typed));
        EXPECT_FALSE(Ok(dialog));
        EXPECT_EQ(messages.Texts(), QStringList{QString::fromUtf8(row.message)});
        EXPECT_EQ(record.Timeout, QStringLiteral("30000"));
    }
}

TEST_F(DialogTest, ProbeDeskGetsTheResourceAsOneArgumentWithoutAShell) {
    CProgramFolder folder;
    const QString script = folder.Path() + QStringLiteral("probedesk");
    {
        QFile file(script);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$(dirname \"$0\")/args.txt\"\n");
    }
    QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    CParameterInstru record;
    record.Resource = QStringLiteral("TCPIP0::127.0.0.1::INSTR;touch pwned");
    record.Timeout = QStringLiteral("1500");
    CDlgPropertyVISARes dialog(record);
    ASSERT_EQ(dialog.StartProbeDesk(), 1);
    QFile args(folder.Path() + QStringLiteral("args.txt"));
    ASSERT_TRUE(PumpUntil([&] { return args.exists() && args.size() > 0; }));
    ASSERT_TRUE(args.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(args.readAll()),
              QStringLiteral("/VISA:TCPIP0::127.0.0.1::INSTR;touch pwned\n/Timeout:1500\n"));
    EXPECT_FALSE(QFile::exists(folder.Path() + QStringLiteral("pwned")));
    EXPECT_FALSE(QFile::exists(QDir::currentPath() + QStringLiteral("/pwned")));

    QFile::remove(script);
    EXPECT_EQ(dialog.StartProbeDesk(), 0);
    EXPECT_TRUE(m_messages.Contains(QStringLiteral("错误：启动软件失败！错误代码：2")));
}

// ---- measurement settings ---------------------------------------------------------------------------

QString Message51527(const QString& seconds) {
    return QStringLiteral("错误：捕获时间超出范围，最长捕获时间为 %1 秒，请重试！").arg(seconds);
}
QString Message51527(int seconds) {
    return Message51527(QString::number(seconds));
}
QString Message51526(const char* minimum) {
    return QStringLiteral("错误：NPLC 超出范围，最小数值为 %1 秒，请重试！").arg(QString::fromUtf8(minimum));
}

struct SDataLogCase {
    const char* name;
    int mode;
    const char* hours;
    const char* minutes;
    const char* seconds;
    const char* nplc;
    const char* shownSamples;
    const char* shownFileSize;
    QString refusal; // empty: accepted
};

class DataLogSettings : public DialogTest, public testing::WithParamInterface<SDataLogCase> {};

TEST_P(DataLogSettings, ShowsTheCountAndAcceptsUpToTheLimit) {
    const SDataLogCase& row = GetParam();
    CParameterMeasDataLogging block;
    const CParameterMeasDataLogging before = block;
    CQXDialogSettingsMeasDataLog dialog(&block, 0.01, 50.0, row.mode);
    dialog.show();
    TypeInto(&dialog, CQXDialogSettingsMeasDataLog::IDC_HOUR, QString::fromUtf8(row.hours));
    TypeInto(&dialog, CQXDialogSettingsMeasDataLog::IDC_MINUTE, QString::fromUtf8(row.minutes));
    TypeInto(&dialog, CQXDialogSettingsMeasDataLog::IDC_SECOND, QString::fromUtf8(row.seconds));
    TypeInto(&dialog, CQXDialogSettingsMeasDataLog::IDC_NPLC, QString::fromUtf8(row.nplc));
    EXPECT_EQ(Edit(&dialog, CQXDialogSettingsMeasDataLog::IDC_SAMPLES)->text(),
              QString::fromUtf8(row.shownSamples));
    EXPECT_EQ(Edit(&dialog, CQXDialogSettingsMeasDataLog::IDC_FILE_SIZE)->text(),
              QString::fromUtf8(row.shownFileSize));
    const bool accepted = Ok(dialog);
    if (row.refusal.isEmpty()) {
        ASSERT_TRUE(accepted) << m_messages.Texts().join(u'\n').toStdString();
        EXPECT_TRUE(m_messages.Texts().isEmpty());
        EXPECT_EQ(block.AcqTimeHour, platform::WToI(QString::fromUtf8(row.hours)));
        EXPECT_EQ(block.AcqTimeMinute, platform::WToI(QString::fromUtf8(row.minutes)));
        EXPECT_EQ(block.AcqTimeSecond, platform::WToI(QString::fromUtf8(row.seconds)));
        EXPECT_EQ(QString::number(block.DataAcqNumber), QString::fromUtf8(row.shownSamples));
        EXPECT_EQ(QString::number(block.FileSize), QString::fromUtf8(row.shownFileSize));
        EXPECT_DOUBLE_EQ(dialog.Nplc(), platform::WToF(QString::fromUtf8(row.nplc)));
    } else {
        EXPECT_FALSE(accepted);
        EXPECT_EQ(m_messages.Texts(), QStringList{row.refusal});
        EXPECT_EQ(block.AcqTimeSecond, before.AcqTimeSecond);
        EXPECT_EQ(block.DataAcqNumber, before.DataAcqNumber);
        EXPECT_DOUBLE_EQ(dialog.Nplc(), 0.01);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Runs, DataLogSettings,
    testing::Values(
        // The file a run writes: 176 header bytes, then 16 bytes a sample.
        SDataLogCase{"OneHourAtOneCycle", 0, "1", "0", "0", "1", "180000", "2880176", {}},
        SDataLogCase{"LargestRunAtTheShortestCycle", 0, "0", "1", "0", "0.0005", "6000000", "96000176", {}},
        SDataLogCase{"OneSecondMore", 0, "0", "1", "1", "0.0005", "6100000", "97600176", Message51527(60)},
        SDataLogCase{"LargestRunAtAHundredthCycle", 2, "0", "20", "0", "0.01", "6000000", "96000176", {}},
        SDataLogCase{"TwentyMinutesAndOneSecond", 2, "0", "20", "1", "0.01", "6005000", "96080176",
                     Message51527(1200)},
        SDataLogCase{"BelowTheMultimeterCycle", 0, "0", "0", "1", "0.0004", "125000", "2000176",
                     Message51526("0.0005")},
        SDataLogCase{"SupplyStreamsLongRuns", 1, "1", "0", "0", "0.002", "90000000", "1440000176", {}},
        SDataLogCase{"SupplyHourAtAHundredthCycle", 1, "1", "0", "0", "0.01", "18000000", "288000176", {}},
        // 268,435,455 samples are the most a data file holds below its 4 GiB data limit.
        SDataLogCase{"SupplyRunTheFileHolds", 1, "2", "29", "7", "0.002", "223675000", "3578800176", {}},
        SDataLogCase{"SupplyRunBeyondTheFile", 1, "3", "0", "0", "0.002", "270000000", "4320000176",
                     Message51527(10737)},
        SDataLogCase{"BelowTheSupplyCycle", 1, "0", "0", "1", "0.0019", "26316", "421232",
                     Message51526("0.002")},
        SDataLogCase{"ASecondPartThatDoesNotParse", 0, "0", "0", "", "1", "---", "---",
                     QStringLiteral("请输入一个整数。")}),
    RowName());

TEST_F(DialogTest, SettingsDialogsNameTheMeasuringInstrument) {
    const struct {
        int mode;
        const char* suffix;
        bool supplyStatic;
    } rows[] = {{0, ": DMM7510", false}, {1, ": 2280S", true}, {2, ": DMM7510", false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.mode);
        CParameterMeasDataLogging block;
        CQXDialogSettingsMeasDataLog logging(&block, 0.01, 50.0, row.mode);
        CQXDialogSettingsMeasCurr current(0.5, 0.01, 50.0, row.mode);
        EXPECT_EQ(logging.windowTitle(), QStringLiteral("数据记录测量设置") + QString::fromUtf8(row.suffix));
        EXPECT_EQ(current.windowTitle(), QStringLiteral("直流电流测量设置") + QString::fromUtf8(row.suffix));
        for (QDialog* dialog : {static_cast<QDialog*>(&logging), static_cast<QDialog*>(&current)}) {
            dialog->show();
            EXPECT_EQ(platform::FindControl(dialog, 1118)->isVisible(), row.supplyStatic);
            EXPECT_EQ(platform::FindControl(dialog, 1119)->isVisible(), !row.supplyStatic);
        }
    }
}

struct SCurrentCase {
    const char* name;
    int mode;
    const char* capture;
    const char* nplc;
    QString refusal;
};

class CurrentSettings : public DialogTest, public testing::WithParamInterface<SCurrentCase> {};

TEST_P(CurrentSettings, TestsTheCycleAndTheSamplesOfTheInstrument) {
    const SCurrentCase& row = GetParam();
    CQXDialogSettingsMeasCurr dialog(0.5, 0.01, 50.0, row.mode);
    dialog.show();
    TypeInto(&dialog, CQXDialogSettingsMeasCurr::IDC_CAPTURE_TIME, QString::fromUtf8(row.capture));
    TypeInto(&dialog, CQXDialogSettingsMeasCurr::IDC_NPLC, QString::fromUtf8(row.nplc));
    const bool accepted = Ok(dialog);
    if (row.refusal.isEmpty()) {
        ASSERT_TRUE(accepted) << m_messages.Texts().join(u'\n').toStdString();
        EXPECT_DOUBLE_EQ(dialog.CaptureTime(), platform::WToF(QString::fromUtf8(row.capture)));
        EXPECT_DOUBLE_EQ(dialog.Nplc(), platform::WToF(QString::fromUtf8(row.nplc)));
    } else {
        EXPECT_FALSE(accepted);
        EXPECT_EQ(m_messages.Texts(), QStringList{row.refusal});
        EXPECT_DOUBLE_EQ(dialog.CaptureTime(), 0.5);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Captures, CurrentSettings,
    testing::Values(SCurrentCase{"SupplyMinimumCycle", 1, "0.05", "0.002", {}},
                    SCurrentCase{"SupplyBelowMinimumCycle", 1, "1", "0.0019", Message51526("0.002")},
                    SCurrentCase{"SupplyFullBuffer", 1, "5", "0.1", {}},
                    SCurrentCase{"SupplyBeyondItsBuffer", 1, "5.1", "0.1", Message51527(5)},
                    // 2,500 samples of 0.2 ms last half a second: the limit is named as such, not as 0 s.
                    SCurrentCase{"SupplyLimitBelowASecond", 1, "1", "0.01",
                                 Message51527(QStringLiteral("0.5"))},
                    SCurrentCase{"SupplyHalfASecond", 1, "0.5", "0.01", {}},
                    SCurrentCase{"MeterSixtySeconds", 0, "60", "0.0005", {}},
                    SCurrentCase{"MeterSixtyOneSeconds", 0, "61", "0.0005", Message51527(60)},
                    SCurrentCase{"MeterBelowMinimumCycle", 2, "1", "0.0001", Message51526("0.0005")},
                    SCurrentCase{"NotANumber", 0, "abc", "0.01", QStringLiteral("请输入一个数字。")}),
    RowName());

// ---- protection -------------------------------------------------------------------------------------

struct SProtectionCase {
    const char* name;
    const char* voltage;
    const char* current;
    QString refusal;
};

class ProtectionSettings : public DialogTest, public testing::WithParamInterface<SProtectionCase> {};

// The template's check box 1108 and button 3 are there, never shown.
TEST_F(DialogTest, ProtectionDialogKeepsItsHiddenTemplateItems) {
    CParameterInstruDCSource record;
    CQXDialogSettingsCurrProtect dialog(record);
    dialog.show();
    auto* enable = platform::FindControl<QAbstractButton>(
        &dialog, CQXDialogSettingsCurrProtect::IDC_ENABLE_CURRENT_PROTECTION);
    auto* reset = platform::FindControl<QAbstractButton>(
        &dialog, CQXDialogSettingsCurrProtect::IDC_RESET_OUTPUT_PROTECTION);
    ASSERT_NE(enable, nullptr);
    ASSERT_NE(reset, nullptr);
    EXPECT_EQ(enable->text(), QStringLiteral("启用电流保护"));
    EXPECT_EQ(reset->text(), QStringLiteral("复位输出保护"));
    EXPECT_FALSE(enable->isVisible());
    EXPECT_FALSE(reset->isVisible());
}

// Any number is taken, as typed: the supply itself says which levels it refuses (FrameDialogsTest).
TEST_P(ProtectionSettings, TakesAnyNumberAsTyped) {
    const SProtectionCase& row = GetParam();
    CParameterInstruDCSource record;
    record.InstrumentIDN = QStringLiteral("KEITHLEY INSTRUMENTS,MODEL 2280S-32-6,4411283,02.02.13b");
    CQXDialogSettingsCurrProtect dialog(record);
    dialog.show();
    EXPECT_EQ(Edit(&dialog, CQXDialogSettingsCurrProtect::IDC_VOLTAGE_PROTECTION)->text(),
              QStringLiteral("5"));
    EXPECT_EQ(Edit(&dialog, CQXDialogSettingsCurrProtect::IDC_CURRENT_PROTECTION)->text(),
              QStringLiteral("0.5"));
    EXPECT_FALSE(Edit(&dialog, CQXDialogSettingsCurrProtect::IDC_VOLTAGE_LIMIT)->isVisible());
    TypeInto(&dialog, CQXDialogSettingsCurrProtect::IDC_VOLTAGE_PROTECTION, QString::fromUtf8(row.voltage));
    TypeInto(&dialog, CQXDialogSettingsCurrProtect::IDC_CURRENT_PROTECTION, QString::fromUtf8(row.current));
    const bool accepted = Ok(dialog);
    if (row.refusal.isEmpty()) {
        ASSERT_TRUE(accepted) << m_messages.Texts().join(u'\n').toStdString();
        EXPECT_TRUE(m_messages.Texts().isEmpty());
        EXPECT_EQ(record.VoltageProtection, QString::fromUtf8(row.voltage));
        EXPECT_EQ(record.CurrentProtection, QString::fromUtf8(row.current));
        EXPECT_EQ(record.VoltageLimit, QStringLiteral("5"));
        EXPECT_EQ(record.CurrentLimit, QStringLiteral("0.5"));
    } else {
        EXPECT_FALSE(accepted);
        EXPECT_EQ(m_messages.Texts(), QStringList{row.refusal});
        EXPECT_EQ(record.VoltageProtection, QStringLiteral("5"));
        EXPECT_EQ(record.CurrentProtection, QStringLiteral("0.5"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Levels, ProtectionSettings,
    testing::Values(SProtectionCase{"WithinTheRating", "12.5", "1.25", {}},
                    SProtectionCase{"AboveTheSupplysRating", "60", "6.1", {}},
                    SProtectionCase{"Zero", "0", "0", {}}, SProtectionCase{"Negative", "-5", "-1", {}},
                    SProtectionCase{"MoreDigitsThanSix", "12.0000001", "0.0000005", {}},
                    SProtectionCase{"NotANumber", "5V", "1", QStringLiteral("请输入一个数字。")}),
    RowName());

// ---- instrument selection ---------------------------------------------------------------------------

TEST_F(DialogTest, InstrumentDialogShowsTheSetUpOfTheModeAndEnablesItsInstruments) {
    using D = CQXDialogSettingsInstru;
    const struct {
        int mode;
        int radio;
        int picture;
        bool supply;
        bool meter;
    } rows[] = {{2, D::IDC_MODE_METER, 2006, false, true},
                {1, D::IDC_MODE_SUPPLY, 2005, true, false},
                {0, D::IDC_MODE_BOTH, 2003, true, true}};
    CQXDialogSettingsInstru dialog(0);
    dialog.show();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.mode);
        Click(&dialog, row.radio);
        EXPECT_EQ(dialog.PictureId(), row.picture);
        for (int id : {D::IDC_SUPPLY_MODEL, D::IDC_SUPPLY_SETTINGS, D::IDC_PROTECTION})
            EXPECT_EQ(platform::FindControl(&dialog, id)->isEnabled(), row.supply) << id;
        for (int id : {D::IDC_METER_MODEL, D::IDC_METER_SETTINGS})
            EXPECT_EQ(platform::FindControl(&dialog, id)->isEnabled(), row.meter) << id;
    }
    Click(&dialog, D::IDC_MODE_METER);
    ASSERT_TRUE(Ok(dialog));
    EXPECT_EQ(dialog.MeasureMode(), 2);
    EXPECT_EQ(platform::FindControl<QComboBox>(&dialog, D::IDC_SUPPLY_MODEL)->currentText(),
              QStringLiteral("Keithley 2280S"));
}

} // namespace
