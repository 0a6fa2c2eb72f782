#include "lumora/controls/DialogResize.h"
#include "GuiApp.h"
#include "lumora/controls/DialogUnits.h"
#include "platform/ControlId.h"

#include <QLabel>
#include <gtest/gtest.h>
#include <stdexcept>
#include <vector>

namespace {

using controls::CDialogResize;
using controls::DlgResizeMapEntry;

class CMapDialog : public CDialogResize {
public:
    explicit CMapDialog(std::vector<DlgResizeMapEntry> map) : CDialogResize(108), m_map(std::move(map)) {
        resize(300, 200);
        show(); // size changes reach hidden widgets only when they are shown
    }
    const DlgResizeMapEntry* GetDlgResizeMap() const override { return m_map.data(); }
    QWidget* AddControl(int id, const QRect& rect) {
        auto* control = new QLabel(this);
        platform::SetControlId(control, id);
        control->setGeometry(rect);
        return control;
    }
    void Size(unsigned type, int cx, int cy) { OnSize(type, cx, cy); }

private:
    std::vector<DlgResizeMapEntry> m_map;
};

constexpr unsigned kBegin = CDialogResize::BeginGroup;
constexpr unsigned kEnd = CDialogResize::EndGroup;

TEST(DialogResize, GroupMembersSideBySideShareTheGrowth) {
    controls_test::App();
    CMapDialog dialog(
        {{-1, kBegin}, {1, CDialogResize::SizeX}, {2, CDialogResize::SizeX}, {-1, kEnd}, {-1, 0}});
    QWidget* a = dialog.AddControl(1, QRect(10, 10, 100, 20));
    QWidget* b = dialog.AddControl(2, QRect(130, 10, 160, 20));
    dialog.DlgResize_Init();
    ASSERT_EQ(dialog.ResizeData().size(), 2u);
    EXPECT_EQ(dialog.ResizeData()[0].flags, CDialogResize::SizeX | kBegin | (2u << 16));
    EXPECT_EQ(dialog.ResizeData()[1].flags, CDialogResize::SizeX);

    dialog.resize(400, 200);
    // Group 10..290 (280 wide) becomes 380 wide; the first control ends where the scaled start of
    // the second is, less the gap.
    EXPECT_EQ(a->geometry(), QRect(10, 10, 143, 20));
    EXPECT_EQ(b->geometry(), QRect(173, 10, 217, 20));
    EXPECT_EQ(a->y(), 10);
    dialog.resize(300, 200);
    EXPECT_EQ(a->geometry(), QRect(10, 10, 100, 20));
    EXPECT_EQ(b->geometry(), QRect(130, 10, 160, 20));
}

TEST(DialogResize, GroupScalesPositionsOfMovingMembers) {
    controls_test::App();
    CMapDialog dialog(
        {{-1, kBegin}, {1, CDialogResize::MoveX}, {2, CDialogResize::SizeY}, {-1, kEnd}, {-1, 0}});
    QWidget* a = dialog.AddControl(1, QRect(110, 10, 40, 20));
    QWidget* b = dialog.AddControl(2, QRect(10, 40, 40, 100));
    dialog.DlgResize_Init();
    dialog.resize(440, 265);
    // G = 10..150 x 10..140: W 140 -> 280, H 130 -> 195.
    EXPECT_EQ(a->geometry(), QRect(210, 10, 40, 20));
    EXPECT_EQ(b->geometry(), QRect(10, 55, 40, 150));
}

struct AloneCase {
    const char* name;
    unsigned flags;
    QRect initial;
    QSize grownTo;
    QRect expected;
};

class DialogResizeAlone : public ::testing::TestWithParam<AloneCase> {};

TEST_P(DialogResizeAlone, PlacesTheControl) {
    controls_test::App();
    const AloneCase& c = GetParam();
    CMapDialog dialog({{7, c.flags}, {-1, 0}});
    QWidget* control = dialog.AddControl(7, c.initial);
    dialog.DlgResize_Init();
    dialog.resize(c.grownTo);
    EXPECT_EQ(control->geometry(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Flags, DialogResizeAlone,
    ::testing::Values(
        AloneCase{"MoveXKeepsWidthAndRightDistance",
                  CDialogResize::MoveX,
                  {200, 20, 80, 24},
                  {350, 200},
                  {250, 20, 80, 24}},
        AloneCase{
            "SizeXFollowsWidth", CDialogResize::SizeX, {10, 20, 100, 24}, {350, 260}, {10, 20, 150, 24}},
        AloneCase{
            "MoveYKeepsHeight", CDialogResize::MoveY, {10, 150, 100, 24}, {300, 230}, {10, 180, 100, 24}},
        AloneCase{"SizeXSizeYStretchesBoth",
                  CDialogResize::SizeX | CDialogResize::SizeY,
                  {10, 10, 280, 150},
                  {320, 240},
                  {10, 10, 300, 190}},
        AloneCase{"SizeXMoveYAsTheStatisticsTable",
                  CDialogResize::SizeX | CDialogResize::MoveY,
                  {10, 160, 280, 30},
                  {330, 220},
                  {10, 180, 310, 30}},
        AloneCase{
            "ShrinkingMovesBack", CDialogResize::MoveX, {200, 20, 80, 24}, {250, 200}, {150, 20, 80, 24}},
        AloneCase{
            "RepaintOnlyStaysPut", CDialogResize::Repaint, {10, 20, 30, 24}, {400, 300}, {10, 20, 30, 24}}),
    [](const ::testing::TestParamInfo<AloneCase>& row) { return std::string(row.param.name); });

TEST(DialogResize, SizeXKeepsTheCurrentLeftEdge) {
    controls_test::App();
    CMapDialog dialog({{3, CDialogResize::SizeX}, {-1, 0}});
    QWidget* control = dialog.AddControl(3, QRect(10, 20, 100, 24));
    dialog.DlgResize_Init();
    control->move(40, 20);
    dialog.resize(350, 200);
    EXPECT_EQ(control->x(), 40);
    EXPECT_EQ(control->x() + control->width(), 110 + 50);
}

TEST(DialogResize, MinimisedSizeChangesDoNotLayOut) {
    controls_test::App();
    CMapDialog dialog({{4, CDialogResize::MoveX}, {-1, 0}});
    QWidget* control = dialog.AddControl(4, QRect(200, 20, 80, 24));
    dialog.DlgResize_Init();
    dialog.Size(CDialogResize::SIZE_MINIMIZED, 0, 0);
    EXPECT_EQ(control->x(), 200);
    dialog.Size(CDialogResize::SIZE_RESTORED, 320, 200);
    EXPECT_EQ(control->x(), 220);
}

TEST(DialogResize, WithoutInitNothingMoves) {
    controls_test::App();
    CMapDialog dialog({{5, CDialogResize::MoveX | CDialogResize::SizeY}, {-1, 0}});
    QWidget* control = dialog.AddControl(5, QRect(200, 20, 80, 24));
    dialog.resize(500, 400);
    EXPECT_EQ(control->geometry(), QRect(200, 20, 80, 24));
}

TEST(DialogResize, MissingControlsAndIgnoredPairsAreSkipped) {
    controls_test::App();
    CMapDialog dialog({{99, CDialogResize::MoveX},
                       {-1, 0x40},
                       {6, CDialogResize::MoveX},
                       {-1, 0},
                       {8, CDialogResize::MoveX}});
    QWidget* six = dialog.AddControl(6, QRect(100, 20, 80, 24));
    QWidget* eight = dialog.AddControl(8, QRect(100, 60, 80, 24));
    dialog.DlgResize_Init();
    ASSERT_EQ(dialog.ResizeData().size(), 1u);
    EXPECT_EQ(dialog.ResizeData()[0].id, 6);
    dialog.resize(310, 200);
    EXPECT_EQ(six->x(), 110);
    EXPECT_EQ(eight->x(), 100);
}

TEST(DialogResize, MalformedGroupEndsAreRefused) {
    controls_test::App();
    const std::vector<std::vector<DlgResizeMapEntry>> maps = {
        {{-1, kEnd}, {-1, 0}},
        {{-1, kBegin}, {-1, kEnd}, {-1, 0}},
        {{-1, kBegin}, {42, CDialogResize::SizeX}, {-1, kEnd}, {-1, 0}},
    };
    for (const auto& map : maps) {
        CMapDialog dialog(map);
        EXPECT_THROW(dialog.DlgResize_Init(), std::invalid_argument) << "map of " << map.size() << " pairs";
    }
}

TEST(DialogResize, InitTwiceStartsAfresh) {
    controls_test::App();
    CMapDialog dialog({{1, CDialogResize::MoveX}, {-1, 0}});
    QWidget* control = dialog.AddControl(1, QRect(200, 20, 80, 24));
    dialog.DlgResize_Init();
    dialog.resize(350, 200);
    dialog.DlgResize_Init();
    EXPECT_EQ(dialog.ResizeData().size(), 1u);
    dialog.resize(360, 200);
    EXPECT_EQ(control->x(), 260);
}

TEST(DialogResize, EmbedsAChildDialogInItsHost) {
    controls_test::App();
    QWidget host;
    CMapDialog dialog({{-1, 0}});
    dialog.setParent(&host, Qt::Dialog);
    ASSERT_TRUE(dialog.isWindow());
    dialog.DlgResize_Init();
    EXPECT_FALSE(dialog.isWindow());
    dialog.setParent(nullptr);
}

TEST(DialogUnits, MulDivRoundsHalfAwayFromZero) {
    struct Row {
        int a, b, c, expected;
    };
    const Row rows[] = {{5, 1, 2, 3},  {-5, 1, 2, -3}, {7, 3, 2, 11},          {120, 380, 280, 163},
                        {1, 1, 0, -1}, {0, 5, 3, 0},   {2000000000, 2, 1, -1}, {-7, 1, -2, 4}};
    for (const Row& r : rows)
        EXPECT_EQ(controls::MulDiv(r.a, r.b, r.c), r.expected) << r.a << "*" << r.b << "/" << r.c;
}

TEST(DialogUnits, ConvertFromTheFontsBaseUnits) {
    controls_test::App();
    QFont font = QApplication::font();
    font.setPointSize(9);
    const QSize base = controls::DialogBaseUnits(font);
    ASSERT_GT(base.width(), 0);
    ASSERT_GT(base.height(), 0);
    const QRect pixels = controls::DialogUnitsToPixels(font, QRect(7, 25, 489, 217));
    EXPECT_EQ(pixels.left(), controls::MulDiv(7, base.width(), 4));
    EXPECT_EQ(pixels.top(), controls::MulDiv(25, base.height(), 8));
    EXPECT_EQ(pixels.left() + pixels.width(), controls::MulDiv(496, base.width(), 4));
    EXPECT_EQ(pixels.top() + pixels.height(), controls::MulDiv(242, base.height(), 8));
}

// The measurement pages' map: plot place holder, statistics table and the settings button.
TEST(DialogResize, PageMapFromDialogUnits) {
    controls_test::App();
    CMapDialog page({{1016, CDialogResize::SizeX | CDialogResize::SizeY},
                     {1006, CDialogResize::SizeX | CDialogResize::MoveY},
                     {1083, CDialogResize::MoveX},
                     {-1, 0}});
    const QFont font = page.font();
    page.resize(controls::DialogUnitsToPixels(font, QRect(0, 0, 503, 323)).size());
    QWidget* plot = page.AddControl(1016, controls::DialogUnitsToPixels(font, QRect(7, 25, 489, 217)));
    QWidget* table = page.AddControl(1006, controls::DialogUnitsToPixels(font, QRect(7, 246, 489, 70)));
    QWidget* settings = page.AddControl(1083, controls::DialogUnitsToPixels(font, QRect(150, 5, 16, 16)));
    const QRect plotBefore = plot->geometry(), tableBefore = table->geometry(),
                settingsBefore = settings->geometry();
    page.DlgResize_Init();

    page.resize(page.size() + QSize(120, 60));
    EXPECT_EQ(plot->geometry(), plotBefore.adjusted(0, 0, 120, 60));
    EXPECT_EQ(table->geometry(), tableBefore.adjusted(0, 60, 120, 60));
    EXPECT_EQ(settings->geometry(), settingsBefore.translated(120, 0));
}

} // namespace
