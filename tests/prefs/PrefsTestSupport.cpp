#include "PrefsTestSupport.h"

#include "platform/ControlId.h"
#include "platform/MessageBox.h"
#include "platform/Profile.h"
#include "platform/ProgramFolder.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <gtest/gtest.h>

namespace prefstest {

void EnsureApplication() {
    static int argc = 1;
    static char name[] = "prefs_gui_tests";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance() == nullptr)
        new QApplication(argc, argv);
}

CTestEnvironment::CTestEnvironment() {
    EnsureApplication();
    QDir(m_dir.path()).mkpath(QStringLiteral("Config"));
    platform::SetProgramFolderOverride(m_dir.path() + u'/');
    platform::SetProfileFileOverride(Path(QStringLiteral("profile.ini")));
    platform::SetMessageBoxSink([this](const QString& text, const QString&, unsigned) {
        m_messages << text;
        return platform::IDOK;
    });
}

CTestEnvironment::~CTestEnvironment() {
    platform::SetMessageBoxSink({});
    platform::SetProfileFileOverride(QString());
    platform::SetProgramFolderOverride(QString());
}

void WithModalDialog(const std::function<void(QDialog&)>& action) {
    QTimer::singleShot(0, [action] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            ADD_FAILURE() << "no modal dialog";
            return;
        }
        QPointer<QDialog> guard(dialog);
        action(*dialog);
        if (guard && guard->isVisible()) {
            ADD_FAILURE() << "the action left the dialog open";
            guard->reject();
        }
    });
}

void ClickControl(QWidget& parent, int id) {
    auto* button = platform::FindControl<QAbstractButton>(&parent, id);
    ASSERT_NE(button, nullptr) << "control " << id;
    QTest::mouseClick(button, Qt::LeftButton);
}

int CMessageSink::Count(platform::UINT message) const {
    return static_cast<int>(std::count_if(messages.begin(), messages.end(),
                                          [message](const Message& m) { return m.message == message; }));
}

} // namespace prefstest
