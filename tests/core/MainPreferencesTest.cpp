#include "CoreTestFiles.h"
#include "lumora/core/ParserParaInstruDCSource.h"
#include "lumora/core/ParserParaInstruMultiMeter.h"
#include "lumora/core/ParserParameters.h"
#include "platform/ProgramFolder.h"
#include "tests/support/FileSizeLimit.h"

#include <QDir>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <limits>

using coretest::ReadAll;
using coretest::WriteAll;

namespace {

struct SValueCase {
    int digits, little, big;
    double value;
    const char* expected;
};

const SValueCase kValueCases[] = {
    {3, 2, 2, 12.5, "12.500"},
    {3, 2, 2, 0.5, "0.500"},
    {3, 2, 2, 0.05, "5.000e-02"},
    {3, 2, 2, 123456.0, "1.235e+05"},
    {3, 2, 2, 99999.0, "99999.000"},
    {3, 2, 2, -0.05, "-5.000e-02"},
    {3, 2, 2, 0.1, "0.100"},
    {3, 2, 2, -99999.0, "-99999.000"},
    {3, 2, 2, -123456.0, "-1.235e+05"},
    {3, 2, 2, std::numeric_limits<double>::infinity(), "inf"},
    {6, 0, 2, 1e-12, "0.000000"},
    {6, 1, 0, 1000.0, "1.000000e+03"},
    {6, 9, 4, 1e-9, "0.000000"},
    {2, 8, 4, 1e-7, "0.00"},
    {2, 8, 4, 9e-8, "9.00e-08"},
    {-1, 2, 2, 1.25, "1"},
    {40, 2, 2, 0.5, "0.500000000000000"},
    {3, 2, 2, std::numeric_limits<double>::quiet_NaN(), "nan"},
};

MainPreferences WithIndices(int digits, int little, int big) {
    MainPreferences p;
    p.Digits = digits;
    p.EFormat_Little = little;
    p.EFormat_Big = big;
    p.UpdateDerivedFields();
    return p;
}

void CheckValues() {
    for (const auto& c : kValueCases)
        EXPECT_EQ(FormatMeasuredValue(WithIndices(c.digits, c.little, c.big), c.value).toStdString(),
                  c.expected)
            << c.digits << "/" << c.little << "/" << c.big << " " << c.value;
}

TEST(MainPreferences, FormatMeasuredValuePicksFixedOrExponent) {
    CheckValues();
}

TEST(MainPreferences, FormatMeasuredValueIgnoresADecimalCommaLocale) {
    ASSERT_NE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"), nullptr);
    CheckValues();
    std::setlocale(LC_NUMERIC, "C");
}

// The writers format millions of values without printf: the texts must stay what the C library's
// printf writes, rounding ties and carries included.
TEST(MainPreferences, FormatMeasuredValueWritesWhatPrintfWrites) {
    const double values[] = {0.0,       -0.0,       0.125,      0.375,        2.5,        0.5,
                             1.5,       9.9999995,  0.99999995, -9.9999995,   1e-7,       5e-7,
                             0.0000005, 0.00000049, 0.1,        0.09999999,   99999.0,    99999.0000001,
                             1e300,     -1e-300,    4.35,       1.0000005,    123456.789, 2.675,
                             1.005,     3.14159e-5, 6.02214e23, 9.999999e-10, 1e22,       -1234.56789};
    const int digits[] = {0, 1, 2, 3, 6, 8, 15};
    for (const int d : digits) {
        for (const int little : {0, 2, 8}) {
            const MainPreferences p = WithIndices(d, little, 2);
            for (const double v : values) {
                const double magnitude = std::fabs(v);
                const bool exponent = magnitude > p.ExponentLimit || magnitude < p.ExponentResolution;
                char expected[512];
                std::snprintf(expected, sizeof(expected), exponent ? "%.*e" : "%.*f", d, v);
                EXPECT_EQ(FormatMeasuredValue(p, v).toStdString(), expected)
                    << d << "/" << little << " " << v;
                std::string appended = "x";
                SMeasuredValueFormat(p).Append(appended, v);
                EXPECT_EQ(appended, std::string("x") + expected) << d << " " << v;
            }
        }
    }
}

TEST(MainPreferences, DerivedFieldsFollowTheStoredOnes) {
    const MainPreferences defaults;
    EXPECT_EQ(defaults.FixedFormat, QStringLiteral("%.6f"));
    EXPECT_EQ(defaults.ExponentFormat, QStringLiteral("%.6e"));
    EXPECT_DOUBLE_EQ(defaults.ExponentLimit, 99999.0);
    EXPECT_DOUBLE_EQ(defaults.ExponentResolution, 0.1);
    const double limits[] = {999.0, 9999.0, 99999.0, 999999.0, 9999999.0};
    for (int i = 0; i < 5; ++i)
        EXPECT_DOUBLE_EQ(WithIndices(6, 2, i).ExponentLimit, limits[i]) << i;
    EXPECT_DOUBLE_EQ(WithIndices(6, 2, 7).ExponentLimit, 99999.0);
    const double resolutions[] = {0.0, 0.0, 0.1, 0.01, 0.001, 0.0001, 0.00001, 0.000001, 0.0000001, 0.0};
    for (int i = 0; i < 10; ++i)
        EXPECT_DOUBLE_EQ(WithIndices(6, i, 2).ExponentResolution, resolutions[i]) << i;
    // The format text stays as built, however far out Digits is.
    EXPECT_EQ(WithIndices(-1, 2, 2).FixedFormat, QStringLiteral("%.-1f"));

    MainPreferences source = WithIndices(2, 4, 0);
    source.MeasureMode = 2;
    source.PathConfig = QStringLiteral("/etc/lumora/MainApp.xml");
    source.SaveLog = 1;
    source.LogPath = QStringLiteral("/var/log/lumora/");
    source.LogFileName = QStringLiteral("QX_Log_x.txt");
    source.FilePathCurr = QStringLiteral("/d/c/");
    source.AutoSaveCurr = 1;
    source.FilePathVolt = QStringLiteral("/d/v/");
    source.AutoSaveVolt = 1;
    source.FilePathCCDF = QStringLiteral("/d/ccdf/");
    source.AutoSaveCCDF = 1;
    source.FilePathDataLogging = QStringLiteral("/d/dlog/");
    source.AutoSaveDataLogging = 0;
    source.ElapsedRefresh = 9;
    for (const MainPreferences& target : {MainPreferences(source), [&] {
                                              MainPreferences t;
                                              t = source;
                                              return t;
                                          }()}) {
        EXPECT_EQ(target.MeasureMode, 2);
        EXPECT_EQ(target.PathConfig, source.PathConfig);
        EXPECT_EQ(target.SaveLog, 1);
        EXPECT_EQ(target.LogPath, source.LogPath);
        EXPECT_EQ(target.LogFileName, source.LogFileName);
        EXPECT_EQ(target.Digits, 2);
        EXPECT_EQ(target.EFormat_Little, 4);
        EXPECT_EQ(target.EFormat_Big, 0);
        EXPECT_EQ(target.FilePathCurr, source.FilePathCurr);
        EXPECT_EQ(target.AutoSaveCurr, 1);
        EXPECT_EQ(target.FilePathVolt, source.FilePathVolt);
        EXPECT_EQ(target.AutoSaveVolt, 1);
        EXPECT_EQ(target.FilePathCCDF, source.FilePathCCDF);
        EXPECT_EQ(target.AutoSaveCCDF, 1);
        EXPECT_EQ(target.FilePathDataLogging, source.FilePathDataLogging);
        EXPECT_EQ(target.AutoSaveDataLogging, 0);
        EXPECT_EQ(target.ElapsedRefresh, 9);
        EXPECT_EQ(target.FixedFormat, QStringLiteral("%.2f"));
        EXPECT_EQ(target.ExponentFormat, QStringLiteral("%.2e"));
        EXPECT_DOUBLE_EQ(target.ExponentLimit, 999.0);
        EXPECT_DOUBLE_EQ(target.ExponentResolution, 0.001);
    }
}

const char kMainApp[] = "<?xml version=\"1.0\" encoding=\"GB2312\" standalone=\"yes\" ?>\n"
                        "<LumoraSuite>\n"
                        "    <General>\n"
                        "        <PathConfig Value=\"Config/MainApp.xml\" />\n"
                        "        <LogPath Value=\"LogFiles/\" />\n"
                        "        <LogFileName Value=\"QX_Log_2026-01-02_03-04-05.txt\" />\n"
                        "        <SaveLog Value=\"1\" />\n"
                        "        <FilePathCurr Value=\"Data/Current/\" />\n"
                        "        <AutoSaveCurr Value=\"0\" />\n"
                        "        <FilePathVolt Value=\"/mnt/@DIR@/\" />\n"
                        "        <AutoSaveVolt Value=\"0\" />\n"
                        "        <FilePathCCDF Value=\"Data/CCDF/\" />\n"
                        "        <AutoSaveCCDF Value=\"0\" />\n"
                        "        <FilePathDataLogging Value=\"Data/Data Logging/\" />\n"
                        "        <AutoSaveDataLogging Value=\"1\" />\n"
                        "        <ElapsedRefresh Value=\"5\" />\n"
                        "    </General>\n"
                        "    <Data>\n"
                        "        <Digits Value=\"6\" />\n"
                        "        <EFormat_Little Value=\"2\" />\n"
                        "        <EFormat_Big Value=\"2\" />\n"
                        "    </Data>\n"
                        "    <Measure>\n"
                        "        <MeasureMode Value=\"2\" />\n"
                        "    </Measure>\n"
                        "</LumoraSuite>\n";

class MainConfiguration : public ::testing::Test {
protected:
    void SetUp() override {
        m_program = m_dir.path() + QStringLiteral("/bin/");
        QDir().mkpath(m_program + QStringLiteral("Config"));
        platform::SetProgramFolderOverride(m_program);
    }
    void TearDown() override { platform::SetProgramFolderOverride(QString()); }
    QString ConfigPath() const { return m_program + QStringLiteral("Config/MainApp.xml"); }
    QTemporaryDir m_dir;
    QString m_program;
};

TEST_F(MainConfiguration, WrittenFileIsByteExact) {
    MainPreferences p;
    p.LogFileName = QStringLiteral("QX_Log_2026-01-02_03-04-05.txt");
    p.SaveLog = 1;
    p.MeasureMode = 2;
    p.FilePathVolt = QString::fromUtf8("/mnt/电压/");
    ASSERT_EQ(CParserParameters().Save(ConfigPath(), &p), 1);
    QByteArray expected(kMainApp);
    expected.replace("@DIR@", QByteArray::fromHex("b5e7d1b9"));
    EXPECT_EQ(ReadAll(ConfigPath()).toStdString(), expected.toStdString());
}

TEST_F(MainConfiguration, RoundTripFollowsAMovedProgramFolder) {
    MainPreferences in;
    in.MeasureMode = 1;
    in.SaveLog = 1;
    in.LogPath = m_program + QStringLiteral("Logs/");
    in.LogFileName = QString::fromUtf8("日志.txt");
    in.Digits = 9;
    in.EFormat_Little = 5;
    in.EFormat_Big = 4;
    in.FilePathCurr = QStringLiteral("/srv/current/");
    in.AutoSaveCurr = 1;
    in.FilePathVolt = m_program + QStringLiteral("V/");
    in.AutoSaveVolt = 1;
    in.FilePathCCDF = m_program + QStringLiteral("C/");
    in.AutoSaveCCDF = 1;
    in.FilePathDataLogging = QStringLiteral("/srv/dlog/");
    in.AutoSaveDataLogging = 0;
    in.ElapsedRefresh = 42;
    ASSERT_EQ(CParserParameters().Save(ConfigPath(), &in), 1);

    const QString moved = m_dir.path() + QStringLiteral("/moved/");
    ASSERT_TRUE(QDir().rename(m_program, moved));
    platform::SetProgramFolderOverride(moved);
    MainPreferences out;
    ASSERT_EQ(CParserParameters().Load(moved + QStringLiteral("Config/MainApp.xml"), &out), 1);
    EXPECT_EQ(out.MeasureMode, 1);
    EXPECT_EQ(out.PathConfig, moved + QStringLiteral("Config/MainApp.xml"));
    EXPECT_EQ(out.SaveLog, 1);
    EXPECT_EQ(out.LogPath, moved + QStringLiteral("Logs/"));
    EXPECT_EQ(out.LogFileName, in.LogFileName);
    EXPECT_EQ(out.Digits, 9);
    EXPECT_EQ(out.EFormat_Little, 5);
    EXPECT_EQ(out.EFormat_Big, 4);
    EXPECT_EQ(out.FilePathCurr, QStringLiteral("/srv/current/"));
    EXPECT_EQ(out.AutoSaveCurr, 1);
    EXPECT_EQ(out.FilePathVolt, moved + QStringLiteral("V/"));
    EXPECT_EQ(out.AutoSaveVolt, 1);
    EXPECT_EQ(out.FilePathCCDF, moved + QStringLiteral("C/"));
    EXPECT_EQ(out.AutoSaveCCDF, 1);
    EXPECT_EQ(out.FilePathDataLogging, QStringLiteral("/srv/dlog/"));
    EXPECT_EQ(out.AutoSaveDataLogging, 0);
    EXPECT_EQ(out.ElapsedRefresh, 42);
    EXPECT_EQ(out.FixedFormat, QStringLiteral("%.9f"));
    EXPECT_DOUBLE_EQ(out.ExponentResolution, 0.0001);
}

TEST_F(MainConfiguration, BadFilesGiveZeroAndKeepTheDefaults) {
    const std::pair<const char*, QByteArray> cases[] = {
        {"other root", "<lumorasuite><Data><Digits Value=\"2\"/></Data></lumorasuite>"},
        {"truncated", QByteArray(kMainApp).left(300)},
        {"not xml", "Digits=2"},
    };
    for (const auto& [name, content] : cases) {
        ASSERT_TRUE(WriteAll(ConfigPath(), content));
        MainPreferences p;
        EXPECT_EQ(CParserParameters().Load(ConfigPath(), &p), 0) << name;
        EXPECT_EQ(p.Digits, 6) << name;
        EXPECT_TRUE(p.LogFileName.isEmpty()) << name;
    }
    MainPreferences p;
    EXPECT_EQ(CParserParameters().Load(m_program + QStringLiteral("Config/none.xml"), &p), 0);
    EXPECT_EQ(CParserParameters().Load(ConfigPath(), nullptr), 0);
    EXPECT_EQ(CParserParameters().Save(ConfigPath(), nullptr), 0);
    EXPECT_EQ(CParserParameters().Save(m_program + QStringLiteral("NoFolder/MainApp.xml"), &p), 0);
}

// The settings files on a disk that fills up: each save gives 0 and the file that was there stays whole;
// the full device itself gives 0 and is not replaced.
TEST_F(MainConfiguration, SettingsFilesOnAFullDiskGiveZeroAndKeepTheOldFile) {
    MainPreferences preferences;
    const CParameterInstruDCSource supply;
    const CParameterInstruMultiMeter meter;
    const struct {
        const char* name;
        std::function<int(const QString&)> save;
    } writers[] = {
        {"main configuration",
         [&](const QString& path) { return CParserParameters().Save(path, &preferences); }},
        {"supply file", [&](const QString& path) { return CParserParaInstruDCSource().Save(path, &supply); }},
        {"meter file", [&](const QString& path) { return CParserParaInstruMultiMeter().Save(path, &meter); }},
    };
    for (const auto& writer : writers) {
        SCOPED_TRACE(writer.name);
        const QString path = m_program + QStringLiteral("Config/settings.xml");
        ASSERT_TRUE(WriteAll(path, "<good/>"));
        {
            testsupport::CFileSizeLimit disk(100);
            ASSERT_TRUE(disk.IsSet());
            EXPECT_EQ(writer.save(path), 0);
        }
        EXPECT_EQ(ReadAll(path), QByteArray("<good/>"));
        EXPECT_EQ(QDir(m_program + QStringLiteral("Config")).entryList(QDir::Files),
                  QStringList{QStringLiteral("settings.xml")});
        const QString full = m_program + QStringLiteral("Config/full.xml");
        ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), full));
        EXPECT_EQ(writer.save(full), 0);
        QFile::remove(full);
        EXPECT_EQ(writer.save(path), 1);
    }
}

TEST_F(MainConfiguration, ElementRulesOnLoad) {
    ASSERT_TRUE(WriteAll(ConfigPath(), "<?xml version=\"1.0\" encoding=\"GB2312\" standalone=\"yes\" ?>"
                                       "<LumoraSuite><General><PathConfig Value=\"\"/><LogPath Value=\"\"/>"
                                       "<ElapsedRefresh/><FilePathCurr Value=\"\"/></General>"
                                       "<Data><Digits Value=\"2\"/></Data><Measure/></LumoraSuite>"));
    MainPreferences p;
    p.MeasureMode = 2;
    p.AutoSaveCurr = 1;
    ASSERT_EQ(CParserParameters().Load(ConfigPath(), &p), 1);
    EXPECT_EQ(p.PathConfig, m_program + QStringLiteral("Config/MainApp.xml"));
    EXPECT_EQ(p.LogPath, m_program + QStringLiteral("LogFiles/"));
    EXPECT_TRUE(p.LogFileName.startsWith(QStringLiteral("QX_Log_")));
    EXPECT_TRUE(p.LogFileName.endsWith(QStringLiteral(".txt")));
    EXPECT_EQ(p.LogFileName.size(), int(sizeof("QX_Log_2026-01-02_03-04-05.txt") - 1));
    EXPECT_EQ(p.ElapsedRefresh, 0) << "an element without its value reads as 0";
    EXPECT_TRUE(p.FilePathCurr.isEmpty());
    EXPECT_EQ(p.AutoSaveCurr, 1);
    EXPECT_EQ(p.FilePathVolt, m_program + QStringLiteral("Data/Voltage/"));
    EXPECT_EQ(p.FixedFormat, QStringLiteral("%.2f"));
    EXPECT_EQ(p.ExponentFormat, QStringLiteral("%.2e"));
    EXPECT_EQ(p.MeasureMode, 0);
}

// A file's decimals beyond what the writers honour load as the nearest they honour, so that the
// record's formats say what is written.
TEST_F(MainConfiguration, DecimalsLoadWithinWhatIsWritten) {
    struct Case {
        const char* stored;
        int digits;
        const char* fixed;
        const char* written; // 0.5 as the pages write it
    } const cases[] = {
        {"20", 15, "%.15f", "0.500000000000000"},
        {"15", 15, "%.15f", "0.500000000000000"},
        {"3", 3, "%.3f", "0.500"},
        {"0", 0, "%.0f", "0"},
        {"-1", 0, "%.0f", "0"},
    };
    for (const Case& c : cases) {
        const std::string xml =
            std::string("<LumoraSuite><Data><Digits Value=\"") + c.stored + "\"/></Data></LumoraSuite>";
        ASSERT_TRUE(WriteAll(ConfigPath(), xml.c_str()));
        MainPreferences p;
        ASSERT_EQ(CParserParameters().Load(ConfigPath(), &p), 1) << c.stored;
        EXPECT_EQ(p.Digits, c.digits) << c.stored;
        EXPECT_EQ(p.FixedFormat, QString::fromLatin1(c.fixed)) << c.stored;
        EXPECT_EQ(FormatMeasuredValue(p, 0.5), QString::fromLatin1(c.written)) << c.stored;
    }
}

// The period is loaded as stored, 1 s included; the data-logging timer keeps its own period within
// what a timer takes.
TEST_F(MainConfiguration, TheRefreshPeriodIsLoadedAsStored) {
    struct Case {
        const char* stored;
        int loaded;
    };
    const Case cases[] = {{"-3", -3},   {"1", 1},     {"2", 2},          {"37", 37},
                          {"100", 100}, {"101", 101}, {"100000", 100000}};
    for (const Case& c : cases) {
        const std::string xml =
            std::string("<LumoraSuite><General><PathConfig Value=\"\"/><ElapsedRefresh Value=\"") + c.stored +
            "\"/></General></LumoraSuite>";
        ASSERT_TRUE(WriteAll(ConfigPath(), xml.c_str()));
        MainPreferences p;
        ASSERT_EQ(CParserParameters().Load(ConfigPath(), &p), 1) << c.stored;
        EXPECT_EQ(p.ElapsedRefresh, c.loaded) << c.stored;
    }
}

TEST_F(MainConfiguration, WithoutPathConfigTheGeneralSectionIsSkipped) {
    ASSERT_TRUE(WriteAll(ConfigPath(), "<LumoraSuite><General><SaveLog Value=\"1\"/></General>"
                                       "<Measure><MeasureMode Value=\"1\"/></Measure></LumoraSuite>"));
    MainPreferences p;
    ASSERT_EQ(CParserParameters().Load(ConfigPath(), &p), 1);
    EXPECT_EQ(p.SaveLog, 0);
    EXPECT_EQ(p.MeasureMode, 1);
}

} // namespace
