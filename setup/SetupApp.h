#pragma once

#include <QString>

// The launcher's application object: reads "TORVANE.AutoRun.xml" from its own folder and starts the
// installer named there, or, with the command line "UNINSTALL;<id>", the uninstaller of that
// installation. It shows no window and writes nothing.
class CSetupApp {
public:
    CSetupApp() = default;
    virtual ~CSetupApp();

    // The whole run. True when the target was started; false when another launcher runs, the
    // command line names nothing, or the target is refused or fails to start (the reason is in
    // LastError()).
    bool InitInstance(const QString& ownFolder, const QString& applicationName, const QString& commandLine);

    // Reads the launcher file of the folder into the six texts. A file that is there but cannot be
    // read leaves them empty; why it was not read goes into the reason of a launch that then fails.
    void ReadLauncherFile(const QString& ownFolder);
    bool Launch(const QString& ownFolder, const QString& commandLine);

    const QString& LastError() const { return m_lastError; }

    QString m_strInstallName;
    QString m_strInstallValue;
    QString m_strDocumentsName;
    QString m_strDocumentsValue;
    QString m_strProductNameCN;
    QString m_strProductNameEN;

    static constexpr const char* kLauncherFileName = "TORVANE.AutoRun.xml";

private:
    QString m_lastError;
    QString m_launcherFileProblem;
    // The launcher file has an Install element, with or without a Value.
    bool m_installElement = false;
};
