#include "waveform/traceprefs/ParameterFile.h"
#include "tests/support/FileSizeLimit.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class ParameterFileTest : public ::testing::Test {
protected:
    QString PathOf(const QString& name) const { return m_dir.filePath(name); }
    void WriteFile(const QString& name, const QByteArray& bytes) const {
        QFile file(PathOf(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QTemporaryDir m_dir;
};

CParameterWaveform EditedRecord() {
    CParameterWaveform r;
    r.ScaleTextHori = QStringLiteral("时间 (ms)");
    r.ScaleTextVert = QStringLiteral("Current");
    r.HoriMaxZoom = 12.5;
    r.HoriMinZoom = -1.25;
    r.VertMaxZoom = 0.003;
    r.VertMinZoom = -0.002;
    r.AxisWidth = 3;
    r.AxisStyle = 4;
    r.ColorAxis = 0x123456;
    r.ColorAxisBkGnd = 0xFFFFFF;
    r.ColorAxisText = 0x00FF00;
    r.LineStyle = 2;
    r.HoriUnitFixed = 0;
    r.ChartName = QStringLiteral("电压波形曲线");
    for (int n = 0; n < 4; ++n) {
        r.Styles[n].LineWidth = n + 2;
        r.Styles[n].LineColor = 0x102030u * static_cast<unsigned>(n + 1);
    }
    return r;
}

TEST_F(ParameterFileTest, EveryStoredFieldRoundTripsAndUnstoredFieldsStay) {
    CParameterWaveform saved = EditedRecord();
    ASSERT_EQ(DLL_SaveParameterToFile(PathOf("Waveform.xml"), &saved), 1);

    CParameterWaveform loaded;
    loaded.ScaleTextVertLeft = QStringLiteral("left");
    loaded.VertLeftMaxZoom = 7.0;
    loaded.VertLeftMinZoom = 2.0;
    loaded.Styles[2].Visible = 1;
    ASSERT_EQ(DLL_LoadParameterFromFile(PathOf("Waveform.xml"), &loaded), 1);
    EXPECT_EQ(loaded.ScaleTextHori, saved.ScaleTextHori);
    EXPECT_EQ(loaded.ScaleTextVert, saved.ScaleTextVert);
    EXPECT_DOUBLE_EQ(loaded.HoriMaxZoom, 12.5);
    EXPECT_DOUBLE_EQ(loaded.HoriMinZoom, -1.25);
    EXPECT_DOUBLE_EQ(loaded.VertMaxZoom, 0.003);
    EXPECT_DOUBLE_EQ(loaded.VertMinZoom, -0.002);
    EXPECT_EQ(loaded.AxisWidth, 3);
    EXPECT_EQ(loaded.AxisStyle, 4);
    EXPECT_EQ(loaded.ColorAxis, 0x123456u);
    EXPECT_EQ(loaded.ColorAxisBkGnd, 0xFFFFFFu);
    EXPECT_EQ(loaded.ColorAxisText, 0x00FF00u);
    EXPECT_EQ(loaded.LineStyle, 2);
    EXPECT_EQ(loaded.HoriUnitFixed, 0);
    EXPECT_EQ(loaded.ChartName, saved.ChartName);
    for (int n = 0; n < 4; ++n) {
        EXPECT_EQ(loaded.Styles[n].LineWidth, n + 2) << "line " << n;
        EXPECT_EQ(loaded.Styles[n].LineColor, 0x102030u * static_cast<unsigned>(n + 1)) << "line " << n;
    }
    EXPECT_EQ(loaded.ScaleTextVertLeft, QStringLiteral("left"));
    EXPECT_DOUBLE_EQ(loaded.VertLeftMaxZoom, 7.0);
    EXPECT_DOUBLE_EQ(loaded.VertLeftMinZoom, 2.0);
    EXPECT_EQ(loaded.Styles[0].Visible, 1);
    EXPECT_EQ(loaded.Styles[2].Visible, 1);
    EXPECT_EQ(loaded.Styles[1].Visible, 0);
}

// Folder names need not be code-page text: the program may live anywhere the system allows.
TEST_F(ParameterFileTest, AFolderNameOutsideTheCodePageLoadsAndSaves) {
    const QString folder = PathOf(QString::fromUtf8("Łódź ünïcødé 😀"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/Waveform.xml");
    CParameterWaveform saved = EditedRecord();
    ASSERT_EQ(DLL_SaveParameterToFile(path, &saved), 1);
    ASSERT_TRUE(QFile::exists(path));
    CParameterWaveform loaded;
    ASSERT_EQ(DLL_LoadParameterFromFile(path, &loaded), 1);
    EXPECT_EQ(loaded.ChartName, saved.ChartName);
    EXPECT_EQ(loaded.AxisWidth, 3);
}

// A save the disk cannot take gives 0 and keeps the file that was there.
TEST_F(ParameterFileTest, AFailedSaveGivesZeroAndKeepsTheOldFile) {
    CParameterWaveform saved = EditedRecord();
    ASSERT_EQ(DLL_SaveParameterToFile(PathOf("Waveform.xml"), &saved), 1);
    QFile file(PathOf("Waveform.xml"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray good = file.readAll();
    file.close();

    CParameterWaveform other;
    {
        testsupport::CFileSizeLimit disk(200);
        ASSERT_TRUE(disk.IsSet());
        EXPECT_EQ(DLL_SaveParameterToFile(PathOf("Waveform.xml"), &other), 0);
    }
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), good);
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), PathOf("full.xml")));
    EXPECT_EQ(DLL_SaveParameterToFile(PathOf("full.xml"), &other), 0);
}

TEST_F(ParameterFileTest, TheFileHoldsTheStoredTexts) {
    CParameterWaveform record;
    ASSERT_EQ(DLL_SaveParameterToFile(PathOf("w.xml"), &record), 1);
    QFile file(PathOf("w.xml"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.contains("encoding=\"GB2312\""));
    EXPECT_TRUE(text.contains("<ColorAxis Value=\"13882323\""));
    EXPECT_TRUE(text.contains("<HoriMaxZoom Value=\"10.000000\""));
    EXPECT_TRUE(text.contains("<LineIndex_0 LineWidth=\"1\" LineColor=\"0xFF0000\""));
    EXPECT_TRUE(text.contains("<LineIndex_1 LineWidth=\"1\" LineColor=\"0xCBC0FF\""));
    EXPECT_FALSE(text.contains("VertLeft"));
    EXPECT_FALSE(text.contains("Visible"));
    const char* order[] = {"<LumoraSuite>",
                           "<ParametersWaveform>",
                           "<ScaleTextHori Value=",
                           "<ScaleTextVert Value=",
                           "<HoriMaxZoom Value=",
                           "<HoriMinZoom Value=",
                           "<VertMaxZoom Value=",
                           "<VertMinZoom Value=",
                           "<AxisWidth Value=\"1\"",
                           "<AxisStyle Value=\"0\"",
                           "<ColorAxis Value=",
                           "<ColorAxisBkGnd Value=\"16777215\"",
                           "<ColorAxisText Value=\"0\"",
                           "<LineStyle Value=\"0\"",
                           "<HoriUnitFixed Value=\"1\"",
                           "<ChartName Value=",
                           "<Styles>",
                           "<LineIndex_0 ",
                           "<LineIndex_1 ",
                           "<LineIndex_2 ",
                           "<LineIndex_3 "};
    qsizetype at = -1;
    for (const char* element : order) {
        const qsizetype next = text.indexOf(element);
        EXPECT_GT(next, at) << element;
        at = next;
    }
    EXPECT_EQ(text.count("Value="), 14);
    EXPECT_TRUE(text.contains("<VertMinZoom Value=\"0.000000\""));
}

struct CReadCase {
    const char* name;
    const char* body;
    int result;
    bool changed;
};

TEST_F(ParameterFileTest, ReadingRules) {
    const CReadCase cases[] = {
        {"wrong root", "<Other><ParametersWaveform><AxisWidth Value=\"5\"/></ParametersWaveform></Other>", 0,
         false},
        {"root in other case",
         "<lumorasuite><ParametersWaveform><AxisWidth Value=\"5\"/></ParametersWaveform></lumorasuite>", 0,
         false},
        {"no parameters", "<LumoraSuite><Other/></LumoraSuite>", 1, false},
        {"not XML", "<LumoraSuite><ParametersWaveform>", 0, false},
    };
    for (const CReadCase& c : cases) {
        WriteFile("case.xml",
                  QByteArray("<?xml version=\"1.0\" encoding=\"GB2312\" standalone=\"yes\" ?>\n") + c.body);
        CParameterWaveform record = EditedRecord();
        const CParameterWaveform before = record;
        EXPECT_EQ(DLL_LoadParameterFromFile(PathOf("case.xml"), &record), c.result) << c.name;
        EXPECT_EQ(record.AxisWidth, before.AxisWidth) << c.name;
        EXPECT_EQ(record.ChartName, before.ChartName) << c.name;
        EXPECT_EQ(record.Styles[1].LineColor, before.Styles[1].LineColor) << c.name;
    }
    CParameterWaveform record;
    EXPECT_EQ(DLL_LoadParameterFromFile(PathOf("missing.xml"), &record), 0);
    EXPECT_EQ(DLL_LoadParameterFromFile(PathOf("case.xml"), nullptr), 0);
    EXPECT_EQ(DLL_SaveParameterToFile(PathOf("x.xml"), nullptr), 0);
}

TEST_F(ParameterFileTest, ValuesAreParsedAsTheFileWritesThem) {
    WriteFile(
        "v.xml",
        "<?xml version=\"1.0\" ?>\n<LumoraSuite><ParametersWaveform>"
        "<ColorAxisBkGnd Value=\"16777215\"/><AxisWidth Value=\"abc\"/><HoriMaxZoom Value=\"x\"/>"
        "<LineStyle/>"
        "<Styles><LineIndex_0 LineColor=\"0xCBC0FF\"/><LineIndex_1 LineColor=\"CBC0FF\" LineWidth=\"4\"/>"
        "<LineIndex_3 LineWidth=\"2\"/></Styles>"
        "</ParametersWaveform></LumoraSuite>");
    CParameterWaveform record;
    record.ColorAxisBkGnd = 0;
    record.LineStyle = 3;
    ASSERT_EQ(DLL_LoadParameterFromFile(PathOf("v.xml"), &record), 1);
    EXPECT_EQ(record.ColorAxisBkGnd, 0xFFFFFFu);
    EXPECT_EQ(record.AxisWidth, 0);
    EXPECT_DOUBLE_EQ(record.HoriMaxZoom, 0.0);
    EXPECT_EQ(record.LineStyle, 3);
    EXPECT_EQ(record.Styles[0].LineColor, 0xCBC0FFu);
    EXPECT_EQ(record.Styles[1].LineColor, 0xCBC0FFu);
    EXPECT_EQ(record.Styles[1].LineWidth, 4);
    EXPECT_EQ(record.Styles[2].LineColor, 0x800080u);
    EXPECT_EQ(record.Styles[3].LineWidth, 2);
    EXPECT_EQ(record.Styles[3].LineColor, 0x008000u);
    EXPECT_EQ(record.ScaleTextHori, QStringLiteral("时间 (s)"));
}

TEST_F(ParameterFileTest, AValueThatIsNotCodePageTextEndsTheRead) {
    WriteFile("bad.xml",
              QByteArray("<?xml version=\"1.0\" ?>\n<LumoraSuite><ParametersWaveform>"
                         "<AxisWidth Value=\"6\"/><ChartName Value=\"\x81\"/><LineStyle Value=\"2\"/>"
                         "</ParametersWaveform></LumoraSuite>"));
    CParameterWaveform record;
    EXPECT_EQ(DLL_LoadParameterFromFile(PathOf("bad.xml"), &record), 0);
    EXPECT_EQ(record.AxisWidth, 6);
    EXPECT_EQ(record.ChartName, QStringLiteral("电流波形曲线"));
}

// A zoom limit reads back as the limit that was saved: six decimals where they hold it, as the file
// has always had them, else as many as it takes (a plot of nanoamperes); files of six decimals read
// as they always did.
TEST_F(ParameterFileTest, LimitsAreWrittenSoTheyReadBackExactly) {
    const struct {
        const char* name;
        double value;
        const char* text;
    } cases[] = {
        {"whole", 10.0, "10.000000"},
        {"milliamperes", 0.003, "0.003000"},
        {"negative", -1.25, "-1.250000"},
        {"20 nA", 20e-9, "0.00000002"},
        {"80 nA", 80e-9, "0.00000008"},
        {"a third", 1.0 / 3.0, "0.3333333333333333"},
        {"far below", 1e-25, "0.0000000000000000000000001"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CParameterWaveform saved;
        saved.VertMinZoom = c.value;
        saved.VertMaxZoom = c.value;
        saved.HoriMinZoom = c.value;
        saved.HoriMaxZoom = c.value;
        ASSERT_EQ(DLL_SaveParameterToFile(PathOf("limits.xml"), &saved), 1);
        QFile file(PathOf("limits.xml"));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        for (const char* element : {"HoriMaxZoom", "HoriMinZoom", "VertMaxZoom", "VertMinZoom"})
            EXPECT_TRUE(text.contains(QByteArray("<") + element + " Value=\"" + c.text + "\""))
                << element << "\n"
                << text.toStdString();
        CParameterWaveform loaded;
        ASSERT_EQ(DLL_LoadParameterFromFile(PathOf("limits.xml"), &loaded), 1);
        EXPECT_EQ(loaded.VertMinZoom, c.value);
        EXPECT_EQ(loaded.VertMaxZoom, c.value);
        EXPECT_EQ(loaded.HoriMinZoom, c.value);
        EXPECT_EQ(loaded.HoriMaxZoom, c.value);
    }
    WriteFile("old.xml", "<?xml version=\"1.0\" ?>\n<LumoraSuite><ParametersWaveform>"
                         "<VertMinZoom Value=\"0.000020\"/><VertMaxZoom Value=\"12.500000\"/>"
                         "</ParametersWaveform></LumoraSuite>");
    CParameterWaveform old;
    ASSERT_EQ(DLL_LoadParameterFromFile(PathOf("old.xml"), &old), 1);
    EXPECT_EQ(old.VertMinZoom, 2e-5);
    EXPECT_EQ(old.VertMaxZoom, 12.5);
}

} // namespace
