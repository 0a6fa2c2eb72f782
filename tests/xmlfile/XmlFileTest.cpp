#include "common/xmlfile/TextConversion.h"
#include "common/xmlfile/XmlDocument.h"
#include "common/xmlfile/XmlWriter.h"

#include "tests/support/FileSizeLimit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <thread>
#include <tinyxml.h>

namespace {

const QString kChinese = QString::fromUtf8("启动软件");

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

class XmlFile : public ::testing::Test {
protected:
    QString Path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    QTemporaryDir m_dir;
};

TEST_F(XmlFile, WriterGivesTheDeclarationOrderAndCodePageBytes) {
    std::string chinese;
    ASSERT_EQ(UnicodeToAnsi(kChinese, chinese), xmlfile::S_OK);
    CXmlWriter writer(Path("a.xml"), "Root");
    ASSERT_TRUE(writer.CreateRoot());
    ASSERT_TRUE(writer.CreateRoot());
    TiXmlElement* general = writer.AddElement(writer.Root(), "General");
    writer.AddElementWithAttribute(general, "B", "Value", "2");
    writer.AddElementWithAttribute(general, "A", "Value", chinese);
    ASSERT_EQ(writer.Save(), 1);

    const QByteArray bytes = ReadAll(Path("a.xml"));
    EXPECT_TRUE(bytes.startsWith("<?xml version=\"1.0\" encoding=\"GB2312\" standalone=\"yes\" ?>"));
    EXPECT_LT(bytes.indexOf("<B Value=\"2\" />"), bytes.indexOf("<A Value=\""));
    // The text goes out as CP936 bytes, not UTF-8 and not as character references.
    EXPECT_TRUE(bytes.contains(QByteArray("<A Value=\"") + QByteArray::fromStdString(chinese) + "\" />"));
    EXPECT_EQ(QByteArray::fromStdString(chinese), QByteArray::fromHex("c6f4b6afc8edbcfe"));
}

TEST_F(XmlFile, LibXmlDecodesTheWrittenFile) {
    std::string chinese;
    ASSERT_EQ(UnicodeToAnsi(kChinese, chinese), xmlfile::S_OK);
    CXmlWriter writer(Path("peer.xml"), "Root");
    ASSERT_TRUE(writer.CreateRoot());
    writer.AddElementWithAttribute(writer.Root(), "Text", "Value", chinese);
    ASSERT_EQ(writer.Save(), 1);
    // libxml2 decodes the GB2312 declaration itself and answers in UTF-8.
    QProcess xmllint;
    xmllint.start(QStringLiteral("xmllint"),
                  {QStringLiteral("--xpath"), QStringLiteral("string(/Root/Text/@Value)"), Path("peer.xml")});
    ASSERT_TRUE(xmllint.waitForFinished(60000));
    EXPECT_EQ(xmllint.exitCode(), 0) << xmllint.readAllStandardError().toStdString();
    EXPECT_EQ(QString::fromUtf8(xmllint.readAllStandardOutput()).trimmed(), kChinese);
}

TEST_F(XmlFile, WrittenFileReadsBack) {
    std::string chinese;
    UnicodeToAnsi(kChinese, chinese);
    {
        CXmlWriter writer(Path("b.xml"), "Root");
        ASSERT_TRUE(writer.CreateRoot());
        writer.AddElementWithAttribute(writer.Root(), "Item", "Value", chinese);
        writer.AddElement(writer.Root(), "Empty");
        ASSERT_EQ(writer.Save(), 1);
    }
    XmlReadDocument doc = OpenXmlDocument(Path("b.xml"), "Root");
    ASSERT_NE(doc.Root, nullptr);
    std::string value = "stale";
    EXPECT_EQ(ReadXmlAttribute(doc, doc.Root->FirstChildElement("Item"), "Value", value), 1);
    QString text;
    EXPECT_EQ(AnsiToUnicode(value, text), xmlfile::S_OK);
    EXPECT_EQ(text, kChinese);
    value = "stale";
    EXPECT_EQ(ReadXmlAttribute(doc, doc.Root->FirstChildElement("Empty"), "Value", value), 1);
    EXPECT_TRUE(value.empty());
    value = "stale";
    EXPECT_EQ(ReadXmlAttribute(doc, doc.Root->FirstChildElement("Missing"), "Value", value), 0);
    EXPECT_TRUE(value.empty());
    CloseXmlDocument(doc);
    CloseXmlDocument(doc);
    EXPECT_EQ(doc.Root, nullptr);
    EXPECT_EQ(ReadXmlAttribute(doc, nullptr, "Value", value), 0);
}

TEST_F(XmlFile, SettingElementsReadByOneRule) {
    WriteAll(Path("s.xml"), QByteArray("<?xml version=\"1.0\" encoding=\"GB2312\" standalone=\"yes\" ?>"
                                       "<LumoraSuite><Text Value=\"\xC6\xF4\xB6\xAF\" Width=\"3\"/>"
                                       "<Bare/><Broken Value=\"a\xFF\"/></LumoraSuite>"));
    XmlReadDocument doc = OpenXmlDocument(Path("s.xml"), kXmlSuiteRoot);
    ASSERT_NE(doc.Root, nullptr);
    struct SCase {
        const char* name;
        const TiXmlElement* parent;
        const char* element;
        const char* attribute;
        eXmlSetting result;
        QString text;
    };
    const SCase cases[] = {
        {"value", doc.Root, "Text", kXmlValueAttribute, eXmlSetting::Text, QString::fromUtf8("启动")},
        {"other attribute", doc.Root, "Text", "Width", eXmlSetting::Text, QStringLiteral("3")},
        {"no such element", doc.Root, "Missing", kXmlValueAttribute, eXmlSetting::NoElement,
         QStringLiteral("kept")},
        {"no parent", nullptr, "Text", kXmlValueAttribute, eXmlSetting::NoElement, QStringLiteral("kept")},
        {"element without the attribute", doc.Root, "Bare", kXmlValueAttribute, eXmlSetting::NoAttribute,
         QString()},
        {"bytes of no character", doc.Root, "Broken", kXmlValueAttribute, eXmlSetting::NotText,
         QString::fromUtf8("a\uFFFD")},
    };
    for (const SCase& c : cases) {
        QString text = QStringLiteral("kept");
        EXPECT_EQ(ReadElementAttribute(doc, c.parent, c.element, text, c.attribute), c.result) << c.name;
        EXPECT_EQ(text, c.text) << c.name;
    }
}

TEST_F(XmlFile, BadFilesGiveNoRootAndSayWhy) {
    struct SCase {
        const char* name;
        QByteArray content;
        eXmlReadError error;
    };
    const SCase cases[] = {
        {"wrong-case-root", "<?xml version=\"1.0\" ?><root><Item Value=\"1\"/></root>",
         eXmlReadError::WrongRoot},
        {"other-root", "<Other/>", eXmlReadError::WrongRoot},
        {"not-xml", "this is no xml at all", eXmlReadError::Malformed},
        {"truncated", "<?xml version=\"1.0\" encoding=\"GB2312\" ?><Root><Item Val",
         eXmlReadError::Malformed},
        {"empty", "", eXmlReadError::Empty},
        {"blank", " \r\n\t ", eXmlReadError::Empty},
        {"binary", QByteArray::fromHex("00ff10fe7f80"), eXmlReadError::Malformed},
        {"utf-16le", QByteArray::fromHex("fffe3c0052006f006f0074002f003e00"), eXmlReadError::Utf16},
        {"utf-16be", QByteArray::fromHex("feff003c0052006f006f0074002f003e"), eXmlReadError::Utf16},
        {"utf-16-without-mark", QByteArray::fromHex("3c0052006f006f0074002f003e00"), eXmlReadError::Utf16},
        // A name that ends the file in a four-byte lead byte must not be read past the file's end.
        {"lead-byte-at-end", QByteArray("<?xml12><Root") + QByteArray::fromHex("8c9ac1f4"),
         eXmlReadError::Malformed},
        {"lead-byte-in-declaration", QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\" ?><Root\xf4"),
         eXmlReadError::Malformed},
    };
    for (const auto& c : cases) {
        const QString path = Path(c.name);
        WriteAll(path, c.content);
        const XmlReadDocument doc = OpenXmlDocument(path, "Root");
        EXPECT_EQ(doc.Root, nullptr) << c.name;
        EXPECT_EQ(doc.Error, c.error) << c.name;
    }
    EXPECT_EQ(OpenXmlDocument(Path("missing.xml"), "Root").Error, eXmlReadError::Missing);
    EXPECT_EQ(OpenXmlDocument(m_dir.path(), "Root").Error, eXmlReadError::Missing);
    const XmlReadDocument truncated = OpenXmlDocument(Path("truncated"), "Root");
    EXPECT_EQ(truncated.Row, 1);
    EXPECT_GT(truncated.Column, 1);
}

// A document is refused before it is parsed when it is nested deeper, holds more markup or is larger
// than a parameter file can be: the parser descends once per level, and 40,000 levels overflow the
// stack. Each refused file is left as it was.
TEST_F(XmlFile, HostileDocumentsAreRefusedBeforeTheyAreParsed) {
    const auto nested = [](int levels, const QByteArray& open, const QByteArray& close) {
        QByteArray text = "<?xml version=\"1.0\" encoding=\"GB2312\" ?>\n<Root>";
        for (int i = 0; i < levels; ++i)
            text += open;
        for (int i = 0; i < levels; ++i)
            text += close;
        return text + "</Root>";
    };
    const int deepest = xmlfile::kMaxDocumentDepth - 1; // below the root
    struct SCase {
        const char* name;
        QByteArray content;
        eXmlReadError error;
    };
    const SCase cases[] = {
        {"deep", nested(40000, "<a>", "</a>"), eXmlReadError::TooDeep},
        {"deep-with-attributes", nested(400, "<a v=\"1\">", "</a>"), eXmlReadError::TooDeep},
        // Closing tags inside quoted values close nothing.
        {"fake-closers", nested(300, "<a v=\"</a></a>\">", "</a>"), eXmlReadError::TooDeep},
        {"one-level-too-deep", nested(deepest + 1, "<a>", "</a>"), eXmlReadError::TooDeep},
        {"deepest-allowed", nested(deepest, "<a>", "</a>"), eXmlReadError::None},
        // Siblings and comments do not nest.
        {"flat", nested(1, "<a/><b/><!-- <c> --><![CDATA[<d>]]><?pi <e>?>", ""), eXmlReadError::None},
        {"too-much-markup", nested(1, QByteArray("<a/>").repeated(xmlfile::kMaxDocumentMarkup), ""),
         eXmlReadError::TooManyElements},
        {"too-large", "<Root><!--" + QByteArray(xmlfile::kMaxDocumentBytes, ' ') + "--></Root>",
         eXmlReadError::TooLarge},
    };
    for (const auto& c : cases) {
        const QString path = Path(c.name);
        WriteAll(path, c.content);
        const XmlReadDocument doc = OpenXmlDocument(path, "Root");
        EXPECT_EQ(doc.Error, c.error) << c.name;
        EXPECT_EQ(doc.Root != nullptr, c.error == eXmlReadError::None) << c.name;
        EXPECT_EQ(ReadAll(path), c.content) << c.name;
    }
}

// The start-up's collector hears of every file that is there and was not read, once each; a missing
// file is no problem, and a file read on another thread is that thread's.
TEST_F(XmlFile, TheCollectorNotesEachFileThatWasNotReadOnce) {
    WriteAll(Path("good.xml"), "<Root/>");
    WriteAll(Path("bad.xml"), "<Root>");
    WriteAll(Path("other.xml"), "<Other/>");
    CXmlReadProblems problems;
    OpenXmlDocument(Path("good.xml"), "Root");
    OpenXmlDocument(Path("missing.xml"), "Root");
    OpenXmlDocument(Path("bad.xml"), "Root");
    OpenXmlDocument(Path("bad.xml"), "Root");
    {
        CXmlReadProblems inner;
        OpenXmlDocument(Path("other.xml"), "Root");
        ASSERT_EQ(inner.Problems().size(), 1u);
        EXPECT_EQ(inner.Problems()[0].error, eXmlReadError::WrongRoot);
    }
    std::thread([this] { OpenXmlDocument(Path("other.xml"), "Root"); }).join();
    CXmlReadProblems::Note(Path("good.xml"), eXmlReadError::Content);
    ASSERT_EQ(problems.Problems().size(), 2u);
    EXPECT_EQ(problems.Problems()[0].path, QFileInfo(Path("bad.xml")).absoluteFilePath());
    EXPECT_EQ(problems.Problems()[0].error, eXmlReadError::Malformed);
    EXPECT_EQ(problems.Problems()[1].error, eXmlReadError::Content);
}

TEST_F(XmlFile, SaveIntoAMissingFolderFails) {
    CXmlWriter writer(Path("no/such/folder/c.xml"), "Root");
    ASSERT_TRUE(writer.CreateRoot());
    EXPECT_EQ(writer.Save(), 0);
}

// A document large enough that a filling disk cuts it off.
void FillDocument(CXmlWriter& writer, const char* value) {
    ASSERT_TRUE(writer.CreateRoot());
    for (int i = 0; i < 200; ++i)
        writer.AddElementWithAttribute(writer.Root(), "Item", "Value", value);
}

// A small document stays in the output buffer until the close: the close's failure must count too.
TEST_F(XmlFile, AFullDeviceGivesZeroAndIsNotReplaced) {
    CXmlWriter small(QStringLiteral("/dev/full"), "Root");
    ASSERT_TRUE(small.CreateRoot());
    EXPECT_EQ(small.Save(), 0);
    CXmlWriter writer(QStringLiteral("/dev/full"), "Root");
    FillDocument(writer, "x");
    EXPECT_EQ(writer.Save(), 0);
    EXPECT_FALSE(writer.LastError().isEmpty());
    EXPECT_FALSE(QFileInfo(QStringLiteral("/dev/full")).isFile());
}

TEST_F(XmlFile, AFailedSaveLeavesTheOldFileWhole) {
    const QString path = Path("keep.xml");
    {
        CXmlWriter writer(path, "Root");
        FillDocument(writer, "good");
        ASSERT_EQ(writer.Save(), 1);
        EXPECT_TRUE(writer.LastError().isEmpty());
    }
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    const QByteArray good = ReadAll(path);
    {
        testsupport::CFileSizeLimit disk(1024);
        ASSERT_TRUE(disk.IsSet());
        CXmlWriter writer(path, "Root");
        FillDocument(writer, "new");
        EXPECT_EQ(writer.Save(), 0);
    }
    EXPECT_EQ(ReadAll(path), good);
    // No temporary file is left beside it.
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("keep.xml")});

    // A good save replaces it and keeps its permissions.
    CXmlWriter writer(path, "Root");
    FillDocument(writer, "new");
    ASSERT_EQ(writer.Save(), 1);
    EXPECT_TRUE(ReadAll(path).contains("<Item Value=\"new\" />"));
    // Owner, group and other bits (the "user" bits depend on who runs the test).
    EXPECT_EQ(QFile::permissions(path) & 0x7077, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("keep.xml")});
}

// What the writer writes, the reader reads back: a document the reader would refuse (larger than
// its bound, nested deeper, more tags) is not written, the old file stays, and the reason is given.
// One at the bounds is written and reads back.
TEST_F(XmlFile, ADocumentTheReaderWouldRefuseIsNotWritten) {
    struct SCase {
        const char* name;
        std::function<void(CXmlWriter&)> fill;
        int saved;
        const char* reason;
    };
    // 'levels' elements, each inside the one before; the innermost is empty and opens no level.
    const auto nested = [](int levels) {
        return [levels](CXmlWriter& writer) {
            TiXmlElement* at = writer.Root();
            for (int i = 0; i < levels; ++i)
                at = writer.AddElement(at, "Level");
        };
    };
    const auto tags = [](int count) {
        return [count](CXmlWriter& writer) {
            for (int i = 1; i < count; ++i)
                writer.AddElement(writer.Root(), "T");
        };
    };
    // A value of '>' is written "&gt;": four bytes a character.
    const auto value = [](int characters) {
        return [characters](CXmlWriter& writer) {
            writer.SetXmlAttribute(writer.Root(), "Value",
                                   std::string(static_cast<std::size_t>(characters), '>'));
        };
    };
    const SCase cases[] = {
        {"as deep as the bound", nested(xmlfile::kMaxDocumentDepth), 1, ""},
        {"deeper", nested(xmlfile::kMaxDocumentDepth + 1), 0, "nested deeper"},
        {"as many tags as the bound", tags(xmlfile::kMaxDocumentMarkup / 2 - 1), 1, ""},
        {"more tags", tags(xmlfile::kMaxDocumentMarkup), 0, "tags"},
        {"a value that stays within the size", value(xmlfile::kMaxDocumentBytes / 4 - 200), 1, ""},
        {"a value that grows past the size", value(xmlfile::kMaxDocumentBytes / 4 + 1), 0, "larger than"},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = Path("bounds.xml");
        WriteAll(path, "<Old/>");
        CXmlWriter writer(path, "Root");
        ASSERT_TRUE(writer.CreateRoot());
        c.fill(writer);
        EXPECT_EQ(writer.Save(), c.saved);
        if (c.saved == 0) {
            EXPECT_EQ(ReadAll(path), QByteArray("<Old/>"));
            EXPECT_TRUE(writer.LastError().contains(QString::fromLatin1(c.reason)))
                << writer.LastError().toStdString();
        } else {
            XmlReadDocument back = OpenXmlDocument(path, "Root");
            EXPECT_NE(back.Root, nullptr) << DescribeXmlReadError(back).toStdString();
        }
    }
}

TEST_F(XmlFile, SavingThroughALinkReplacesTheLinkedFile) {
    const QString target = Path("real.xml");
    WriteAll(target, "<Old/>");
    ASSERT_TRUE(QFile::link(target, Path("link.xml")));
    CXmlWriter writer(Path("link.xml"), "Root");
    ASSERT_TRUE(writer.CreateRoot());
    ASSERT_EQ(writer.Save(), 1);
    EXPECT_TRUE(QFileInfo(Path("link.xml")).isSymLink());
    EXPECT_TRUE(ReadAll(target).contains("<Root />"));
}

TEST(TextConversion, NullAndRoundTrip) {
    QString out = QStringLiteral("x");
    EXPECT_EQ(AnsiToUnicode(static_cast<const char*>(nullptr), out), xmlfile::S_OK);
    EXPECT_TRUE(out.isNull());
    std::string ansi;
    EXPECT_EQ(UnicodeToAnsi(QString::fromUtf8("电流 μA 1.5"), ansi), xmlfile::S_OK);
    EXPECT_EQ(AnsiToUnicode(ansi.c_str(), out), xmlfile::S_OK);
    EXPECT_EQ(out, QString::fromUtf8("电流 μA 1.5"));
    // A character outside the code page is replaced, not lost silently.
    EXPECT_EQ(UnicodeToAnsi(QString::fromUtf8("b\U0001F600c"), ansi), xmlfile::S_OK);
    EXPECT_EQ(ansi, "b?c");
    EXPECT_EQ(HResultFromError(2), static_cast<int>(0x80070002u));
    EXPECT_EQ(HResultFromError(-5), -5);
}

} // namespace
