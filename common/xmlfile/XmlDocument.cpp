#include "common/xmlfile/XmlDocument.h"

#include "platform/Paths.h"

#include <QFile>
#include <QFileInfo>
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

// The file's text with line ends as TinyXML's own file reader gives them (CR LF and a lone CR become LF).
bool ReadDocumentText(const QString& path, std::string& text) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
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
    return true;
}

} // namespace

XmlReadDocument OpenXmlDocument(const QString& path, const std::string& rootName) {
    XmlReadDocument read;
    read.Document = std::make_unique<TiXmlDocument>();
    const QString native = platform::NormalizePath(path);
    // A folder opens as a stream on this system; only regular files are documents.
    if (native.isEmpty() || !QFileInfo(native).isFile())
        return read;
    std::string text;
    if (!ReadDocumentText(native, text) || text.empty())
        return read;
    const std::size_t length = text.size();
    text.append(kParsePadding, '\0');
    read.Document->Parse(text.c_str(), nullptr, TIXML_ENCODING_UNKNOWN);
    if (!read.Document->Error() && length > 0)
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
