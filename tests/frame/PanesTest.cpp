// The instrument panes against the simulated bench: what a user types, clicks and sees, and what
// reaches the instruments.
#include "BenchAdapter.h"
#include "DialogInput.h"
#include "FrameFixture.h"
#include "lumora/LumoraStrings.h"

#include "lumora/controls/DigEdit.h"
#include "lumora/controls/DisplayDigital.h"
#include "lumora/core/MainFrame.h"
#include "lumora/core/MainPreferences.h"
#include "lumora/core/QXAppDialogMeasCurrent.h"
#include "lumora/shell/DockingPaneViewDCSource.h"
#include "lumora/shell/DockingPaneViewDVM.h"
#include "lumora/shell/PaneCommon.h"
#include "lumora/shell/QXDialogPaneDCSource.h"
#include "lumora/shell/QXDialogPaneDVM.h"
#include "platform/ControlId.h"
#include "platform/Numbers.h"
#include "platform/StringTable.h"
#include "supplydrv/EntityInstruDCPS.h"
#include "waveform/stripplot/WaveformTimeVsAmpMainWnd.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QFontInfo>
#include <QImage>
#include <QLineEdit>
#include <QProcess>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <tuple>

namespace {

using namespace frametest;

const QString kMeterSettings = QStringLiteral("<FunctionType Value=\"2\" /><CaptCurr Value=\"0.050000\" />"
                                              "<NplcCurr Value=\"0.001000\" /><NplcDLog Value=\"0.010000\" />"
                                              "<CurrentRange Value=\"4\" /><TriggerMode Value=\"0\" />");
const QString kSupplySettings =
    QStringLiteral("<FunctionType Value=\"2\" /><OutputState Value=\"1\" /><VoltageLevel Value=\"3.3\" />"
                   "<VoltageLimit Value=\"5\" /><VoltageProtection Value=\"5\" />"
                   "<CurrentLimit Value=\"0.5\" /><CurrentProtection Value=\"0.5\" />"
                   "<TriggerTimeout Value=\"0.1\" /><DcsNplcCurr Value=\"0.1\" />"
                   "<DcsNplcDLOG Value=\"0.010000\" /><BufferCapacity Value=\"2\" />");

// Lines of the log that begin with the header and a blank: the settings of that command.
std::vector<std::string> Settings(const std::vector<std::string>& lines, const std::string& header) {
    std::vector<std::string> found;
    for (const std::string& line : lines) {
        if (line.rfind(header + " ", 0) == 0)
            found.push_back(line);
    }
    return found;
}

// Lets posted commits run and the event loop go idle, which brings the command states up to date.
// Its length waits for nothing: however slow the machine, the loop runs what was posted before its
// timer and goes idle after that; the commits run on this thread, and the bench logs a command
// before it answers its write.
void Settle(int ms = 100) {
    QEventLoop idle;
    QTimer::singleShot(ms, &idle, &QEventLoop::quit);
    idle.exec();
}

class PanesOnTheBench : public testing::Test {
protected:
    void Prepare(int measureMode, bool libraries = true) {
        m_folder = std::make_unique<CProgramFolder>(libraries, libraries);
        m_folder->WriteConfiguration(measureMode, false);
        m_folder->WriteSupplyFile({m_bench.SupplyResource(), kSupplySettings});
        m_folder->WriteMultimeterFile({m_bench.MeterResource(), kMeterSettings});
        m_lumora = std::make_unique<SLumora>();
        ASSERT_EQ(m_lumora->created, 0);
        ASSERT_EQ(Frame().SupplyPane()->OnlineState(), libraries ? 1 : 0);
        Settle();
        m_bench.ClearCommandLogs();
    }
    void TearDown() override {
        m_lumora.reset();
        m_folder.reset();
    }
    CMainFrame& Frame() { return *m_lumora->frame; }
    CQXDialogPaneDCSource& Supply() { return *Frame().SupplyPane()->Form(); }
    CQXDialogPaneDVM& Meter() { return *Frame().MultimeterPane()->Form(); }

    // Both instruments, the multimeter refreshed and on a rising edge, so that its level controls work.
    void PrepareWithTriggerLevel() {
        Prepare(0);
        Frame().MultimeterPane()->OnCommand(ID_REFRESH);
        auto* mode = platform::FindControl<QComboBox>(&Meter(), CQXDialogPaneDVM::IDC_TRIGGER_MODE);
        ASSERT_NE(mode, nullptr);
        mode->setCurrentIndex(1);
        emit mode->activated(1);
        ASSERT_TRUE(Meter().LevelEdit()->isEnabled());
        ASSERT_TRUE(Meter().LevelSlider()->isEnabled());
    }

    // Types into the voltage edit over what it shows.
    void TypeVoltage(const QString& keys) {
        controls::CDigEdit* edit = Supply().VoltageEdit();
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, keys);
    }

    CBench m_bench;
    CMessageRecorder m_messages;
    std::unique_ptr<CProgramFolder> m_folder;
    std::unique_ptr<SLumora> m_lumora;
};

TEST_F(PanesOnTheBench, AVoltageTypedAndEnteredSendsOneLevelCommand) {
    Prepare(0);
    ASSERT_TRUE(Supply().IsInitialised());
    TypeVoltage(QStringLiteral("4.25"));
    Settle();
    EXPECT_TRUE(Settings(m_bench.SupplyCommands(), ":VOLT").empty()) << "sent while typing";

    QTest::keyClick(Supply().VoltageEdit(), Qt::Key_Return);
    ASSERT_TRUE(PumpUntil([&] { return !Settings(m_bench.SupplyCommands(), ":VOLT").empty(); }));
    Settle();
    const auto levels = Settings(m_bench.SupplyCommands(), ":VOLT");
    ASSERT_EQ(levels.size(), 1u);
    EXPECT_EQ(levels.front(), ":VOLT 4.25");
    EXPECT_TRUE(m_bench.SupplyReceived(":VOLT?"));
    // The form and the record show what the supply reports.
    const QString record = Frame().SupplyRecord().VoltageLevel;
    EXPECT_DOUBLE_EQ(platform::WToF(record), 4.25);
    EXPECT_EQ(Supply().Readout()->m_strVoltage, record);
    EXPECT_DOUBLE_EQ(Supply().VoltageEdit()->GetValue(), 4.25);

    // The same value again sends nothing.
    TypeVoltage(QStringLiteral("4.25"));
    QTest::keyClick(Supply().VoltageEdit(), Qt::Key_Return);
    Settle();
    EXPECT_EQ(Settings(m_bench.SupplyCommands(), ":VOLT").size(), 1u);

    // A current above the protection is taken as the protection.
    controls::CDigEdit* current = Supply().CurrentEdit();
    for (const char* typed : {"0.25", "2"}) {
        current->setFocus();
        current->selectAll();
        QTest::keyClicks(current, QString::fromLatin1(typed));
        QTest::keyClick(current, Qt::Key_Return);
        Settle();
    }
    const auto limits = Settings(m_bench.SupplyCommands(), ":CURR");
    EXPECT_EQ(limits, (std::vector<std::string>{":CURR 0.25", ":CURR 0.5"}));
    EXPECT_TRUE(m_messages.Texts().isEmpty()) << m_messages.Texts().join(u'\n').toStdString();
}

// What is typed is what is sent and stored, to the last digit, whatever decimals the record's text
// had when the edit took it (a text without a point gave the edit none to show).
TEST_F(PanesOnTheBench, TheNumberTypedIsSentWhateverTheDecimalsTheRecordHad) {
    Prepare(0);
    const struct {
        const char* name;
        bool voltage;
        const char* recordText;
        const char* typed;
        const char* sent;
    } rows[] = {
        {"voltage over a whole number", true, "5", "3.3", ":VOLT 3.3"},
        {"voltage over an empty text", true, "", "3.3", ":VOLT 3.3"},
        {"voltage that rounds up", true, "5", "4.6", ":VOLT 4.6"},
        {"current over a whole number", false, "0", "0.25", ":CURR 0.25"},
        {"current over an empty text", false, "", "0.25", ":CURR 0.25"},
    };
    for (const auto& row : rows) {
        CParameterInstruDCSource& record = Frame().SupplyRecord();
        (row.voltage ? record.VoltageLevel : record.CurrentLimit) = QString::fromLatin1(row.recordText);
        // As after the protection dialog: the edits take the record as it stands.
        Supply().UpdateFromParameter();
        m_bench.ClearCommandLogs();
        controls::CDigEdit* edit = row.voltage ? Supply().VoltageEdit() : Supply().CurrentEdit();
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, QString::fromLatin1(row.typed));
        QTest::keyClick(edit, Qt::Key_Return);
        const std::string header = row.voltage ? ":VOLT" : ":CURR";
        PumpUntil([&] { return !Settings(m_bench.SupplyCommands(), header).empty(); }, 5000);
        Settle();
        EXPECT_EQ(Settings(m_bench.SupplyCommands(), header), std::vector<std::string>{row.sent}) << row.name;
        const double typed = platform::WToF(QString::fromLatin1(row.typed));
        EXPECT_DOUBLE_EQ(platform::WToF(row.voltage ? record.VoltageLevel : record.CurrentLimit), typed)
            << row.name;
        EXPECT_DOUBLE_EQ(platform::WToF(edit->text()), typed) << row.name;
        EXPECT_DOUBLE_EQ(edit->GetValue(), typed) << row.name;
    }
    EXPECT_TRUE(m_messages.Texts().isEmpty()) << m_messages.Texts().join(u'\n').toStdString();
}

// Without drivers the choice is the record's all the same (and so the file's): the panes say that
// the instrument object is missing, keep what the user chose and send nothing.
TEST_F(PanesOnTheBench, WithoutADriverTheChoiceIsKeptAndSaid) {
    ASSERT_NO_FATAL_FAILURE(Prepare(0, false));
    ASSERT_EQ(Frame().SupplyDriver(), nullptr);
    ASSERT_EQ(Frame().MultimeterDriver(), nullptr);
    m_messages.Clear();
    const QString noSupply = platform::LoadString(IDS_NO_SUPPLY);
    const QString noMeter = platform::LoadString(IDS_NO_METER);

    auto* supplyRange = platform::FindControl<QComboBox>(&Supply(), CQXDialogPaneDCSource::IDC_CURRENT_RANGE);
    supplyRange->setCurrentIndex(2);
    emit supplyRange->activated(2);
    EXPECT_EQ(Frame().SupplyRecord().CurrentRange, 2);
    EXPECT_EQ(supplyRange->currentIndex(), 2);

    const int output = Frame().SupplyRecord().OutputState;
    QTest::mouseClick(
        platform::FindControl<QAbstractButton>(&Supply(), CQXDialogPaneDCSource::IDC_OUTPUT_SWITCH),
        Qt::LeftButton);
    EXPECT_EQ(Frame().SupplyRecord().OutputState, output != 0 ? 0 : 1);
    EXPECT_EQ(Supply().Readout()->m_bOutputOn, output == 0);

    auto* meterRange = platform::FindControl<QComboBox>(&Meter(), CQXDialogPaneDVM::IDC_CURRENT_RANGE);
    meterRange->setCurrentIndex(5);
    emit meterRange->activated(5);
    EXPECT_EQ(Frame().MultimeterRecord().CurrentRange, 5);
    EXPECT_EQ(meterRange->currentIndex(), 5);

    auto* mode = platform::FindControl<QComboBox>(&Meter(), CQXDialogPaneDVM::IDC_TRIGGER_MODE);
    mode->setCurrentIndex(2);
    emit mode->activated(2);
    EXPECT_EQ(Frame().MultimeterRecord().TriggerMode, 2);
    EXPECT_EQ(mode->currentIndex(), 2);
    EXPECT_TRUE(Meter().LevelEdit()->isEnabled());

    EXPECT_EQ(m_messages.Texts(), (QStringList{noSupply, noSupply, noMeter, noMeter}));
    EXPECT_TRUE(m_bench.SupplyCommands().empty());
    EXPECT_TRUE(m_bench.MeterCommands().empty());
    // The output state is one of the settings the instrument file keeps.
    m_lumora.reset();
    QFile file(m_folder->Path() + QStringLiteral("Instruments/DC Power Supply/DC Power Supply.xml"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains(
        QStringLiteral("<OutputState Value=\"%1\"").arg(output != 0 ? 0 : 1).toLatin1()));
}

// From start-up on the multimeter pane shows what the record and the instrument hold: the measuring
// pages put the multimeter on its 100 mA range.
TEST_F(PanesOnTheBench, AtStartUpTheMultimeterPaneShowsWhatTheRecordHolds) {
    Prepare(0);
    auto* range = platform::FindControl<QComboBox>(&Meter(), CQXDialogPaneDVM::IDC_CURRENT_RANGE);
    auto* model = platform::FindControl<QLineEdit>(&Meter(), CQXDialogPaneDVM::IDC_MODEL);
    EXPECT_EQ(Frame().MultimeterRecord().CurrentRange, 4);
    EXPECT_EQ(range->currentIndex(), 4);
    EXPECT_EQ(range->currentText(), QStringLiteral("100 mA"));
    EXPECT_EQ(Meter().LevelSlider()->maximum(), 100000);
    EXPECT_FALSE(Frame().MultimeterRecord().InstrumentIDN.isEmpty());
    EXPECT_EQ(model->text(), Frame().MultimeterRecord().InstrumentIDN.trimmed());
    EXPECT_TRUE(model->text().contains(QStringLiteral("DMM7510"))) << model->text().toStdString();
}

// A reset ends with the supply's output off (*RST): the pane shows what the supply holds.
TEST_F(PanesOnTheBench, AfterAResetThePaneShowsTheSupplysOutputOff) {
    Prepare(0);
    auto* button =
        platform::FindControl<QAbstractButton>(&Supply(), CQXDialogPaneDCSource::IDC_OUTPUT_SWITCH);
    if (Frame().SupplyRecord().OutputState == 0)
        QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_EQ(Frame().SupplyRecord().OutputState, 1);
    ASSERT_TRUE(Supply().Readout()->m_bOutputOn);
    m_bench.ClearCommandLogs();
    ASSERT_TRUE(Frame().OnCommand(CMainFrame::ID_MEASURE_RESET));
    EXPECT_TRUE(m_bench.SupplyReceived("*RST"));
    EXPECT_EQ(Frame().SupplyRecord().OutputState, 0);
    EXPECT_FALSE(Supply().Readout()->m_bOutputOn);
    EXPECT_TRUE(m_messages.Texts().isEmpty()) << m_messages.Texts().join(u'\n').toStdString();
}

TEST_F(PanesOnTheBench, EscapeAndLeavingSendNothing) {
    Prepare(0);
    const QString before = Frame().SupplyRecord().VoltageLevel;
    TypeVoltage(QStringLiteral("12"));
    QTest::keyClick(Supply().VoltageEdit(), Qt::Key_Escape);
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(Supply().VoltageEdit(), &out);
    Settle(300);
    EXPECT_TRUE(Settings(m_bench.SupplyCommands(), ":VOLT").empty());
    EXPECT_EQ(Frame().SupplyRecord().VoltageLevel, before);
    EXPECT_DOUBLE_EQ(Supply().VoltageEdit()->GetValue(), platform::WToF(before));
}

TEST_F(PanesOnTheBench, AValueTheDriverCannotSetLeavesPaneAndRecordAtTheOldValue) {
    Prepare(0);
    const QString before = Frame().SupplyRecord().VoltageLevel;
    m_bench.DropSupplyLink();
    TypeVoltage(QStringLiteral("4.5"));
    QTest::keyClick(Supply().VoltageEdit(), Qt::Key_Return);
    Settle(500);
    m_bench.RestoreSupplyLink();
    EXPECT_EQ(Frame().SupplyRecord().VoltageLevel, before);
    EXPECT_DOUBLE_EQ(Supply().VoltageEdit()->GetValue(), platform::WToF(before));
    EXPECT_EQ(Supply().Readout()->m_strVoltage, before);
}

TEST_F(PanesOnTheBench, AValueTheSupplyRefusesShowsWhatTheSupplyHolds) {
    Prepare(0);
    // The protection allows more than the supply's 32 V: the supply itself refuses 32.5 V.
    ASSERT_EQ(Frame().SupplyDriver()->SetVoltageProtection(QStringLiteral("33")), 1);
    Frame().SupplyPane()->UpdateFromParameter();
    ASSERT_DOUBLE_EQ(Supply().VoltageEdit()->m_dMax, 33.0);
    const double before = platform::WToF(Frame().SupplyRecord().VoltageLevel);
    m_bench.ClearCommandLogs();
    TypeVoltage(QStringLiteral("32.5"));
    QTest::keyClick(Supply().VoltageEdit(), Qt::Key_Return);
    Settle();
    EXPECT_EQ(Settings(m_bench.SupplyCommands(), ":VOLT"), std::vector<std::string>{":VOLT 32.5"});
    EXPECT_DOUBLE_EQ(platform::WToF(Frame().SupplyRecord().VoltageLevel), before);
    EXPECT_DOUBLE_EQ(Supply().VoltageEdit()->GetValue(), before);
}

TEST_F(PanesOnTheBench, TheOutputSwitchTurnsTheOutputOffAndOn) {
    Prepare(0);
    auto* button =
        platform::FindControl<QAbstractButton>(&Supply(), CQXDialogPaneDCSource::IDC_OUTPUT_SWITCH);
    ASSERT_NE(button, nullptr);
    // The record holds what the supply reported at start-up; the switch turns it over twice.
    const int before = Frame().SupplyRecord().OutputState;
    const std::pair<const char*, int> off{":OUTP OFF", 0};
    const std::pair<const char*, int> on{":OUTP ON", 1};
    for (const auto& [command, state] : before != 0 ? std::vector{off, on} : std::vector{on, off}) {
        m_bench.ClearCommandLogs();
        QTest::mouseClick(button, Qt::LeftButton);
        Settle();
        EXPECT_TRUE(m_bench.SupplyReceived(command)) << command;
        EXPECT_EQ(Frame().SupplyRecord().OutputState, state) << command;
        EXPECT_EQ(Supply().Readout()->m_bOutputOn, state == 1) << command;
    }
}

TEST_F(PanesOnTheBench, TheReadoutFollowsTheSupplyDuringARun) {
    Prepare(1);
    CDialogRecorder notices;
    ASSERT_TRUE(Frame().OnCommand(CMainFrame::ID_MEASURE_START));
    ASSERT_TRUE(PumpUntil([&] { return !Frame().MeasureThreadExists(); }));
    ASSERT_EQ(notices.Texts().size(), 1);
    const auto& y = m_lumora->page->Waveform()->GetDataMultiLineY(0);
    ASSERT_FALSE(y.empty());
    // All samples lie within the trigger time-out here, so the last one shown is the last read.
    EXPECT_NEAR(platform::WToF(Supply().Readout()->m_strCurrent), y.back(), 1e-7);
    EXPECT_TRUE(Supply().Readout()->m_bOutputOn);
    EXPECT_EQ(Supply().Readout()->m_strVoltage, Frame().SupplyRecord().VoltageLevel);
}

TEST_F(PanesOnTheBench, DuringARunTheFormsAreLockedAndSendNothing) {
    Prepare(1);
    // 2,500 samples of 0.2 s: the run lasts until it is stopped.
    Frame().SupplyRecord().DcsNplcCurr = 10.0;
    Frame().SupplyRecord().TriggerTimeout = 600.0;
    ASSERT_TRUE(Frame().OnCommand(CMainFrame::ID_MEASURE_START));
    ASSERT_TRUE(PumpUntil([&] { return Frame().IsRunning(); }));
    ASSERT_TRUE(PumpUntil([&] { return !Supply().VoltageEdit()->isEnabled(); }));
    EXPECT_FALSE(
        platform::FindControl<QComboBox>(&Meter(), CQXDialogPaneDVM::IDC_CURRENT_RANGE)->isEnabled());
    const QString before = Frame().SupplyRecord().VoltageLevel;
    TypeVoltage(QStringLiteral("4.5"));
    QTest::keyClick(Supply().VoltageEdit(), Qt::Key_Return);
    Settle();
    EXPECT_TRUE(Settings(m_bench.SupplyCommands(), ":VOLT").empty());
    EXPECT_EQ(Frame().SupplyRecord().VoltageLevel, before);

    ASSERT_TRUE(Frame().OnCommand(CMainFrame::ID_MEASURE_STOP));
    ASSERT_TRUE(PumpUntil([&] { return !Frame().MeasureThreadExists(); }));
    Settle(200);
    EXPECT_TRUE(Supply().VoltageEdit()->isEnabled());
}

TEST_F(PanesOnTheBench, MultimeterRangeTriggerModeAndLevel) {
    Prepare(0);
    Frame().MultimeterPane()->OnCommand(ID_REFRESH);
    auto* range = platform::FindControl<QComboBox>(&Meter(), CQXDialogPaneDVM::IDC_CURRENT_RANGE);
    auto* mode = platform::FindControl<QComboBox>(&Meter(), CQXDialogPaneDVM::IDC_TRIGGER_MODE);
    ASSERT_NE(range, nullptr);
    ASSERT_NE(mode, nullptr);
    EXPECT_EQ(range->currentIndex(), Frame().MultimeterRecord().CurrentRange);
    EXPECT_FALSE(Meter().LevelSlider()->isEnabled());

    m_bench.ClearCommandLogs();
    range->setCurrentIndex(0);
    emit range->activated(0);
    EXPECT_EQ(Frame().MultimeterRecord().CurrentRange, 0);
    EXPECT_EQ(Meter().LevelSlider()->maximum(), 10);

    mode->setCurrentIndex(1);
    emit mode->activated(1);
    EXPECT_EQ(Frame().MultimeterRecord().TriggerMode, 1);
    EXPECT_TRUE(Meter().LevelSlider()->isEnabled());
    EXPECT_TRUE(Meter().LevelEdit()->isEnabled());

    m_bench.ClearCommandLogs();
    QLineEdit* level = Meter().LevelEdit();
    level->setFocus();
    level->selectAll();
    QTest::keyClicks(level, QStringLiteral("0.000004"));
    // Typing moves the thumb and sends nothing.
    EXPECT_EQ(Meter().LevelSlider()->value(), 4);
    EXPECT_TRUE(Settings(m_bench.MeterCommands(), ":SENS:CURR:ATR:EDGE:LEV").empty());
    QTest::keyClick(level, Qt::Key_Return);
    Settle();
    EXPECT_EQ(Settings(m_bench.MeterCommands(), ":SENS:CURR:ATR:EDGE:LEV").size(), 1u);
    EXPECT_NEAR(platform::WToF(Frame().MultimeterRecord().TriggerLevel), 4e-6, 1e-12);

    // A level beyond the range puts the thumb at its end.
    level->selectAll();
    QTest::keyClicks(level, QStringLiteral("5"));
    EXPECT_EQ(Meter().LevelSlider()->value(), 10);
    EXPECT_TRUE(m_messages.Texts().isEmpty()) << m_messages.Texts().join(u'\n').toStdString();
}

// A trigger level edit left with a text that is no number sends nothing (reading it as 0 A would set
// a level nobody typed) and shows the level the meter holds.
TEST_F(PanesOnTheBench, ATriggerLevelThatIsNoNumberIsNotSent) {
    ASSERT_NO_FATAL_FAILURE(PrepareWithTriggerLevel());
    QLineEdit* level = Meter().LevelEdit();
    level->setFocus();
    level->selectAll();
    QTest::keyClicks(level, QStringLiteral("0.000002"));
    QTest::keyClick(level, Qt::Key_Return);
    Settle();
    const QString before = Frame().MultimeterRecord().TriggerLevel;
    ASSERT_NEAR(platform::WToF(before), 2e-6, 1e-12);

    for (const char* typed : {"abc", "", "-", "1e400"}) {
        m_bench.ClearCommandLogs();
        level->setFocus();
        level->selectAll();
        QTest::keyClicks(level, QString::fromLatin1(typed));
        QTest::keyClick(level, Qt::Key_Return);
        Settle();
        EXPECT_TRUE(Settings(m_bench.MeterCommands(), ":SENS:CURR:ATR:EDGE:LEV").empty()) << typed;
        EXPECT_EQ(Frame().MultimeterRecord().TriggerLevel, before) << typed;
        EXPECT_EQ(level->text(), before.trimmed()) << typed;
    }
    EXPECT_TRUE(m_messages.Texts().isEmpty()) << m_messages.Texts().join(u'\n').toStdString();
}

// A text typed into the supply's voltage edit and the meter's trigger level edit, then Enter: the
// command each instrument received ("" for none). The voltage edit is a digit edit, which drops all
// but digits, a point and a sign: an entry that lost a key is not the number typed and is refused;
// the level edit holds what is typed and takes it when it is a number.
TEST_F(PanesOnTheBench, ANumberTypedIsSentAsTypedAndAnythingElseIsNotSent) {
    ASSERT_NO_FATAL_FAILURE(PrepareWithTriggerLevel());
    const struct {
        const char* name;
        const char16_t* typed;
        const char* voltage;
        const char* level;
    } rows[] = {
        {"a decimal comma", u"0,005", "", ""},
        {"a decimal point", u"0.005", ":VOLT 0.005", ":SENS:CURR:ATR:EDGE:LEV 0.005"},
        {"digit grouping", u"3,300", "", ""},
        {"grouping of thousands", u"30,000", "", ""},
        {"an exponent", u"1e-3", "", ":SENS:CURR:ATR:EDGE:LEV 0.001"},
        {"an exponent and a unit", u"1e-3A", "", ""},
        {"blanks around", u" 5 ", ":VOLT 5", ":SENS:CURR:ATR:EDGE:LEV 5"},
        {"a unit", u"5V", "", ""},
        {"nothing", u"", "", ""},
        {"not a number", u"nan", "", ""},
        {"infinity", u"inf", "", ""},
        {"beyond a double", u"1e400", "", ""},
        {"negative zero", u"-0", ":VOLT -0", ":SENS:CURR:ATR:EDGE:LEV -0"},
        {"an Arabic-Indic digit", u"\u0663", "", ""},
    };
    controls::CDigEdit* voltage = Supply().VoltageEdit();
    QLineEdit* level = Meter().LevelEdit();
    for (const auto& row : rows) {
        // From the same start each time: 1 V and 2 uA, sent and read back.
        for (auto [edit, start] : {std::pair<QLineEdit*, const char*>{voltage, "1"}, {level, "0.000002"}}) {
            edit->setFocus();
            edit->selectAll();
            QTest::keyClicks(edit, QString::fromLatin1(start));
            QTest::keyClick(edit, Qt::Key_Return);
        }
        Settle();
        ASSERT_DOUBLE_EQ(voltage->GetValue(), 1.0);
        m_bench.ClearCommandLogs();
        const QString voltageBefore = voltage->text();
        const QString levelBefore = level->text();
        const QString recordLevelBefore = Frame().MultimeterRecord().TriggerLevel;

        for (QLineEdit* edit : {static_cast<QLineEdit*>(voltage), level}) {
            edit->setFocus();
            edit->selectAll();
            QTest::keyClick(edit, Qt::Key_Backspace);
            TypeKeys(edit, QString::fromUtf16(row.typed));
            QTest::keyClick(edit, Qt::Key_Return);
        }
        if (*row.voltage != '\0')
            PumpUntil([&] { return !Settings(m_bench.SupplyCommands(), ":VOLT").empty(); }, 5000);
        if (*row.level != '\0')
            PumpUntil([&] { return !Settings(m_bench.MeterCommands(), ":SENS:CURR:ATR:EDGE:LEV").empty(); },
                      5000);
        Settle();
        const auto expect = [](const char* command) {
            return *command == '\0' ? std::vector<std::string>{} : std::vector<std::string>{command};
        };
        EXPECT_EQ(Settings(m_bench.SupplyCommands(), ":VOLT"), expect(row.voltage)) << row.name;
        EXPECT_EQ(Settings(m_bench.MeterCommands(), ":SENS:CURR:ATR:EDGE:LEV"), expect(row.level))
            << row.name;
        if (*row.voltage == '\0') {
            EXPECT_EQ(voltage->text(), voltageBefore) << row.name;
        }
        if (*row.level == '\0') {
            EXPECT_EQ(level->text(), levelBefore) << row.name;
            EXPECT_EQ(Frame().MultimeterRecord().TriggerLevel, recordLevelBefore) << row.name;
        }
    }
    EXPECT_TRUE(m_messages.Texts().isEmpty()) << m_messages.Texts().join(u'\n').toStdString();
}

// While the level typed is no number the thumb shows the level the meter keeps, as Enter will leave
// it: "1e-3A" does not move it to 1 mA on the way.
TEST_F(PanesOnTheBench, TheLevelThumbFollowsOnlyANumberTyped) {
    ASSERT_NO_FATAL_FAILURE(PrepareWithTriggerLevel());
    QLineEdit* level = Meter().LevelEdit();
    level->setFocus();
    level->selectAll();
    QTest::keyClicks(level, QStringLiteral("0.000002"));
    QTest::keyClick(level, Qt::Key_Return);
    Settle();
    QSlider* thumb = Meter().LevelSlider();
    ASSERT_EQ(thumb->value(), 2);
    m_bench.ClearCommandLogs();
    const struct {
        const char* typed;
        int position;
    } steps[] = {{"0.00001", 10}, {"0.00001A", 2}, {"1e-3", 1000}, {"1e-3A", 2}, {"0,5", 2}};
    for (const auto& step : steps) {
        level->selectAll();
        QTest::keyClicks(level, QString::fromLatin1(step.typed));
        EXPECT_EQ(thumb->value(), step.position) << step.typed;
    }
    QTest::keyClick(level, Qt::Key_Return);
    Settle();
    EXPECT_TRUE(Settings(m_bench.MeterCommands(), ":SENS:CURR:ATR:EDGE:LEV").empty());
    EXPECT_EQ(thumb->value(), 2);
}

// Scrolling a pane with the wheel over its combo boxes, trackbar or digit edits changes nothing and
// sends nothing while the user is not in that control; the control the user is in takes the wheel.
TEST_F(PanesOnTheBench, TheWheelOverAControlTheUserIsNotInChangesNothing) {
    ASSERT_NO_FATAL_FAILURE(PrepareWithTriggerLevel());
    Settle();

    const auto wheel = [](QWidget* control, int delta) {
        QWheelEvent event(QPointF(5, 5), control->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(control, &event);
    };
    const struct {
        const char* name;
        QWidget* form;
        int id;
    } controls[] = {
        {"supply current range", &Supply(), CQXDialogPaneDCSource::IDC_CURRENT_RANGE},
        {"supply voltage", &Supply(), CQXDialogPaneDCSource::IDC_VOLTAGE},
        {"meter current range", &Meter(), CQXDialogPaneDVM::IDC_CURRENT_RANGE},
        {"meter trigger mode", &Meter(), CQXDialogPaneDVM::IDC_TRIGGER_MODE},
        {"meter trigger level", &Meter(), CQXDialogPaneDVM::IDC_LEVEL_SLIDER},
    };
    const auto state = [this] {
        return std::tuple{Frame().SupplyRecord().CurrentRange, Frame().SupplyRecord().VoltageLevel,
                          Frame().MultimeterRecord().CurrentRange, Frame().MultimeterRecord().TriggerMode,
                          Frame().MultimeterRecord().TriggerLevel};
    };
    for (const auto& c : controls) {
        QWidget* control = platform::FindControl(c.form, c.id);
        ASSERT_NE(control, nullptr) << c.name;
        ASSERT_TRUE(control->isEnabled()) << c.name;
        QWidget* elsewhere = platform::FindControl(c.form, CQXDialogPaneDCSource::IDC_MODEL);
        elsewhere->setFocus();
        QApplication::processEvents();
        ASSERT_FALSE(control->hasFocus()) << c.name;
        const auto before = state();
        m_bench.ClearCommandLogs();
        wheel(control, 120);
        wheel(control, -120);
        wheel(control, -120);
        Settle();
        EXPECT_TRUE(m_bench.SupplyCommands().empty()) << c.name;
        EXPECT_TRUE(m_bench.MeterCommands().empty()) << c.name;
        EXPECT_TRUE(state() == before) << c.name;
    }

    // In the control, the wheel is the user's own change.
    auto* range = platform::FindControl<QComboBox>(&Meter(), CQXDialogPaneDVM::IDC_CURRENT_RANGE);
    const int index = range->currentIndex();
    ASSERT_LT(index, range->count() - 1);
    range->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(range->hasFocus());
    wheel(range, -120);
    Settle();
    EXPECT_EQ(Frame().MultimeterRecord().CurrentRange, index + 1);
    EXPECT_TRUE(m_messages.Texts().isEmpty()) << m_messages.Texts().join(u'\n').toStdString();
}

TEST_F(PanesOnTheBench, TheMeasureModeEnablesThePanesOfItsInstruments) {
    const struct {
        const char* name;
        int mode;
        bool meter;
        bool supply;
    } cases[] = {{"both instruments", 0, true, true},
                 {"the DC source alone", 1, false, true},
                 {"the multimeter alone", 2, true, false}};
    for (const auto& row : cases) {
        Prepare(row.mode);
        for (int id : {CQXDialogPaneDVM::IDC_TRIGGER_MODE, CQXDialogPaneDVM::IDC_CURRENT_RANGE,
                       CQXDialogPaneDVM::IDC_LEVEL_SLIDER, CQXDialogPaneDVM::IDC_LEVEL}) {
            // The trigger level follows the trigger mode, which starts at "自动".
            const bool expected =
                row.meter && id != CQXDialogPaneDVM::IDC_LEVEL_SLIDER && id != CQXDialogPaneDVM::IDC_LEVEL;
            EXPECT_EQ(platform::FindControl(&Meter(), id)->isEnabled(), expected) << row.name << " " << id;
        }
        for (int id : {CQXDialogPaneDCSource::IDC_MODEL, CQXDialogPaneDCSource::IDC_VOLTAGE,
                       CQXDialogPaneDCSource::IDC_CURRENT, CQXDialogPaneDCSource::IDC_OUTPUT_SWITCH,
                       CQXDialogPaneDCSource::IDC_CURRENT_RANGE})
            EXPECT_EQ(platform::FindControl(&Supply(), id)->isEnabled(), row.supply) << row.name << " " << id;
        EXPECT_EQ(Frame().MultimeterPane()->CommandAction(ID_REFRESH)->isEnabled(), row.meter) << row.name;
        EXPECT_EQ(Frame().SupplyPane()->CommandAction(ID_PROTECTION)->isEnabled(), row.supply) << row.name;
        m_lumora.reset();
        m_folder.reset();
    }
}

// The lightest grey (most light) of the pixels inside the edit's frame, and the darkest: the edit's
// background and its text colour.
std::pair<int, int> InsideShades(QWidget& edit) {
    const QImage image = edit.grab().toImage();
    int lightest = 0;
    int darkest = 255;
    for (int y = 4; y < image.height() - 4; ++y)
        for (int x = 4; x < image.width() - 4; ++x) {
            const int grey = qGray(image.pixel(x, y));
            lightest = std::max(lightest, grey);
            darkest = std::min(darkest, grey);
        }
    return {lightest, darkest};
}

// Where the supply's form is disabled (mode 2, or while a run owns the supply) its digit edits grey out
// as a plain edit of the form does: background and text as the style shows a disabled edit.
TEST_F(PanesOnTheBench, DisabledDigitEditsLookDisabled) {
    Prepare(2);
    controls::CDigEdit* voltage = Supply().VoltageEdit();
    ASSERT_FALSE(voltage->isEnabled());
    ASSERT_FALSE(voltage->text().isEmpty());
    // A plain edit beside it, disabled, with the same text.
    QLineEdit plain(voltage->parentWidget());
    plain.setGeometry(voltage->geometry());
    plain.setFont(voltage->font());
    plain.setText(voltage->text());
    plain.setEnabled(false);
    plain.show();
    const auto [digitBack, digitText] = InsideShades(*voltage);
    const auto [plainBack, plainText] = InsideShades(plain);
    EXPECT_EQ(digitBack, plainBack);
    EXPECT_EQ(digitText, plainText);

    // Enabled again, it is the white edit that takes input.
    m_lumora->frame->Preferences()->MeasureMode = 0;
    m_lumora->frame->ApplyMeasureModeToPanes();
    ASSERT_TRUE(voltage->isEnabled());
    EXPECT_EQ(InsideShades(*voltage).first, 255);
}

TEST(PaneHelpers, TriggerLevelsBecomePositionsWithinTheTrackbar) {
    const struct {
        const char* name;
        double amperes;
        int position;
    } cases[] = {
        {"within the range", 2.5e-6, 2},
        {"full scale", 1e-5, 10},
        {"above the range", 1.0, 10},
        {"below zero", -1e-6, 0},
        {"beyond int", 1e300, 10},
        {"not a number", std::numeric_limits<double>::quiet_NaN(), 0},
        {"infinite", -std::numeric_limits<double>::infinity(), 0},
    };
    for (const auto& row : cases)
        EXPECT_EQ(shell::SliderPosition(row.amperes, 0, 10), row.position) << row.name;
    EXPECT_EQ(CQXDialogPaneDVM::RangePositions(0), 10);
    EXPECT_EQ(CQXDialogPaneDVM::RangePositions(6), 3000000);
    EXPECT_EQ(shell::DecimalsOf(QStringLiteral("3.300000")), 6);
    EXPECT_EQ(shell::DecimalsOf(QStringLiteral("1.23456789")), 6);
    EXPECT_EQ(shell::DecimalsOf(QStringLiteral("5")), 0);
}

// The columns of the image's band of rows that hold ink (dark text on the readout's light face),
// grouped into the runs of touching columns each glyph makes: first column, last column, ink height.
struct SInkRun {
    int first;
    int last;
    int height;
};
std::vector<SInkRun> InkRuns(const QImage& image, int top, int bottom) {
    std::vector<SInkRun> runs;
    bool inRun = false;
    for (int x = 0; x < image.width(); ++x) {
        int upper = -1, lower = -1;
        for (int y = top; y < bottom; ++y) {
            if (qGray(image.pixel(x, y)) < 100) {
                if (upper < 0)
                    upper = y;
                lower = y;
            }
        }
        if (upper < 0) {
            inRun = false;
            continue;
        }
        if (!inRun) {
            runs.push_back({x, x, 0});
            runs.back().height = lower - upper + 1;
            inRun = true;
        }
        runs.back().last = x;
        runs.back().height = std::max(runs.back().height, lower - upper + 1);
    }
    return runs;
}

// The form's readout at its size shows the whole current reading, its minus sign first: a bar at
// least a third as wide as the digits are tall, clear of the readout's left edge, before digits
// several times its height. A sign cut off leaves at most a stub at the edge of the reading's place.
void ExpectWholeNegativeReadings() {
    const struct {
        const char* name;
        const char* reading; // as the supply sends it: current, time
        const char* shown;
    } rows[] = {
        {"near zero", "-0.0012345,0.25", "-0.0012345"},
        {"ten amperes", "-10.1234567,0.25", "-10.1234567"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        CQXDialogPaneDCSource form;
        form.UpdateReadout(QString::fromLatin1(row.reading));
        controls::CDisplayDigital* readout = form.Readout();
        ASSERT_EQ(readout->m_strCurrent, QString::fromLatin1(row.shown));
        const QImage image = readout->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QRect band =
            readout->m_strVoltage.isEmpty() ? readout->FullValueRect() : readout->LowerValueRect();
        const std::vector<SInkRun> runs = InkRuns(image, band.top(), band.bottom() + 1);
        ASSERT_GE(runs.size(), 3u);
        const SInkRun& sign = runs.front();
        int digits = 0;
        for (const SInkRun& run : runs)
            digits = std::max(digits, run.height);
        EXPECT_GE(sign.first, 2) << "the sign is cut at the readout's edge";
        EXPECT_GE((sign.last - sign.first + 1) * 3, digits) << "the sign is cut";
        EXPECT_LE(sign.height * 3, digits) << "the first glyph is not the sign";
        // The unit stands right of the reading, inside the readout.
        EXPECT_LT(runs.back().last, image.width() - 2);
    }
}

constexpr const char* kWideFaceOnly = "LUMORA_TEST_WIDE_FACE_ONLY";

TEST(SupplyReadout, ANegativeReadingShowsItsSignAtThePanesSize) {
    EnsureApplication();
    ExpectWholeNegativeReadings();
    if (!qEnvironmentVariableIsEmpty(kWideFaceOnly)) {
        // The face fontconfig was left: wider than the one the readout names.
        CQXDialogPaneDCSource form;
        EXPECT_EQ(QFontInfo(form.Readout()->ValueFont()).family().toStdString(), "DejaVu Sans");
        return;
    }
    // The face the program names comes with Arial's metrics, as the set-up installs it.
    CQXDialogPaneDCSource form;
    EXPECT_EQ(QFontInfo(form.Readout()->ValueFont()).family().toStdString(), "Liberation Sans");

    // Where Arial's metrics are missing (only DejaVu Sans, about a tenth wider, to stand in for it)
    // the readings are still whole: the same checks in a process that sees no other face.
    const QString dejavu = QStringLiteral("/usr/share/fonts/truetype/dejavu/");
    if (!QFileInfo::exists(dejavu + QStringLiteral("DejaVuSans-Bold.ttf")))
        GTEST_SKIP() << "DejaVu Sans is not installed";
    QTemporaryDir dir;
    const QString faces = dir.filePath(QStringLiteral("faces"));
    ASSERT_TRUE(QDir().mkpath(faces));
    for (const char* face : {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf"})
        ASSERT_TRUE(
            QFile::link(dejavu + QString::fromLatin1(face), faces + u'/' + QString::fromLatin1(face)));
    const QString config = dir.filePath(QStringLiteral("fonts.conf"));
    QFile file(config);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("<?xml version=\"1.0\"?>\n<fontconfig><dir>%1</dir><cachedir>%2</cachedir>"
                              "</fontconfig>\n")
                   .arg(faces, dir.filePath(QStringLiteral("cache")))
                   .toUtf8());
    file.close();
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("FONTCONFIG_FILE"), config);
    environment.insert(QString::fromLatin1(kWideFaceOnly), QStringLiteral("1"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=SupplyReadout.ANegativeReadingShowsItsSignAtThePanesSize")});
    ASSERT_TRUE(child.waitForFinished(120000));
    const QString output = QString::fromUtf8(child.readAll());
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("[  PASSED  ] 1 test"))) << output.toStdString();
}

} // namespace
