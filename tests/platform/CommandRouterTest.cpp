#include "platform/CommandRouter.h"

#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

using namespace platform;

QApplication& App() {
    static int argc = 1;
    static char name[] = "platform_gui_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app =
        qobject_cast<QApplication*>(QCoreApplication::instance()) ? qApp : new QApplication(argc, argv);
    return *app;
}

void RunIdle() {
    QEventLoop loop;
    QTimer::singleShot(30, &loop, &QEventLoop::quit);
    loop.exec();
}

TEST(CommandRouter, TriggeredActionsRunTheirHandlers) {
    App();
    CCommandRouter router;
    std::vector<unsigned> ran;
    router.OnCommand(32810, [&] { ran.push_back(32810); });
    router.OnCommandRange(32811, 32813, [&](unsigned id) { ran.push_back(id); });
    QAction current, ccdf, other;
    router.AddAction(&current, 32810);
    router.AddAction(&ccdf, 32812);
    router.AddAction(&other, 32900);
    EXPECT_EQ(CommandId(&ccdf), 32812u);
    current.trigger();
    ccdf.trigger();
    other.trigger();
    EXPECT_EQ(ran, (std::vector<unsigned>{32810, 32812}));
    EXPECT_TRUE(router.Execute(32813));
    EXPECT_FALSE(router.Execute(32814));
    EXPECT_EQ(ran.back(), 32813u);
}

TEST(CommandRouter, UpdateHandlersEnableAndCheck) {
    App();
    CCommandRouter router;
    bool running = false;
    unsigned page = 32810;
    router.OnCommand(32771, [] {});
    router.OnUpdateCommand(32771, [&](CCmdUI& ui) { ui.Enable(!running); });
    router.OnCommandRange(32810, 32813, [&](unsigned id) { page = id; });
    router.OnUpdateCommandRange(32810, 32813, [&](CCmdUI& ui) { ui.SetCheck(ui.m_nID == page ? 1 : 0); });
    router.OnUpdateCommand(32999, [](CCmdUI& ui) { ui.SetText(QStringLiteral("状态")); });
    QAction start, current, voltage, noHandler, textOnly;
    router.AddAction(&start, 32771);
    router.AddAction(&current, 32810);
    router.AddAction(&voltage, 32811);
    router.AddAction(&noHandler, 32950);
    router.AddAction(&textOnly, 32999);

    struct Row {
        const char* name;
        QAction* action;
        bool enabled;
        bool checked;
    };
    const auto check = [](std::initializer_list<Row> rows) {
        for (const Row& r : rows) {
            EXPECT_EQ(r.action->isEnabled(), r.enabled) << r.name;
            EXPECT_EQ(r.action->isChecked(), r.checked) << r.name;
        }
    };
    router.UpdateCommandUI();
    check({{"start", &start, true, false},
           {"current", &current, true, true},
           {"voltage", &voltage, true, false},
           {"no handler", &noHandler, false, false},
           {"update only", &textOnly, false, false}});
    EXPECT_EQ(textOnly.text(), QStringLiteral("状态"));

    running = true;
    voltage.trigger();
    router.UpdateCommandUI();
    check({{"start while running", &start, false, false},
           {"current after switch", &current, true, false},
           {"voltage after switch", &voltage, true, true}});
}

TEST(CommandRouter, StatesRefreshWhenTheEventLoopIsIdle) {
    App();
    CCommandRouter router;
    bool allowed = true;
    router.OnCommand(32772, [] {});
    router.OnUpdateCommand(32772, [&](CCmdUI& ui) { ui.Enable(allowed); });
    QAction stop;
    router.AddAction(&stop, 32772);
    EXPECT_TRUE(stop.isEnabled());
    allowed = false;
    RunIdle();
    EXPECT_FALSE(stop.isEnabled());
    allowed = true;
    RunIdle();
    EXPECT_TRUE(stop.isEnabled());
}

TEST(CommandRouter, RemovedAndDestroyedActionsAreLeftAlone) {
    App();
    CCommandRouter router;
    int runs = 0;
    router.OnCommand(1, [&] { ++runs; });
    QAction kept;
    router.AddAction(&kept, 1);
    router.RemoveAction(&kept);
    kept.trigger();
    EXPECT_EQ(runs, 0);
    {
        QAction gone;
        router.AddAction(&gone, 1);
    }
    router.UpdateCommandUI();
    RunIdle();
    EXPECT_EQ(runs, 0);
}

} // namespace
