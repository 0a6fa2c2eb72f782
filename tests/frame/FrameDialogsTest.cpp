// The frame's settings commands against the simulated bench: each opens its dialog for the selected
// page and the measuring instrument, what the user accepts reaches the record, the instrument file and
// the instrument, and nothing opens while a run is active.
#include "BenchAdapter.h"
#include "DialogInput.h"
#include "FrameFixture.h"

#include "lumora/LumoraStrings.h"
#include "lumora/controls/DigEdit.h"
#include "lumora/core/MainFrame.h"
#include "lumora/core/MainPreferences.h"
#include "lumora/core/ParserParaInstruDCSource.h"
#include "lumora/core/ParserParaInstruMultiMeter.h"
#include "lumora/core/ParserParameters.h"
#include "lumora/shell/DlgPropertyVISARes.h"
#include "lumora/shell/DockingPaneViewDCSource.h"
#include "lumora/shell/DockingPaneViewDVM.h"
#include "lumora/shell/QXDialogPaneDCSource.h"
#include "lumora/shell/QXDialogSettingsCurrProtect.h"
#include "lumora/shell/QXDialogSettingsInstru.h"
#include "lumora/shell/QXDialogSettingsMeasCurr.h"
#include "lumora/shell/QXDialogSettingsMeasDataLog.h"
#include "platform/Numbers.h"
#include "platform/StringTable.h"
#include "tests/support/FileSizeLimit.h"

#include <QAction>
#include <QEventLoop>
#include <functional>
#include <gtest/gtest.h>

namespace {

using namespace frametest;

const QString kMeterSettings =
    QStringLiteral("<FunctionType Value=\"2\" /><CaptCurr Value=\"0.050000\" />"
                   "<NplcCurr Value=\"0.001000\" /><NplcDLog Value=\"0.010000\" />");
const QString kSupplySettings =
    QStringLiteral("<FunctionType Value=\"2\" /><OutputState Value=\"1\" /><VoltageLevel Value=\"3.3\" />"
                   "<VoltageLimit Value=\"5\" /><VoltageProtection Value=\"5\" />"
                   "<CurrentLimit Value=\"0.5\" /><CurrentProtection Value=\"0.5\" />"
                   "<TriggerTimeout Value=\"0.1\" /><DcsNplcCurr Value=\"0.1\" />"
                   "<DcsNplcDLOG Value=\"0.010000\" /><BufferCapacity Value=\"2\" />");

void Settle(int ms = 100) {
    QEventLoop idle;
    QTimer::singleShot(ms, &idle, &QEventLoop::quit);
    idle.exec();
}

std::vector<std::string> Sent(const std::vector<std::string>& lines, const std::string& header) {
    std::vector<std::string> found;
    for (const std::string& line : lines) {
        if (line.rfind(header + " ", 0) == 0)
            found.push_back(line);
    }
    return found;
}

class FrameDialogs : public testing::Test {
protected:
    void Prepare(int measureMode) {
        m_folder = std::make_unique<CProgramFolder>();
        m_folder->WriteConfiguration(measureMode, false);
        m_folder->WriteSupplyFile({m_bench.SupplyResource(), kSupplySettings});
        m_folder->WriteMultimeterFile({m_bench.MeterResource(), kMeterSettings});
        m_lumora = std::make_unique<SLumora>();
        ASSERT_EQ(m_lumora->created, 0);
        Settle();
        m_bench.ClearCommandLogs();
    }
    void TearDown() override {
        m_lumora.reset();
        m_folder.reset();
    }
    CMainFrame& Frame() { return *m_lumora->frame; }
    platform::LRESULT InstrumentDialog(platform::WPARAM which) {
        return platform::SendMessage(&Frame(), CMainFrame::WM_INSTRUMENT_DIALOG, which, 1);
    }
    // The instrument files as the program reads them back.
    CParameterInstruDCSource SupplyFile() {
        CParameterInstruDCSource record;
        CParserParaInstruDCSource parser;
        EXPECT_EQ(
            parser.Load(m_folder->Path() + QStringLiteral("Instruments/DC Power Supply/DC Power Supply.xml"),
                        &record),
            1);
        return record;
    }
    CParameterInstruMultiMeter MeterFile() {
        CParameterInstruMultiMeter record;
        CParserParaInstruMultiMeter parser;
        EXPECT_EQ(parser.Load(m_folder->Path() +
                                  QStringLiteral("Instruments/Digit Multimeter/Digit Multimeter.xml"),
                              &record),
                  1);
        return record;
    }

    CBench m_bench;
    CMessageRecorder m_messages;
    std::unique_ptr<CProgramFolder> m_folder;
    std::unique_ptr<SLumora> m_lumora;
};

TEST_F(FrameDialogs, CurrentSettingsOfTheMeasuringInstrumentReachRecordAndFile) {
    const struct {
        const char* name;
        int mode;
        const char* title;
    } rows[] = {{"multimeter", 0, "直流电流测量设置: DMM7510"}, {"DC source", 1, "直流电流测量设置: 2280S"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Prepare(row.mode);
        QString title;
        CModalScript script;
        script.Then<CQXDialogSettingsMeasCurr>([&](CQXDialogSettingsMeasCurr& dialog) {
            title = dialog.windowTitle();
            TypeInto(&dialog, CQXDialogSettingsMeasCurr::IDC_CAPTURE_TIME, QStringLiteral("0.04"));
            TypeInto(&dialog, CQXDialogSettingsMeasCurr::IDC_NPLC, QStringLiteral("0.002"));
            ClickOk(&dialog);
        });
        ASSERT_TRUE(Frame().OnCommand(CMainFrame::ID_MEASURE_SETTINGS));
        EXPECT_EQ(script.Ran(), 1);
        EXPECT_EQ(title, QString::fromUtf8(row.title));
        EXPECT_TRUE(m_messages.Texts().isEmpty()) << m_messages.Texts().join(u'\n').toStdString();
        if (row.mode == 0) {
            EXPECT_DOUBLE_EQ(Frame().MultimeterRecord().CaptCurr, 0.04);
            EXPECT_DOUBLE_EQ(Frame().MultimeterRecord().NplcCurr, 0.002);
            EXPECT_DOUBLE_EQ(MeterFile().CaptCurr, 0.04);
            EXPECT_DOUBLE_EQ(MeterFile().NplcCurr, 0.002);
        } else {
            EXPECT_DOUBLE_EQ(Frame().SupplyRecord().TriggerTimeout, 0.04);
            EXPECT_DOUBLE_EQ(Frame().SupplyRecord().DcsNplcCurr, 0.002);
            EXPECT_DOUBLE_EQ(SupplyFile().TriggerTimeout, 0.04);
            EXPECT_DOUBLE_EQ(SupplyFile().DcsNplcCurr, 0.002);
        }
        TearDown();
    }
}

TEST_F(FrameDialogs, DataLoggingSettingsOfTheMeasuringInstrumentReachRecordAndFile) {
    for (int mode : {0, 1}) {
        SCOPED_TRACE(mode);
        Prepare(mode);
        ASSERT_TRUE(Frame().OnCommand(CMainFrame::ID_MEASURE_DATALOGGING));
        CModalScript script;
        script.Then<CQXDialogSettingsMeasDataLog>([&](CQXDialogSettingsMeasDataLog& dialog) {
            TypeInto(&dialog, CQXDialogSettingsMeasDataLog::IDC_MINUTE, QStringLiteral("2"));
            TypeInto(&dialog, CQXDialogSettingsMeasDataLog::IDC_SECOND, QStringLiteral("5"));
            TypeInto(&dialog, CQXDialogSettingsMeasDataLog::IDC_NPLC, QStringLiteral("0.02"));
            ClickOk(&dialog);
        });
        ASSERT_TRUE(Frame().OnCommand(CMainFrame::ID_MEASURE_SETTINGS));
        EXPECT_EQ(script.Ran(), 1);
        EXPECT_TRUE(m_messages.Texts().isEmpty()) << m_messages.Texts().join(u'\n').toStdString();
        // 125 s at 0.02 cycles of 50 Hz: 312,500 samples.
        const CParameterMeasDataLogging& block =
            mode == 1 ? Frame().SupplyRecord().DataLogging : Frame().MultimeterRecord().DataLogging;
        const CParameterMeasDataLogging saved =
            mode == 1 ? SupplyFile().DataLogging : MeterFile().DataLogging;
        for (const CParameterMeasDataLogging* b : {&block, &saved}) {
            EXPECT_EQ(b->AcqTimeMinute, 2);
            EXPECT_EQ(b->AcqTimeSecond, 5);
            EXPECT_EQ(b->DataAcqNumber, 312500u);
            // The file the run writes: 176 header bytes and 16 bytes a sample.
            EXPECT_EQ(b->FileSize, 312500u * 16 + 176);
        }
        EXPECT_DOUBLE_EQ(mode == 1 ? Frame().SupplyRecord().DcsNplcDLOG : Frame().MultimeterRecord().NplcDLog,
                         0.02);
        EXPECT_DOUBLE_EQ(mode == 1 ? SupplyFile().DcsNplcDLOG : MeterFile().NplcDLog, 0.02);
        TearDown();
    }
}

TEST_F(FrameDialogs, AConnectionChangeIsSavedAndTheInstrumentProgrammed) {
    Prepare(0);
    const QString resource = Frame().SupplyRecord().Resource;
    QString shown;
    CModalScript script;
    script.Then<CDlgPropertyVISARes>([&](CDlgPropertyVISARes& dialog) {
        shown = Edit(&dialog, CDlgPropertyVISARes::IDC_RESOURCE)->text();
        TypeInto(&dialog, CDlgPropertyVISARes::IDC_TIMEOUT, QStringLiteral("45000"));
        ClickOk(&dialog);
    });
    EXPECT_EQ(InstrumentDialog(1), 1);
    EXPECT_EQ(script.Ran(), 1);
    EXPECT_EQ(shown, resource);
    EXPECT_TRUE(m_messages.Texts().isEmpty()) << m_messages.Texts().join(u'\n').toStdString();
    EXPECT_EQ(Frame().SupplyRecord().Timeout, QStringLiteral("45000"));
    EXPECT_EQ(Frame().SupplyRecord().Resource, resource);
    EXPECT_EQ(SupplyFile().Timeout, QStringLiteral("45000"));
    EXPECT_EQ(Frame().SupplyPane()->OnlineState(), 1);
    // Programmed and prepared for the current test page.
    EXPECT_FALSE(Sent(m_bench.SupplyCommands(), ":VOLT").empty());

    // Cancel leaves the multimeter's record and file as they were and programs nothing.
    m_bench.ClearCommandLogs();
    CModalScript cancel;
    cancel.Then<CDlgPropertyVISARes>([&](CDlgPropertyVISARes& dialog) {
        TypeInto(&dialog, CDlgPropertyVISARes::IDC_TIMEOUT, QStringLiteral("9"));
        dialog.reject();
    });
    EXPECT_EQ(InstrumentDialog(0), 0);
    EXPECT_EQ(cancel.Ran(), 1);
    EXPECT_EQ(Frame().MultimeterRecord().Timeout, QStringLiteral("60000"));
    EXPECT_EQ(MeterFile().Timeout, QStringLiteral("60000"));
    EXPECT_TRUE(m_bench.MeterCommands().empty());
}

// The dialog takes any number; a level the supply refuses is said with the supply's own error, and the
// record, the file and the pane's bound keep what the supply holds.
TEST_F(FrameDialogs, ProtectionLevelsReachTheSupplyWhichSaysWhatItRefuses) {
    Prepare(0);
    CModalScript script;
    script
        .Then<CQXDialogSettingsCurrProtect>([&](CQXDialogSettingsCurrProtect& dialog) {
            // Above what the supply takes (33 V).
            TypeInto(&dialog, CQXDialogSettingsCurrProtect::IDC_VOLTAGE_PROTECTION, QStringLiteral("40"));
            TypeInto(&dialog, CQXDialogSettingsCurrProtect::IDC_CURRENT_PROTECTION, QStringLiteral("1.25"));
            ClickOk(&dialog);
        })
        .Then<CQXDialogSettingsCurrProtect>([&](CQXDialogSettingsCurrProtect& dialog) {
            TypeInto(&dialog, CQXDialogSettingsCurrProtect::IDC_VOLTAGE_PROTECTION, QStringLiteral("6"));
            TypeInto(&dialog, CQXDialogSettingsCurrProtect::IDC_CURRENT_PROTECTION, QStringLiteral("1.5"));
            ClickOk(&dialog);
        });
    InstrumentDialog(3);
    EXPECT_EQ(Sent(m_bench.SupplyCommands(), ":VOLT:PROT"), std::vector<std::string>{":VOLT:PROT 40"});
    ASSERT_EQ(m_messages.Texts().size(), 1);
    const QString refusal = m_messages.Texts()[0];
    EXPECT_TRUE(refusal.startsWith(QStringLiteral("错误：直流电源未接受保护设置：")))
        << refusal.toStdString();
    EXPECT_TRUE(refusal.contains(QStringLiteral("-222"))) << refusal.toStdString();
    for (const CParameterInstruDCSource& record : {Frame().SupplyRecord(), SupplyFile()}) {
        EXPECT_DOUBLE_EQ(platform::WToF(record.VoltageProtection), 5.0);
        EXPECT_DOUBLE_EQ(platform::WToF(record.CurrentProtection), 1.25);
    }
    EXPECT_DOUBLE_EQ(Frame().SupplyPane()->Form()->VoltageEdit()->m_dMax, 5.0);

    m_messages.Clear();
    m_bench.ClearCommandLogs();
    ASSERT_TRUE(Frame().OnCommand(CMainFrame::ID_PROTECTION_SETTINGS));
    EXPECT_EQ(script.Ran(), 2);
    EXPECT_TRUE(m_messages.Texts().isEmpty()) << m_messages.Texts().join(u'\n').toStdString();
    for (const CParameterInstruDCSource& record : {Frame().SupplyRecord(), SupplyFile()}) {
        EXPECT_DOUBLE_EQ(platform::WToF(record.VoltageProtection), 6.0);
        EXPECT_DOUBLE_EQ(platform::WToF(record.CurrentProtection), 1.5);
    }
    EXPECT_EQ(Sent(m_bench.SupplyCommands(), ":VOLT:PROT"), std::vector<std::string>{":VOLT:PROT 6"});
    EXPECT_EQ(Sent(m_bench.SupplyCommands(), ":CURR:PROT"), std::vector<std::string>{":CURR:PROT 1.5"});
    EXPECT_DOUBLE_EQ(Frame().SupplyPane()->Form()->VoltageEdit()->m_dMax, 6.0);
}

// A dialog's changes that the disk cannot take are said once: the save says why, nothing after it.
TEST_F(FrameDialogs, AnInstrumentFileTheDiskCannotTakeIsReportedOnce) {
    const struct {
        const char* name;
        unsigned command;
        std::function<void(CModalScript&)> script;
    } rows[] = {
        {"measurement settings", CMainFrame::ID_MEASURE_SETTINGS,
         [](CModalScript& script) {
             script.Then<CQXDialogSettingsMeasCurr>([](CQXDialogSettingsMeasCurr& dialog) {
                 TypeInto(&dialog, CQXDialogSettingsMeasCurr::IDC_CAPTURE_TIME, QStringLiteral("0.04"));
                 ClickOk(&dialog);
             });
         }},
        {"protection", CMainFrame::ID_PROTECTION_SETTINGS,
         [](CModalScript& script) {
             script.Then<CQXDialogSettingsCurrProtect>([](CQXDialogSettingsCurrProtect& dialog) {
                 TypeInto(&dialog, CQXDialogSettingsCurrProtect::IDC_VOLTAGE_PROTECTION, QStringLiteral("6"));
                 ClickOk(&dialog);
             });
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Prepare(1);
        m_messages.Clear();
        CModalScript script;
        row.script(script);
        {
            testsupport::CFileSizeLimit disk(100);
            ASSERT_TRUE(disk.IsSet());
            ASSERT_TRUE(Frame().OnCommand(row.command));
        }
        EXPECT_EQ(script.Ran(), 1);
        EXPECT_EQ(m_messages.Texts(), QStringList{platform::LoadString(IDS_WRITE_FAILED)});
        TearDown();
    }
}

TEST_F(FrameDialogs, TheInstrumentDialogChangesTheModeAndOpensTheConnectionDialog) {
    Prepare(0);
    CModalScript script;
    script
        .Then<CQXDialogSettingsInstru>([&](CQXDialogSettingsInstru& dialog) {
            Click(&dialog, CQXDialogSettingsInstru::IDC_SUPPLY_SETTINGS);
            Click(&dialog, CQXDialogSettingsInstru::IDC_MODE_METER);
            ClickOk(&dialog);
        })
        .Then<CDlgPropertyVISARes>([&](CDlgPropertyVISARes& dialog) { dialog.reject(); });
    ASSERT_TRUE(Frame().OnCommand(CMainFrame::ID_INSTRUMENTS));
    EXPECT_EQ(script.Ran(), 2);
    EXPECT_EQ(Frame().Preferences()->MeasureMode, 2);
    EXPECT_FALSE(Frame().QueryCommand(CMainFrame::ID_PROTECTION_SETTINGS).m_enabled);
    EXPECT_FALSE(Frame().SupplyPane()->CommandAction(ID_PROTECTION)->isEnabled());
    MainPreferences saved;
    CParserParameters parser;
    ASSERT_EQ(parser.Load(m_folder->Path() + QStringLiteral("Config/MainApp.xml"), &saved), 1);
    EXPECT_EQ(saved.MeasureMode, 2);
}

TEST_F(FrameDialogs, ThePanesCommandsOpenTheDialogsOfTheirInstrument) {
    Prepare(0);
    const struct {
        const char* name;
        QAction* command;
        QString resource; // shown by the connection dialog; empty for the protection dialog
    } rows[] = {
        {"DC source connection", Frame().SupplyPane()->CommandAction(ID_CONNECTION),
         Frame().SupplyRecord().Resource},
        {"multimeter connection", Frame().MultimeterPane()->CommandAction(ID_CONNECTION),
         Frame().MultimeterRecord().Resource},
        {"DC source protection", Frame().SupplyPane()->CommandAction(ID_PROTECTION), {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QString shown;
        bool protection = false;
        CModalScript script;
        script.Then<QDialog>([&](QDialog& dialog) {
            if (auto* visa = dynamic_cast<CDlgPropertyVISARes*>(&dialog))
                shown = visa->Resource();
            protection = dynamic_cast<CQXDialogSettingsCurrProtect*>(&dialog) != nullptr;
            dialog.reject();
        });
        ASSERT_NE(row.command, nullptr);
        row.command->trigger();
        EXPECT_EQ(script.Ran(), 1);
        EXPECT_EQ(shown, row.resource);
        EXPECT_EQ(protection, row.resource.isEmpty());
    }
    EXPECT_TRUE(m_messages.Texts().isEmpty()) << m_messages.Texts().join(u'\n').toStdString();
}

TEST_F(FrameDialogs, NoSettingsDialogOpensDuringARun) {
    Prepare(1);
    // 2,500 samples of 0.2 s: the run lasts until it is stopped.
    Frame().SupplyRecord().DcsNplcCurr = 10.0;
    Frame().SupplyRecord().TriggerTimeout = 600.0;
    ASSERT_TRUE(Frame().OnCommand(CMainFrame::ID_MEASURE_START));
    ASSERT_TRUE(PumpUntil([&] { return Frame().IsRunning(); }));
    CModalScript script;
    script.Then<QDialog>([](QDialog& dialog) { dialog.reject(); });
    const QString refused = platform::LoadString(IDS_MEASURE_RUNNING_CANCELLED);
    const struct {
        const char* name;
        std::function<void()> open;
    } rows[] = {
        {"measurement settings", [&] { Frame().OnCommand(CMainFrame::ID_MEASURE_SETTINGS); }},
        {"instruments", [&] { Frame().OnCommand(CMainFrame::ID_INSTRUMENTS); }},
        {"protection", [&] { Frame().OnCommand(CMainFrame::ID_PROTECTION_SETTINGS); }},
        {"multimeter connection", [&] { EXPECT_EQ(InstrumentDialog(0), 0); }},
        {"DC source connection", [&] { EXPECT_EQ(InstrumentDialog(1), 0); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const qsizetype before = m_messages.Texts().size();
        row.open();
        ASSERT_EQ(m_messages.Texts().size(), before + 1);
        EXPECT_EQ(m_messages.Texts().back(), refused);
    }
    Settle();
    EXPECT_EQ(script.Ran(), 0);
    ASSERT_TRUE(Frame().OnCommand(CMainFrame::ID_MEASURE_STOP));
    ASSERT_TRUE(PumpUntil([&] { return !Frame().MeasureThreadExists(); }));
}

} // namespace
