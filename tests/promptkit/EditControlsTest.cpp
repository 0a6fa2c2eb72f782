// The masked and coloured edits under real key events and the clipboard.
#include "PromptTestSupport.h"
#include "dialogs/promptkit/AMSEdit.h"
#include "dialogs/promptkit/ColorEdit.h"

#include <QClipboard>
#include <QDialog>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

using prompttest::App;

TEST(AMSAlphanumericEdit, RefusedCharactersAreDroppedOnTypingPasteAndSetText) {
    App();
    promptkit::CAMSAlphanumericEdit edit(QStringLiteral("<>*"));
    edit.show();
    QTest::keyClicks(&edit, QStringLiteral("a<b*c>"));
    EXPECT_EQ(edit.text(), QStringLiteral("abc"));

    edit.SetWindowText(QStringLiteral("hello"));
    edit.setSelection(1, 2);
    QApplication::clipboard()->setText(QStringLiteral("x<y"));
    QTest::keySequence(&edit, QKeySequence::Paste);
    EXPECT_EQ(edit.text(), QStringLiteral("hxylo"));
    // The selection stays where it was before the paste.
    EXPECT_EQ(edit.selectionStart(), 1);
    EXPECT_EQ(edit.selectedText(), QStringLiteral("xy"));

    edit.SetWindowText(QStringLiteral("*a>b"));
    EXPECT_EQ(edit.text(), QStringLiteral("ab"));

    edit.setReadOnly(true);
    QTest::keyClicks(&edit, QStringLiteral("z"));
    EXPECT_EQ(edit.text(), QStringLiteral("ab"));
}

TEST(ColorEdit, EscapeStaysInsideAndCutLeavesTheText) {
    App();
    QDialog dialog;
    auto* edit = new promptkit::CColorEdit(&dialog);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(edit);
    edit->SetTextColor(0x000000);
    edit->SetBkColor(0xE1FFFF);
    edit->SetText(QStringLiteral("line 1\r\nline 2"));
    dialog.show();
    edit->setFocus();
    EXPECT_TRUE(edit->isReadOnly());
    EXPECT_EQ(edit->palette().color(QPalette::Base), QColor(0xFF, 0xFF, 0xE1));
    EXPECT_EQ(edit->toPlainText(), QStringLiteral("line 1\nline 2"));

    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible());

    edit->selectAll();
    QTest::keySequence(edit, QKeySequence::Cut);
    EXPECT_EQ(edit->toPlainText(), QStringLiteral("line 1\nline 2"));

    // Escape pressed elsewhere in the dialog still closes it.
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
}

} // namespace
