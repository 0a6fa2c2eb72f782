#include "common/xmlfile/XmlDocument.h"

#include "platform/CodePage.h"
#include "platform/Paths.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstring>
#include <tinyxml.h>

XmlReadDocument::XmlReadDocument() = default;
XmlReadDocument::XmlReadDocument(XmlReadDocument&&) noexcept = default;
XmlReadDocument& XmlReadDocument::operator=(XmlReadDocument&&) noexcept = default;
XmlReadDocument::~XmlReadDocument() = default;

namespace {

// TinyXML steps over a character by the length its lead byte claims, so a damaged file that ends in
// a multi-byte lead byte would make it read past a single terminating zero: the text it parses is
// followed by more zeros than any such step can skip.
constexpr std::size_t kParsePadding = 8;

// The file's text with line ends as TinyXML's own file reader gives them (CR LF and a lone CR become
// LF). At most one byte more than a parameter file may have is read, whatever the file's size.
eXmlReadError ReadDocumentText(const QString& path, std::string& text) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return eXmlReadError::Unreadable;
    const QByteArray bytes = file.read(xmlfile::kMaxDocumentBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return eXmlReadError::Unreadable;
    if (bytes.size() > xmlfile::kMaxDocumentBytes)
        return eXmlReadError::TooLarge;
    text.clear();
    text.reserve(static_cast<std::size_t>(bytes.size()) + kParsePadding);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r') {
            text.push_back(bytes[i]);
            continue;
        }
        text.push_back('\n');
        if (i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
    }
    return eXmlReadError::None;
}

bool IsXmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The position of 'token' at or after 'from', or the end of the text.
std::size_t Find(const std::string& text, std::size_t from, const char* token) {
    const std::size_t at = text.find(token, from);
    return at == std::string::npos ? text.size() : at;
}

// Looks at the text before the parser does. The nesting is measured on elements, comments, CDATA
// sections and declarations as markup delimits them; and since the parser descends once per element
// level, the number of '<' bounds how deep it can go whatever else it makes of the text.
eXmlReadError ScanMarkup(const std::string& text) {
    if (text.size() >= 2) {
        const auto b0 = static_cast<unsigned char>(text[0]);
        const auto b1 = static_cast<unsigned char>(text[1]);
        if ((b0 == 0xFF && b1 == 0xFE) || (b0 == 0xFE && b1 == 0xFF) || (b0 == '<' && b1 == 0) ||
            (b0 == 0 && b1 == '<'))
            return eXmlReadError::Utf16;
    }
    if (std::all_of(text.begin(), text.end(), IsXmlSpace))
        return eXmlReadError::Empty;
    int depth = 0;
    std::size_t i = text.find('<');
    while (i < text.size()) {
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (text.compare(i, 4, "<!--") == 0) {
            i = Find(text, i + 4, "-->");
        } else if (text.compare(i, 9, "<![CDATA[") == 0) {
            i = Find(text, i + 9, "]]>");
        } else if (next == '!' || next == '?') {
            i = Find(text, i + 2, ">");
        } else if (next == '/') {
            depth = std::max(0, depth - 1);
            i = Find(text, i + 2, ">");
        } else {
            // An element's start tag: up to the '>' outside quoted attribute values.
            char quote = 0;
            char last = 0;
            std::size_t j = i + 1;
            for (; j < text.size(); ++j) {
                const char c = text[j];
                if (quote != 0) {
                    if (c == quote)
                        quote = 0;
                } else if (c == '"' || c == '\'') {
                    quote = c;
                } else if (c == '>') {
                    break;
                } else if (!IsXmlSpace(c)) {
                    last = c;
                }
            }
            if (last != '/' && ++depth > xmlfile::kMaxDocumentDepth)
                return eXmlReadError::TooDeep;
            i = j;
        }
        i = i < text.size() ? text.find('<', i + 1) : text.size();
        if (i == std::string::npos)
            break;
    }
    if (std::count(text.begin(), text.end(), '<') > xmlfile::kMaxDocumentMarkup)
        return eXmlReadError::TooManyElements;
    return eXmlReadError::None;
}

// Each thread has its own: a collector sees the files read on the thread that made it.
CXmlReadProblems*& CurrentCollector() {
    thread_local CXmlReadProblems* current = nullptr;
    return current;
}

XmlReadDocument Refused(XmlReadDocument read, const QString& path, eXmlReadError error, int row = 0,
                        int column = 0) {
    read.Root = nullptr;
    read.Error = error;
    read.Row = row;
    read.Column = column;
    if (error != eXmlReadError::Missing)
        CXmlReadProblems::Note(path, error, row, column);
    return read;
}

} // namespace

eXmlReadError xmlfile::CheckDocumentBounds(const std::string& text) {
    if (text.size() > static_cast<std::size_t>(kMaxDocumentBytes))
        return eXmlReadError::TooLarge;
    return ScanMarkup(text);
}

XmlReadDocument OpenXmlDocument(const QString& path, const std::string& rootName) {
    XmlReadDocument read;
    read.Document = std::make_unique<TiXmlDocument>();
    const QString native = platform::NormalizePath(path);
    // A folder opens as a stream on this system; only regular files are documents.
    if (native.isEmpty() || !QFileInfo(native).isFile())
        return Refused(std::move(read), native, eXmlReadError::Missing);
    std::string text;
    eXmlReadError error = ReadDocumentText(native, text);
    if (error == eXmlReadError::None)
        error = xmlfile::CheckDocumentBounds(text);
    if (error != eXmlReadError::None)
        return Refused(std::move(read), native, error);
    text.append(kParsePadding, '\0');
    read.Document->Parse(text.c_str(), nullptr, TIXML_ENCODING_UNKNOWN);
    if (read.Document->Error()) {
        const int row = read.Document->ErrorRow();
        const int column = read.Document->ErrorCol();
        return Refused(std::move(read), native, eXmlReadError::Malformed, row, column);
    }
    read.Root = read.Document->FirstChildElement(rootName.c_str());
    if (read.Root == nullptr)
        return Refused(std::move(read), native, eXmlReadError::WrongRoot);
    return read;
}

QString DescribeXmlReadError(const XmlReadDocument& document) {
    return DescribeXmlReadError(document.Error, document.Row, document.Column);
}

QString DescribeXmlReadError(eXmlReadError error, int row, int column) {
    switch (error) {
    case eXmlReadError::None:
        return {};
    case eXmlReadError::Missing:
        return QStringLiteral("there is no such file");
    case eXmlReadError::Unreadable:
        return QStringLiteral("the system refused to read it");
    case eXmlReadError::Empty:
        return QStringLiteral("it is empty");
    case eXmlReadError::TooLarge:
        return QStringLiteral("it is larger than %1 bytes").arg(xmlfile::kMaxDocumentBytes);
    case eXmlReadError::Utf16:
        return QStringLiteral("it is UTF-16 text, not 8-bit text");
    case eXmlReadError::TooDeep:
        return QStringLiteral("its elements are nested deeper than %1 levels")
            .arg(xmlfile::kMaxDocumentDepth);
    case eXmlReadError::TooManyElements:
        return QStringLiteral("it holds more than %1 tags").arg(xmlfile::kMaxDocumentMarkup);
    case eXmlReadError::Malformed:
        return QStringLiteral("it is not well-formed XML (line %1, column %2)").arg(row).arg(column);
    case eXmlReadError::WrongRoot:
        return QStringLiteral("it has no root element of the expected name");
    case eXmlReadError::Content:
        break;
    }
    return QStringLiteral("it lacks the settings it must hold");
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

eXmlSetting ReadElementAttribute(const XmlReadDocument& document, const TiXmlElement* parent,
                                 const char* name, QString& text, const char* attribute) {
    const TiXmlElement* element = parent != nullptr ? parent->FirstChildElement(name) : nullptr;
    std::string ansi;
    if (element == nullptr || ReadXmlAttribute(document, element, attribute, ansi) == 0)
        return eXmlSetting::NoElement;
    if (element->Attribute(attribute) == nullptr) {
        text.clear();
        return eXmlSetting::NoAttribute;
    }
    if (platform::AnsiToText(ansi, text))
        return eXmlSetting::Text;
    text = platform::FromAnsi(ansi);
    return eXmlSetting::NotText;
}

CXmlReadProblems::CXmlReadProblems() : m_outer(CurrentCollector()) {
    CurrentCollector() = this;
}

CXmlReadProblems::~CXmlReadProblems() {
    CurrentCollector() = m_outer;
}

void CXmlReadProblems::Note(const QString& path, eXmlReadError error, int row, int column) {
    CXmlReadProblems* collector = CurrentCollector();
    if (collector == nullptr || error == eXmlReadError::None || error == eXmlReadError::Missing)
        return;
    const QString absolute = QFileInfo(platform::NormalizePath(path)).absoluteFilePath();
    for (const SXmlReadProblem& problem : collector->m_problems)
        if (problem.path == absolute)
            return;
    collector->m_problems.push_back({absolute, error, row, column});
}
