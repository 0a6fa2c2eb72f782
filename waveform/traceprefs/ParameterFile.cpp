#include "waveform/traceprefs/ParameterFile.h"

#include "common/xmlfile/TextConversion.h"
#include "common/xmlfile/XmlDocument.h"
#include "common/xmlfile/XmlWriter.h"
#include "platform/CodePage.h"
#include "platform/Numbers.h"

#include <tinyxml.h>

namespace {

constexpr const char* kRoot = "LumoraSuite";
constexpr const char* kParameters = "ParametersWaveform";
constexpr const char* kValue = "Value";

// Reads one attribute as text. false when the text does not convert from the code page; 'found' tells
// whether the element and attribute exist.
bool ReadText(const XmlReadDocument& doc, const TiXmlElement* parent, const char* element,
              const char* attribute, QString& text, bool& found) {
    found = false;
    const TiXmlElement* node = parent ? parent->FirstChildElement(element) : nullptr;
    if (node == nullptr || node->Attribute(attribute) == nullptr)
        return true;
    std::string ansi;
    if (ReadXmlAttribute(doc, node, attribute, ansi) != 1)
        return true;
    if (!platform::AnsiToText(ansi, text))
        return false;
    found = true;
    return true;
}

class CFieldReader {
public:
    CFieldReader(const XmlReadDocument& doc, const TiXmlElement* parent) : m_doc(doc), m_parent(parent) {}

    bool Text(const char* name, QString& field) {
        QString text;
        bool found = false;
        if (!ReadText(m_doc, m_parent, name, kValue, text, found))
            return false;
        if (found)
            field = text;
        return true;
    }
    bool Double(const char* name, double& field) {
        QString text;
        bool found = false;
        if (!ReadText(m_doc, m_parent, name, kValue, text, found))
            return false;
        if (found)
            field = platform::WToF(text);
        return true;
    }
    bool Int(const char* name, int& field) {
        QString text;
        bool found = false;
        if (!ReadText(m_doc, m_parent, name, kValue, text, found))
            return false;
        if (found)
            field = platform::WToI(text);
        return true;
    }
    bool Colour(const char* name, COLORREF& field) {
        QString text;
        bool found = false;
        if (!ReadText(m_doc, m_parent, name, kValue, text, found))
            return false;
        if (found)
            field = platform::WcsToUL(text, 10);
        return true;
    }

private:
    const XmlReadDocument& m_doc;
    const TiXmlElement* m_parent;
};

bool ReadStyles(const XmlReadDocument& doc, const TiXmlElement* parameters, CParameterWaveform& record) {
    const TiXmlElement* styles = parameters->FirstChildElement("Styles");
    if (styles == nullptr)
        return true;
    for (int n = 0; n < CParameterWaveform::kLineCount && n < static_cast<int>(record.Styles.size()); ++n) {
        const std::string name = platform::CFormatA("LineIndex_%d", n);
        CLineStyle& style = record.Styles[static_cast<size_t>(n)];
        QString text;
        bool found = false;
        if (!ReadText(doc, styles, name.c_str(), "LineWidth", text, found))
            return false;
        if (found)
            style.LineWidth = platform::WToI(text);
        if (!ReadText(doc, styles, name.c_str(), "LineColor", text, found))
            return false;
        if (found)
            style.LineColor = platform::WcsToUL(text.remove(QStringLiteral("0x")), 16);
    }
    return true;
}

} // namespace

// File names are UTF-8 here: any path the system takes is a path these files can live in.
extern "C" int DLL_LoadParameterFromFile(const QString& path, CParameterWaveform* record) {
    if (record == nullptr)
        return 0;
    XmlReadDocument doc = OpenXmlDocument(path, kRoot);
    if (doc.Root == nullptr)
        return 0;
    const TiXmlElement* parameters = doc.Root->FirstChildElement(kParameters);
    if (parameters == nullptr)
        return 1;
    CFieldReader read(doc, parameters);
    CParameterWaveform& r = *record;
    const bool ok =
        read.Text("ScaleTextHori", r.ScaleTextHori) && read.Text("ScaleTextVert", r.ScaleTextVert) &&
        read.Double("HoriMaxZoom", r.HoriMaxZoom) && read.Double("HoriMinZoom", r.HoriMinZoom) &&
        read.Double("VertMaxZoom", r.VertMaxZoom) && read.Double("VertMinZoom", r.VertMinZoom) &&
        read.Int("AxisWidth", r.AxisWidth) && read.Int("AxisStyle", r.AxisStyle) &&
        read.Colour("ColorAxis", r.ColorAxis) && read.Colour("ColorAxisBkGnd", r.ColorAxisBkGnd) &&
        read.Colour("ColorAxisText", r.ColorAxisText) && read.Int("LineStyle", r.LineStyle) &&
        read.Int("HoriUnitFixed", r.HoriUnitFixed) && read.Text("ChartName", r.ChartName) &&
        ReadStyles(doc, parameters, r);
    return ok ? 1 : 0;
}

extern "C" int DLL_SaveParameterToFile(const QString& path, CParameterWaveform* record) {
    if (record == nullptr)
        return 0;
    const CParameterWaveform& r = *record;
    CXmlWriter writer(path, kRoot);
    if (!writer.CreateRoot())
        return 0;
    TiXmlElement* parameters = writer.AddElement(writer.Root(), kParameters);
    auto text = [&](const char* name, const QString& value) {
        std::string ansi;
        UnicodeToAnsi(value, ansi);
        writer.AddElementWithAttribute(parameters, name, kValue, ansi);
    };
    auto number = [&](const char* name, const std::string& value) {
        writer.AddElementWithAttribute(parameters, name, kValue, value);
    };
    // Six decimals where they hold the limit, as the file has always had them; more where they do not
    // (a plot of nanoamperes), so that every limit reads back as it was.
    auto limit = [&](const char* name, double value) {
        number(name, platform::FormatExact(value, 6).toStdString());
    };
    text("ScaleTextHori", r.ScaleTextHori);
    text("ScaleTextVert", r.ScaleTextVert);
    limit("HoriMaxZoom", r.HoriMaxZoom);
    limit("HoriMinZoom", r.HoriMinZoom);
    limit("VertMaxZoom", r.VertMaxZoom);
    limit("VertMinZoom", r.VertMinZoom);
    number("AxisWidth", platform::CFormatA("%d", r.AxisWidth));
    number("AxisStyle", platform::CFormatA("%d", r.AxisStyle));
    number("ColorAxis", platform::CFormatA("%d", static_cast<int>(r.ColorAxis)));
    number("ColorAxisBkGnd", platform::CFormatA("%d", static_cast<int>(r.ColorAxisBkGnd)));
    number("ColorAxisText", platform::CFormatA("%d", static_cast<int>(r.ColorAxisText)));
    number("LineStyle", platform::CFormatA("%d", r.LineStyle));
    number("HoriUnitFixed", platform::CFormatA("%d", r.HoriUnitFixed));
    text("ChartName", r.ChartName);
    TiXmlElement* styles = writer.AddElement(parameters, "Styles");
    for (int n = 0; n < CParameterWaveform::kLineCount; ++n) {
        const CLineStyle fallback;
        const CLineStyle& style =
            n < static_cast<int>(r.Styles.size()) ? r.Styles[static_cast<size_t>(n)] : fallback;
        TiXmlElement* line = writer.AddElement(styles, platform::CFormatA("LineIndex_%d", n).c_str());
        writer.SetXmlAttribute(line, "LineWidth", platform::CFormatA("%d", style.LineWidth));
        writer.SetXmlAttribute(line, "LineColor",
                               platform::CFormatA("0x%.6X", static_cast<unsigned>(style.LineColor)));
    }
    return writer.Save();
}
