#include "lumora/controls/SmoothWnd.h"
#include "GuiApp.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using controls::CSmoothWnd;
using controls::MemDC;

// A smooth window that fills its background blue and draws its text's length as a red bar.
class CCountingWnd : public CSmoothWnd {
public:
    int backgrounds = 0;
    int foregrounds = 0;

protected:
    void DrawBackground(QPainter& graphics, const QRect& rect) override {
        ++backgrounds;
        EXPECT_TRUE(graphics.testRenderHint(QPainter::Antialiasing));
        graphics.fillRect(rect, QColor(0, 0, 200));
    }
    void DrawForeground(QPainter& graphics, const QRect& rect) override {
        ++foregrounds;
        EXPECT_TRUE(graphics.testRenderHint(QPainter::Antialiasing));
        graphics.fillRect(QRect(rect.left(), rect.top(), 4 * GetWindowTextLength(), 4), QColor(200, 0, 0));
    }
};

void Settle() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

TEST(SmoothWnd, TheBackgroundIsBuiltOnceAndTheSameTextRedrawsNothing) {
    controls_test::App();
    CCountingWnd window;
    window.resize(60, 30);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.repaint();
    window.repaint();
    EXPECT_EQ(window.backgrounds, 1);
    EXPECT_GE(window.foregrounds, 2);

    const QImage plain = window.grab().toImage();
    EXPECT_EQ(plain.pixel(30, 20), qRgb(0, 0, 200));
    window.SetWindowText(QStringLiteral("abc"));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return window.grab().toImage().pixel(10, 1) == qRgb(200, 0, 0); }, 30000));
    Settle();
    const int painted = window.foregrounds;
    window.SetWindowText(QStringLiteral("abc"));
    Settle();
    EXPECT_EQ(window.foregrounds, painted);
    EXPECT_EQ(window.backgrounds, 1);

    window.resize(80, 30);
    window.repaint();
    EXPECT_EQ(window.backgrounds, 2);
    window.SetDirtyOnTextChange(true);
    window.SetWindowText(QStringLiteral("abcd"));
    window.repaint();
    EXPECT_EQ(window.backgrounds, 3);
}

TEST(SmoothWnd, TextCopiesAreCutToTheBuffer) {
    controls_test::App();
    CCountingWnd window;
    window.SetWindowText(QStringLiteral("电源12"));
    char16_t buffer[4] = {u'x', u'x', u'x', u'x'};
    EXPECT_EQ(window.GetWindowText(buffer, 4), 3);
    EXPECT_EQ(QString::fromUtf16(buffer), QStringLiteral("电源1"));
    char16_t whole[16] = {};
    EXPECT_EQ(window.GetWindowText(whole, 16), 4);
    EXPECT_EQ(window.GetWindowTextLength(), 4);
}

TEST(MemDC, DrawsOffTheTargetUntilItGoesAndCanStartFromIt) {
    controls_test::App();
    QImage target(40, 40, QImage::Format_ARGB32_Premultiplied);
    target.fill(QColor(0, 255, 0));
    {
        QPainter painter(&target);
        MemDC memory(painter, QRect(10, 10, 20, 20), true);
        ASSERT_TRUE(memory.IsValid());
        EXPECT_FALSE(memory.IsPrinting());
        // The copy starts with the target's green; a red corner is drawn over it.
        memory.Painter().fillRect(QRect(10, 10, 5, 5), Qt::red);
        EXPECT_EQ(target.pixel(12, 12), qRgb(0, 255, 0));
    }
    EXPECT_EQ(target.pixel(12, 12), qRgb(255, 0, 0));
    EXPECT_EQ(target.pixel(25, 25), qRgb(0, 255, 0));
    EXPECT_EQ(target.pixel(5, 5), qRgb(0, 255, 0));
}

} // namespace
