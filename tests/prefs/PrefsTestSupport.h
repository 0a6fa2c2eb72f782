#pragma once

#include "platform/MessageTarget.h"

#include <QDialog>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>
#include <functional>
#include <vector>

namespace prefstest {

void EnsureApplication();

// A profile, a program folder with its Config folder and a message-box recorder of the test's own.
class CTestEnvironment {
public:
    CTestEnvironment();
    ~CTestEnvironment();
    QString Path(const QString& name) const { return m_dir.path() + u'/' + name; }
    const QStringList& Messages() const { return m_messages; }
    void ClearMessages() { m_messages.clear(); }

private:
    QTemporaryDir m_dir;
    QStringList m_messages;
};

// Runs action on the modal dialog that the call opens, from inside its event loop. The action must
// end the dialog; one that does not is rejected so the test goes on.
void WithModalDialog(const std::function<void(QDialog&)>& action);

// Clicks the control with the id inside the widget.
void ClickControl(QWidget& parent, int id);

// A widget that keeps every message its children send.
class CMessageSink : public QWidget, public platform::CMessageTarget {
public:
    struct Message {
        platform::UINT message;
        platform::WPARAM wParam;
        platform::LPARAM lParam;
    };
    platform::LRESULT OnMessage(platform::UINT message, platform::WPARAM wParam,
                                platform::LPARAM lParam) override {
        messages.push_back({message, wParam, lParam});
        return 0;
    }
    int Count(platform::UINT message) const;
    std::vector<Message> messages;
};

} // namespace prefstest
