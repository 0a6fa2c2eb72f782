#include "common/xmlfile/XmlDocument.h"

#include "platform/Paths.h"

#include <QFile>
#include <QFileInfo>
#include <tinyxml.h>

XmlReadDocument::XmlReadDocument() = default;
XmlReadDocument::XmlReadDocument(XmlReadDocument&&) noexcept = default;
XmlReadDocument& XmlReadDocument::operator=(XmlReadDocument&&) noexcept = default;
XmlReadDocument::~XmlReadDocument() = default;

XmlReadDocument OpenXmlDocument(const QString& path, const std::string& rootName) {
    XmlReadDocument read;
    read.Document = std::make_unique<TiXmlDocument>();
    const QString native = platform::NormalizePath(path);
    // A folder opens as a stream on this system; only regular files are documents.
    if (native.isEmpty() || !QFileInfo(native).isFile())
        return read;
    if (read.Document->LoadFile(QFile::encodeName(native).constData(), TIXML_ENCODING_UNKNOWN))
        read.Root = read.Document->FirstChildElement(rootName.c_str());
    return read;
}

void CloseXmlDocument(XmlReadDocument& document) {
    document.Root = nullptr;
    document.Document.reset();
}

int ReadXmlAttribute(const XmlReadDocument& document, const TiXmlNode* element, const char* name,
                     std::string& value) {
    value.clear();
    if (document.Root == nullptr || element == nullptr || element->ToElement() == nullptr || name == nullptr)
        return 0;
    if (const char* text = element->ToElement()->Attribute(name))
        value = text;
    return 1;
}
