// A user at the keyboard, plugged into the real program the way Qt plugs in an input device
// (QT_QPA_GENERIC_PLUGINS=lumoratestuser:<command ids joined by '+'>). Once the main window is up it
// gives the commands in turn, each once it is enabled and no dialog is open, as the menus would, and
// says on standard output what it sees: "commands given" after the last, and "dialog <text>" (its
// lines joined by " | ") for every dialog that shows.
#include "tests/support/DialogText.h"

#include <QAction>
#include <QApplication>
#include <QGenericPlugin>
#include <QMainWindow>
#include <QSet>
#include <QTimer>
#include <cstdio>

namespace {

void Say(QString line) {
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" | ")).replace(u'\n', QStringLiteral(" | "));
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

class CTestUser : public QObject {
public:
    explicit CTestUser(const QString& commands) : m_commands(commands.split(u'+', Qt::SkipEmptyParts)) {
        connect(&m_look, &QTimer::timeout, this, [this] { Look(); });
        m_look.start(20);
    }

private:
    void Look() {
        QMainWindow* frame = nullptr;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* main = qobject_cast<QMainWindow*>(window); main != nullptr && main->isVisible())
                frame = main;
            auto* dialog = qobject_cast<QDialog*>(window);
            if (dialog == nullptr || !dialog->isVisible() || m_seen.contains(dialog))
                continue;
            m_seen.insert(dialog);
            connect(dialog, &QObject::destroyed, this, [this, dialog] { m_seen.remove(dialog); });
            Say(QStringLiteral("dialog ") + testsupport::DialogText(*dialog));
        }
        if (frame == nullptr || m_next >= m_commands.size() || QApplication::activeModalWidget() != nullptr)
            return;
        QAction* action = frame->findChild<QAction*>(m_commands[m_next]);
        if (action == nullptr || !action->isEnabled())
            return;
        action->trigger();
        if (++m_next == m_commands.size())
            Say(QStringLiteral("commands given"));
    }

    QStringList m_commands;
    qsizetype m_next = 0;
    QTimer m_look;
    QSet<QDialog*> m_seen;
};

} // namespace

class CTestUserPlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "TestUserPlugin.json")
public:
    QObject* create(const QString& key, const QString& commands) override {
        if (key.compare(QStringLiteral("lumoratestuser"), Qt::CaseInsensitive) != 0)
            return nullptr;
        return new CTestUser(commands);
    }
};

#include "TestUserPlugin.moc"
