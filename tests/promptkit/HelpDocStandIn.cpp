// A help library for the tests: remembers the topic it was asked for and answers 7.
#include <QString>

namespace {
QString g_lastTopic;
}

extern "C" int DLL_InvokeHelpFileCHM(const QString& topic) {
    g_lastTopic = topic;
    return 7;
}

extern "C" const QString* HelpDocLastTopic() {
    return &g_lastTopic;
}
