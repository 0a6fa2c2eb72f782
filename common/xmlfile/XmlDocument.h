#pragma once

#include <QString>
#include <memory>
#include <string>

class TiXmlDocument;
class TiXmlElement;
class TiXmlNode;

// Reading an XML parameter file: the loaded document and its root element of the expected name.
struct XmlReadDocument {
    XmlReadDocument();
    XmlReadDocument(XmlReadDocument&&) noexcept;
    XmlReadDocument& operator=(XmlReadDocument&&) noexcept;
    ~XmlReadDocument();

    std::unique_ptr<TiXmlDocument> Document;
    TiXmlElement* Root = nullptr; // null when the file did not load or has no such root
};

// Loads the file and finds the first top-level element named exactly 'rootName' (case-sensitive).
// A missing, unreadable or malformed file gives a null root.
XmlReadDocument OpenXmlDocument(const QString& path, const std::string& rootName);

// Destroys the document; calling it again does nothing.
void CloseXmlDocument(XmlReadDocument& document);

// Reads an attribute of an element as 8-bit text. 0 when the document has no root or the node is not
// an element; otherwise 1, with an empty text when the attribute is missing.
int ReadXmlAttribute(const XmlReadDocument& document, const TiXmlNode* element, const char* name,
                     std::string& value);
