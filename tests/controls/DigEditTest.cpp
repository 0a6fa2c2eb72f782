// The digit edit as a user drives it with keys and the wheel, and the scrolling form.
#include "lumora/controls/DigEdit.h"
#include "GuiApp.h"
#include "lumora/controls/ScrollDialog.h"
#include "platform/ControlId.h"
#include "platform/MessageTarget.h"

#include <QClipboard>
#include <QMimeData>
#include <QScrollBar>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

using controls::CDigEdit;

// A parent that counts the commits of its edit.
class CForm : public QWidget, public platform::CMessageTarget {
public:
    CForm() {
        edit = new CDigEdit(this);
        platform::SetControlId(edit, 1070);
        edit->setGeometry(5, 5, 120, 22);
        resize(200, 40);
        show();
        activateWindow();
        edit->setFocus();
        QApplication::processEvents();
    }
    platform::LRESULT OnMessage(platform::UINT message, platform::WPARAM wParam, platform::LPARAM) override {
        if (message == CDigEdit::WM_DIGEDIT_COMMIT && wParam == 1070)
            ++commits;
        return 0;
    }
    int Commits() {
        QApplication::processEvents();
        return commits;
    }
    void LeaveEdit() {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(edit, &out);
    }
    CDigEdit* edit;
    int commits = 0;
};

void Wheel(QWidget* widget, int delta) {
    QWheelEvent event(QPointF(5, 5), widget->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, delta),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &event);
}

struct STypingCase {
    const char* name;
    int decimals;
    const char* start; // text before typing, set as it stands
    const char* keys;  // typed characters; '<' Escape, '>' Enter, '|' leave the control, '*' select all
    const char* shown;
    int commits;
};

TEST(DigEdit, TypingFiltersCommitsOnlyOnEnterOrLeavingAndEscapeTakesBack) {
    controls_test::App();
    const STypingCase cases[] = {
        {"leaving formats with the decimals", 3, "", "12.5|", "12.500", 1},
        {"keystrokes alone commit nothing", 0, "", "12", "12", 0},
        {"enter commits once", 0, "", "12>", "12", 1},
        {"escape takes the typing back and commits nothing", 1, "3.3", "12<", "3.3", 0},
        {"escape then leaving keeps the old value", 1, "3.3", "12<|", "3.3", 1},
        {"a point in an empty text makes 0.", 0, "", ".", "0.", 0},
        {"a point after a lone sign makes -0.", 0, "", "-.", "-0.", 0},
        {"the sign toggles the number", 0, "12", "-", "-12", 0},
        {"the sign toggles back", 0, "-12", "-", "12", 0},
        {"a second point is dropped", 1, "1.5", ".", "1.5", 0},
        {"an eleventh digit is dropped", 0, "", "12345678901", "1234567890", 0},
        {"a digit replaces a lone zero", 0, "0", "7", "7", 0},
        {"a digit replaces a zero after the sign", 0, "-0", "7", "-7", 0},
        {"letters and blanks are dropped", 0, "", "1a b2e", "12", 0},
        {"an empty text leaves as zero", 2, "", "|", "0.00", 1},
        // The decimals are the fewest shown: the format never changes the number typed.
        {"enter keeps digits the format has not", 0, "", "3.3>", "3.3", 1},
        {"leaving keeps them too", 2, "", "1.2345|", "1.2345", 1},
        {"enter pads to the format", 3, "", "1.5>", "1.500", 1},
        // A key the filter drops makes the entry another number than the one typed: Enter and leaving
        // bring back the last value, as for a text that is no number.
        {"a comma refuses the entry", 1, "3.3", "0,005>", "3.3", 1},
        {"a comma typed over a selection refuses the entry", 1, "3.3", "*,5>", "3.3", 1},
        {"a letter refuses the entry", 0, "", "1e-3>", "0", 1},
        {"a letter refuses it on leaving too", 1, "2.5", "5V|", "2.5", 1},
        {"a second point refuses the entry", 1, "1.5", ".5>", "1.5", 1},
        {"an eleventh digit refuses the entry", 0, "", "12345678901>", "0", 1},
        {"a blank between digits refuses the entry", 0, "", "1 2>", "0", 1},
        {"blanks around the number are taken", 0, "", " 5 >", "5", 1},
        {"a lone sign is no number", 1, "2.5", "*->", "2.5", 1},
        {"escape ends a refused entry", 1, "2.5", "1,<*7>", "7.0", 1},
    };
    for (const STypingCase& row : cases) {
        CForm form;
        CDigEdit& edit = *form.edit;
        edit.m_nDecimals = row.decimals;
        edit.setText(QString::fromLatin1(row.start));
        if (*row.start != '\0')
            edit.SetValue(edit.text().toDouble());
        edit.end(false);
        for (const char* key = row.keys; *key != '\0'; ++key) {
            if (*key == '*')
                edit.selectAll();
            else if (*key == '<')
                QTest::keyClick(&edit, Qt::Key_Escape);
            else if (*key == '>')
                QTest::keyClick(&edit, Qt::Key_Return);
            else if (*key == '|')
                form.LeaveEdit();
            else
                QTest::keyClicks(&edit, QString(QLatin1Char(*key)));
        }
        EXPECT_EQ(edit.text(), QString::fromLatin1(row.shown)) << row.name;
        EXPECT_EQ(form.Commits(), row.commits) << row.name;
    }
}

struct SStepCase {
    const char* name;
    double minimum;
    double maximum;
    int decimals;
    double value;
    int cursor;    // caret index before the caret key
    Qt::Key caret; // Left or Right moves the highlight
    int stepper;   // +1 Up, -1 Down, +2 wheel up, -2 wheel down
    const char* shown;
    const char* highlighted;
};

TEST(DigEdit, StepsTheHighlightedDigitWithinTheBounds) {
    controls_test::App();
    const SStepCase cases[] = {
        {"up on the units clamps at the top", 0, 30, 1, 29.5, 2, Qt::Key_Left, 1, "30.0", "0"},
        {"up on the units keeps the digit highlighted", 0, 30, 3, 5, 1, Qt::Key_Left, 1, "6.000", "6"},
        {"up on the tenths", 0, 30, 3, 5, 1, Qt::Key_Right, 1, "5.100", "1"},
        {"down on the thousandths", 0, 30, 3, 5, 3, Qt::Key_Right, -1, "4.999", "9"},
        {"down below the floor clamps", 0, 30, 1, 0.5, 1, Qt::Key_Left, -1, "0.0", "0"},
        {"up on the tens", 0, 100, 1, 12, 1, Qt::Key_Left, 1, "22.0", "2"},
        {"the wheel steps down", 0, 30, 3, 5, 1, Qt::Key_Left, -2, "4.000", "4"},
        {"the wheel steps up", 0, 30, 3, 5, 1, Qt::Key_Right, 2, "5.100", "1"},
        {"on the point nothing changes", 0, 30, 3, 5, 2, Qt::Key_Left, 1, "5.000", "."},
        {"on the sign nothing changes", -10, 10, 0, -5, 1, Qt::Key_Left, 1, "-5", "-"},
        {"a tenth onto tenths without the format's decimals", 0, 30, 0, 0.2, 1, Qt::Key_Right, 1, "0.3", "3"},
    };
    for (const SStepCase& row : cases) {
        CForm form;
        CDigEdit& edit = *form.edit;
        edit.m_dMin = row.minimum;
        edit.m_dMax = row.maximum;
        edit.m_nDecimals = row.decimals;
        edit.SetValue(row.value);
        edit.setCursorPosition(row.cursor);
        QTest::keyClick(&edit, row.caret);
        if (std::abs(row.stepper) == 1)
            QTest::keyClick(&edit, row.stepper > 0 ? Qt::Key_Up : Qt::Key_Down);
        else
            Wheel(&edit, row.stepper > 0 ? 120 : -120);
        EXPECT_EQ(edit.text(), QString::fromLatin1(row.shown)) << row.name;
        EXPECT_EQ(edit.selectedText(), QString::fromLatin1(row.highlighted)) << row.name;
        EXPECT_EQ(form.Commits(), 1) << row.name;
    }
}

// What the edit gives is the number typed, clamped to its bounds only, whatever its decimals.
TEST(DigEdit, GivesTheNumberTypedClampedOnlyToItsBounds) {
    controls_test::App();
    const struct {
        const char* name;
        int decimals;
        double maximum;
        const char* typed;
        const char* shown;
        double value;
    } rows[] = {
        {"more digits than the format", 0, 5, "3.3", "3.3", 3.3},
        {"a value the format would round up", 0, 5, "4.6", "4.6", 4.6},
        {"a bound with more digits than the format", 0, 5.25, "7", "5.25", 5.25},
        {"a bound within the format", 2, 5, "7", "5.00", 5.0},
    };
    for (const auto& row : rows) {
        CForm form;
        CDigEdit& edit = *form.edit;
        edit.m_nDecimals = row.decimals;
        edit.m_dMin = 0;
        edit.m_dMax = row.maximum;
        edit.SetValue(0);
        edit.selectAll();
        QTest::keyClicks(&edit, QString::fromLatin1(row.typed));
        QTest::keyClick(&edit, Qt::Key_Return);
        EXPECT_EQ(edit.text(), QString::fromLatin1(row.shown)) << row.name;
        EXPECT_EQ(edit.GetValue(), row.value) << row.name;
    }
}

TEST(DigEdit, DrawsInItsTextColour) {
    controls_test::App();
    CForm form;
    form.edit->m_crText = controls::RGB(255, 0, 0);
    form.edit->setText(QStringLiteral("888"));
    const QImage image = form.edit->grab().toImage();
    int red = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            red += QColor(image.pixel(x, y)) == QColor(255, 0, 0) ? 1 : 0;
    EXPECT_GT(red, 5);
}

// The background colour set after construction is the text's background; the rest of the control
// keeps the brush made at construction.
TEST(DigEdit, BackgroundColourSetLaterShowsBehindTheText) {
    controls_test::App();
    CForm form;
    form.edit->m_crBack = controls::RGB(255, 255, 0);
    form.edit->setText(QStringLiteral("12.5"));
    const QImage image = form.edit->grab().toImage();
    int yellow = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            yellow += QColor(image.pixel(x, y)) == QColor(255, 255, 0) ? 1 : 0;
    EXPECT_GT(yellow, 20);
    // Right of the text the control's own background stays.
    EXPECT_NE(QColor(image.pixel(image.width() - 8, image.height() / 2)), QColor(255, 255, 0));
}

TEST(DigEdit, LockedStepsChangeNothing) {
    controls_test::App();
    CForm form;
    form.edit->SetValue(5);
    form.edit->m_bStepLocked = 1;
    form.edit->setCursorPosition(1);
    QTest::keyClick(form.edit, Qt::Key_Left);
    QTest::keyClick(form.edit, Qt::Key_Up);
    Wheel(form.edit, 120);
    EXPECT_EQ(form.edit->text(), QStringLiteral("5"));
    EXPECT_EQ(form.Commits(), 0);
}

// A wheel turned over an edit the user is not in (scrolling the form past it) is no step: the value
// stays, nothing is committed, and the wheel goes on to the form.
TEST(DigEdit, TheWheelStepsOnlyTheEditThatHasTheFocus) {
    controls_test::App();
    CForm form;
    auto* other = new QLineEdit(&form);
    other->setGeometry(130, 5, 60, 22);
    other->show();
    form.edit->m_nDecimals = 1;
    form.edit->SetValue(5);
    form.edit->setCursorPosition(1);
    QTest::keyClick(form.edit, Qt::Key_Left);
    ASSERT_EQ(form.Commits(), 0);

    other->setFocus();
    QApplication::processEvents();
    ASSERT_FALSE(form.edit->hasFocus());
    form.commits = 0;
    QWheelEvent event(QPointF(5, 5), form.edit->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(form.edit, &event);
    EXPECT_FALSE(event.isAccepted()) << "the wheel belongs to the form beneath";
    EXPECT_EQ(form.edit->text(), QStringLiteral("5.0"));
    EXPECT_EQ(form.Commits(), 0);

    form.edit->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(form.edit->hasFocus());
    Wheel(form.edit, 120);
    EXPECT_EQ(form.edit->text(), QStringLiteral("6.0"));
    EXPECT_EQ(form.Commits(), 1);
}

TEST(DigEdit, PlaceValuesByCaretPosition) {
    const struct {
        const char* text;
        int caret;
        double step;
    } cases[] = {{"5.000", 0, 1},
                 {"5.000", 1, 0},
                 {"5.000", 2, 0.1},
                 {"5.000", 4, 0.001},
                 {"1234", 0, 1000},
                 {"1234", 4, 0},
                 {"-5", 0, 0},
                 {"-5", 1, 1},
                 {"0.0000001", 8, 0},
                 {"1234567890123456", 0, 0},
                 {"123456789012345", 0, 1e14}};
    for (const auto& row : cases)
        EXPECT_DOUBLE_EQ(CDigEdit::PlaceValue(QString::fromLatin1(row.text), row.caret), row.step)
            << row.text << " at " << row.caret;
}

TEST(DigEdit, GetValueClampsToTheBoundsAndShowsThem) {
    controls_test::App();
    CForm form;
    CDigEdit& edit = *form.edit;
    edit.m_dMin = 0;
    edit.m_dMax = 5;
    edit.m_nDecimals = 2;
    edit.setText(QStringLiteral("7.5"));
    EXPECT_EQ(edit.GetValue(), 5.0);
    EXPECT_EQ(edit.text(), QStringLiteral("5.00"));
    edit.setText(QStringLiteral("-1"));
    EXPECT_EQ(edit.GetValue(), 0.0);
    EXPECT_EQ(edit.text(), QStringLiteral("0.00"));
    edit.setText(QStringLiteral("2.5"));
    EXPECT_EQ(edit.GetValue(), 2.5);
    EXPECT_EQ(edit.text(), QStringLiteral("2.5"));
}

TEST(DigEdit, PastedAndDroppedTextMustBeAFiniteNumber) {
    controls_test::App();
    const struct {
        const char* name;
        QString text;
        bool taken;
    } cases[] = {
        {"a number", QStringLiteral("2.5"), true},
        {"not a number", QStringLiteral("nan"), false},
        {"infinity", QStringLiteral("inf"), false},
        {"an exponent overflowing", QStringLiteral("1e999"), false},
        {"a digit run overflowing", QString(400, u'9'), false},
        {"words", QStringLiteral("12 V"), false},
    };
    for (const auto& row : cases) {
        CForm form;
        CDigEdit& edit = *form.edit;
        edit.SetValue(1);
        edit.selectAll();
        QGuiApplication::clipboard()->setText(row.text);
        QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(edit.text(), row.taken ? row.text : QStringLiteral("1")) << "paste " << row.name;

        edit.SetValue(1);
        edit.selectAll();
        QMimeData data;
        data.setText(row.text);
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&edit, &drop);
        EXPECT_NE(edit.text(), QStringLiteral("nan")) << "drop " << row.name;
        EXPECT_TRUE(std::isfinite(edit.GetValue())) << "drop " << row.name;
    }
    CForm form;
    form.edit->SetValue(3);
    form.edit->SetValue(std::numeric_limits<double>::quiet_NaN());
    form.edit->SetValue(std::numeric_limits<double>::infinity());
    EXPECT_EQ(form.edit->text(), QStringLiteral("3"));
}

// A form of 200 x 300 pixels of content.
struct SScrollForm {
    SScrollForm() : form(121) {
        form.SetScrollInfo(std::make_unique<controls::SScrollInfo>());
        form.resize(200, 300);
        form.OnInitDialog();
        form.show();
    }
    controls::CScrollDialog form;
};

TEST(ScrollDialog, BarsAppearOnlyWhenTheContentDoesNotFit) {
    controls_test::App();
    SScrollForm s;
    s.form.resize(200, 400);
    EXPECT_FALSE(s.form.VerticalBar()->isVisible());
    Wheel(&s.form, -120);
    EXPECT_EQ(s.form.ScrollInfo()->scrollY, 0);

    s.form.resize(230, 150);
    ASSERT_TRUE(s.form.VerticalBar()->isVisible());
    EXPECT_FALSE(s.form.HorizontalBar()->isVisible());
    const QScrollBar* bar = s.form.VerticalBar();
    // The thumb covers client / display of the track.
    EXPECT_EQ(bar->pageStep(), 150);
    EXPECT_EQ(bar->maximum() + bar->pageStep(), 300);
    s.form.VerticalBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(s.form.ScrollInfo()->scrollY, 60);
    EXPECT_EQ(s.form.Content()->y(), -60);
    s.form.VerticalBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(s.form.ScrollInfo()->scrollY, 150);
}

TEST(ScrollDialog, WheelNotchesScrollByTheWheelLines) {
    controls_test::App();
    const int saved = QApplication::wheelScrollLines();
    for (const auto& [lines, moved] : {std::pair{3, 60}, std::pair{6, 120}}) {
        QApplication::setWheelScrollLines(lines);
        SScrollForm s;
        s.form.resize(230, 100);
        Wheel(&s.form, -120);
        EXPECT_EQ(s.form.ScrollInfo()->scrollY, moved) << lines << " lines";
        Wheel(&s.form, 120);
        EXPECT_EQ(s.form.ScrollInfo()->scrollY, 0) << lines << " lines";
    }
    QApplication::setWheelScrollLines(saved);
}

TEST(ScrollDialog, ClosingEndsScrollingAndFreesTheStateOnce) {
    controls_test::App();
    auto s = std::make_unique<SScrollForm>();
    s->form.resize(230, 100);
    s->form.close();
    EXPECT_EQ(s->form.ScrollInfo(), nullptr);
    s->form.resize(230, 90);
    s.reset();
}

} // namespace
