#include "setup/SetupApp.h"

#include "common/xmlfile/TextConversion.h"
#include "common/xmlfile/TextHelpers.h"
#include "common/xmlfile/XmlDocument.h"
#include "setup/InstanceChecker.h"
#include "setup/LaunchTarget.h"

#include <QStringList>
#include <tinyxml.h>

CSetupApp::~CSetupApp() = default;

bool CSetupApp::InitInstance(const QString& ownFolder, const QString& applicationName,
                             const QString& commandLine) {
    CInstanceChecker checker(applicationName);
    if (!checker.TrackFirstInstanceRunning()) {
        // The first launcher has no window to bring forward; this one just ends.
        m_lastError = QStringLiteral("another %1 is running").arg(applicationName);
        return false;
    }
    ReadLauncherFile(ownFolder);
    if (Launch(ownFolder, commandLine))
        return true;
    if (!m_launcherFileProblem.isEmpty())
        m_lastError = m_launcherFileProblem + QStringLiteral("; ") + m_lastError;
    return false;
}

void CSetupApp::ReadLauncherFile(const QString& ownFolder) {
    const QString path = ownFolder + QString::fromLatin1(kLauncherFileName);
    XmlReadDocument document = OpenXmlDocument(path, "Project");
    m_launcherFileProblem.clear();
    m_installElement = false;
    if (document.Error != eXmlReadError::None && document.Error != eXmlReadError::Missing)
        m_launcherFileProblem =
            QStringLiteral("%1 was not read: %2").arg(path, DescribeXmlReadError(document));
    if (document.Root == nullptr)
        return;
    const auto read = [&document](const char* elementName, const char* attribute, QString& member) {
        const TiXmlElement* element = document.Root->FirstChildElement(elementName);
        std::string value;
        QString text;
        if (element != nullptr && ReadXmlAttribute(document, element, attribute, value) == 1 &&
            AnsiToUnicode(value, text) == xmlfile::S_OK)
            member = text;
    };
    read("Product", "NameCN", m_strProductNameCN);
    read("Product", "NameEN", m_strProductNameEN);
    m_installElement = document.Root->FirstChildElement("Install") != nullptr;
    read("Install", "Name", m_strInstallName);
    read("Install", "Value", m_strInstallValue);
    read("Documents", "Name", m_strDocumentsName);
    read("Documents", "Value", m_strDocumentsValue);
}

bool CSetupApp::Launch(const QString& ownFolder, const QString& commandLine) {
    setup::SLaunchTarget target;
    if (commandLine.isEmpty()) {
        // An Install element that names no installer leaves the launcher's own folder to be opened:
        // the user finds the installation files there.
        target = m_installElement && m_strInstallValue.trimmed().isEmpty()
                     ? setup::ResolveFolderTarget(ownFolder)
                     : setup::ResolveInstallTarget(ownFolder, m_strInstallValue);
    } else {
        QStringList parts;
        SplitString(commandLine, QStringLiteral(";"), parts);
        if (parts.size() >= 2 && parts.at(0) == QStringLiteral("UNINSTALL"))
            target = setup::ResolveUninstallTarget(setup::ProgramFilesFolder(), parts.at(1));
        else
            target.error = QStringLiteral("the command line \"%1\" names nothing to start").arg(commandLine);
    }
    return setup::StartTarget(target, m_lastError);
}
