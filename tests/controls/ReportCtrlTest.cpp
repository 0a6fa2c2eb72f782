#include "lumora/controls/ReportCtrl.h"
#include "GuiApp.h"
#include "platform/MessageTarget.h"

#include <QLineEdit>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

namespace {

using controls::CReportCtrl;

// A parent that keeps the messages its list sends.
class CRecordingParent : public QWidget, public platform::CMessageTarget {
public:
    struct SMessage {
        unsigned message;
        std::uintptr_t wParam;
        std::intptr_t lParam;
    };
    platform::LRESULT OnMessage(platform::UINT message, platform::WPARAM wParam,
                                platform::LPARAM lParam) override {
        messages.push_back({message, wParam, lParam});
        return 0;
    }
    std::vector<SMessage> messages;
};

class ReportCtrl : public ::testing::Test {
protected:
    static void SetUpTestSuite() { controls_test::App(); }
    void SetUp() override {
        m_list = new CReportCtrl(&m_parent);
        m_list->InsertColumn(0, QStringLiteral("a"), CReportCtrl::LVCFMT_LEFT, 80);
        m_list->InsertColumn(1, QStringLiteral("b"), CReportCtrl::LVCFMT_LEFT, 80);
        m_parent.resize(300, 300);
        m_list->resize(300, 300);
        m_parent.show();
    }
    void Fill(const QStringList& texts) {
        for (const QString& text : texts)
            m_list->InsertItem(m_list->GetItemCount(), text);
    }
    QStringList Column(int column) const {
        QStringList texts;
        for (int row = 0; row < m_list->GetItemCount(); ++row)
            texts << m_list->GetItemText(row, column);
        return texts;
    }
    CRecordingParent m_parent;
    CReportCtrl* m_list = nullptr;
};

TEST(ReportCompare, TypedComparisonOfCellTexts) {
    const struct {
        const char* a;
        const char* b;
        int sign;
    } cases[] = {
        {"9", "10", -1},     // hexadecimal 0x9 < 0x10
        {"0x9", "0x10", -1}, // with the prefix wcstoul reads
        {"0X1f", "1e", 1},   // prefix in capitals against none
        {" 1f", "20", -1},   // leading blanks are skipped
        {"0x", "1", -1},     // "0x" alone is no number: text
        {"ff", "1A", 1},     // hexadecimal
        {"1.5", "12%", -1},  // decimals, one with a percent sign
        {"2.5", "-3", 1},    // decimals
        {"abc", "abd", -1},  // text
        {"xyz", "Xyz", 1},   // case-sensitive text
        {"2024-01-02", "2023-12-31", 1},
        {" 20%", "3%", 1}, // a decimal with leading blanks is a decimal, as wcstod reads it
    };
    for (const auto& c : cases) {
        const int result = CReportCtrl::CompareCells(QString::fromLatin1(c.a), QString::fromLatin1(c.b));
        EXPECT_EQ((result > 0) - (result < 0), c.sign) << c.a << " " << c.b;
    }
}

TEST_F(ReportCtrl, HeaderClicksSortAndReverseAndTellTheParent) {
    Fill({QStringLiteral("10"), QStringLiteral("9"), QStringLiteral("0")});
    for (int row = 0; row < 3; ++row)
        m_list->SetItemText(row, 1, QString::number(row));
    m_list->SetItemTextColor(1, 1, 0x0000FFu);
    m_list->OnColumnClick(0);
    EXPECT_EQ(Column(0), (QStringList{"0", "9", "10"}));
    EXPECT_EQ(Column(1), (QStringList{"2", "1", "0"}));
    EXPECT_EQ(m_list->GetItemTextColor(1, 1), 0x0000FFu); // colours move with their row
    m_list->OnColumnClick(0);
    EXPECT_EQ(Column(0), (QStringList{"10", "9", "0"}));
    ASSERT_EQ(m_parent.messages.size(), 2u);
    EXPECT_EQ(m_parent.messages[0].message, CReportCtrl::WM_SORTED);
    EXPECT_EQ(m_parent.messages[0].lParam, 1);
    EXPECT_EQ(m_parent.messages[1].lParam, 0);
}

TEST_F(ReportCtrl, SeparatorRowsSortGroupsApart) {
    Fill({"3", "1", "--", "9", "2"});
    m_list->SetSeparatorText(QStringLiteral("--"));
    m_list->SortItems(0, true);
    EXPECT_EQ(Column(0), (QStringList{"1", "3", "--", "2", "9"}));
}

TEST_F(ReportCtrl, EditingCommitsWithEnterDiscardsWithEscapeAndTabWraps) {
    Fill({"x", "y"});
    m_list->SetEditable(true);
    m_list->SetEditableColumns({0, 1});
    ASSERT_TRUE(m_list->StartEdit(0, 1));
    m_list->Editor()->setText(QStringLiteral("changed"));
    QTest::keyClick(m_list->Editor(), Qt::Key_Escape);
    EXPECT_EQ(m_list->GetItemText(0, 1), QString());
    EXPECT_TRUE(m_parent.messages.empty());

    ASSERT_TRUE(m_list->StartEdit(1, 1));
    m_list->Editor()->setText(QStringLiteral("new"));
    QTest::keyClick(m_list->Editor(), Qt::Key_Tab);
    EXPECT_EQ(m_list->GetItemText(1, 1), QStringLiteral("new"));
    ASSERT_EQ(m_parent.messages.size(), 1u);
    EXPECT_EQ(m_parent.messages[0].message, CReportCtrl::WM_ITEM_EDITED);
    EXPECT_EQ(m_parent.messages[0].wParam, 1u);
    EXPECT_EQ(m_parent.messages[0].lParam, 1);
    EXPECT_TRUE(m_list->IsEditing()); // Tab in the last column wraps to column 0 of the same row
    m_list->Editor()->setText(QStringLiteral("z"));
    QTest::keyClick(m_list->Editor(), Qt::Key_Return);
    EXPECT_EQ(m_list->GetItemText(1, 0), QStringLiteral("z"));
    EXPECT_FALSE(m_list->IsEditing());
    EXPECT_FALSE(m_list->StartEdit(0, 5));
}

TEST_F(ReportCtrl, SingleCheckModeUnchecksTheOthers) {
    m_list->SetExtendedStyle(CReportCtrl::LVS_EX_CHECKBOXES | CReportCtrl::LVS_EX_FULLROWSELECT);
    m_list->SetCheckboxStyle(CReportCtrl::eCheckSingle);
    Fill({"a", "b", "c"});
    m_list->item(0, 0)->setCheckState(Qt::Checked);
    m_list->item(2, 0)->setCheckState(Qt::Checked);
    EXPECT_FALSE(m_list->GetCheck(0));
    EXPECT_TRUE(m_list->GetCheck(2));
    EXPECT_EQ(m_parent.messages.back().message, CReportCtrl::WM_CHECK_CHANGED);
    EXPECT_EQ(m_parent.messages.back().wParam, 2u);
}

// The check step follows a click on a check box, not the program's own inserts, texts and colours.
TEST_F(ReportCtrl, AllAlikeChecksChangeOnlyByAClick) {
    m_list->SetExtendedStyle(CReportCtrl::LVS_EX_CHECKBOXES | CReportCtrl::LVS_EX_FULLROWSELECT);
    m_list->SetCheckboxStyle(CReportCtrl::eCheckAll);
    Fill({"a", "b"});
    const QRect cell = m_list->visualRect(m_list->model()->index(1, 0));
    QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {}, QPoint(cell.left() + 10, cell.center().y()));
    ASSERT_TRUE(m_list->GetCheck(1));
    EXPECT_TRUE(m_list->GetCheck(0));
    const std::size_t told = m_parent.messages.size();
    ASSERT_GE(told, 1u);
    EXPECT_EQ(m_list->currentRow(), 1);

    m_list->InsertItem(2, QStringLiteral("c"));
    m_list->SetItemText(0, 0, QStringLiteral("renamed"));
    m_list->SetItemTextColor(0, 0, 0x0000FFu);
    m_list->SetItemBkColor(1, 0, 0x00FF00u);
    EXPECT_TRUE(m_list->GetCheck(0));
    EXPECT_TRUE(m_list->GetCheck(1));
    EXPECT_FALSE(m_list->GetCheck(2));
    EXPECT_EQ(m_list->currentRow(), 1);
    EXPECT_EQ(m_parent.messages.size(), told);
}

// A column inserted into rows that have colours has no colour entries until OnColumnInserted: a
// colour for it is refused, not written past the row's arrays.
TEST_F(ReportCtrl, ColourOfAColumnTheRowsDoNotHaveYetIsRefused) {
    Fill({"a", "b"});
    m_list->InsertColumn(2, QStringLiteral("new"));
    EXPECT_FALSE(m_list->SetItemTextColor(1, 2, 0x123456u));
    EXPECT_FALSE(m_list->SetItemBkColor(1, 2, 0x123456u));
    EXPECT_EQ(m_list->GetItemTextColor(1, 2), controls::CLR_UNSET);
    m_list->OnColumnInserted(2);
    EXPECT_TRUE(m_list->SetItemBkColor(1, 2, 0x123456u));
    EXPECT_EQ(m_list->GetItemBkColor(1, 2), 0x123456u);
}

TEST_F(ReportCtrl, InsertedColumnGetsWindowColoursInEveryRow) {
    Fill({"a"});
    m_list->SetItemBkColor(0, 1, 0x123456u);
    m_list->InsertColumn(1, QStringLiteral("new"));
    m_list->OnColumnInserted(1);
    EXPECT_EQ(m_list->GetItemBkColor(0, 2), 0x123456u);
    EXPECT_EQ(m_list->GetItemBkColor(0, 1), controls::ToColorRef(m_list->palette().color(QPalette::Base)));
}

// Rows a, b, c, d with c's second cell being edited: rows that come and go around it leave the typed
// text with c, or end the edit when c itself goes.
TEST_F(ReportCtrl, TheTypedTextStaysWithTheRowItWasTypedIn) {
    const struct {
        const char* name;
        std::function<void(CReportCtrl&)> change;
        QStringList names;  // column 0 afterwards
        QStringList values; // column 1 afterwards
    } rows[] = {
        {"row inserted first",
         [](CReportCtrl& l) { l.InsertItem(0, QStringLiteral("new")); },
         {"new", "a", "b", "c", "d"},
         {"", "1", "2", "typed", "4"}},
        {"row inserted after",
         [](CReportCtrl& l) { l.InsertItem(3, QStringLiteral("new")); },
         {"a", "b", "c", "new", "d"},
         {"1", "2", "typed", "", "4"}},
        {"first row deleted", [](CReportCtrl& l) { l.DeleteItem(0); }, {"b", "c", "d"}, {"2", "typed", "4"}},
        {"last row deleted", [](CReportCtrl& l) { l.DeleteItem(3); }, {"a", "b", "c"}, {"1", "2", "typed"}},
        {"edited row deleted", [](CReportCtrl& l) { l.DeleteItem(2); }, {"a", "b", "d"}, {"1", "2", "4"}},
    };
    m_list->SetEditable(true);
    m_list->SetEditableColumns({1});
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        m_list->DeleteAllItems();
        Fill({"a", "b", "c", "d"});
        for (int r = 0; r < 4; ++r)
            m_list->SetItemText(r, 1, QString::number(r + 1));
        ASSERT_TRUE(m_list->StartEdit(2, 1));
        m_list->Editor()->selectAll();
        QTest::keyClicks(m_list->Editor(), QStringLiteral("typed"));
        row.change(*m_list);
        if (m_list->IsEditing()) {
            // The edit box stands over its row where that row now is.
            const int now = static_cast<int>(Column(0).indexOf(QStringLiteral("c")));
            EXPECT_EQ(m_list->Editor()->geometry(), m_list->visualRect(m_list->model()->index(now, 1)));
            QTest::keyClick(m_list->Editor(), Qt::Key_Return);
        }
        EXPECT_FALSE(m_list->IsEditing());
        EXPECT_FALSE(m_list->Editor()->isVisible());
        EXPECT_EQ(Column(0), row.names);
        EXPECT_EQ(Column(1), row.values);
    }
}

// A click on the selected row edits the clicked cell, unless it turned that row's check box.
TEST_F(ReportCtrl, AClickThatTurnsACheckBoxStartsNoEdit) {
    enum eWhere { eCheckBox, eFirstText, eSecondText };
    const struct {
        const char* name;
        int clicked;
        eWhere where;
        bool edits;
        bool checked; // row 1's check box afterwards
    } rows[] = {
        {"check box of the selected row", 1, eCheckBox, false, true},
        {"first cell's text of the selected row", 1, eFirstText, true, false},
        {"second cell of the selected row", 1, eSecondText, true, false},
        {"check box of another row", 2, eCheckBox, false, false},
        {"text of another row", 2, eSecondText, false, false},
    };
    m_list->SetExtendedStyle(CReportCtrl::LVS_EX_CHECKBOXES | CReportCtrl::LVS_EX_FULLROWSELECT);
    m_list->SetEditable(true);
    m_list->SetEditableColumns({0, 1});
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        m_list->DeleteAllItems();
        Fill({"a", "b", "c"});
        m_list->selectRow(1);
        const QRect first = m_list->visualRect(m_list->model()->index(row.clicked, 0));
        const QRect second = m_list->visualRect(m_list->model()->index(row.clicked, 1));
        const QPoint at = row.where == eCheckBox    ? QPoint(first.left() + 10, first.center().y())
                          : row.where == eFirstText ? QPoint(first.right() - 5, first.center().y())
                                                    : second.center();
        QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {}, at);
        EXPECT_EQ(m_list->IsEditing(), row.edits);
        EXPECT_EQ(m_list->GetCheck(1), row.checked);
        if (row.edits && m_list->IsEditing()) {
            EXPECT_TRUE(m_list->Editor()->isVisible());
            EXPECT_EQ(m_list->Editor()->text(), m_list->GetItemText(1, row.where == eFirstText ? 0 : 1));
        }
        m_list->EndEdit(false);
    }
}

// A cell after the first that shows a small image keeps the image beside the edit box.
TEST_F(ReportCtrl, TheEditBoxStandsBesideASmallImage) {
    const struct {
        const char* name;
        int column;
        bool image;
        int shift;
    } rows[] = {
        {"second column with an image", 1, true, CReportCtrl::kSmallImageWidth},
        {"second column without", 1, false, 0},
        {"first column with an image", 0, true, 0},
    };
    m_list->SetEditable(true);
    m_list->SetEditableColumns({0, 1});
    m_list->SetImageListSize(QSize(16, 16));
    QPixmap picture(16, 16);
    picture.fill(Qt::red);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        m_list->DeleteAllItems();
        Fill({"a"});
        m_list->SetItemText(0, 1, QStringLiteral("x"));
        if (row.image)
            m_list->item(0, row.column)->setIcon(QIcon(picture));
        ASSERT_TRUE(m_list->StartEdit(0, row.column));
        const QRect cell = m_list->visualRect(m_list->model()->index(0, row.column));
        EXPECT_EQ(m_list->Editor()->geometry().left(), cell.left() + row.shift);
        EXPECT_EQ(m_list->Editor()->geometry().right(), cell.right());
        m_list->EndEdit(false);
    }
}

} // namespace
