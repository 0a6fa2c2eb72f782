#include "lumora/controls/ListCtrlEx.h"
#include "GuiApp.h"
#include "lumora/controls/ListSortCompare.h"
#include "platform/MessageTarget.h"

#include <QAction>
#include <QHeaderView>
#include <QLineEdit>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

namespace {

using namespace controls;

struct CompareCase {
    const char* name;
    int type;
    const char* a;
    const char* b;
    int sign;
};

class ListCompare : public ::testing::TestWithParam<CompareCase> {};

int Sign(int v) {
    return v < 0 ? -1 : (v > 0 ? 1 : 0);
}

TEST_P(ListCompare, ComparesByType) {
    const CompareCase& c = GetParam();
    EXPECT_EQ(Sign(CompareListTexts(c.type, QString::fromUtf8(c.a), QString::fromUtf8(c.b))), c.sign);
}

INSTANTIATE_TEST_SUITE_P(
    Types, ListCompare,
    ::testing::Values(
        CompareCase{"NoneIsEqual", 0, "b", "a", 0}, CompareCase{"IntegerNumerically", 1, "9", "10", -1},
        CompareCase{"IntegerNegative", 1, "-5", "3", -1},
        CompareCase{"IntegerExtremesKeepOrder", 1, "-2147483648", "2147483647", -1},
        CompareCase{"DoubleLessThanOneApartEqual", 2, "0.5", "0.2", 0},
        CompareCase{"DoubleApart", 2, "2.5", "0.2", 1},
        CompareCase{"DoubleHugeApart", 2, "-1e300", "1e300", -1},
        CompareCase{"TextCaseSensitive", 3, "B", "a", -1},
        CompareCase{"OtherTypesAsText", 42, "abc", "abd", -1},
        CompareCase{"NumberOrTextNumbers", 4, "9", "10", -1},
        CompareCase{"NumberOrTextLeadingZeroAsText", 4, "09", "1", -1},
        CompareCase{"NumberOrTextZeroAsText", 4, "0", "-1", 1},
        CompareCase{"NumberOrTextWords", 4, "b", "B", 1}, CompareCase{"TextNoCase", 5, "b", "B", 0},
        CompareCase{"NumberOrTextNoCase", 6, "abc", "ABD", -1},
        CompareCase{"NumberOrTextNoCaseNumbers", 6, "100", "20", 1},
        CompareCase{"DateOrder", 7, "2024-03-01 10:00:00", "2024-03-01 09:59:00", 1},
        CompareCase{"DateBeforeEpoch", 7, "1899-12-29 06:00:00", "1899-12-29 18:00:00", -1},
        CompareCase{"DateWithinHalfSecondEqual", 7, "2024-03-01 10:00:00", "2024-03-01 10:00:00", 0},
        CompareCase{"DateBothInvalidEqual", 7, "x", "y", 0},
        CompareCase{"DateOneInvalidAfter", 7, "2024-03-01", "x", 1},
        CompareCase{"DateOtherInvalidAfter", 7, "x", "2024-03-01", 1}),
    [](const ::testing::TestParamInfo<CompareCase>& row) { return std::string(row.param.name); });

// The application exists before the fixture's widgets.
struct CAppFirst {
    CAppFirst() { controls_test::App(); }
};

class CListFixture : public ::testing::Test, private CAppFirst {
protected:
    void SetUp() override {
        list.resize(400, 200);
        list.InsertColumn(0, QStringLiteral("名称"), CListCtrlEx::LVCFMT_LEFT, 100);
        list.InsertColumn(1, QStringLiteral("值"), CListCtrlEx::LVCFMT_LEFT, 100);
        list.InsertColumn(2, QStringLiteral("实数"), CListCtrlEx::LVCFMT_LEFT, 100);
    }
    void AddRow(const QString& name, const QString& value, const QString& real = QString()) {
        const int row = list.InsertItem(list.GetItemCount(), name);
        list.SetItemText(row, 1, value);
        list.SetItemText(row, 2, real);
    }
    QStringList Column(int column) const {
        QStringList texts;
        for (int r = 0; r < list.GetItemCount(); ++r)
            texts << list.GetItemText(r, column);
        return texts;
    }
    void ClickHeader(int column) {
        QHeaderView* header = list.horizontalHeader();
        const QPoint at(header->sectionViewportPosition(column) + 10, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }
    CListCtrlEx list;
};

TEST_F(CListFixture, HeaderClickSortsNumbersNumericallyAndToggles) {
    list.show();
    AddRow("a", "10");
    AddRow("b", "9");
    AddRow("c", "100");
    AddRow("d", "-3");
    list.SetColumnSorting(1, LCEX_SORT_TOGGLE, eSortInteger);
    ClickHeader(1);
    EXPECT_EQ(Column(1), (QStringList{"-3", "9", "10", "100"}));
    EXPECT_EQ(Column(0), (QStringList{"d", "b", "a", "c"}));
    EXPECT_EQ(list.horizontalHeader()->sortIndicatorSection(), 1);
    EXPECT_EQ(list.horizontalHeader()->sortIndicatorOrder(), Qt::AscendingOrder);
    ClickHeader(1);
    EXPECT_EQ(Column(1), (QStringList{"100", "10", "9", "-3"}));
    EXPECT_EQ(list.horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
}

TEST_F(CListFixture, ColumnsWithoutSortBitsDoNothing) {
    list.show();
    AddRow("b", "1");
    AddRow("a", "2");
    list.SetColumnSorting(1, LCEX_SORT_DESCENDING, eSortInteger);
    ClickHeader(0);
    EXPECT_EQ(Column(0), (QStringList{"b", "a"}));
    ClickHeader(1);
    EXPECT_EQ(Column(1), (QStringList{"2", "1"}));
    ClickHeader(1); // no toggle bit: the same direction again
    EXPECT_EQ(Column(1), (QStringList{"2", "1"}));
    ClickHeader(0);
    EXPECT_EQ(list.horizontalHeader()->sortIndicatorSection(), 1);
    EXPECT_EQ(list.GetSortColumn(), 1);
}

TEST_F(CListFixture, DoubleColumnKeepsTheOrderOfCloseValues) {
    AddRow("first", "", "0.5");
    AddRow("second", "", "0.2");
    AddRow("third", "", "-4.5");
    list.SetColumnSorting(2, LCEX_SORT_ASCENDING, eSortDouble);
    list.OnColumnClick(2);
    EXPECT_EQ(Column(0), (QStringList{"third", "first", "second"}));
}

TEST_F(CListFixture, RowDataAndColoursTravelWithTheirRows) {
    AddRow("z", "2");
    AddRow("y", "1");
    list.GetRowData(0)->crBack = RGB(1, 2, 3);
    list.SetItemData(1, 77);
    list.SetColumnSorting(1, LCEX_SORT_ASCENDING, eSortInteger);
    list.OnColumnClick(1);
    EXPECT_EQ(Column(0), (QStringList{"y", "z"}));
    EXPECT_EQ(list.GetItemData(0), 77);
    COLORREF back = 0, text = 0;
    ASSERT_TRUE(list.GetCellColors(1, 0, back, text));
    EXPECT_EQ(back, RGB(1, 2, 3));
}

TEST_F(CListFixture, CallerCompareFunctionOrdersByRowValues) {
    AddRow("a", "");
    AddRow("b", "");
    AddRow("c", "");
    list.SetItemData(0, 3);
    list.SetItemData(1, 1);
    list.SetItemData(2, 2);
    list.SetColumnSorting(0, LCEX_SORT_DESCENDING, eSortText,
                          [](LPARAM a, LPARAM b, LPARAM) { return static_cast<int>(a - b); });
    list.OnColumnClick(0);
    EXPECT_EQ(Column(0), (QStringList{"a", "c", "b"}));
}

// A compare function set with a user value gets that value and orders as it says, whatever the
// column's direction.
TEST_F(CListFixture, CompareFunctionGetsTheCallersUserValue) {
    AddRow("a", "");
    AddRow("b", "");
    AddRow("c", "");
    list.SetItemData(0, 3);
    list.SetItemData(1, 1);
    list.SetItemData(2, 2);
    static LPARAM seen = 0;
    list.SetColumnSorting(0, LCEX_SORT_DESCENDING, eSortText);
    list.SetCompareFunction(
        [](LPARAM a, LPARAM b, LPARAM user) {
            seen = user;
            return static_cast<int>(a - b);
        },
        0x5A5A);
    list.OnColumnClick(0);
    EXPECT_EQ(seen, 0x5A5A);
    EXPECT_EQ(Column(0), (QStringList{"b", "c", "a"}));
}

// A column inserted in front keeps every row's data, caller value and cell colours with its row.
TEST_F(CListFixture, ColumnInsertedFirstKeepsRowDataWithTheRow) {
    AddRow("r0", "x");
    AddRow("r1", "y");
    list.GetRowData(0)->crBack = RGB(1, 2, 3);
    list.SetItemData(1, 99);
    ASSERT_TRUE(list.SetCellData(1, 1));
    list.GetCellData(1, 1)->crText = RGB(9, 8, 7);
    ASSERT_EQ(list.InsertColumn(0, QStringLiteral("new")), 0);
    EXPECT_EQ(Column(1), (QStringList{"r0", "r1"}));
    EXPECT_EQ(list.GetItemData(1), 99);
    COLORREF back = 0, text = 0;
    ASSERT_TRUE(list.GetCellColors(0, 0, back, text));
    EXPECT_EQ(back, RGB(1, 2, 3));
    ASSERT_NE(list.GetCellData(1, 2), nullptr);
    EXPECT_EQ(list.GetCellData(1, 2)->crText, RGB(9, 8, 7));
    EXPECT_EQ(list.GetCellData(1, 1), nullptr);
}

TEST_F(CListFixture, CellColoursComeFromTheFirstLevelThatSetsOne) {
    AddRow("r0", "x");
    AddRow("r1", "x");
    AddRow("r2", "x");
    const COLORREF defBack = list.GetDefaultBackColor();
    const COLORREF defText = list.GetDefaultTextColor();
    list.SetColumnColors(1, RGB(0, 0, 200), RGB(0, 200, 0));
    ItemData* row0 = list.GetRowData(0);
    row0->crBack = RGB(200, 0, 0);
    ASSERT_TRUE(list.SetCellData(0, 1));
    list.GetCellData(0, 1)->crText = RGB(255, 0, 0);
    ASSERT_TRUE(list.SetCellData(2, 1));

    struct Row {
        int row, column;
        COLORREF back, text;
    };
    const Row rows[] = {
        {0, 1, defBack, RGB(255, 0, 0)},        // the cell's text colour, the list's background
        {0, 0, RGB(200, 0, 0), defText},        // the row's background
        {1, 1, RGB(0, 0, 200), RGB(0, 200, 0)}, // the column's colours
        {2, 1, RGB(0, 0, 200), RGB(0, 200, 0)}, // a cell without colours passes on
        {1, 0, defBack, defText},
    };
    for (const Row& r : rows) {
        COLORREF back = 0, text = 0;
        ASSERT_TRUE(list.GetCellColors(r.row, r.column, back, text));
        EXPECT_EQ(back, r.back) << r.row << "," << r.column;
        EXPECT_EQ(text, r.text) << r.row << "," << r.column;
    }
    EXPECT_FALSE(list.SetCellData(3, 0));
    EXPECT_FALSE(list.SetCellData(0, 3));
    EXPECT_EQ(list.GetCellData(1, 1), nullptr);
}

TEST_F(CListFixture, CellBackgroundsAreDrawn) {
    AddRow("r0", "");
    AddRow("r1", "");
    list.SetCellData(1, 1);
    list.GetCellData(1, 1)->crBack = RGB(0xE1, 0xE1, 0xE1);
    list.GetRowData(0)->crBack = RGB(0x10, 0x80, 0x20);
    list.show();
    const QImage image = list.viewport()->grab().toImage();
    const QRect cell = list.visualRect(list.model()->index(1, 1));
    const QRect row0 = list.visualRect(list.model()->index(0, 2));
    EXPECT_EQ(QColor(image.pixel(cell.center())), QColor(0xE1, 0xE1, 0xE1));
    EXPECT_EQ(QColor(image.pixel(row0.center())), QColor(0x10, 0x80, 0x20));
}

TEST_F(CListFixture, GetRowDataResetsTheCallerValue) {
    AddRow("a", "");
    list.SetItemData(0, 5);
    EXPECT_EQ(list.GetItemData(0), 5);
    ItemData* data = list.GetRowData(0);
    EXPECT_EQ(data, list.GetRowData(0));
    EXPECT_EQ(list.GetItemData(0), 0);
    EXPECT_EQ(list.GetRowData(7), nullptr);
}

TEST_F(CListFixture, DeleteKeyRemovesSelectedRowsOnlyWhenAllowed) {
    AddRow("a", "");
    AddRow("b", "");
    AddRow("c", "");
    list.GetRowData(1);
    list.show();
    list.setFocus();
    list.selectRow(1);
    QTest::keyClick(&list, Qt::Key_Delete);
    EXPECT_EQ(list.GetItemCount(), 3);
    list.SetDeleteRows(true);
    QTest::keyClick(&list, Qt::Key_Delete);
    EXPECT_EQ(Column(0), (QStringList{"a", "c"}));
}

class CEditFixture : public CListFixture {
protected:
    void SetUp() override {
        CListFixture::SetUp();
        AddRow("a", "1");
        AddRow("b", "2");
        editor.window = &line;
        list.SetColumnEditor(1, &editor);
        list.show();
        QApplication::setActiveWindow(&list);
    }
    void DoubleClick(int row, int column) {
        const QPointF at = list.visualRect(list.model()->index(row, column)).center();
        const QPointF global = list.viewport()->mapToGlobal(at);
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                        QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, at, global, Qt::LeftButton,
                              type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                              Qt::NoModifier);
            QApplication::sendEvent(list.viewport(), &event);
        }
    }
    QLineEdit line;
    CCellEditor editor;
};

TEST_F(CEditFixture, EnterStoresTheEditedText) {
    DoubleClick(1, 1);
    ASSERT_TRUE(list.IsEditing());
    EXPECT_TRUE(line.isVisible());
    EXPECT_EQ(line.text(), QStringLiteral("2"));
    EXPECT_EQ(line.geometry(), list.visualRect(list.model()->index(1, 1)));
    line.selectAll();
    QTest::keyClicks(&line, QStringLiteral("42"));
    QTest::keyClick(&line, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_FALSE(list.IsEditing());
    EXPECT_FALSE(line.isVisible());
    EXPECT_EQ(list.GetItemText(1, 1), QStringLiteral("42"));
}

// Esc discards unless the editor's end callback decides otherwise: it is asked for Esc as for Enter.
TEST_F(CEditFixture, EscapeAsksTheEndCallback) {
    const struct {
        const char* name;
        bool withCallback;
        int decision;
        const char* stored;
    } cases[] = {
        {"no callback discards", false, 0, "1"},
        {"callback discards", true, 0, "1"},
        {"callback keeps", true, 1, "typed"},
    };
    for (const auto& row : cases) {
        int calls = 0;
        list.SetItemText(0, 1, QStringLiteral("1"));
        editor.end = row.withCallback ? std::function<int(int, int, QString&, LPARAM)>(
                                            [&](int, int, QString&, LPARAM) { return ++calls, row.decision; })
                                      : nullptr;
        DoubleClick(0, 1);
        ASSERT_TRUE(list.IsEditing()) << row.name;
        line.setText(QStringLiteral("typed"));
        QTest::keyClick(&line, Qt::Key_Escape);
        QCoreApplication::processEvents();
        EXPECT_FALSE(list.IsEditing()) << row.name;
        EXPECT_EQ(list.GetItemText(0, 1), QString::fromLatin1(row.stored)) << row.name;
        EXPECT_EQ(calls, row.withCallback ? 1 : 0) << row.name;
    }
}

// A key of the list's accelerator table goes to the parent as a command, before the window's own
// shortcuts, from the list and from its editor alike.
TEST_F(CEditFixture, AcceleratorKeysSendTheirCommandToTheParent) {
    struct CParent : QWidget, platform::CMessageTarget {
        platform::LRESULT OnMessage(platform::UINT message, platform::WPARAM wParam,
                                    platform::LPARAM) override {
            if (message == CListCtrlEx::WM_COMMAND)
                commands.push_back(wParam);
            return 0;
        }
        std::vector<platform::WPARAM> commands;
    } parent;
    int shortcutRuns = 0;
    auto* action = new QAction(&parent);
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    QObject::connect(action, &QAction::triggered, [&] { ++shortcutRuns; });
    parent.addAction(action);
    list.setParent(&parent);
    list.SetAcceleratorTable({{QKeySequence(Qt::CTRL | Qt::Key_D), 40001u}});
    parent.show();
    QApplication::setActiveWindow(&parent);
    list.setFocus();
    QTest::keyClick(&list, Qt::Key_D, Qt::ControlModifier);
    DoubleClick(0, 1);
    ASSERT_TRUE(list.IsEditing());
    QTest::keyClick(&line, Qt::Key_D, Qt::ControlModifier);
    QTest::keyClick(&list, Qt::Key_E, Qt::ControlModifier);
    ASSERT_EQ(parent.commands.size(), 2u);
    EXPECT_EQ(parent.commands[0], (platform::WPARAM{1} << 16) | 40001u);
    EXPECT_EQ(parent.commands[1], parent.commands[0]);
    EXPECT_EQ(shortcutRuns, 0);
    list.EndEdit(false);
    list.setParent(nullptr);
}

TEST_F(CEditFixture, ColumnsWithoutEditorOrReadOnlyDoNotEdit) {
    DoubleClick(0, 0);
    EXPECT_FALSE(list.IsEditing());
    list.GetColumnInfo(1)->flags = LCEX_READONLY;
    DoubleClick(0, 1);
    EXPECT_FALSE(list.IsEditing());
}

TEST_F(CEditFixture, EndCallbackDecidesAndMayResort) {
    list.SetColumnSorting(1, LCEX_SORT_ASCENDING, eSortInteger);
    CListCtrlEx* seen = nullptr;
    editor.prepare = [&](int, int, const QString& text, LPARAM, CListCtrlEx* owner) {
        seen = owner;
        line.setText(text + QStringLiteral("0"));
    };
    editor.end = [](int, int, QString& text, LPARAM) {
        text = QString::number(text.toInt() * 10);
        return -1;
    };
    ASSERT_TRUE(list.EditCell(0, 1));
    EXPECT_EQ(line.text(), QStringLiteral("10"));
    EXPECT_EQ(seen, &list);
    list.EndEdit(true);
    EXPECT_EQ(Column(1), (QStringList{"2", "100"}));
    EXPECT_EQ(Column(0), (QStringList{"b", "a"}));
}

TEST_F(CEditFixture, FocusLossEndsTheEditKeepingTheText) {
    QLineEdit other;
    other.show();
    ASSERT_TRUE(list.EditCell(0, 1));
    line.setText(QStringLiteral("7"));
    QApplication::setActiveWindow(&other);
    other.setFocus();
    QCoreApplication::processEvents();
    EXPECT_FALSE(list.IsEditing());
    EXPECT_EQ(list.GetItemText(0, 1), QStringLiteral("7"));
}

TEST_F(CEditFixture, TabMovesTheEditToTheNextEditableCell) {
    CCellEditor realEditor;
    QLineEdit second;
    realEditor.window = &second;
    list.SetColumnEditor(2, &realEditor);
    ASSERT_TRUE(list.EditCell(0, 1));
    QTest::keyClick(&line, Qt::Key_Tab);
    QCoreApplication::processEvents();
    EXPECT_EQ(list.EditRow(), 0);
    EXPECT_EQ(list.EditColumn(), 2);
    QTest::keyClick(&second, Qt::Key_Tab); // column 0 has no editor: on to the next row's column 1
    QCoreApplication::processEvents();
    EXPECT_EQ(list.EditRow(), 1);
    EXPECT_EQ(list.EditColumn(), 1);
    QTest::keyClick(&line, Qt::Key_Backtab);
    QCoreApplication::processEvents();
    EXPECT_EQ(list.EditRow(), 0);
    EXPECT_EQ(list.EditColumn(), 2);
    list.EndEdit(false);
}

TEST_F(CEditFixture, DeletingTheEditedRowDiscardsTheEdit) {
    ASSERT_TRUE(list.EditCell(1, 1));
    line.setText(QStringLiteral("9"));
    list.DeleteItem(1);
    EXPECT_FALSE(list.IsEditing());
    EXPECT_EQ(Column(1), (QStringList{"1"}));
}

// Rows a, b, c, d (row values 10 to 13) with c's value being edited to "0" and an end callback that
// keeps the text and re-sorts: the row deleted is the one named, with its data, however it goes; the
// edit ends unasked with its row, or follows its row and is sorted when it ends.
TEST_F(CEditFixture, DeletingWhileTheEndCallbackResortsDeletesTheNamedRow) {
    const struct {
        const char* name;
        std::function<void(CListCtrlEx&)> change;
        QStringList names;
        QStringList values;
        std::vector<LPARAM> data;
        int calls;
    } rows[] = {
        {"edited row deleted",
         [](CListCtrlEx& l) { l.DeleteItem(2); },
         {"a", "b", "d"},
         {"1", "2", "4"},
         {10, 11, 13},
         0},
        {"edited row removed by the table",
         [](CListCtrlEx& l) { l.removeRow(2); },
         {"a", "b", "d"},
         {"1", "2", "4"},
         {10, 11, 13},
         0},
        {"all rows deleted", [](CListCtrlEx& l) { l.DeleteAllItems(); }, {}, {}, {}, 0},
        {"another row deleted",
         [](CListCtrlEx& l) { l.DeleteItem(0); },
         {"c", "b", "d"},
         {"0", "2", "4"},
         {12, 11, 13},
         1},
    };
    list.SetColumnSorting(1, LCEX_SORT_ASCENDING, eSortInteger);
    int calls = 0;
    editor.end = [&](int, int, QString&, LPARAM) { return ++calls, -1; };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        list.DeleteAllItems();
        calls = 0;
        for (const char* name : {"a", "b", "c", "d"}) {
            AddRow(QString::fromLatin1(name), QString::number(list.GetItemCount() + 1));
            list.SetItemData(list.GetItemCount() - 1, 10 + list.GetItemCount() - 1);
        }
        ASSERT_TRUE(list.EditCell(2, 1));
        line.setText(QStringLiteral("0"));
        row.change(list);
        if (list.IsEditing())
            list.EndEdit(true);
        EXPECT_EQ(calls, row.calls);
        EXPECT_EQ(Column(0), row.names);
        EXPECT_EQ(Column(1), row.values);
        std::vector<LPARAM> data;
        for (int r = 0; r < list.GetItemCount(); ++r)
            data.push_back(list.GetItemData(r));
        EXPECT_EQ(data, row.data);
    }
}

// Rows a, b, c, d with c's value being edited: rows that come and go around it leave the typed text
// with c, or end the edit when c itself goes.
TEST_F(CEditFixture, TheTypedTextStaysWithTheRowItWasTypedIn) {
    const struct {
        const char* name;
        std::function<void(CListCtrlEx&)> change;
        QStringList names;  // column 0 afterwards
        QStringList values; // column 1 afterwards
        bool editing;
    } rows[] = {
        {"row inserted first",
         [](CListCtrlEx& l) { l.InsertItem(0, QStringLiteral("new")); },
         {"new", "a", "b", "c", "d"},
         {"", "1", "2", "typed", "4"},
         true},
        {"row inserted after",
         [](CListCtrlEx& l) { l.InsertItem(3, QStringLiteral("new")); },
         {"a", "b", "c", "new", "d"},
         {"1", "2", "typed", "", "4"},
         true},
        {"first row deleted",
         [](CListCtrlEx& l) { l.DeleteItem(0); },
         {"b", "c", "d"},
         {"2", "typed", "4"},
         true},
        {"last row deleted",
         [](CListCtrlEx& l) { l.DeleteItem(3); },
         {"a", "b", "c"},
         {"1", "2", "typed"},
         true},
        {"edited row deleted",
         [](CListCtrlEx& l) { l.DeleteItem(2); },
         {"a", "b", "d"},
         {"1", "2", "4"},
         false},
        {"rows removed by the table",
         [](CListCtrlEx& l) { l.removeRow(0); },
         {"b", "c", "d"},
         {"2", "typed", "4"},
         true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        list.DeleteAllItems();
        AddRow("a", "1");
        AddRow("b", "2");
        AddRow("c", "3");
        AddRow("d", "4");
        DoubleClick(2, 1);
        ASSERT_TRUE(list.IsEditing());
        line.selectAll();
        QTest::keyClicks(&line, QStringLiteral("typed"));
        row.change(list);
        EXPECT_EQ(list.IsEditing(), row.editing);
        if (list.IsEditing()) {
            // The editor stands over its row where that row now is.
            EXPECT_EQ(line.geometry(), list.visualRect(list.model()->index(list.EditRow(), 1)));
            QTest::keyClick(&line, Qt::Key_Return);
            QCoreApplication::processEvents();
        }
        EXPECT_FALSE(list.IsEditing());
        EXPECT_EQ(Column(0), row.names);
        EXPECT_EQ(Column(1), row.values);
    }
}

} // namespace
