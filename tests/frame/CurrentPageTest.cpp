// The current test page on its own: its files, its table and its buttons, with a frame that only
// carries the preferences.
#include "FrameFixture.h"

#include "lumora/LumoraStrings.h"
#include "lumora/controls/ListCtrlEx.h"
#include "lumora/controls/XPStyleButtonST.h"
#include "lumora/core/FilePageStrings.h"
#include "lumora/core/MainFrame.h"
#include "lumora/core/MainPreferences.h"
#include "lumora/core/QXAppDialogMeasCurrent.h"
#include "lumora/sheetio/ExcelCell.h"
#include "lumora/sheetio/ExcelDocument.h"
#include "lumora/sheetio/ExcelSheet.h"
#include "platform/CodePage.h"
#include "platform/ControlId.h"
#include "platform/Profile.h"
#include "platform/StringTable.h"
#include "tests/support/FileSizeLimit.h"
#include "waveform/stripplot/TimeVsAmpRecords.h"
#include "waveform/stripplot/WaveformTimeVsAmpMainWnd.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <functional>
#include <gtest/gtest.h>

namespace {

using namespace frametest;

class CurrentPage : public testing::Test {
protected:
    void SetUp() override {
        m_folder = std::make_unique<CProgramFolder>();
        m_folder->WriteConfiguration(1, false);
        m_frame = std::make_unique<CMainFrame>();
        ASSERT_EQ(m_frame->LoadMainConfiguration(), 1);
        m_page = new CQXAppDialogMeasCurrent(m_frame.get());
        ASSERT_TRUE(m_page->OnInitDialog());
    }
    void TearDown() override {
        m_frame.reset();
        m_folder.reset();
    }

    void SetSamples(unsigned n) {
        m_x.resize(n);
        m_y.resize(n);
        for (unsigned i = 0; i < n; ++i) {
            m_x[i] = i * 0.002;
            m_y[i] = (i % 2 ? 1.5e-3 : 2.5e-6) * (i % 3 ? 1.0 : -1.0);
        }
        m_page->SetMeasuredData(m_x.data(), m_y.data(), n, 1);
    }
    QString Path(const char* name) const { return m_folder->Path() + QString::fromLatin1(name); }
    static QString Read(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
    }
    QString Cell(int row, int column) const { return m_page->StatisticList()->GetItemText(row, column); }

    CMessageRecorder m_messages;
    std::unique_ptr<CProgramFolder> m_folder;
    std::unique_ptr<CMainFrame> m_frame;
    CQXAppDialogMeasCurrent* m_page = nullptr;
    std::vector<double> m_x, m_y;
};

// The template's hidden items: the automatic axes button, the axis lists with their items and labels;
// the statistics table takes one row at a time.
TEST_F(CurrentPage, HiddenTemplateItemsAndASingleSelectionTable) {
    auto* automatic = platform::FindControl<QPushButton>(m_page, CQXAppDialogMeasCurrent::IDC_AUTO_AXES);
    ASSERT_NE(automatic, nullptr);
    EXPECT_EQ(automatic->text(), QStringLiteral("自动坐标系"));
    EXPECT_TRUE(automatic->isHidden());
    for (int id : {1066, 1067}) {
        auto* list = platform::FindControl<QComboBox>(m_page, id);
        ASSERT_NE(list, nullptr) << id;
        EXPECT_GE(list->count(), 1) << id;
        EXPECT_EQ(list->currentIndex(), 0) << id;
        EXPECT_TRUE(list->isHidden()) << id;
    }
    QStringList hiddenLabels;
    for (const QLabel* label : m_page->findChildren<QLabel*>())
        if (label->isHidden())
            hiddenLabels << label->text();
    EXPECT_TRUE(hiddenLabels.contains(QStringLiteral("横坐标")));
    EXPECT_TRUE(hiddenLabels.contains(QStringLiteral("纵坐标")));
    EXPECT_EQ(m_page->StatisticList()->selectionMode(), QAbstractItemView::SingleSelection);
}

TEST_F(CurrentPage, TextFilesHoldAHeaderAndOneLinePerSample) {
    // Values below the resolution 0.1 are written with the exponent, the others in fixed notation.
    // Times keep up to 8 decimals and lose their trailing zeros and point.
    m_x = {0.0, 0.0025, 1.0, 1.234567891};
    m_y = {-2.5e-6, 1.5e-3, 0.25, 0.5};
    m_page->SetMeasuredData(m_x.data(), m_y.data(), 4, 1);
    struct {
        const char* name;
        const char* expected;
    } rows[] = {
        {"a.csv", "Time,Current\r\n0,-2.500000e-06\r\n0.0025,1.500000e-03\r\n1,0.250000\r\n"
                  "1.23456789,0.500000\r\n"},
        {"b.TXT", "Time\tCurrent\r\n0\t-2.500000e-06\r\n0.0025\t1.500000e-03\r\n1\t0.250000\r\n"
                  "1.23456789\t0.500000\r\n"},
    };
    for (const auto& row : rows) {
        ASSERT_EQ(m_page->SaveWaveformData(Path(row.name)), 1) << row.name;
        EXPECT_EQ(Read(Path(row.name)).toStdString(), row.expected) << row.name;
    }
    EXPECT_TRUE(m_messages.Texts().isEmpty());
    // A type the page does not write is said so, with the types it writes.
    for (const char* name : {"c.dat", "c.bin"}) {
        m_messages.Clear();
        EXPECT_EQ(m_page->SaveWaveformData(Path(name)), 0) << name;
        EXPECT_FALSE(QFile::exists(Path(name))) << name;
        EXPECT_EQ(m_messages.Texts(), QStringList{platform::LoadString(IDS_CURRENT_TYPE_UNSUPPORTED)})
            << name;
    }
}

// A full disk is no saved file: each text writer of the page says so, gives 0 and leaves no cut-off file.
TEST_F(CurrentPage, AFullDiskIsReportedAndLeavesNoCutOffFile) {
    SetSamples(2000);
    CQXAppDialogMeasCurrent* page = m_page;
    const auto waveform = [page](const QString& path) { return page->SaveWaveformData(path); };
    const auto list = [page](const QString& path) { return page->SaveListData(path); };
    const struct {
        const char* name;
        std::function<int(const QString&)> save;
    } writers[] = {{"full.csv", waveform}, {"full.txt", waveform}, {"list.txt", list}};
    for (const auto& writer : writers) {
        SCOPED_TRACE(writer.name);
        m_messages.Clear();
        // The device behind a name with the writer's extension.
        ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), Path(writer.name)));
        EXPECT_EQ(writer.save(Path(writer.name)), 0);
        EXPECT_EQ(m_messages.Texts(), QStringList{platform::LoadString(IDS_WRITE_FAILED)});
        QFile::remove(Path(writer.name));

        // A regular file on a disk that fills up part way is removed, not left cut off.
        m_messages.Clear();
        {
            testsupport::CFileSizeLimit disk(100);
            ASSERT_TRUE(disk.IsSet());
            EXPECT_EQ(writer.save(Path(writer.name)), 0);
        }
        EXPECT_FALSE(QFile::exists(Path(writer.name)));
        EXPECT_EQ(m_messages.Texts(), QStringList{platform::LoadString(IDS_WRITE_FAILED)});
    }
    EXPECT_FALSE(platform::LoadString(IDS_WRITE_FAILED).isEmpty());
}

TEST_F(CurrentPage, WorkbookHoldsTheSamplesUpToItsRowLimit) {
    SetSamples(65534);
    ASSERT_EQ(m_page->SaveWaveformData(Path("w.xls")), 1);
    ExcelDocument document;
    ASSERT_TRUE(document.Load(Path("w.xls")));
    ExcelSheet* sheet = document.GetSheetByName("Current");
    ASSERT_NE(sheet, nullptr);
    EXPECT_STREQ(sheet->Cell(0, 1)->GetString(), "Current");
    EXPECT_DOUBLE_EQ(sheet->Cell(65534, 0)->GetDouble(), m_x.back());
    EXPECT_DOUBLE_EQ(sheet->Cell(65534, 1)->GetDouble(), m_y.back());

    SetSamples(65535);
    EXPECT_EQ(m_page->SaveWaveformData(Path("x.xls")), 0);
    EXPECT_FALSE(QFile::exists(Path("x.xls")));
    EXPECT_EQ(m_messages.Texts(), QStringList{platform::LoadString(IDS_XLS_TOO_MANY_ROWS)});
}

TEST_F(CurrentPage, MarkerAndStatisticRecordsFillTheTable) {
    // Times are plain "%lf" texts without trailing zeros; values follow the preferences.
    CWaveformMarkerRecord time{1, 0, 1, 10, 20, 2.0, 0.25, 2e-3, 1e-3};
    m_page->OnMessage(WM_WAVEFORM_MARKER, reinterpret_cast<platform::WPARAM>(&time), kMarkerCodePairA);
    EXPECT_EQ(Cell(0, 5), QStringLiteral("2"));
    EXPECT_EQ(Cell(1, 5), QStringLiteral("0.25"));
    EXPECT_EQ(Cell(2, 5), QStringLiteral("1.75"));
    EXPECT_EQ(Cell(0, 6), QStringLiteral("2.000000e-03"));
    EXPECT_EQ(Cell(2, 6), QStringLiteral("1.000000e-03"));

    CWaveformStatisticRecord statistic{1, 3.0, 1.0, 2.0, 0.5};
    m_page->OnMessage(WM_WAVEFORM_MARKER, reinterpret_cast<platform::WPARAM>(&statistic),
                      kMarkerCodeStatistics);
    EXPECT_EQ(Cell(0, 1), QStringLiteral("3.000000"));
    EXPECT_EQ(Cell(3, 1), QStringLiteral("0.500000"));
    statistic.Valid = 0;
    m_page->OnMessage(WM_WAVEFORM_MARKER, reinterpret_cast<platform::WPARAM>(&statistic),
                      kMarkerCodeStatistics);
    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(Cell(row, 1), QStringLiteral("---")) << row;

    m_page->OnMessage(WM_WAVEFORM_MARKER, 0, kMarkerCodePairB);
    EXPECT_TRUE(m_messages.Texts().isEmpty());
}

TEST_F(CurrentPage, ListExportWritesHeadersAndEveryCell) {
    ASSERT_EQ(m_page->SaveListData(Path("list.txt")), 1);
    const QStringList lines =
        platform::FromAnsi(Read(Path("list.txt")).toLatin1().toStdString()).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 6); // header, four rows, the empty text after the last line end
    EXPECT_EQ(lines[0], QStringLiteral("统计值\t\t垂直标记\t\t水平标记\t\t\t"));
    EXPECT_EQ(lines[1], QStringLiteral("最大值\t---\t标记 1\t---\t标记 1\t---\t---\t"));
}

TEST_F(CurrentPage, VisibleLineButtonHidesItsLine) {
    SetSamples(10);
    auto* button =
        platform::FindControl<controls::CXPStyleButtonST>(m_page, CQXAppDialogMeasCurrent::IDC_LINE_FIRST);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->GetCheck(), 1);
    button->click();
    EXPECT_EQ(m_page->Waveform()->GetMultiLineVisible(0), 0);
    EXPECT_EQ(button->GetCheck(), 0);
}

TEST_F(CurrentPage, EnterAndEscapeLeaveThePageShown) {
    m_frame->show();
    ASSERT_TRUE(m_page->isVisible());
    for (int key : {Qt::Key_Return, Qt::Key_Escape}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(m_page, &press);
        EXPECT_TRUE(m_page->isVisible()) << key;
    }
}

TEST(CurrentPageAlone, WithoutAFrameMarkersAndSavingReportTheMissingPreferences) {
    EnsureApplication();
    CMessageRecorder messages;
    CQXAppDialogMeasCurrent page;
    ASSERT_TRUE(page.OnInitDialog());
    CWaveformMarkerRecord marker{};
    page.OnMessage(WM_WAVEFORM_MARKER, reinterpret_cast<platform::WPARAM>(&marker), kMarkerCodePairA);
    EXPECT_EQ(page.SaveWaveformData(QStringLiteral("/nonexistent/a.csv")), 0);
    EXPECT_EQ(messages.Texts(), (QStringList{platform::LoadString(IDS_PAGE_NO_PREFERENCES),
                                             platform::LoadString(IDS_PAGE_NO_PREFERENCES)}));
}

} // namespace

namespace {

// The frame's own commands, with no instrument files: it opens without instruments and says nothing.
class MainFrameCommands : public testing::Test {
protected:
    void SetUp() override {
        m_folder.WriteConfiguration(0, false);
        m_lumora = std::make_unique<SLumora>();
        ASSERT_EQ(m_lumora->created, 0);
        EXPECT_TRUE(m_messages.Texts().isEmpty());
    }

    CProgramFolder m_folder;
    CMessageRecorder m_messages;
    std::unique_ptr<SLumora> m_lumora;
};

TEST_F(MainFrameCommands, LooksPanesAndPagesFollowTheirUpdateRules) {
    CMainFrame& frame = *m_lumora->frame;

    EXPECT_EQ(frame.QueryCommand(317).m_check, 1);
    ASSERT_TRUE(frame.OnCommand(315));
    EXPECT_EQ(frame.QueryCommand(315).m_check, 1);
    EXPECT_EQ(frame.QueryCommand(317).m_check, 0);
    EXPECT_EQ(platform::GetProfileInt(QStringLiteral("Workspace"), QStringLiteral("ApplicationLook"), 0),
              315);

    ASSERT_TRUE(PumpUntil([&] { return frame.QueryCommand(CMainFrame::ID_PANE_DVM).m_check == 1; }));
    ASSERT_TRUE(frame.OnCommand(CMainFrame::ID_PANE_DVM));
    EXPECT_EQ(frame.QueryCommand(CMainFrame::ID_PANE_DVM).m_check, 0);
    ASSERT_TRUE(frame.OnCommand(CMainFrame::ID_PANE_DVM));
    EXPECT_EQ(frame.QueryCommand(CMainFrame::ID_PANE_DVM).m_check, 1);

    // The voltage page is reachable (the view opens its files there) while no run is active.
    EXPECT_TRUE(frame.QueryCommand(CMainFrame::ID_MEASURE_VOLTAGE).m_enabled);
    EXPECT_FALSE(frame.QueryCommand(CMainFrame::ID_MEASURE_RESET).m_enabled);
    EXPECT_TRUE(frame.OnCommand(CMainFrame::ID_MEASURE_CURRENT));
    EXPECT_EQ(frame.SelectedPage(), CMainFrame::ID_MEASURE_CURRENT);
    EXPECT_EQ(frame.QueryCommand(CMainFrame::ID_MEASURE_CURRENT).m_check, 1);

    // Starting without instruments reports the missing multimeter and ends the run.
    ASSERT_TRUE(frame.OnCommand(CMainFrame::ID_MEASURE_START));
    ASSERT_TRUE(PumpUntil([&] { return !frame.MeasureThreadExists(); }));
    EXPECT_EQ(m_messages.Texts(), QStringList{platform::LoadString(IDS_NO_METER)});
}

// At the frame's smallest size and at a large one, every row of the statistics table shows whole and
// no two tool buttons cover each other.
TEST_F(MainFrameCommands, ThePageShowsEveryTableRowAndButtonAtAnySize) {
    CMainFrame& frame = *m_lumora->frame;
    CQXAppDialogMeasCurrent* page = m_lumora->page;
    for (const QSize size : {frame.minimumSize(), QSize(1900, 1150)}) {
        frame.resize(size);
        QCoreApplication::processEvents();
        SCOPED_TRACE(testing::Message() << "frame " << size.width() << " x " << size.height() << ", page "
                                        << page->width() << " x " << page->height());
        ASSERT_EQ(frame.size(), size);
        controls::CListCtrlEx* list = page->StatisticList();
        // What the frame's window shows of the page.
        const QRect shown = page->visibleRegion().boundingRect();
        EXPECT_TRUE(shown.contains(list->geometry())) << list->geometry().bottom() << " " << shown.bottom();
        const QRect viewport = list->viewport()->rect();
        for (int row = 0; row < list->rowCount(); ++row) {
            const QRect cell = list->visualRect(list->model()->index(row, 0));
            EXPECT_TRUE(viewport.contains(cell))
                << "row " << row << " ends at " << cell.bottom() << " of " << viewport.bottom();
        }
        std::vector<QWidget*> buttons;
        for (int id : {1079, 1080, 1081, 1082, 1083, 1084, 1085, 1092, 1086, 1087, 1088, 1089, 1091, 1090})
            buttons.push_back(platform::FindControl<QWidget>(page, id));
        for (std::size_t i = 0; i < buttons.size(); ++i) {
            ASSERT_NE(buttons[i], nullptr);
            EXPECT_TRUE(shown.contains(buttons[i]->geometry())) << platform::ControlId(buttons[i]);
            for (std::size_t j = i + 1; j < buttons.size(); ++j)
                EXPECT_FALSE(buttons[i]->geometry().intersects(buttons[j]->geometry()))
                    << platform::ControlId(buttons[i]) << " and " << platform::ControlId(buttons[j]);
        }
        EXPECT_FALSE(list->geometry().intersects(m_lumora->page->Waveform()->geometry()));
    }
}

// The look commands replace the application's style and palette; the page's tool buttons keep their
// brightened hover colour through them, and take the new colours of a change of the system's colours.
TEST_F(MainFrameCommands, LooksKeepThePageButtonColoursUntilTheSystemColoursChange) {
    auto* button = platform::FindControl<controls::CXPStyleButtonST>(m_lumora->page,
                                                                     CQXAppDialogMeasCurrent::IDC_LINE_FIRST);
    ASSERT_NE(button, nullptr);
    const controls::COLORREF brightened = button->GetColor(controls::CButtonST::BTNST_COLOR_BK_IN);
    EXPECT_NE(brightened, button->GetColor(controls::CButtonST::BTNST_COLOR_BK_OUT));
    for (unsigned look : {305u, 315u, 319u}) {
        ASSERT_TRUE(m_lumora->frame->OnCommand(look));
        QCoreApplication::processEvents();
        EXPECT_EQ(button->GetColor(controls::CButtonST::BTNST_COLOR_BK_IN), brightened) << look;
    }
    QEvent systemColours(QEvent::ThemeChange);
    QApplication::sendEvent(m_lumora->frame.get(), &systemColours);
    EXPECT_EQ(button->GetColor(controls::CButtonST::BTNST_COLOR_BK_IN),
              controls::ToColorRef(button->palette().color(QPalette::Button)));
    EXPECT_TRUE(m_messages.Texts().isEmpty());
}

} // namespace
