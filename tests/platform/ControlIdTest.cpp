#include "platform/ControlId.h"

#include <QApplication>
#include <QLabel>
#include <gtest/gtest.h>

namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "platform_gui_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app =
        qobject_cast<QApplication*>(QCoreApplication::instance()) ? qApp : new QApplication(argc, argv);
    return *app;
}

TEST(ControlId, FindsControlsByIdAtAnyDepth) {
    App();
    QWidget dialog;
    auto* group = new QWidget(&dialog);
    auto* label = new QLabel(group);
    platform::SetControlId(label, 1006);
    EXPECT_EQ(platform::FindControl(&dialog, 1006), label);
    EXPECT_EQ(platform::FindControl<QLabel>(&dialog, 1006), label);
    EXPECT_EQ(platform::FindControl<QLabel>(&dialog, -1), nullptr);
    EXPECT_EQ(platform::ControlId(label), 1006);
    EXPECT_EQ(label->objectName(), QStringLiteral("ctl1006"));
    EXPECT_EQ(platform::ControlId(group), -1);
    EXPECT_EQ(platform::FindControl(&dialog, 1007), nullptr);
    EXPECT_EQ(platform::FindControl(nullptr, 1006), nullptr);
}

} // namespace
