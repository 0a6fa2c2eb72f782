#include "lumora/core/XmlSettings.h"

#include "common/xmlfile/TextConversion.h"
#include "platform/Numbers.h"

#include <tinyxml.h>

namespace core {
namespace {

constexpr const char* kValue = "Value";

} // namespace

bool ReadAttributeText(const XmlReadDocument& document, const TiXmlElement* element, const char* name,
                       QString& field) {
    std::string text;
    if (ReadXmlAttribute(document, element, name, text) == 0)
        return false;
    QString converted;
    if (AnsiToUnicode(text, converted) != xmlfile::S_OK)
        return false;
    field = converted;
    return true;
}

bool ReadValue(const XmlReadDocument& document, const TiXmlElement* parent, const char* name,
               QString& value) {
    if (parent == nullptr)
        return false;
    const TiXmlElement* element = parent->FirstChildElement(name);
    if (element == nullptr)
        return false;
    value.clear();
    return ReadAttributeText(document, element, kValue, value);
}

void ReadInt(const XmlReadDocument& document, const TiXmlElement* parent, const char* name, int& field) {
    QString text;
    if (ReadValue(document, parent, name, text))
        field = platform::WToI(text);
}

void ReadUnsigned(const XmlReadDocument& document, const TiXmlElement* parent, const char* name,
                  unsigned& field) {
    QString text;
    if (ReadValue(document, parent, name, text))
        field = platform::WcsToUL(text, 10);
}

void ReadDouble(const XmlReadDocument& document, const TiXmlElement* parent, const char* name,
                double& field) {
    QString text;
    if (ReadValue(document, parent, name, text))
        field = platform::WToF(text);
}

void ReadText(const XmlReadDocument& document, const TiXmlElement* parent, const char* name, QString& field) {
    QString text;
    if (ReadValue(document, parent, name, text))
        field = text;
}

void WriteText(CXmlWriter& writer, TiXmlElement* parent, const char* name, const QString& value) {
    std::string ansi;
    UnicodeToAnsi(value, ansi);
    writer.AddElementWithAttribute(parent, name, kValue, ansi);
}

void WriteInt(CXmlWriter& writer, TiXmlElement* parent, const char* name, int value) {
    writer.AddElementWithAttribute(parent, name, kValue, platform::CFormatA("%d", value));
}

void WriteUnsigned(CXmlWriter& writer, TiXmlElement* parent, const char* name, unsigned value) {
    writer.AddElementWithAttribute(parent, name, kValue, platform::CFormatA("%d", static_cast<int>(value)));
}

void WriteDouble(CXmlWriter& writer, TiXmlElement* parent, const char* name, double value) {
    writer.AddElementWithAttribute(parent, name, kValue, platform::CFormatA("%f", value));
}

} // namespace core
