#include "PeerTools.h"
#include "TempFolder.h"
#include "lumora/sheetio/CompoundStorage.h"
#include "lumora/sheetio/ExcelDocument.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <random>

using namespace sheetiotest;

namespace {

const char* const CSV_FORMAT =
    "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,false,false,-1";

void SetNumber(ExcelSheet& s, int r, int c, double v) {
    ExcelCell* cell = s.Cell(r, c);
    ASSERT_NE(cell, nullptr);
    cell->type = ExcelCell::eDouble;
    cell->dval = v;
}

// A readings sheet as the current and data-logging pages write it: a header and 65,534 samples.
void WriteReadings(const QString& path, const char* sheetName, const char* valueHeader,
                   const std::function<double(int)>& time, const std::function<double(int)>& value) {
    ExcelDocument doc;
    doc.New();
    ASSERT_TRUE(doc.RenameSheet("Sheet1", sheetName));
    ExcelSheet* s = doc.GetSheetByName(sheetName);
    ASSERT_NE(s, nullptr);
    s->Cell(0, 0)->SetString("Time");
    s->Cell(0, 1)->SetString(valueHeader);
    for (int i = 0; i < 65534; ++i) {
        SetNumber(*s, i + 1, 0, time(i));
        SetNumber(*s, i + 1, 1, value(i));
    }
    ASSERT_TRUE(doc.SaveAs(path));
}

void WriteTexts(const QString& path) {
    ExcelDocument doc;
    doc.New();
    ASSERT_TRUE(doc.RenameSheet("Sheet1", "Texts"));
    ExcelSheet* s = doc.GetSheetByName("Texts");
    const char* narrow[] = {"Time", "caf\xE9",
                            "Gr\xF6\xDF"
                            "e",
                            "plain text"};
    const char16_t* wide[] = {u"电流", u"μA", u"Ω", u"温度 25℃"};
    for (int i = 0; i < 4; ++i) {
        s->Cell(i, 0)->SetString(narrow[i]);
        s->Cell(i, 1)->SetWString(wide[i]);
    }
    ExcelCell* merged = s->Cell(1, 2);
    merged->SetString("merged 2 x 3");
    merged->mergedRows = 2;
    merged->mergedColumns = 3;
    ExcelCell* wideMerge = s->Cell(5, 0);
    wideMerge->SetWString(u"合并");
    wideMerge->mergedColumns = 2;
    s->Cell(0, 4)->SetString("last column");
    for (int i = 0; i < 3000; ++i) {
        const std::string text =
            "string " + std::to_string(i) + std::string(static_cast<size_t>(i % 23), '-');
        s->Cell(10 + i, 2)->SetString(text.c_str());
        if (i % 5 == 0)
            s->Cell(10 + i, 3)->SetWString((u"电流读数 " + QString::number(i).toStdU16String() +
                                            std::u16string(static_cast<size_t>(i % 11), u'Ω'))
                                               .c_str());
    }
    std::u16string longWide(9000, u'a');
    for (size_t i = 0; i < longWide.size(); ++i)
        longWide[i] = static_cast<char16_t>(0x4E00 + i % 300);
    s->Cell(7, 0)->SetWString(longWide.c_str());
    s->Cell(8, 0)->SetString(std::string(20000, 'L').c_str());
    ASSERT_TRUE(doc.SaveAs(path));
}

void ExpectPeerSees(const QJsonObject& dump, const QString& file, ExcelDocument& ours, const char* peer,
                    bool withMerges) {
    const QJsonArray sheets = dump[file].toArray();
    ASSERT_EQ(static_cast<size_t>(sheets.size()), ours.GetTotalSheets()) << peer << " " << file.toStdString();
    for (size_t i = 0; i < ours.GetTotalSheets(); ++i) {
        const QJsonObject sheet = sheets[static_cast<int>(i)].toObject();
        ExcelSheet* mine = ours.GetSheetByName(sheet["name"].toString().toUtf8().constData());
        ASSERT_NE(mine, nullptr) << peer << " names a sheet '" << sheet["name"].toString().toStdString()
                                 << "'";
        EXPECT_EQ(mine->GetIndex(), static_cast<int>(i)) << peer;
        EXPECT_EQ(CompareSheet(sheet, *mine, withMerges), "") << peer << " " << file.toStdString();
    }
}

void ExpectLibreOfficeSees(const QString& outDir, const QString& file, ExcelDocument& ours) {
    const QString base = QFileInfo(file).completeBaseName();
    for (size_t i = 0; i < ours.GetTotalSheets(); ++i) {
        ExcelSheet* sheet = ours.GetSheet(i);
        // LibreOffice names each sheet's CSV after the file and the sheet.
        QString name;
        for (const QString& candidate : QDir(outDir).entryList({base + "-*.csv"})) {
            const QString sheetName = candidate.mid(base.size() + 1).chopped(4);
            if (ours.GetSheetByName(sheetName.toLatin1().constData()) == sheet)
                name = candidate;
        }
        ASSERT_FALSE(name.isEmpty()) << "no CSV of sheet " << i << " of " << file.toStdString();
        EXPECT_EQ(CompareCsv(ReadCsv(outDir + "/" + name), *sheet), "") << name.toStdString();
    }
}

// The three outside readers open what we wrote and see every value.
void ExpectAllPeersSee(const TempFolder& dir, const QStringList& files, bool withLibreOffice) {
    QJsonObject xlrd, xlsx;
    std::string error;
    ASSERT_TRUE(DumpWithXlrd(files, xlrd, error)) << error;
    ASSERT_TRUE(DumpWithXlsx(files, xlsx, error)) << error;
    const QString csvDir = dir.File("csv");
    if (withLibreOffice) {
        QDir().mkpath(csvDir);
        ASSERT_TRUE(ConvertWithLibreOffice(files, CSV_FORMAT, csvDir, dir.File("profile-csv"), error))
            << error;
    }
    for (const QString& file : files) {
        ExcelDocument ours;
        ASSERT_TRUE(ours.Load(file));
        ExpectPeerSees(xlrd, file, ours, "xlrd", true);
        ExpectPeerSees(xlsx, file, ours, "xlsx", true);
        if (withLibreOffice)
            ExpectLibreOfficeSees(csvDir, file, ours);
    }
}

TEST(PeerWrite, OutsideReadersOpenOurWorkbooksWithEveryValueExact) {
    TempFolder dir;
    std::mt19937_64 random(20261210);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<double> readings(65534);
    for (double& r : readings) {
        // Readings of a meter: seven significant digits between 1 nA and 5 uA.
        char text[32];
        std::snprintf(text, sizeof text, "%.6e", 1e-9 + unit(random) * 5e-6);
        r = std::strtod(text, nullptr);
    }
    const QString current = dir.File("current.xls");
    WriteReadings(
        current, "Current", "Current", [](int i) { return i * 1e-4; },
        [&](int i) { return readings[static_cast<size_t>(i)]; });
    const QString datalog = dir.File("datalog.xls");
    WriteReadings(
        datalog, "Current Data Logging", "Current DC", [](int i) { return i * 0.5 + 0.01; },
        [](int i) { return 2.5e-6 * (1 + 0.3 * std::sin(i * 0.01)) - 1e-12 * i; });
    const QString texts = dir.File("texts.xls");
    WriteTexts(texts);
    // A stream below 4,096 bytes lives in the compound document's small blocks.
    const QString small = dir.File("small.xls");
    {
        ExcelDocument doc;
        doc.New();
        ASSERT_TRUE(doc.RenameSheet("Sheet1", "Current"));
        ExcelSheet* s = doc.GetSheetByName("Current");
        s->Cell(0, 0)->SetString("Time");
        s->Cell(0, 1)->SetString("Current");
        for (int i = 0; i < 5; ++i) {
            SetNumber(*s, i + 1, 0, i * 1e-3);
            SetNumber(*s, i + 1, 1, readings[static_cast<size_t>(i)]);
        }
        ASSERT_TRUE(doc.SaveAs(small));
        ASSERT_LT(QFileInfo(small).size(), 8192);
    }
    ExpectAllPeersSee(dir, {current, datalog, texts, small}, true);
}

// Compound documents of every layout our writer makes: olefile finds no defect in any of them and
// reads every stream as it was written.
TEST(PeerWrite, CompoundDocumentsOfEveryLayoutOpenInOlefile) {
    TempFolder dir;
    const std::vector<std::vector<std::pair<std::string, size_t>>> layouts = {
        {{"Workbook", 0}},
        {{"Workbook", 100}},
        {{"Workbook", 4095}},
        {{"Workbook", 4096}},
        {{"Workbook", 6236161}},
        {{"Workbook", 70000}, {"b", 3000}, {"Longer name", 10}, {"e", 0}, {"C", 5000}, {"dd", 64}},
        // More table sectors than the header names.
        {{"Workbook", 9u << 20}, {"Tail", 200}},
    };
    std::vector<std::map<std::string, std::pair<size_t, QByteArray>>> expected;
    QStringList files;
    std::mt19937 random(5);
    for (size_t i = 0; i < layouts.size(); ++i) {
        const QString path = dir.File(QString("layout%1.ole").arg(i));
        auto storage = SheetIO::CCompoundStorage::Create(path);
        expected.emplace_back();
        for (const auto& [name, size] : layouts[i])
            ASSERT_EQ(storage->CreateStream(name), 1);
        for (const auto& [name, size] : layouts[i]) {
            std::vector<uint8_t> bytes(size);
            for (uint8_t& b : bytes)
                b = static_cast<uint8_t>(random());
            ASSERT_EQ(storage->WriteStream(name, bytes.data(), bytes.size()), 1);
            expected.back()[name] = {
                size,
                QCryptographicHash::hash(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())),
                                         QCryptographicHash::Md5)
                    .toHex()};
        }
        files << path;
    }
    QJsonObject dump;
    std::string error;
    ASSERT_TRUE(DumpWithOlefile(files, dump, error)) << error;
    for (int i = 0; i < files.size(); ++i) {
        const QJsonObject streams = dump[files[i]].toObject();
        EXPECT_EQ(static_cast<size_t>(streams.size()), expected[static_cast<size_t>(i)].size()) << i;
        for (const auto& [name, sizeAndHash] : expected[static_cast<size_t>(i)]) {
            const QJsonObject seen = streams[QString::fromStdString(name)].toObject();
            EXPECT_EQ(seen["size"].toInteger(-1), static_cast<qint64>(sizeAndHash.first)) << i << " " << name;
            EXPECT_EQ(seen["md5"].toString().toLatin1(), sizeAndHash.second) << i << " " << name;
        }
    }
}

// A formula's string result longer than one record piece goes over CONTINUE pieces that repeat the
// flags byte: the outside readers see it whole.
TEST(PeerWrite, LongFormulaStringResultsOpenWhole) {
    TempFolder dir;
    ExcelDocument doc;
    doc.New();
    auto formula = [](const SheetIO::CXLString& result) {
        ExcelFormula::Record f;
        const uint8_t marker[8] = {0, 0, 0, 0, 0, 0, 0xFF, 0xFF};
        std::copy(marker, marker + 8, f.result);
        f.RPNtoken = {0x17, 1, 0, 'x'}; // the text "x", as the formula holds it
        f.hasString = true;
        f.string.string = result;
        return f;
    };
    std::u16string wide;
    for (int i = 0; i < 30000; ++i)
        wide += static_cast<char16_t>(0x4E00 + i % 3000);
    doc.GetSheet(0)->Cell(0, 0)->SetFormula(formula(SheetIO::CXLString(std::string(20000, 'r'))));
    doc.GetSheet(0)->Cell(1, 0)->SetFormula(formula(SheetIO::CXLString(wide)));
    const QString path = dir.File("formulas.xls");
    ASSERT_TRUE(doc.SaveAs(path));
    ExpectAllPeersSee(dir, {path}, false);
}

// Flat OpenDocument text of a cell.
QString FodsNumber(double v) {
    const QString n = QString::fromStdString(Shortest(v));
    return "<table:table-cell office:value-type=\"float\" office:value=\"" + n + "\"><text:p>" + n +
           "</text:p></table:table-cell>";
}
QString FodsText(const QString& t, int spanColumns = 1) {
    QString span =
        spanColumns > 1 ? " table:number-columns-spanned=\"" + QString::number(spanColumns) + "\"" : "";
    return "<table:table-cell" + span + " office:value-type=\"string\"><text:p>" + t.toHtmlEscaped() +
           "</text:p></table:table-cell>" +
           (spanColumns > 1 ? QString("<table:covered-table-cell/>").repeated(spanColumns - 1) : QString());
}
// Formulas carry no cached result, so LibreOffice computes them and stores what it computed.
QString FodsFormula(const QString& formula) {
    return "<table:table-cell table:formula=\"" + formula.toHtmlEscaped() + "\"/>";
}

struct Fixture {
    // Expected texts of every sheet (as CellText gives them), by sheet name.
    std::vector<std::pair<std::string, std::vector<std::vector<std::string>>>> sheets;
};

QString BuildFods(Fixture& expected) {
    QString body;
    auto table = [&](const QString& name,
                     const std::vector<std::vector<std::pair<QString, std::string>>>& rows) {
        body += "<table:table table:name=\"" + name + "\">";
        std::vector<std::vector<std::string>> texts;
        for (const auto& row : rows) {
            body += "<table:table-row>";
            texts.emplace_back();
            for (const auto& [xml, text] : row) {
                body += xml;
                texts.back().push_back(text);
            }
            body += "</table:table-row>";
        }
        body += "</table:table>";
        expected.sheets.emplace_back(name.toStdString(), texts);
    };
    std::vector<std::vector<std::pair<QString, std::string>>> alpha;
    alpha.push_back({{FodsText("Time"), "sTime"},
                     {FodsText("Current"), "sCurrent"},
                     {FodsText("电流 (A)"), "s电流 (A)"}});
    for (int i = 0; i < 300; ++i) {
        const double t = i * 1e-3 + 1e-7;
        const double v = 1.1e-9 * std::exp(i * 0.013) / 3;
        alpha.push_back({{FodsNumber(t), "n" + Shortest(t)}, {FodsNumber(v), "n" + Shortest(v)}, {"", ""}});
    }
    alpha.push_back({{FodsText("café", 2), "scafé"}, {"", ""}, {FodsText("μA"), "sμA"}});
    table("Alpha", alpha);

    std::vector<std::vector<std::pair<QString, std::string>>> beta;
    beta.push_back({{FodsNumber(2.5), "n2.5"},
                    {FodsFormula("of:=[.A1]*2"), "n5"},
                    {FodsFormula("of:=CONCATENATE(\"x\";\"y\")"), "sxy"},
                    {FodsFormula("of:=REPT(\"电流\";3)"), "s电流电流电流"}});
    table("Beta", beta);

    std::vector<std::vector<std::pair<QString, std::string>>> gamma;
    for (int i = 0; i < 2500; ++i) {
        const QString t = "unique string " + QString::number(i) + (i % 2 ? "" : " 读数");
        gamma.push_back({{FodsText(t), "s" + t.toStdString()}});
    }
    table("Gamma", gamma);
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
           "<office:document xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
           "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
           "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
           "xmlns:of=\"urn:oasis:names:tc:opendocument:xmlns:of:1.2\" office:version=\"1.2\" "
           "office:mimetype=\"application/vnd.oasis.opendocument.spreadsheet\">"
           "<office:body><office:spreadsheet>" +
           body + "</office:spreadsheet></office:body></office:document>";
}

void ExpectSheetTexts(ExcelSheet* sheet, const std::vector<std::vector<std::string>>& expected,
                      const std::string& name) {
    ASSERT_NE(sheet, nullptr) << name;
    const auto texts = SheetTexts(*sheet);
    int differences = 0;
    for (size_t r = 0; r < expected.size(); ++r)
        for (size_t c = 0; c < expected[r].size(); ++c) {
            const std::string ours = r < texts.size() && c < texts[r].size() ? texts[r][c] : "<missing>";
            if (ours != expected[r][c] && ++differences <= 5)
                ADD_FAILURE() << name << " (" << r << "," << c << "): read '" << ours.substr(0, 60)
                              << "', written '" << expected[r][c].substr(0, 60) << "'";
        }
    EXPECT_EQ(differences, 0) << name;
}

TEST(PeerRead, WorkbooksSavedByLibreOfficeAsExcel97) {
    TempFolder dir;
    Fixture expected;
    QFile fods(dir.File("book.fods"));
    ASSERT_TRUE(fods.open(QIODevice::WriteOnly));
    fods.write(BuildFods(expected).toUtf8());
    fods.close();
    std::string error;
    ASSERT_TRUE(ConvertWithLibreOffice({fods.fileName()}, "xls:MS Excel 97", dir.Path(),
                                       dir.File("profile-xls"), error))
        << error;

    ExcelDocument doc;
    ASSERT_TRUE(doc.Load(dir.File("book.xls")));
    ASSERT_EQ(doc.GetTotalSheets(), 3u);
    for (const auto& [name, texts] : expected.sheets)
        ExpectSheetTexts(doc.GetSheetByName(name.c_str()), texts, name);
    ExcelSheet* alpha = doc.GetSheetByName("Alpha");
    ASSERT_NE(alpha, nullptr);
    EXPECT_EQ(alpha->Cell(301, 0)->mergedColumns, 2);
    EXPECT_EQ(doc.GetSheetByName("Beta")->Cell(0, 2)->type, ExcelCell::eFormula);

    // Edited and saved again by us, the several sheets open in every outside reader.
    ASSERT_TRUE(doc.RenameSheet("Gamma", "Strings"));
    SetNumber(*doc.GetSheetByName("Alpha"), 5, 2, 6.02214076e23);
    doc.GetSheetByName("Strings")->Cell(2600, 1)->SetWString(u"新的");
    const QString multi = dir.File("multi.xls");
    ASSERT_TRUE(doc.SaveAs(multi));
    ExpectAllPeersSee(dir, {multi}, true);
}

// The xlsx package writes texts as shared strings or, by default, as LABEL records; it stores every
// sheet name in 16-bit characters. Each way loads whole, and what we save of it opens in the peers.
class PeerReadXlsx : public testing::TestWithParam<bool> {};

TEST_P(PeerReadXlsx, WorkbooksWrittenByTheXlsxPackage) {
    const bool sharedStrings = GetParam();
    TempFolder dir;
    Fixture expected;
    QString json = QString("{\"sharedStrings\":") + (sharedStrings ? "true" : "false") + ",\"sheets\":[";
    auto sheet = [&](const QString& name,
                     const std::vector<std::vector<std::pair<QString, std::string>>>& rows) {
        if (!expected.sheets.empty())
            json += ",";
        json += "{\"name\":\"" + name + "\",\"rows\":[";
        std::vector<std::vector<std::string>> texts;
        for (size_t r = 0; r < rows.size(); ++r) {
            json += (r ? ",[" : "[");
            texts.emplace_back();
            for (size_t c = 0; c < rows[r].size(); ++c) {
                json += (c ? "," : "") + rows[r][c].first;
                texts.back().push_back(rows[r][c].second);
            }
            json += "]";
        }
        json += "]}";
        expected.sheets.emplace_back(name.toStdString(), texts);
    };
    auto number = [](double v) {
        return std::pair<QString, std::string>(QString::fromStdString(Shortest(v)), "n" + Shortest(v));
    };
    auto text = [](const QString& t) {
        return std::pair<QString, std::string>("\"" + t + "\"", "s" + t.toStdString());
    };
    auto boolean = [](bool v) {
        return std::pair<QString, std::string>(v ? "true" : "false", v ? "b1" : "b0");
    };
    auto error = [](int code) {
        return std::pair<QString, std::string>("{\"e\":" + QString::number(code) + "}",
                                               "e" + std::to_string(code));
    };

    std::vector<std::vector<std::pair<QString, std::string>>> data{{text("Time"), text("Current")}};
    for (int i = 0; i < 2000; ++i)
        data.push_back({number(i * 2e-4), number(3.7e-9 + i * 1.3e-13)});
    sheet("Data", data);
    std::vector<std::vector<std::pair<QString, std::string>>> strings;
    for (int i = 0; i < 3000; ++i)
        strings.push_back({text("string number " + QString::number(i)), text("电流" + QString::number(i))});
    sheet("Strings", strings);
    sheet("Mixed", {{number(-7), number(1e300), number(-0.125), text("x")},
                    {number(123456789), text("Ω"), number(2.2250738585072014e-308)},
                    {boolean(true), boolean(false), error(7), error(42)}});
    sheet("电流 读数", {{text("电流"), number(1.5e-6)}});
    json += "]}";

    QFile fixture(dir.File("fixture.json"));
    ASSERT_TRUE(fixture.open(QIODevice::WriteOnly));
    fixture.write(json.toUtf8());
    fixture.close();
    std::string error_;
    const QString book = dir.File("sheetjs.xls");
    ASSERT_TRUE(WriteWithXlsx(fixture.fileName(), book, error_)) << error_;

    ExcelDocument doc;
    ASSERT_TRUE(doc.Load(book));
    ASSERT_EQ(doc.GetTotalSheets(), expected.sheets.size());
    for (size_t i = 0; i < expected.sheets.size(); ++i) {
        const std::string& name = expected.sheets[i].first;
        EXPECT_EQ(doc.GetSheetByName(name.c_str()), doc.GetSheet(i)) << name;
        ExpectSheetTexts(doc.GetSheet(i), expected.sheets[i].second, name);
    }

    // Saved by us, every value, boolean and error included, opens in the peers.
    const QString again = dir.File("again.xls");
    ASSERT_TRUE(doc.SaveAs(again));
    ExpectAllPeersSee(dir, {again}, false);
}

INSTANTIATE_TEST_SUITE_P(PeerRead, PeerReadXlsx, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& row) {
                             return row.param ? "SharedStrings" : "LabelRecords";
                         });

} // namespace
