#pragma once

#include <QApplication>

namespace controls_test {

// One offscreen application for the whole test program.
inline QApplication& App() {
    static int argc = 1;
    static char name[] = "controls_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app =
        qobject_cast<QApplication*>(QCoreApplication::instance()) ? qApp : new QApplication(argc, argv);
    return *app;
}

} // namespace controls_test
