#include "common/xmlfile/XmlWriter.h"

#include "platform/Paths.h"

#include <QFile>
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
    if (m_document)
        m_result = (!m_path.isEmpty() && m_document->SaveFile(QFile::encodeName(m_path).constData())) ? 1 : 0;
    return m_result;
}
