#pragma once

#include "tests/controls/GuiApp.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <functional>

namespace prompttest {

using controls_test::App;

// Runs inspect on the first modal dialog that shows; inspect closes it.
inline void WhenModalShows(QTimer& poll, std::function<void(QDialog*)> inspect) {
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&poll, inspect] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible())
            return;
        poll.stop();
        inspect(dialog);
    });
    poll.start();
}

} // namespace prompttest
