#include "GuiApp.h"
#include "lumora/controls/ThemeHelperST.h"
#include "lumora/controls/XPStyleButtonST.h"

#include <QHelpEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>
#include <gtest/gtest.h>

namespace {

using controls::CButtonST;
using controls::COLORREF;
using controls::CThemeHelperST;
using controls::CXPStyleButtonST;

QPixmap Icon(QColor color) {
    QImage image(24, 24, QImage::Format_ARGB32);
    image.fill(color);
    return QPixmap::fromImage(image);
}

void Hover(CButtonST& button) {
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(&button, &enter);
}

void Leave(CButtonST& button) {
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&button, &leave);
}

QImage Render(QWidget& widget) {
    return widget.grab().toImage();
}

TEST(ButtonST, TooltipShowsTheGivenText) {
    controls_test::App();
    CXPStyleButtonST button;
    button.setText(QStringLiteral("曲线1"));
    button.resize(30, 30);
    button.SetTooltipText(button.text());
    button.setText(QString());
    button.SetTooltipText(QString());
    EXPECT_EQ(button.toolTip(), QStringLiteral("曲线1"));
    button.show();
    QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), button.mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(&button, &help);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), QStringLiteral("曲线1"));
    QToolTip::hideText();
}

TEST(ButtonST, ClicksReachTheOwnerAndDoubleClicksCountTwice) {
    controls_test::App();
    CXPStyleButtonST button;
    button.resize(30, 30);
    button.show();
    QSignalSpy clicks(&button, &QAbstractButton::clicked);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicks.count(), 1);
    // The window system's order for a double click: down, up, double click, up.
    const QPointF at(5, 5);
    const QPointF global = button.mapToGlobal(at);
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                    QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, at, global, Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&button, &event);
    }
    EXPECT_EQ(clicks.count(), 3);
}

TEST(ButtonST, CheckLikeButtonsToggleOnClick) {
    controls_test::App();
    CXPStyleButtonST check(nullptr, CButtonST::BS_AUTOCHECKBOX);
    CXPStyleButtonST push;
    check.resize(30, 30);
    check.show();
    EXPECT_TRUE(check.IsCheckBox());
    EXPECT_FALSE(push.IsCheckBox());
    EXPECT_EQ(check.GetCheck(), 0);
    QTest::mouseClick(&check, Qt::LeftButton);
    EXPECT_EQ(check.GetCheck(), 1);
    QTest::mouseClick(&check, Qt::LeftButton);
    EXPECT_EQ(check.GetCheck(), 0);
    check.SetCheck(2);
    EXPECT_EQ(check.GetCheck(), 1);
    check.SetCheck(0);
    EXPECT_EQ(check.GetCheck(), 0);
    push.SetCheck(1);
    EXPECT_EQ(push.GetCheck(), 0);
}

TEST(ButtonST, DefaultPushStyleMakesADefaultButton) {
    controls_test::App();
    CButtonST button(nullptr, CButtonST::BS_DEFPUSHBUTTON);
    EXPECT_TRUE(button.IsDefaultButton());
    button.SetButtonStyle(CButtonST::BS_PUSHBUTTON);
    EXPECT_FALSE(button.IsDefaultButton());
}

TEST(ButtonST, BrightenBackColorStopsAtTheSmallestHeadroom) {
    controls_test::App();
    struct Row {
        COLORREF in, out;
    };
    const Row rows[] = {{controls::RGB(240, 100, 100), controls::RGB(255, 115, 115)},
                        {controls::RGB(100, 120, 140), controls::RGB(130, 150, 170)},
                        {controls::RGB(255, 0, 0), controls::RGB(255, 0, 0)},
                        {controls::RGB(0, 0, 226), controls::RGB(29, 29, 255)}};
    for (const Row& r : rows) {
        CButtonST button;
        button.SetColor(CButtonST::BTNST_COLOR_BK_IN, r.in);
        button.BrightenBackColor();
        EXPECT_EQ(button.GetColor(CButtonST::BTNST_COLOR_BK_IN), r.out) << std::hex << r.in;
    }
}

TEST(ButtonST, OutIconBuilders) {
    controls_test::App();
    QImage image(2, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(200, 100, 40, 255));
    image.setPixel(1, 0, qRgba(0, 0, 0, 128));
    const QImage gray = controls::GrayscaleImage(image);
    EXPECT_EQ(gray.pixel(0, 0), qRgba(123, 123, 123, 255)); // 59.8 + 58.7 + 4.56
    EXPECT_EQ(gray.pixel(1, 0), qRgba(0, 0, 0, 128));
    const QImage darker = controls::DarkerImage(image);
    EXPECT_EQ(darker.pixel(0, 0), qRgba(150, 75, 30, 255));
    EXPECT_EQ(controls::DarkerImage(image, 1.0).pixel(0, 0), image.pixel(0, 0));

    CButtonST button;
    EXPECT_EQ(button.SetIcons(QPixmap()), 1);
    EXPECT_TRUE(button.IconIn().isNull());
    EXPECT_EQ(button.SetIcons(Icon(QColor(200, 0, 0)), CButtonST::eOutIcon::Grayscale), 0);
    EXPECT_EQ(button.IconOut().toImage().pixel(3, 3), qRgb(60, 60, 60));
    EXPECT_EQ(button.SetIcons(Icon(QColor(200, 0, 0)), CButtonST::eOutIcon::Same), 0);
    EXPECT_TRUE(button.IconOut().isNull());
}

TEST(ButtonST, NormalStateShowsTheOutIconAndHoverTheInIcon) {
    controls_test::App();
    CButtonST button;
    button.SetAlwaysTrack();
    button.resize(40, 40);
    button.SetIcons(Icon(QColor(200, 0, 0)), CButtonST::eOutIcon::Grayscale);
    const QPoint centre(20, 20);
    EXPECT_EQ(Render(button).pixel(centre), qRgb(60, 60, 60));
    Hover(button);
    EXPECT_TRUE(button.IsHovered());
    EXPECT_EQ(Render(button).pixel(centre), qRgb(200, 0, 0));
    Leave(button);
    EXPECT_EQ(Render(button).pixel(centre), qRgb(60, 60, 60));

    button.SetIcons(Icon(QColor(0, 0, 200)));
    EXPECT_EQ(Render(button).pixel(centre), qRgb(0, 0, 200));
    Hover(button);
    EXPECT_EQ(Render(button).pixel(centre), qRgb(0, 0, 200));
}

// A bitmap's transparency colour lets the background through; disabled, the bitmap is an embossed
// monochrome copy.
TEST(ButtonST, BitmapsDrawThroughTheirMaskAndEmbossWhenDisabled) {
    controls_test::App();
    CButtonST button;
    button.resize(40, 40);
    button.SetColor(CButtonST::BTNST_COLOR_BK_OUT, controls::RGB(10, 200, 10));
    QImage bitmap(20, 20, QImage::Format_RGB32);
    bitmap.fill(QColor(255, 0, 255));
    for (int y = 5; y < 15; ++y)
        for (int x = 5; x < 15; ++x)
            bitmap.setPixel(x, y, qRgb(0, 0, 0));
    EXPECT_EQ(button.SetBitmaps(QImage(), controls::CLR_UNSET), 1);
    ASSERT_EQ(button.SetBitmaps(bitmap, controls::RGB(255, 0, 255)), 0);
    const QImage shown = Render(button);
    EXPECT_EQ(shown.pixel(20, 20), qRgb(0, 0, 0));     // the opaque square
    EXPECT_EQ(shown.pixel(12, 12), qRgb(10, 200, 10)); // the transparency colour shows the background
    button.setEnabled(false);
    const QImage disabled = Render(button);
    EXPECT_EQ(QColor(disabled.pixel(20, 20)), button.palette().color(QPalette::Dark));
    EXPECT_EQ(QColor(disabled.pixel(25, 25)), button.palette().color(QPalette::Light));
}

// A button given an icon and a bitmap shows both: the bitmap over the icon where they overlap.
TEST(ButtonST, AnIconAndABitmapAreBothDrawn) {
    controls_test::App();
    CButtonST button;
    button.resize(40, 40);
    button.SetIcons(Icon(QColor(200, 0, 0)));
    QImage bitmap(8, 8, QImage::Format_RGB32);
    bitmap.fill(QColor(0, 0, 200));
    ASSERT_EQ(button.SetBitmaps(bitmap, controls::CLR_UNSET), 0);
    const QImage shown = Render(button);
    EXPECT_EQ(shown.pixel(20, 20), qRgb(0, 0, 200)); // the bitmap, centred
    EXPECT_EQ(shown.pixel(10, 10), qRgb(200, 0, 0)); // the larger icon around it
}

TEST(ButtonST, HoverAndClickPlayTheirSounds) {
    controls_test::App();
    QStringList played;
    CButtonST::SetSoundPlayer([&](const QString& sound) { played << sound; });
    {
        CButtonST button;
        button.resize(30, 30);
        button.SetAlwaysTrack();
        button.show();
        Hover(button);
        Leave(button);
        button.SetSound(QStringLiteral("hover.wav"), false);
        button.SetSound(QStringLiteral("click.wav"), true);
        Hover(button);
        Hover(button); // hover begins once
        QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(10, 10));
        EXPECT_EQ(played, (QStringList{"hover.wav", "click.wav"}));
    }
    CButtonST::SetSoundPlayer({});
}

TEST(ButtonST, LongTooltipsBreakAtTheTooltipWidth) {
    controls_test::App();
    CButtonST button;
    QString text;
    for (int i = 0; i < 40; ++i)
        text += QStringLiteral("word%1 ").arg(i);
    text += QString(60, QChar(0x6D4B)); // a run of Chinese characters without blanks
    button.SetTooltipText(text);
    const QStringList lines = button.toolTip().split(u'\n');
    ASSERT_GT(lines.size(), 2);
    const QFontMetrics metrics(QToolTip::font());
    for (const QString& line : lines)
        EXPECT_LE(metrics.horizontalAdvance(line), CButtonST::kTooltipMaxWidth) << line.toStdString();
    EXPECT_EQ(QString(button.toolTip()).remove(u'\n').remove(u' '), QString(text).remove(u' '));
    EXPECT_EQ(button.MarginY(), 3);
}

TEST(XPStyleButtonST, WithoutThemeTheFlatFrameShowsOnlyWhileHovered) {
    controls_test::App();
    CThemeHelperST noTheme(nullptr);
    CXPStyleButtonST button;
    button.SetThemeHelper(&noTheme);
    button.DrawAsToolbar(true);
    button.SetAlwaysTrack();
    button.resize(30, 30);
    button.SetColor(CButtonST::BTNST_COLOR_BK_OUT, controls::RGB(10, 20, 30));
    button.SetColor(CButtonST::BTNST_COLOR_BK_IN, controls::RGB(40, 50, 60));
    const QRgb light = button.palette().color(QPalette::Light).rgb();
    const QRgb dark = button.palette().color(QPalette::Dark).rgb();

    QImage normal = Render(button);
    EXPECT_EQ(normal.pixel(0, 0), qRgb(10, 20, 30));
    EXPECT_EQ(normal.pixel(29, 29), qRgb(10, 20, 30));
    EXPECT_EQ(normal.pixel(15, 15), qRgb(10, 20, 30));

    Hover(button);
    QImage hovered = Render(button);
    EXPECT_EQ(hovered.pixel(0, 0), light);
    EXPECT_EQ(hovered.pixel(29, 29), dark);
    EXPECT_EQ(hovered.pixel(15, 15), qRgb(40, 50, 60));

    button.SetCheck(1); // not check-like: stays unpressed
    Leave(button);
    EXPECT_EQ(Render(button).pixel(0, 0), qRgb(10, 20, 30));
}

TEST(XPStyleButtonST, CheckedToolButtonsLookPressedWithoutTheme) {
    controls_test::App();
    CThemeHelperST noTheme(nullptr);
    CXPStyleButtonST button(nullptr, CButtonST::BS_AUTOCHECKBOX);
    button.SetThemeHelper(&noTheme);
    button.resize(30, 30);
    button.SetColor(CButtonST::BTNST_COLOR_BK_IN, controls::RGB(40, 50, 60));
    button.SetCheck(1);
    const QImage pressed = Render(button);
    EXPECT_EQ(pressed.pixel(0, 0), button.palette().color(QPalette::Dark).rgb());
    EXPECT_EQ(pressed.pixel(15, 15), qRgb(40, 50, 60));
}

TEST(XPStyleButtonST, ThemedButtonsLeaveTheFrameToTheStyle) {
    controls_test::App();
    CThemeHelperST theme;
    ASSERT_TRUE(theme.IsAppThemed());
    CXPStyleButtonST themed;
    themed.SetThemeHelper(&theme);
    themed.DrawAsToolbar(true);
    themed.SetAlwaysTrack();
    themed.resize(30, 30);
    themed.SetColor(CButtonST::BTNST_COLOR_BK_OUT, controls::RGB(10, 20, 30));
    // A tool button in its normal state shows the parent through: none of the plain fill.
    EXPECT_NE(Render(themed).pixel(15, 15), qRgb(10, 20, 30));
}

// The program's look commands replace the application's style and palette: the tool buttons keep drawing
// through the style now in use and keep their brightened colours; only a change of the system's colours
// resets them.
TEST(XPStyleButtonST, ALookChangeKeepsTheThemeAndColoursAndASystemColourChangeResetsThem) {
    controls_test::App();
    const QString styleBefore = QApplication::style()->name();
    const QPalette paletteBefore = QApplication::palette();
    QWidget page;
    CThemeHelperST theme;
    CXPStyleButtonST button(&page, CButtonST::BS_AUTOCHECKBOX);
    button.SetThemeHelper(&theme);
    button.DrawAsToolbar(true);
    button.resize(30, 30);
    button.BrightenBackColor();
    const COLORREF brightened = button.GetColor(CButtonST::BTNST_COLOR_BK_IN);
    button.SetCheck(1);

    struct SLook {
        const char* style;
        QColor face;
    };
    for (const SLook& look : {SLook{"Windows", QColor(200, 190, 180)}, SLook{"Fusion", QColor(60, 70, 80)}}) {
        SCOPED_TRACE(look.style);
        QApplication::setStyle(QString::fromLatin1(look.style));
        QPalette palette = QApplication::style()->standardPalette();
        palette.setColor(QPalette::Button, look.face);
        QApplication::setPalette(palette);
        QCoreApplication::processEvents();
        EXPECT_TRUE(theme.IsAppThemed());
        EXPECT_EQ(button.GetColor(CButtonST::BTNST_COLOR_BK_IN), brightened);
        // A button given a helper made after the change draws the same.
        CThemeHelperST fresh;
        CXPStyleButtonST reference(&page, CButtonST::BS_AUTOCHECKBOX);
        reference.SetThemeHelper(&fresh);
        reference.DrawAsToolbar(true);
        reference.resize(30, 30);
        reference.SetCheck(1);
        EXPECT_TRUE(Render(button) == Render(reference));
    }

    // New system colours arrive as a theme change after the palette has followed them.
    QEvent systemColours(QEvent::ThemeChange);
    QApplication::sendEvent(&button, &systemColours);
    EXPECT_EQ(button.GetColor(CButtonST::BTNST_COLOR_BK_IN), controls::ToColorRef(QColor(60, 70, 80)));

    QApplication::setStyle(styleBefore);
    QApplication::setPalette(paletteBefore);
}

TEST(ThemeHelperST, FallsBackWithoutAStyle) {
    controls_test::App();
    CThemeHelperST none(nullptr);
    EXPECT_FALSE(none.IsAppThemed());
    CThemeHelperST::HTHEME theme = none.OpenThemeData(nullptr, QStringLiteral("BUTTON"));
    EXPECT_FALSE(theme.IsValid());
    QImage image(10, 10, QImage::Format_ARGB32);
    QPainter painter(&image);
    EXPECT_EQ(none.DrawThemeBackground(theme, painter, 1, 1, image.rect(), nullptr), CThemeHelperST::E_FAIL);
    EXPECT_EQ(none.CloseThemeData(theme), CThemeHelperST::E_FAIL);

    CThemeHelperST styled;
    EXPECT_TRUE(styled.OpenThemeData(nullptr, QStringLiteral("TOOLBAR")).IsValid());
    EXPECT_TRUE(styled.OpenThemeData(nullptr, QStringLiteral("button")).IsValid());
    EXPECT_FALSE(styled.OpenThemeData(nullptr, QStringLiteral("PROGRESS")).IsValid());
}

TEST(ButtonST, DisablingTheFocusedButtonMovesTheFocusOn) {
    controls_test::App();
    QWidget dialog;
    auto* first = new CXPStyleButtonST(&dialog);
    auto* second = new CXPStyleButtonST(&dialog);
    first->setGeometry(0, 0, 30, 30);
    second->setGeometry(40, 0, 30, 30);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    first->setFocus();
    ASSERT_TRUE(first->hasFocus());
    first->setEnabled(false);
    EXPECT_TRUE(second->hasFocus());
}

} // namespace
