#pragma once

#include <QString>
#include <memory>
#include <string>

class TiXmlDocument;
class TiXmlElement;
class TiXmlNode;

// Writes a new XML parameter file: declaration version "1.0", encoding "GB2312", standalone "yes";
// names and values are 8-bit texts in the ANSI code page.
class CXmlWriter {
public:
    CXmlWriter(const QString& path, const std::string& rootName);
    CXmlWriter(const CXmlWriter&) = delete;
    CXmlWriter& operator=(const CXmlWriter&) = delete;
    virtual ~CXmlWriter();

    // Appends the root element once; true when a root exists.
    bool CreateRoot();
    TiXmlElement* Root() const { return m_root; }

    // Appends a new last child of 'parent' (null when the parent is null).
    TiXmlElement* AddElement(TiXmlNode* parent, const char* name);
    TiXmlElement* AddElementWithAttribute(TiXmlNode* parent, const char* name, const char* attribute,
                                          const std::string& value);
    int SetXmlAttribute(TiXmlNode* element, const char* name, const std::string& value);

    // Replaces the file at the path with the document; 1 when every byte reached the file, 0 otherwise
    // (kept as the last result). A failed save leaves the file as it was.
    int Save();
    // Why the last save failed; empty after a successful one.
    QString LastError() const { return m_error; }

private:
    std::unique_ptr<TiXmlDocument> m_document;
    TiXmlElement* m_root = nullptr;
    QString m_path;
    std::string m_rootName;
    int m_result = 0;
    QString m_error;
};
