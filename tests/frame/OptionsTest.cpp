// The frame's options command and the current page's plot settings button.
#include "FrameFixture.h"

#include "dialogs/optionsbox/PrefMainPageData.h"
#include "dialogs/optionsbox/PrefMainPageGen.h"
#include "lumora/LumoraStrings.h"
#include "lumora/core/MainFrame.h"
#include "lumora/core/MainPreferences.h"
#include "lumora/core/QXAppDialogMeasCurrent.h"
#include "platform/ControlId.h"
#include "platform/StringTable.h"
#include "tests/support/FileSizeLimit.h"
#include "waveform/prefdlg/PreferencesDlgBase.h"
#include "waveform/traceprefs/ParameterFile.h"
#include "waveform/traceprefs/PrefPageWaveform.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <gtest/gtest.h>

namespace {

using namespace frametest;

// Runs action on the modal dialog the next call opens, from inside its event loop.
void WithModalDialog(const std::function<void(QDialog&)>& action) {
    QTimer::singleShot(0, [action] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        action(*dialog);
    });
}

void Type(QDialog& dialog, int id, const QString& text) {
    auto* edit = platform::FindControl<QLineEdit>(&dialog, id);
    ASSERT_NE(edit, nullptr) << id;
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

void ShowPage(QDialog& dialog, const QString& leaf) {
    QTreeWidget* tree = dynamic_cast<CPreferencesDlgBase&>(dialog).Tree();
    const auto items = tree->findItems(leaf, Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(items.size(), 1);
    tree->setCurrentItem(items.front());
}

// The path fields show the end of their path, the folder's own name; the whole path is their tip.
TEST(FrameOptions, PathFieldsShowTheFoldersName) {
    CMessageRecorder messages;
    CProgramFolder folder;
    folder.WriteConfiguration(1, false);
    SLumora lumora;
    ASSERT_GE(lumora.created, 0);
    bool looked = false;
    WithModalDialog([&looked](QDialog& dialog) {
        ShowPage(dialog, QStringLiteral("常规"));
        for (int id : {int(CPrefMainPageGen::IDC_CONFIG_PATH), int(CPrefMainPageGen::IDC_PATH_CURR),
                       int(CPrefMainPageGen::IDC_LOG_PATH)}) {
            auto* edit = platform::FindControl<QLineEdit>(&dialog, id);
            ASSERT_NE(edit, nullptr) << id;
            ASSERT_TRUE(edit->isVisible()) << id;
            // The field stands at the path's end, and that end is in view.
            EXPECT_EQ(edit->cursorPosition(), static_cast<int>(edit->text().size())) << id;
            const QRect cursor = edit->inputMethodQuery(Qt::ImCursorRectangle).toRect();
            EXPECT_TRUE(edit->rect().contains(cursor.center())) << id;
            EXPECT_EQ(edit->toolTip(), edit->text()) << id;
        }
        looked = true;
        dialog.reject();
    });
    ASSERT_TRUE(lumora.frame->OnCommand(CMainFrame::ID_OPTIONS));
    EXPECT_TRUE(looked);
}

TEST(FrameOptions, OptionsChangedInTheDialogSurviveARestartOfTheFrame) {
    CMessageRecorder messages;
    CProgramFolder folder;
    folder.WriteConfiguration(1, false);
    {
        SLumora lumora;
        ASSERT_GE(lumora.created, 0);
        WithModalDialog([](QDialog& dialog) {
            ShowPage(dialog, QStringLiteral("常规"));
            Type(dialog, CPrefMainPageGen::IDC_REFRESH, QStringLiteral("37"));
            ShowPage(dialog, QStringLiteral("数据"));
            Type(dialog, CPrefMainPageData::IDC_DIGITS, QStringLiteral("9"));
            QTest::mouseClick(platform::FindControl<QAbstractButton>(&dialog, 1), Qt::LeftButton);
        });
        ASSERT_TRUE(lumora.frame->OnCommand(CMainFrame::ID_OPTIONS));
        MainPreferences* preferences = lumora.frame->Preferences();
        ASSERT_NE(preferences, nullptr);
        EXPECT_EQ(preferences->Digits, 9);
        EXPECT_EQ(preferences->FixedFormat, QStringLiteral("%.9f"));
        EXPECT_EQ(preferences->LogFileName, QStringLiteral("QX_Log_test.txt"));
        // Forget the values in memory: the next frame has to find them in its file.
        preferences->Digits = 6;
        preferences->ElapsedRefresh = 5;
    }
    SLumora again;
    ASSERT_GE(again.created, 0);
    EXPECT_EQ(again.frame->Preferences()->Digits, 9);
    EXPECT_EQ(again.frame->Preferences()->ElapsedRefresh, 37);
    EXPECT_TRUE(messages.Texts().isEmpty()) << messages.Texts().join(u'\n').toStdString();
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size() &&
           file.flush();
}

// The frame reads its own configuration file whatever the file says its path is, so that is where the
// options go: a configuration naming another file neither loses them nor overwrites that file.
TEST(FrameOptions, OptionsAreSavedToTheFileTheFrameLoads) {
    CMessageRecorder messages;
    CProgramFolder folder;
    folder.WriteConfiguration(1, false);
    const QString own = folder.Path() + QStringLiteral("Config/MainApp.xml");
    const QString other = folder.Path() + QStringLiteral("Config/Other.xml");
    QByteArray configuration = ReadAll(own);
    ASSERT_TRUE(configuration.contains("Config/MainApp.xml"));
    configuration.replace("Config/MainApp.xml", "Config/Other.xml");
    ASSERT_TRUE(WriteAll(own, configuration));
    const QByteArray otherBytes = "<?xml version=\"1.0\" ?>\n<Something />\n";
    ASSERT_TRUE(WriteAll(other, otherBytes));
    {
        SLumora lumora;
        ASSERT_GE(lumora.created, 0);
        EXPECT_EQ(lumora.frame->Preferences()->PathConfig, own);
        WithModalDialog([](QDialog& dialog) {
            ShowPage(dialog, QStringLiteral("数据"));
            Type(dialog, CPrefMainPageData::IDC_DIGITS, QStringLiteral("9"));
            QTest::mouseClick(platform::FindControl<QAbstractButton>(&dialog, 1), Qt::LeftButton);
        });
        ASSERT_TRUE(lumora.frame->OnCommand(CMainFrame::ID_OPTIONS));
    }
    EXPECT_EQ(ReadAll(other), otherBytes);
    SLumora again;
    ASSERT_GE(again.created, 0);
    EXPECT_EQ(again.frame->Preferences()->Digits, 9);
    EXPECT_TRUE(messages.Texts().isEmpty()) << messages.Texts().join(u'\n').toStdString();
}

TEST(FrameOptions, CancelKeepsTheRecordAndTheFile) {
    CMessageRecorder messages;
    CProgramFolder folder;
    folder.WriteConfiguration(1, false);
    SLumora lumora;
    ASSERT_GE(lumora.created, 0);
    QFile file(folder.Path() + QStringLiteral("Config/MainApp.xml"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    const int digits = lumora.frame->Preferences()->Digits;
    ASSERT_NE(digits, 2);
    WithModalDialog([](QDialog& dialog) {
        ShowPage(dialog, QStringLiteral("数据"));
        Type(dialog, CPrefMainPageData::IDC_DIGITS, QStringLiteral("2"));
        dialog.reject();
    });
    ASSERT_TRUE(lumora.frame->OnCommand(CMainFrame::ID_OPTIONS));
    EXPECT_EQ(lumora.frame->Preferences()->Digits, digits);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
}

TEST(FrameOptions, ThePageSettingsButtonEditsThePlotsParameters) {
    CMessageRecorder messages;
    CProgramFolder folder;
    folder.WriteConfiguration(1, false);
    SLumora lumora;
    ASSERT_GE(lumora.created, 0);
    ASSERT_NE(lumora.page, nullptr);
    QString caption;
    WithModalDialog([&caption](QDialog& dialog) {
        caption = dialog.windowTitle();
        auto* name = platform::FindControl<QLineEdit>(&dialog, CPrefPageWaveform::IDC_CHART_NAME);
        ASSERT_NE(name, nullptr);
        name->setText(QStringLiteral("电流 A"));
        QTest::mouseClick(platform::FindControl<QAbstractButton>(&dialog, 1), Qt::LeftButton);
    });
    auto* settings =
        platform::FindControl<QAbstractButton>(lumora.page, CQXAppDialogMeasCurrent::IDC_SETTINGS);
    ASSERT_NE(settings, nullptr);
    QTest::mouseClick(settings, Qt::LeftButton);
    EXPECT_EQ(caption, QStringLiteral("波形曲线参数配置"));
    CParameterWaveform saved;
    ASSERT_EQ(DLL_LoadParameterFromFile(folder.Path() + QStringLiteral("Config/WaveformCurrent.xml"), &saved),
              1);
    EXPECT_EQ(saved.ChartName, QStringLiteral("电流 A"));
}

// Settings the disk does not take are shown, but the user is told they were not saved.
TEST(FrameOptions, APlotSettingsFileTheDiskCannotTakeIsReported) {
    CMessageRecorder messages;
    CProgramFolder folder;
    folder.WriteConfiguration(1, false);
    SLumora lumora;
    ASSERT_GE(lumora.created, 0);
    ASSERT_NE(lumora.page, nullptr);
    const QString path = folder.Path() + QStringLiteral("Config/WaveformCurrent.xml");
    QFile::remove(path);
    WithModalDialog([](QDialog& dialog) {
        auto* name = platform::FindControl<QLineEdit>(&dialog, CPrefPageWaveform::IDC_CHART_NAME);
        ASSERT_NE(name, nullptr);
        name->setText(QStringLiteral("满盘"));
        QTest::mouseClick(platform::FindControl<QAbstractButton>(&dialog, 1), Qt::LeftButton);
    });
    {
        testsupport::CFileSizeLimit disk(64);
        ASSERT_TRUE(disk.IsSet());
        lumora.page->OnCommand(CQXAppDialogMeasCurrent::IDC_SETTINGS);
    }
    EXPECT_TRUE(messages.Contains(platform::LoadString(IDS_WRITE_FAILED)))
        << messages.Texts().join(u'\n').toStdString();
    EXPECT_FALSE(QFile::exists(path));
}

} // namespace
