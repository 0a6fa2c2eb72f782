#pragma once

#include <QString>
#include <memory>
#include <string>
#include <vector>

class TiXmlDocument;
class TiXmlElement;
class TiXmlNode;

// Why a parameter file did not open at its root element.
enum class eXmlReadError {
    None,
    Missing,         // no such file (or not a regular file)
    Unreadable,      // the system refused to read it
    Empty,           // no bytes, or white space only
    TooLarge,        // larger than any parameter file can be
    Utf16,           // UTF-16 text; the parameter files are 8-bit text
    TooDeep,         // elements nested deeper than any parameter file has them
    TooManyElements, // more markup than any parameter file holds
    Malformed,       // not well-formed XML (Row and Column say where)
    WrongRoot,       // well-formed, but without the expected root element
    Content,         // the root is there, but not what the reader needs under it
};

// Reading an XML parameter file: the loaded document and its root element of the expected name.
struct XmlReadDocument {
    XmlReadDocument();
    XmlReadDocument(XmlReadDocument&&) noexcept;
    XmlReadDocument& operator=(XmlReadDocument&&) noexcept;
    ~XmlReadDocument();

    std::unique_ptr<TiXmlDocument> Document;
    TiXmlElement* Root = nullptr; // null when the file did not load or has no such root
    eXmlReadError Error = eXmlReadError::None;
    int Row = 0; // where a malformed document went wrong, from 1; 0 when unknown
    int Column = 0;
};

// Bounds of what a parameter file can be: ours are a few kilobytes of elements nested at most four
// deep. A file beyond them is refused before it is parsed, so that no file can exhaust the stack
// (the parser descends once per level) or the memory.
namespace xmlfile {
constexpr long long kMaxDocumentBytes = 1 << 20;
constexpr int kMaxDocumentDepth = 32;
constexpr int kMaxDocumentMarkup = 1024; // '<' characters in all

// Whether the reader takes the text in as far as these bounds go: None, or why it would refuse it
// (TooLarge, TooDeep, TooManyElements, Empty, Utf16). The writer asks before it replaces a file, so
// that no file the program writes is refused at its next start.
eXmlReadError CheckDocumentBounds(const std::string& text);
} // namespace xmlfile

// Loads the file and finds the first top-level element named exactly 'rootName' (case-sensitive).
// A missing, unreadable, malformed or oversized file gives a null root and says why in Error; a file
// that is there but does not open is also noted for the collector of the moment (below).
XmlReadDocument OpenXmlDocument(const QString& path, const std::string& rootName);

// Why the document did not open, in English words for a log or a console ("" when it did).
QString DescribeXmlReadError(const XmlReadDocument& document);
QString DescribeXmlReadError(eXmlReadError error, int row = 0, int column = 0);

// Destroys the document; calling it again does nothing.
void CloseXmlDocument(XmlReadDocument& document);

// Reads an attribute of an element as 8-bit text. 0 when the document has no root or the node is not
// an element; otherwise 1, with an empty text when the attribute is missing.
int ReadXmlAttribute(const XmlReadDocument& document, const TiXmlNode* element, const char* name,
                     std::string& value);

// The parameter files keep each setting in an element named by it, with its value in the attribute
// "Value"; the main configuration file and the plot parameter files share one root element.
inline constexpr const char* kXmlValueAttribute = "Value";
inline constexpr const char* kXmlSuiteRoot = "LumoraSuite";

// What ReadElementAttribute found.
enum class eXmlSetting {
    NoElement,   // no parent, or no child element of that name: the text is left as it was
    NoAttribute, // the element has no such attribute: the text is empty
    Text,        // the attribute's text, decoded from the ANSI code page
    NotText,     // bytes that are no text of the code page: the text holds U+FFFD in their place
};

// The attribute (by default "Value") of the first child element 'name' of 'parent', as text.
eXmlSetting ReadElementAttribute(const XmlReadDocument& document, const TiXmlElement* parent,
                                 const char* name, QString& text, const char* attribute = kXmlValueAttribute);

// A parameter file that is there and was not read, and why.
struct SXmlReadProblem {
    QString path;
    eXmlReadError error = eXmlReadError::None;
    int row = 0;
    int column = 0;
};

// While one lives (the program's start-up), every parameter file that is there but was not read is
// noted in it, once per path, so that the program can say in one message which files it did not
// read. Collectors nest; the innermost one collects what its own thread reads.
class CXmlReadProblems {
public:
    CXmlReadProblems();
    ~CXmlReadProblems();
    CXmlReadProblems(const CXmlReadProblems&) = delete;
    CXmlReadProblems& operator=(const CXmlReadProblems&) = delete;

    const std::vector<SXmlReadProblem>& Problems() const { return m_problems; }

    // Notes a problem with the collector of the moment, if there is one.
    static void Note(const QString& path, eXmlReadError error, int row = 0, int column = 0);

private:
    CXmlReadProblems* m_outer = nullptr;
    std::vector<SXmlReadProblem> m_problems;
};
