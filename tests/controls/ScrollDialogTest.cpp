#include "lumora/controls/ScrollDialog.h"
#include "GuiApp.h"

#include <QApplication>
#include <QScrollBar>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace {

using controls::CScrollDialog;

// A form 600 pixels tall shown 200 pixels tall, scrolled 120 pixels down: only the wheel's vertical
// turn moves it, by its sign.
TEST(ScrollDialog, OnlyAVerticalWheelTurnScrollsTheForm) {
    controls_test::App();
    ASSERT_EQ(QApplication::wheelScrollLines(), 3);
    const struct {
        const char* name;
        QPoint angle;
        int scrollY;
    } rows[] = {
        {"a notch up", QPoint(0, 120), 60},         {"a notch down", QPoint(0, -120), 180},
        {"two notches down", QPoint(0, -240), 240}, {"a small turn up", QPoint(0, 15), 60},
        {"tilted right", QPoint(120, 0), 120},      {"tilted left", QPoint(-120, 0), 120},
        {"no turn at all", QPoint(0, 0), 120},      {"up and a little sideways", QPoint(-30, 120), 60},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        CScrollDialog form(0);
        form.SetScrollInfo(std::make_unique<controls::SScrollInfo>());
        form.resize(200, 600);
        form.OnInitDialog();
        form.resize(200, 200);
        form.show();
        ASSERT_GT(form.ScrollInfo()->pageHeight, 0);
        form.VerticalBar()->setValue(120);
        ASSERT_EQ(form.ScrollInfo()->scrollY, 120);
        QWheelEvent wheel(QPointF(50, 50), form.mapToGlobal(QPointF(50, 50)), QPoint(), row.angle,
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&form, &wheel);
        EXPECT_EQ(form.ScrollInfo()->scrollY, row.scrollY);
        EXPECT_EQ(form.Content()->y(), -row.scrollY);
    }
}

} // namespace
