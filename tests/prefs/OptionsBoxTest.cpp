// The main preferences dialog.
#include "PrefsTestSupport.h"
#include "tests/frame/DialogInput.h"

#include "dialogs/optionsbox/FolderDialog.h"
#include "dialogs/optionsbox/OptionsBox.h"
#include "dialogs/optionsbox/PrefMainPageData.h"
#include "dialogs/optionsbox/PrefMainPageGen.h"
#include "lumora/core/MainPreferences.h"
#include "platform/ControlId.h"
#include "platform/Profile.h"
#include "waveform/prefdlg/PreferencesDlgBase.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

using namespace prefstest;

constexpr int kOk = 1;
constexpr int kCancel = 2;

// The record's fields as the options dialog would find them, without the program's defaults.
MainPreferences Record(const CTestEnvironment& environment) {
    MainPreferences record;
    record.LogPath = environment.Path(QStringLiteral("LogFiles/"));
    record.ElapsedRefresh = 5;
    record.Digits = 6;
    return record;
}

void ShowPage(QDialog& dialog, const QString& leaf) {
    QTreeWidget* tree = dynamic_cast<CPreferencesDlgBase&>(dialog).Tree();
    const auto items = tree->findItems(leaf, Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1);
    tree->setCurrentItem(items.front());
}

void Type(QDialog& dialog, int id, const QString& text) {
    auto* edit = platform::FindControl<QLineEdit>(&dialog, id);
    ASSERT_NE(edit, nullptr) << id;
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

TEST(OptionsBox, RefusedEntriesKeepTheDialogOpenWithTheRangeMessage) {
    struct Case {
        const char* name;
        const char* page;
        int id;
        const char* text;
        const char16_t* message;
    };
    const Case cases[] = {
        {"decimals text", "数据", CPrefMainPageData::IDC_DIGITS, "6x", u"请输入一个整数。"},
        {"decimals beyond an int", "数据", CPrefMainPageData::IDC_DIGITS, "99999999999", u"请输入一个整数。"},
        {"refresh 1", "常规", CPrefMainPageGen::IDC_REFRESH, "1", u"请输入一个介于 2 和 100 之间的整数。"},
        {"refresh 101", "常规", CPrefMainPageGen::IDC_REFRESH, "101",
         u"请输入一个介于 2 和 100 之间的整数。"},
        {"refresh text", "常规", CPrefMainPageGen::IDC_REFRESH, "5s", u"请输入一个整数。"},
    };
    for (const Case& c : cases) {
        CTestEnvironment environment;
        MainPreferences record = Record(environment);
        bool stayedOpen = false;
        WithModalDialog([&](QDialog& dialog) {
            ShowPage(dialog, QString::fromUtf8(c.page));
            Type(dialog, c.id, QString::fromLatin1(c.text));
            ClickControl(dialog, kOk);
            stayedOpen = dialog.isVisible();
            if (stayedOpen)
                dialog.reject();
        });
        EXPECT_EQ(SetPropertyMain(&record), 0) << c.name;
        EXPECT_TRUE(stayedOpen) << c.name;
        EXPECT_EQ(environment.Messages(), QStringList{QString::fromUtf16(c.message)}) << c.name;
        EXPECT_EQ(record.Digits, 6) << c.name;
        EXPECT_EQ(record.ElapsedRefresh, 5) << c.name;
    }
}

// A text typed into the decimals (0 to 15) and the refresh period (2 to 100), and what OK gives for
// each: the value taken, or after "!" the message that refused it and kept the dialog open.
TEST(OptionsBox, TheWholeNumberFieldsTakeOnlyWholeNumbers) {
    const struct {
        const char* name;
        const char16_t* typed;
        const char16_t* digits;
        const char16_t* refresh;
    } rows[] = {
        {"a decimal comma", u"0,005", u"!请输入一个整数。", u"!请输入一个整数。"},
        {"a decimal point", u"0.005", u"!请输入一个整数。", u"!请输入一个整数。"},
        {"digit grouping", u"3,300", u"!请输入一个整数。", u"!请输入一个整数。"},
        {"an exponent", u"1e-3", u"!请输入一个整数。", u"!请输入一个整数。"},
        {"blanks around", u" 5 ", u"5", u"5"},
        {"a unit", u"5V", u"!请输入一个整数。", u"!请输入一个整数。"},
        {"nothing", u"", u"!请输入一个整数。", u"!请输入一个整数。"},
        {"not a number", u"nan", u"!请输入一个整数。", u"!请输入一个整数。"},
        {"infinity", u"inf", u"!请输入一个整数。", u"!请输入一个整数。"},
        {"beyond a double", u"1e400", u"!请输入一个整数。", u"!请输入一个整数。"},
        {"negative zero", u"-0", u"0", u"!请输入一个介于 2 和 100 之间的整数。"},
        {"an Arabic-Indic digit", u"\u0663", u"!请输入一个整数。", u"!请输入一个整数。"},
    };
    const struct {
        const char* page;
        int id;
        int MainPreferences::*field;
        int before;
    } fields[] = {{"数据", CPrefMainPageData::IDC_DIGITS, &MainPreferences::Digits, 6},
                  {"常规", CPrefMainPageGen::IDC_REFRESH, &MainPreferences::ElapsedRefresh, 5}};
    for (const auto& field : fields) {
        for (const auto& row : rows) {
            SCOPED_TRACE(field.id);
            const QString expected =
                QString::fromUtf16(field.id == CPrefMainPageData::IDC_DIGITS ? row.digits : row.refresh);
            CTestEnvironment environment;
            MainPreferences record = Record(environment);
            bool stayedOpen = false;
            WithModalDialog([&](QDialog& dialog) {
                ShowPage(dialog, QString::fromUtf8(field.page));
                ASSERT_NE(platform::FindControl<QLineEdit>(&dialog, field.id), nullptr);
                frametest::TypeInto(&dialog, field.id, QString::fromUtf16(row.typed));
                ClickControl(dialog, kOk);
                stayedOpen = dialog.isVisible();
                if (stayedOpen)
                    dialog.reject();
            });
            const int result = SetPropertyMain(&record);
            if (expected.startsWith(u'!')) {
                EXPECT_EQ(result, 0) << row.name;
                EXPECT_TRUE(stayedOpen) << row.name;
                EXPECT_EQ(environment.Messages(), QStringList{expected.mid(1)}) << row.name;
                EXPECT_EQ(record.*field.field, field.before) << row.name;
            } else {
                EXPECT_EQ(result, 1) << row.name;
                EXPECT_TRUE(environment.Messages().isEmpty()) << row.name;
                EXPECT_EQ(QString::number(record.*field.field), expected) << row.name;
            }
        }
    }
}

TEST(OptionsBox, OkTakesTheEditedValues) {
    CTestEnvironment environment;
    MainPreferences record = Record(environment);
    WithModalDialog([](QDialog& dialog) {
        ShowPage(dialog, QStringLiteral("常规"));
        Type(dialog, CPrefMainPageGen::IDC_REFRESH, QStringLiteral("100"));
        ShowPage(dialog, QStringLiteral("数据"));
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("配置 - 数据"));
        Type(dialog, CPrefMainPageData::IDC_DIGITS, QStringLiteral("13"));
        // The up arrow of the decimals adds one and stops at the top of its range, 15.
        auto* arrows = platform::FindControl<QScrollBar>(&dialog, CPrefMainPageData::IDC_DIGITS_SPIN);
        ASSERT_NE(arrows, nullptr);
        arrows->triggerAction(QAbstractSlider::SliderSingleStepSub);
        arrows->triggerAction(QAbstractSlider::SliderSingleStepSub);
        arrows->triggerAction(QAbstractSlider::SliderSingleStepSub);
        platform::FindControl<QComboBox>(&dialog, CPrefMainPageData::IDC_LITTLE)->setCurrentIndex(5);
        platform::FindControl<QComboBox>(&dialog, CPrefMainPageData::IDC_BIG)->setCurrentIndex(4);
        ClickControl(dialog, kOk);
    });
    ASSERT_EQ(SetPropertyMain(&record), 1);
    EXPECT_EQ(record.ElapsedRefresh, 100);
    EXPECT_EQ(record.Digits, 15);
    EXPECT_EQ(record.EFormat_Little, 5);
    EXPECT_EQ(record.EFormat_Big, 4);
}

// The decimals the writers honour are 0 to 15: any other number is refused with the message that
// names the limit, so the record never says more decimals than are written.
TEST(OptionsBox, DecimalsOutsideWhatIsWrittenAreRefusedWithTheLimit) {
    struct Case {
        const char* text;
        int digits; // -1: refused
    };
    const Case cases[] = {{"16", -1}, {"20", -1}, {"-1", -1}, {"+40", -1}, {"0", 0}, {"15", 15}, {"+9", 9}};
    for (const Case& c : cases) {
        CTestEnvironment environment;
        MainPreferences record = Record(environment);
        bool stayedOpen = false;
        WithModalDialog([&](QDialog& dialog) {
            ShowPage(dialog, QStringLiteral("数据"));
            Type(dialog, CPrefMainPageData::IDC_DIGITS, QString::fromLatin1(c.text));
            ClickControl(dialog, kOk);
            stayedOpen = dialog.isVisible();
            if (stayedOpen)
                dialog.reject();
        });
        if (c.digits < 0) {
            EXPECT_EQ(SetPropertyMain(&record), 0) << c.text;
            EXPECT_TRUE(stayedOpen) << c.text;
            EXPECT_EQ(environment.Messages(),
                      QStringList{QStringLiteral("请输入一个介于 0 和 15 之间的整数。")})
                << c.text;
            EXPECT_EQ(record.Digits, 6) << c.text;
        } else {
            EXPECT_EQ(SetPropertyMain(&record), 1) << c.text;
            EXPECT_TRUE(environment.Messages().isEmpty()) << c.text;
            EXPECT_EQ(record.Digits, c.digits) << c.text;
        }
    }
}

TEST(OptionsBox, TheConfigurationFileIsChosenInAnXmlFileDialog) {
    CTestEnvironment environment;
    MainPreferences record = Record(environment);
    record.PathConfig = environment.Path(QStringLiteral("Config/MainApp.xml"));
    const QString chosen = environment.Path(QStringLiteral("Bench Two"));
    QStringList filters;
    QString suffix, folder, name;
    WithModalDialog([&](QDialog& dialog) {
        ShowPage(dialog, QStringLiteral("常规"));
        auto* path = platform::FindControl<QLineEdit>(&dialog, CPrefMainPageGen::IDC_CONFIG_PATH);
        ASSERT_NE(path, nullptr);
        EXPECT_EQ(path->text(), record.PathConfig);
        EXPECT_TRUE(path->isReadOnly());
        WithModalDialog([&](QDialog& browse) {
            auto& files = dynamic_cast<QFileDialog&>(browse);
            filters = files.nameFilters();
            suffix = files.defaultSuffix();
            folder = files.directory().absolutePath();
            auto* edit = files.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            ASSERT_NE(edit, nullptr);
            name = edit->text();
            // A name not there yet, without its extension: the dialog adds it.
            edit->setText(chosen);
            QTest::keyClick(edit, Qt::Key_Return);
        });
        ClickControl(dialog, CPrefMainPageGen::IDC_CONFIG_BROWSE);
        EXPECT_EQ(path->text(), chosen + QStringLiteral(".xml"));
        ClickControl(dialog, kOk);
    });
    ASSERT_EQ(SetPropertyMain(&record), 1);
    EXPECT_EQ(filters, QStringList{QStringLiteral("(*.xml)")});
    EXPECT_EQ(suffix, QStringLiteral("xml"));
    EXPECT_EQ(folder, QDir(environment.Path(QStringLiteral("Config"))).absolutePath());
    EXPECT_EQ(name, QStringLiteral("MainApp.xml"));
    EXPECT_EQ(record.PathConfig, chosen + QStringLiteral(".xml"));
}

TEST(OptionsBox, DefaultsAllReachTheGeneralPageWhenTheDialogOpensOnTheDataPage) {
    CTestEnvironment environment;
    platform::WriteProfileInt(QStringLiteral("Preferences"), QStringLiteral("StartPage"), 1);
    MainPreferences record = Record(environment);
    record.FilePathCurr = QStringLiteral("/elsewhere/");
    record.AutoSaveDataLogging = 0;
    record.Digits = 3;
    QString title;
    WithModalDialog([&](QDialog& dialog) {
        title = dialog.windowTitle();
        ClickControl(dialog, CPreferencesDlgBase::IDC_DEFAULTS_ALL);
        ClickControl(dialog, kOk);
    });
    ASSERT_EQ(SetPropertyMain(&record), 1);
    EXPECT_EQ(title, QStringLiteral("配置 - 数据")) << "opened on the data page";
    EXPECT_EQ(record.FilePathCurr, environment.Path(QStringLiteral("Data/Current/")));
    EXPECT_EQ(record.AutoSaveDataLogging, 1);
    EXPECT_EQ(record.Digits, 6);
}

TEST(OptionsBox, TheDialogAndItsGroupsShowTheirIcons) {
    CTestEnvironment environment;
    MainPreferences record = Record(environment);
    bool dialogIcon = false;
    std::vector<int> missing;
    WithModalDialog([&](QDialog& dialog) {
        dialogIcon = !dialog.windowIcon().isNull();
        ShowPage(dialog, QStringLiteral("常规"));
        for (int id : {CPrefMainPageGen::IDI_CONFIG, CPrefMainPageGen::IDI_CURRENT,
                       CPrefMainPageGen::IDI_DATA_LOGGING, CPrefMainPageGen::IDI_LOG}) {
            auto* icon = platform::FindControl<QLabel>(&dialog, id);
            if (icon == nullptr || !icon->isVisible() || icon->pixmap().isNull() ||
                icon->pixmap().toImage().pixelColor(16, 16).alpha() == 0)
                missing.push_back(id);
        }
        ClickControl(dialog, kCancel);
    });
    EXPECT_EQ(SetPropertyMain(&record), 0);
    EXPECT_TRUE(dialogIcon);
    EXPECT_TRUE(missing.empty()) << "first icon missing: " << (missing.empty() ? 0 : missing.front());
}

TEST(OptionsBox, AMissingFolderIsRefusedAndAnExistingOneKeepsItsCase) {
    CTestEnvironment environment;
    const QString chosen = environment.Path(QStringLiteral("MixedCase Logs"));
    ASSERT_TRUE(QDir().mkpath(chosen));
    MainPreferences record = Record(environment);
    QString status, typedStatus;
    bool stayedOpen = false;
    WithModalDialog([&](QDialog& dialog) {
        ShowPage(dialog, QStringLiteral("常规"));
        WithModalDialog([&](QDialog& browse) {
            auto& folders = dynamic_cast<CFolderDialog&>(browse);
            auto* name = folders.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            ASSERT_NE(name, nullptr);
            folders.setDirectory(environment.Path(QString()));
            QTest::keyClicks(name, QStringLiteral("missing"));
            typedStatus = platform::FindControl<QLabel>(&folders, CFolderDialog::IDC_STATUS)->text();
            folders.accept();
            stayedOpen = folders.isVisible();
            status = platform::FindControl<QLabel>(&folders, CFolderDialog::IDC_STATUS)->text();
            name->clear();
            folders.selectFile(chosen);
            folders.accept();
        });
        ClickControl(dialog, CPrefMainPageGen::IDC_BROWSE_LOG);
        EXPECT_EQ(platform::FindControl<QLineEdit>(&dialog, CPrefMainPageGen::IDC_LOG_PATH)->text(),
                  chosen + u'/');
        ClickControl(dialog, kOk);
    });
    ASSERT_EQ(SetPropertyMain(&record), 1);
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(typedStatus, QStringLiteral("< Please select a valid folder >")) << "shown while typing";
    EXPECT_EQ(status, QStringLiteral("< Please select a valid folder >"));
    EXPECT_EQ(record.LogPath, chosen + u'/');
}

TEST(OptionsBox, DefaultsCurrentShowsTheDefaultsAtOnce) {
    CTestEnvironment environment;
    MainPreferences record = Record(environment);
    record.Digits = 3;
    record.EFormat_Little = 7;
    record.FilePathCurr = QStringLiteral("/elsewhere/");
    WithModalDialog([](QDialog& dialog) {
        ShowPage(dialog, QStringLiteral("数据"));
        ClickControl(dialog, CPreferencesDlgBase::IDC_DEFAULTS_CURRENT);
        EXPECT_EQ(platform::FindControl<QLineEdit>(&dialog, CPrefMainPageData::IDC_DIGITS)->text(),
                  QStringLiteral("6"));
        EXPECT_EQ(platform::FindControl<QComboBox>(&dialog, CPrefMainPageData::IDC_LITTLE)->currentText(),
                  QStringLiteral("0.01"));
        EXPECT_EQ(platform::FindControl<QComboBox>(&dialog, CPrefMainPageData::IDC_BIG)->currentText(),
                  QStringLiteral("99999"));
        ShowPage(dialog, QStringLiteral("常规"));
        ClickControl(dialog, CPreferencesDlgBase::IDC_DEFAULTS_CURRENT);
        ClickControl(dialog, kOk);
    });
    ASSERT_EQ(SetPropertyMain(&record), 1);
    EXPECT_EQ(record.Digits, 6);
    EXPECT_EQ(record.EFormat_Little, 2);
    EXPECT_EQ(record.ExponentResolution, 0.1);
    EXPECT_EQ(record.FilePathCurr, environment.Path(QStringLiteral("Data/Current/")));
}

TEST(OptionsBox, ExponentThresholdsFollowTheRows) {
    struct Case {
        int little, big;
        double resolution, limit;
    };
    const Case cases[] = {
        {0, 0, 0.0, 999.0}, {1, 1, 0.0, 9999.0}, {2, 4, 0.1, 9999999.0}, {7, 3, 0.000001, 999999.0}};
    for (const Case& c : cases) {
        MainPreferences record;
        record.EFormat_Little = c.little;
        record.EFormat_Big = c.big;
        optionsbox::MakeExponentThresholds(record);
        EXPECT_EQ(record.ExponentResolution, c.resolution) << "row " << c.little;
        EXPECT_EQ(record.ExponentLimit, c.limit) << "row " << c.big;
    }
}

} // namespace
