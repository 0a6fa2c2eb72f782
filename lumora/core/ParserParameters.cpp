#include "lumora/core/ParserParameters.h"

#include "common/xmlfile/PathHelpers.h"
#include "common/xmlfile/TextHelpers.h"
#include "lumora/core/XmlSettings.h"
#include "platform/Numbers.h"

#include <algorithm>
#include <tinyxml.h>

using namespace core;

namespace {

constexpr const char* kRoot = "LumoraSuite";

// A stored folder: made absolute when not empty; an empty text stays empty.
void ReadFolder(const XmlReadDocument& document, const TiXmlElement* parent, const char* name,
                QString& field) {
    QString text;
    if (!ReadValue(document, parent, name, text))
        return;
    field = text.isEmpty() ? text : MakeAbsolutePath(text);
}

void ReadGeneral(const XmlReadDocument& document, const TiXmlElement* general, MainPreferences& p) {
    QString text;
    // The configuration path leads the section: when it cannot be read, the section is not trusted.
    if (general == nullptr ||
        !ReadAttributeText(document, general->FirstChildElement("PathConfig"), "Value", text))
        return;
    p.PathConfig =
        text.isEmpty() ? GetModuleDirectory() + QStringLiteral("Config/MainApp.xml") : MakeAbsolutePath(text);

    if (ReadValue(document, general, "LogPath", text))
        p.LogPath =
            text.isEmpty() ? GetModuleDirectory() + QStringLiteral("LogFiles/") : MakeAbsolutePath(text);
    ReadText(document, general, "LogFileName", p.LogFileName);
    if (p.LogFileName.isEmpty())
        p.LogFileName =
            FormatDateTime(QDateTime::currentDateTime(), QStringLiteral("QX_Log_%Y-%m-%d_%H-%M-%S.txt"));
    ReadInt(document, general, "SaveLog", p.SaveLog);
    ReadFolder(document, general, "FilePathCurr", p.FilePathCurr);
    ReadInt(document, general, "AutoSaveCurr", p.AutoSaveCurr);
    ReadFolder(document, general, "FilePathVolt", p.FilePathVolt);
    ReadInt(document, general, "AutoSaveVolt", p.AutoSaveVolt);
    ReadFolder(document, general, "FilePathCCDF", p.FilePathCCDF);
    ReadInt(document, general, "AutoSaveCCDF", p.AutoSaveCCDF);
    ReadFolder(document, general, "FilePathDataLogging", p.FilePathDataLogging);
    ReadInt(document, general, "AutoSaveDataLogging", p.AutoSaveDataLogging);
    // As stored: the data-logging timer keeps its own period within what a timer takes.
    ReadInt(document, general, "ElapsedRefresh", p.ElapsedRefresh);
}

} // namespace

int CParserParameters::Load(const QString& path, MainPreferences* preferences) {
    if (preferences == nullptr)
        return 0;
    XmlReadDocument document = OpenXmlDocument(path, kRoot);
    if (document.Root == nullptr) {
        CloseXmlDocument(document);
        return 0;
    }
    MainPreferences& p = *preferences;
    ReadGeneral(document, document.Root->FirstChildElement("General"), p);

    const TiXmlElement* data = document.Root->FirstChildElement("Data");
    ReadInt(document, data, "Digits", p.Digits);
    // The decimals the writers honour, so that the record and its formats say what is written.
    p.Digits = std::clamp(p.Digits, 0, kMaxValueDigits);
    ReadInt(document, data, "EFormat_Little", p.EFormat_Little);
    ReadInt(document, data, "EFormat_Big", p.EFormat_Big);

    if (const TiXmlElement* measure = document.Root->FirstChildElement("Measure")) {
        QString text;
        p.MeasureMode = ReadValue(document, measure, "MeasureMode", text) ? platform::WToI(text) : 0;
    }
    p.UpdateDerivedFields();
    CloseXmlDocument(document);
    return 1;
}

int CParserParameters::Save(const QString& path, const MainPreferences* preferences) {
    if (preferences == nullptr)
        return 0;
    const MainPreferences& p = *preferences;
    CXmlWriter writer(path, kRoot);
    if (!writer.CreateRoot())
        return 0;
    TiXmlElement* general = writer.AddElement(writer.Root(), "General");
    WriteText(writer, general, "PathConfig", MakeRelativePath(p.PathConfig));
    WriteText(writer, general, "LogPath", MakeRelativePath(p.LogPath));
    WriteText(writer, general, "LogFileName", p.LogFileName);
    WriteInt(writer, general, "SaveLog", p.SaveLog);
    WriteText(writer, general, "FilePathCurr", MakeRelativePath(p.FilePathCurr));
    WriteInt(writer, general, "AutoSaveCurr", p.AutoSaveCurr);
    WriteText(writer, general, "FilePathVolt", MakeRelativePath(p.FilePathVolt));
    WriteInt(writer, general, "AutoSaveVolt", p.AutoSaveVolt);
    WriteText(writer, general, "FilePathCCDF", MakeRelativePath(p.FilePathCCDF));
    WriteInt(writer, general, "AutoSaveCCDF", p.AutoSaveCCDF);
    WriteText(writer, general, "FilePathDataLogging", MakeRelativePath(p.FilePathDataLogging));
    WriteInt(writer, general, "AutoSaveDataLogging", p.AutoSaveDataLogging);
    WriteInt(writer, general, "ElapsedRefresh", p.ElapsedRefresh);

    TiXmlElement* data = writer.AddElement(writer.Root(), "Data");
    WriteInt(writer, data, "Digits", p.Digits);
    WriteInt(writer, data, "EFormat_Little", p.EFormat_Little);
    WriteInt(writer, data, "EFormat_Big", p.EFormat_Big);

    TiXmlElement* measure = writer.AddElement(writer.Root(), "Measure");
    WriteInt(writer, measure, "MeasureMode", p.MeasureMode);
    return writer.Save();
}
