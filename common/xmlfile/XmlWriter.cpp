#include "common/xmlfile/XmlWriter.h"

#include "common/xmlfile/XmlDocument.h"

#include "platform/Paths.h"
#include "platform/ReplaceFile.h"

#include <tinyxml.h>

CXmlWriter::CXmlWriter(const QString& path, const std::string& rootName)
    : m_document(std::make_unique<TiXmlDocument>()), m_path(platform::NormalizePath(path)),
      m_rootName(rootName) {
    m_document->LinkEndChild(new TiXmlDeclaration("1.0", "GB2312", "yes"));
}

CXmlWriter::~CXmlWriter() = default;

bool CXmlWriter::CreateRoot() {
    if (m_root == nullptr && m_document)
        m_root = m_document->LinkEndChild(new TiXmlElement(m_rootName.c_str()))->ToElement();
    return m_root != nullptr;
}

TiXmlElement* CXmlWriter::AddElement(TiXmlNode* parent, const char* name) {
    if (parent == nullptr || name == nullptr)
        return nullptr;
    return parent->LinkEndChild(new TiXmlElement(name))->ToElement();
}

TiXmlElement* CXmlWriter::AddElementWithAttribute(TiXmlNode* parent, const char* name, const char* attribute,
                                                  const std::string& value) {
    TiXmlElement* element = AddElement(parent, name);
    if (element != nullptr)
        SetXmlAttribute(element, attribute, value);
    return element;
}

int CXmlWriter::SetXmlAttribute(TiXmlNode* element, const char* name, const std::string& value) {
    if (element != nullptr && element->ToElement() != nullptr && name != nullptr)
        element->ToElement()->SetAttribute(name, value.c_str());
    return 1;
}

int CXmlWriter::Save() {
    if (!m_document)
        return m_result;
    m_result = 0;
    if (m_path.isEmpty())
        return m_result;
    // TinyXML's own file output ignores a failed write or close: the text is made in memory and the
    // file replaced as a whole, so a full disk leaves the old file and gives 0.
    TiXmlPrinter printer;
    printer.SetIndent("    ");
    printer.SetLineBreak("\n");
    if (!m_document->Accept(&printer))
        return m_result;
    // What the program writes it must read back: a document the reader would refuse (a value read
    // from a file near the size bound grows as its characters are escaped) fails, and the old file
    // stays, rather than replacing the settings with a file the next start refuses.
    const std::string text(printer.CStr(), printer.Size());
    if (const eXmlReadError bound = xmlfile::CheckDocumentBounds(text); bound != eXmlReadError::None) {
        m_error = m_path + QStringLiteral(": not written, the file would not be read back: ") +
                  DescribeXmlReadError(bound);
        return m_result;
    }
    const QByteArray bytes(text.data(), static_cast<qsizetype>(text.size()));
    m_result = platform::ReplaceFileContents(m_path, bytes, &m_error) ? 1 : 0;
    if (m_result == 1)
        m_error.clear();
    return m_result;
}
