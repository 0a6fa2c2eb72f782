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

void WriteText(CXmlWriter& writer, TiXmlElement* parent, const char* name, const QString& value);
void WriteInt(CXmlWriter& writer, TiXmlElement* parent, const char* name, int value);
// Unsigned settings are written with "%d", as the files have always held them.
void WriteUnsigned(CXmlWriter& writer, TiXmlElement* parent, const char* name, unsigned value);
void WriteDouble(CXmlWriter& writer, TiXmlElement* parent, const char* name, double value);

} // namespace core
