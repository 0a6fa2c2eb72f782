// The colour button with its popup, and the line-style and line-width lists.
#include "PrefsTestSupport.h"

#include "platform/ControlId.h"
#include "waveform/traceprefs/ColorButton.h"
#include "waveform/traceprefs/ColorPickerCB.h"
#include "waveform/traceprefs/ColourPopup.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using namespace prefstest;

constexpr int kButtonId = 5000;

class Picker : public testing::Test {
protected:
    void SetUp() override {
        m_sink.resize(200, 100);
        m_button = new CColorButton(&m_sink);
        platform::SetControlId(m_button, kButtonId);
        m_button->setGeometry(10, 10, 60, 24);
        m_button->SetDefaultColour(0x123456);
        m_sink.show();
    }

    CColourPopup* Open() {
        QTest::mouseClick(m_button, Qt::LeftButton);
        return m_button->findChild<CColourPopup*>();
    }

    CTestEnvironment m_environment;
    CMessageSink m_sink;
    CColorButton* m_button = nullptr;
};

TEST_F(Picker, KeysMoveThroughTheCellsAndEnterChooses) {
    m_button->SetColour(0x000000);
    CColourPopup* popup = Open();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(m_sink.Count(CColorButton::CPN_DROPDOWN), 1);
    EXPECT_EQ(popup->CurrentIndex(), 0);
    QTest::keyClick(popup, Qt::Key_Right);
    QTest::keyClick(popup, Qt::Key_Down);
    EXPECT_EQ(popup->CurrentIndex(), 9);
    QTest::keyClick(popup, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(m_button->GetColour(), 0x2068FFu) << "Orange";
    EXPECT_FALSE(m_button->IsPopupOpen());
    ASSERT_EQ(m_sink.Count(CColorButton::CPN_SELENDOK), 1);
    EXPECT_EQ(m_sink.messages.back().lParam, kButtonId);
}

TEST_F(Picker, KeysWrapToTheBoxesAboveAndBelow) {
    m_button->SetColour(0x000000);
    CColourPopup* popup = Open();
    ASSERT_NE(popup, nullptr);
    QTest::keyClick(popup, Qt::Key_Up);
    EXPECT_EQ(popup->CurrentIndex(), CColourPopup::kDefaultBox);
    QTest::keyClick(popup, Qt::Key_Up);
    EXPECT_EQ(popup->CurrentIndex(), CColourPopup::kCustomBox);
    QTest::keyClick(popup, Qt::Key_Up);
    EXPECT_EQ(popup->CurrentIndex(), 32);
    QTest::keyClick(popup, Qt::Key_Escape);
}

TEST_F(Picker, AClickOnACellChoosesItsColour) {
    m_button->SetColour(0x000000);
    CColourPopup* popup = Open();
    ASSERT_NE(popup, nullptr);
    const QPoint yellow = popup->ItemRect(26).center();
    QTest::mouseMove(popup, yellow);
    QTest::mouseClick(popup, Qt::LeftButton, {}, yellow);
    QApplication::processEvents();
    EXPECT_EQ(m_button->GetColour(), 0x00FFFFu);
    EXPECT_EQ(m_sink.Count(CColorButton::CPN_SELENDOK), 1);
    EXPECT_GE(m_sink.Count(CColorButton::CPN_SELCHANGE), 1);
}

TEST_F(Picker, CancellingKeepsTheColour) {
    struct Case {
        const char* name;
        std::function<void(CColourPopup*)> cancel;
    };
    const Case cases[] = {
        {"Escape", [](CColourPopup* p) { QTest::keyClick(p, Qt::Key_Escape); }},
        {"click outside",
         [](CColourPopup* p) { QTest::mouseClick(p, Qt::LeftButton, {}, QPoint(-20, -20)); }},
        {"closed", [](CColourPopup* p) { p->close(); }},
    };
    for (const Case& c : cases) {
        m_sink.messages.clear();
        m_button->SetColour(0xCBC0FF);
        CColourPopup* popup = Open();
        ASSERT_NE(popup, nullptr) << c.name;
        EXPECT_EQ(popup->CurrentIndex(), 24) << c.name << ": Pink is marked";
        QTest::keyClick(popup, Qt::Key_Right);
        c.cancel(popup);
        QApplication::processEvents();
        EXPECT_EQ(m_button->GetColour(), 0xCBC0FFu) << c.name;
        EXPECT_EQ(m_sink.Count(CColorButton::CPN_SELENDCANCEL), 1) << c.name;
        EXPECT_EQ(m_sink.Count(CColorButton::CPN_SELENDOK), 0) << c.name;
        EXPECT_FALSE(m_button->IsPopupOpen()) << c.name;
    }
}

TEST_F(Picker, ChoosingTheSameColourReportsNoChange) {
    m_button->SetColour(0xFF0000);
    CColourPopup* popup = Open();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->CurrentIndex(), 13);
    QTest::keyClick(popup, Qt::Key_Space);
    EXPECT_EQ(m_sink.Count(CColorButton::CPN_SELENDOK), 1);
    EXPECT_EQ(m_sink.Count(CColorButton::CPN_SELCHANGE), 0);
}

TEST_F(Picker, AutomaticGivesTheDefaultColourNotTheMarker) {
    m_button->SetColour(0x000000);
    CColourPopup* popup = Open();
    ASSERT_NE(popup, nullptr);
    QTest::keyClick(popup, Qt::Key_Up);
    QTest::keyClick(popup, Qt::Key_Return);
    EXPECT_TRUE(m_button->IsAutomatic());
    EXPECT_EQ(m_button->GetColour(), 0x123456u);
    ASSERT_EQ(m_sink.Count(CColorButton::CPN_SELENDOK), 1);
    for (const auto& m : m_sink.messages)
        EXPECT_NE(m.wParam, CColorButton::CLR_DEFAULT) << "message " << m.message;
    popup = Open();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->CurrentIndex(), CColourPopup::kDefaultBox) << "reopened on the automatic box";
    QTest::keyClick(popup, Qt::Key_Escape);
}

TEST_F(Picker, AColourOutsideThePaletteMarksNoCell) {
    m_button->SetColour(0x010203);
    CColourPopup* popup = Open();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->CurrentIndex(), CColourPopup::kNone);
    QTest::keyClick(popup, Qt::Key_Escape);
}

TEST_F(Picker, ThePopupClosesWithItsOwner) {
    CColourPopup* popup = Open();
    ASSERT_NE(popup, nullptr);
    QPointer<CColourPopup> watch(popup);
    delete m_button;
    m_button = nullptr;
    QApplication::processEvents();
    EXPECT_TRUE(watch.isNull());
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

TEST_F(Picker, APopupNearTheScreenEdgeStaysOnTheScreen) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    m_sink.move(screen.right() - 30, screen.bottom() - 30);
    QApplication::processEvents();
    CColourPopup* popup = Open();
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(screen.contains(popup->geometry()))
        << "popup at " << popup->x() << "," << popup->y() << " size " << popup->width() << "x"
        << popup->height() << " screen " << screen.width() << "x" << screen.height() << " button at "
        << m_button->mapToGlobal(QPoint()).x();
    QTest::keyClick(popup, Qt::Key_Escape);
}

TEST(LinePickers, EntriesCarryTheirValuesAndSelectByKeyAndMouse) {
    CTestEnvironment environment;
    QWidget window;
    auto* widths = new CColorPickerCBLineWidth(&window);
    auto* styles = new CColorPickerCBLineStyle(&window);
    widths->InitializeDefaultWidths();
    styles->InitializeDefaultStyles();
    styles->move(0, 40);
    window.show();
    EXPECT_EQ(widths->count(), 13);
    EXPECT_EQ(styles->count(), 5);
    ASSERT_TRUE(widths->SelectValue(13));
    EXPECT_EQ(widths->currentText(), QStringLiteral("13"));
    EXPECT_FALSE(widths->SelectValue(12));
    EXPECT_EQ(widths->SelectedValue(), 0) << "no selection gives 0";

    widths->SelectValue(9);
    widths->setFocus();
    QTest::keyClick(widths, Qt::Key_Down);
    EXPECT_EQ(widths->SelectedValue(), 10);
    QTest::keyClick(widths, Qt::Key_Down);
    EXPECT_EQ(widths->SelectedValue(), 13);

    styles->SelectValue(0);
    styles->showPopup();
    QAbstractItemView* view = styles->view();
    const QRect item = view->visualRect(styles->model()->index(3, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, item.center());
    QApplication::processEvents();
    EXPECT_EQ(styles->SelectedValue(), 3);
    EXPECT_TRUE(styles->hasFocus() || !styles->view()->isVisible());
}

TEST(LinePickers, TheSampleIsDrawnInTheListsColour) {
    CTestEnvironment environment;
    CColorPickerCBLineWidth widths;
    widths.InitializeDefaultWidths();
    widths.SetColour(0x0000FF);
    widths.resize(200, 24);
    QImage image(200, 20, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    widths.DrawEntry(painter, image.rect(), widths.findData(5), false, true);
    painter.end();
    EXPECT_EQ(QColor(image.pixel(150, 10)), QColor(Qt::red)) << "a 5-pixel line in red through the middle";
    EXPECT_EQ(QColor(image.pixel(150, 1)), QColor(Qt::white));
}

} // namespace
