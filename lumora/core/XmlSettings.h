#pragma once

#include "common/xmlfile/XmlDocument.h"
#include "common/xmlfile/XmlWriter.h"

#include <QString>
#include <cstdint>

class TiXmlElement;

// Setting elements shared by the parameter files: an element named by the field with its value in the
// attribute "Value", texts in the ANSI code page.
namespace core {

// False when the element is missing (the field keeps its value); true otherwise, with an empty text
// when the element has no "Value".
bool ReadValue(const XmlReadDocument& document, const TiXmlElement* parent, const char* name, QString& value);

// Each leaves the field as it was when its element is missing.
void ReadInt(const XmlReadDocument& document, const TiXmlElement* parent, const char* name, int& field);
void ReadUnsigned(const XmlReadDocument& document, const TiXmlElement* parent, const char* name,
                  unsigned& field);
void ReadDouble(const XmlReadDocument& document, const TiXmlElement* parent, const char* name, double& field);
void ReadText(const XmlReadDocument& document, const TiXmlElement* parent, const char* name, QString& field);

// Reads an attribute of 'element' into a text; false only when the read itself fails.
bool ReadAttributeText(const XmlReadDocument& document, const TiXmlElement* element, const char* name,
                       QString& field);

// The writers take the same parent element of the file as it was before ('previous', may be null):
// when the setting's text there reads as the value the record holds, that text is written again as
// it stands (its spelling, its digits, bytes that are no character of the code page), so that what
// the program did not change comes back as it was read. A changed value is written in the file's
// format when that reads back as the value, else in a form that does.
void WriteText(CXmlWriter& writer, TiXmlElement* parent, const char* name, const QString& value,
               const TiXmlElement* previous = nullptr);
void WriteInt(CXmlWriter& writer, TiXmlElement* parent, const char* name, int value,
              const TiXmlElement* previous = nullptr);
// Unsigned settings are written with "%d", as the files have always held them (they read back the same).
void WriteUnsigned(CXmlWriter& writer, TiXmlElement* parent, const char* name, unsigned value,
                   const TiXmlElement* previous = nullptr);
// "%f", or the shortest text that reads back as the value where six decimals would not.
void WriteDouble(CXmlWriter& writer, TiXmlElement* parent, const char* name, double value,
                 const TiXmlElement* previous = nullptr);
// An attribute of 'element' with the same rule against the attribute of 'previous'.
void WriteAttributeText(CXmlWriter& writer, TiXmlElement* element, const char* name, const QString& value,
                        const TiXmlElement* previous = nullptr);
// The first child element of that name, or null (also for a null parent).
const TiXmlElement* ChildElement(const TiXmlElement* parent, const char* name);

} // namespace core
