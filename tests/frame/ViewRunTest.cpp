// The view while a run is active on the simulated bench: page commands and opening files are refused,
// and the view's pages outlive the run's use of them.
#include "BenchAdapter.h"
#include "FrameFixture.h"
#include "lumora/LumoraStrings.h"

#include "lumora/core/MainFrame.h"
#include "lumora/core/QXAppDialogMeasCurrent.h"
#include "lumora/core/QXAppDialogMeasVoltage.h"
#include "lumora/shell/LumoraView.h"
#include "platform/StringTable.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

using namespace frametest;

TEST(ViewDuringARun, PageCommandsAndOpenAreRefused) {
    EnsureApplication();
    CBench bench;
    CMessageRecorder messages;
    CProgramFolder folder;
    folder.WriteConfiguration(1, false);
    // A DC source test that waits far longer than the test runs, until it is stopped.
    folder.WriteSupplyFile(
        {bench.SupplyResource(), QStringLiteral("<FunctionType Value=\"2\" /><OutputState Value=\"1\" />"
                                                "<TriggerTimeout Value=\"600\" /><DcsNplcCurr Value=\"10\" />"
                                                "<BufferCapacity Value=\"2\" />")});
    auto frame = std::make_unique<CMainFrame>();
    ASSERT_GE(frame->OnCreate(), 0);
    CLumoraView* view = CLumoraView::CreateInFrame(*frame);
    ASSERT_NE(view, nullptr);
    frame->show();
    const QString file = folder.Path() + QStringLiteral("v.csv");
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("Time,Voltage\n0,1\n1,2\n");
    }
    CDialogRecorder notices;
    ASSERT_TRUE(frame->OnCommand(CMainFrame::ID_MEASURE_START));
    ASSERT_TRUE(PumpUntil([&] { return frame->IsRunning(); }));
    for (unsigned id : {CMainFrame::ID_MEASURE_VOLTAGE, CMainFrame::ID_MEASURE_CCDF,
                        CMainFrame::ID_MEASURE_DATALOGGING, CMainFrame::ID_MEASURE_CURRENT}) {
        EXPECT_FALSE(frame->OnCommand(id)) << id;
        EXPECT_EQ(frame->SelectedPage(), CMainFrame::ID_MEASURE_CURRENT) << id;
    }
    EXPECT_FALSE(frame->OnCommand(CLumoraView::ID_FILE_OPEN_WAVEFORM));
    messages.Clear();
    EXPECT_EQ(view->OpenWaveformFile(file), 0);
    EXPECT_EQ(messages.Texts(), QStringList{platform::LoadString(IDS_MEASURE_RUNNING)});
    EXPECT_EQ(view->VisiblePage(), view->PageCurrent());

    ASSERT_TRUE(frame->OnCommand(CMainFrame::ID_MEASURE_STOP));
    ASSERT_TRUE(PumpUntil([&] { return !frame->MeasureThreadExists(); }));
    EXPECT_TRUE(frame->OnCommand(CMainFrame::ID_MEASURE_VOLTAGE));
    EXPECT_EQ(view->VisiblePage(), view->PageVoltage());
    // Closing the frame ends the run's use of the pages before they go with the view.
    frame->close();
    EXPECT_EQ(frame->CurrentPage(), nullptr);
    frame.reset();
}

} // namespace
