#include "lumora/core/XmlSettings.h"

#include "common/xmlfile/TextConversion.h"
#include "platform/CodePage.h"
#include "platform/Numbers.h"

#include <charconv>
#include <cmath>
#include <tinyxml.h>

namespace core {
namespace {

constexpr const char* kValue = kXmlValueAttribute;

// The setting's raw text in the file as it was, or null.
const char* PreviousValue(const TiXmlElement* previous, const char* name) {
    const TiXmlElement* element = ChildElement(previous, name);
    return element != nullptr ? element->Attribute(kValue) : nullptr;
}

bool SameDouble(double a, double b) {
    return a == b || (std::isnan(a) && std::isnan(b));
}

std::string RoundTripDouble(double value) {
    std::string text = platform::CFormatA("%f", value);
    if (SameDouble(platform::WToF(QString::fromLatin1(text)), value))
        return text;
    char shortest[64];
    const auto [end, error] = std::to_chars(shortest, shortest + sizeof shortest, value);
    return error == std::errc() ? std::string(shortest, end) : text;
}

} // namespace

const TiXmlElement* ChildElement(const TiXmlElement* parent, const char* name) {
    return parent != nullptr ? parent->FirstChildElement(name) : nullptr;
}

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
    return ReadElementAttribute(document, parent, name, value) != eXmlSetting::NoElement;
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

void WriteText(CXmlWriter& writer, TiXmlElement* parent, const char* name, const QString& value,
               const TiXmlElement* previous) {
    const char* before = PreviousValue(previous, name);
    if (before != nullptr && platform::FromAnsi(before) == value) {
        writer.AddElementWithAttribute(parent, name, kValue, before);
        return;
    }
    std::string ansi;
    UnicodeToAnsi(value, ansi);
    writer.AddElementWithAttribute(parent, name, kValue, ansi);
}

void WriteInt(CXmlWriter& writer, TiXmlElement* parent, const char* name, int value,
              const TiXmlElement* previous) {
    const char* before = PreviousValue(previous, name);
    if (before != nullptr && platform::WToI(platform::FromAnsi(before)) == value)
        writer.AddElementWithAttribute(parent, name, kValue, before);
    else
        writer.AddElementWithAttribute(parent, name, kValue, platform::CFormatA("%d", value));
}

void WriteUnsigned(CXmlWriter& writer, TiXmlElement* parent, const char* name, unsigned value,
                   const TiXmlElement* previous) {
    const char* before = PreviousValue(previous, name);
    if (before != nullptr && platform::WcsToUL(platform::FromAnsi(before), 10) == value)
        writer.AddElementWithAttribute(parent, name, kValue, before);
    else
        writer.AddElementWithAttribute(parent, name, kValue,
                                       platform::CFormatA("%d", static_cast<int>(value)));
}

void WriteDouble(CXmlWriter& writer, TiXmlElement* parent, const char* name, double value,
                 const TiXmlElement* previous) {
    const char* before = PreviousValue(previous, name);
    if (before != nullptr && SameDouble(platform::WToF(platform::FromAnsi(before)), value))
        writer.AddElementWithAttribute(parent, name, kValue, before);
    else
        writer.AddElementWithAttribute(parent, name, kValue, RoundTripDouble(value));
}

void WriteAttributeText(CXmlWriter& writer, TiXmlElement* element, const char* name, const QString& value,
                        const TiXmlElement* previous) {
    const char* before = previous != nullptr ? previous->Attribute(name) : nullptr;
    if (before != nullptr && platform::FromAnsi(before) == value) {
        writer.SetXmlAttribute(element, name, before);
        return;
    }
    std::string ansi;
    UnicodeToAnsi(value, ansi);
    writer.SetXmlAttribute(element, name, ansi);
}

} // namespace core
