// Each export of the prompt library as a caller meets it: which button gives which result, what the
// dialog shows, and the same from a worker thread.
#include "PromptTestSupport.h"
#include "dialogs/promptkit/FileNamePattern.h"
#include "dialogs/promptkit/HelpLauncher.h"
#include "dialogs/promptkit/PromptKit.h"
#include "dialogs/promptkit/TaskProgressDialog.h"
#include "platform/ControlId.h"
#include "platform/Library.h"
#include "platform/LibraryFolder.h"
#include "platform/Profile.h"
#include "platform/PumpingWait.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <gtest/gtest.h>
#include <thread>

namespace {

using prompttest::App;
using prompttest::WhenModalShows;

void Click(QDialog* dialog, int id) {
    auto* button = platform::FindControl<QPushButton>(dialog, id);
    ASSERT_NE(button, nullptr) << "button " << id;
    ASSERT_TRUE(button->isVisible()) << "button " << id;
    button->click();
}

// Runs the export with a closer that acts on its dialog; returns the export's result.
int RunWith(const std::function<int()>& run, const std::function<void(QDialog*)>& act) {
    QTimer poll;
    WhenModalShows(poll, act);
    return run();
}

class PromptExports : public testing::Test {
protected:
    void SetUp() override {
        App();
        ASSERT_TRUE(m_folder.isValid());
        platform::SetProfileFileOverride(m_folder.filePath(QStringLiteral("profile.ini")));
    }
    void TearDown() override {
        platform::SetProfileFileOverride(QString());
        platform::SetLibraryFolderOverride(QString());
    }
    QTemporaryDir m_folder;
};

TEST_F(PromptExports, TestCaseInfoEndsWithTheButtonsCodes) {
    struct Row {
        const char* name;
        int button; // 0: Escape
        int expected;
    } rows[] = {{"确定", 1, 1}, {"终止", 2, 2}, {"返回等待", 3, 4}, {"Escape", 0, 2}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QString text;
        const int result =
            RunWith([] { return DlgTestCaseInfo(nullptr, 1, QStringLiteral("第一行\r\n第二行")); },
                    [&](QDialog* dialog) {
                        text = platform::FindControl<QPlainTextEdit>(dialog, 8018)->toPlainText();
                        if (row.button == 0)
                            QTest::keyClick(dialog, Qt::Key_Escape);
                        else
                            Click(dialog, row.button);
                    });
        EXPECT_EQ(result, row.expected);
        EXPECT_EQ(text, QStringLiteral("第一行\n第二行"));
    }
}

TEST_F(PromptExports, TestCaseInfoShowsTheSeveritysIcon) {
    const std::pair<int, int> rows[] = {{1, 8023}, {2, 8020}, {3, 8019}, {4, 8022},
                                        {7, 8009}, {0, 8017}, {5, 8017}};
    for (const auto& [severity, icon] : rows) {
        SCOPED_TRACE(severity);
        int shown = -1;
        bool hasPixmap = false;
        RunWith([severity = severity] { return DlgTestCaseInfo(nullptr, severity, QStringLiteral("x")); },
                [&](QDialog* dialog) {
                    auto* label = platform::FindControl<QLabel>(dialog, 8020);
                    shown = label->property("iconResource").toInt();
                    hasPixmap = !label->pixmap().isNull();
                    Click(dialog, 1);
                });
        EXPECT_EQ(shown, icon);
        EXPECT_TRUE(hasPixmap);
    }
}

TEST_F(PromptExports, YesToAllBoxEndsWithTheButtonsCodesAndShowsLines) {
    const std::pair<int, int> rows[] = {{1, 1}, {2, 2}, {3, 20}};
    for (const auto& [button, expected] : rows) {
        SCOPED_TRACE(button);
        QString caption, text;
        bool skipHidden = false;
        const int result = RunWith(
            [] {
                return MessageBoxYesNoAll(nullptr, QStringLiteral("覆盖文件"),
                                          QStringLiteral("a.csv\n已存在"));
            },
            [&, button = button](QDialog* dialog) {
                caption = dialog->windowTitle();
                text = platform::FindControl<QLabel>(dialog, 1034)->text();
                skipHidden = !platform::FindControl<QPushButton>(dialog, 4)->isVisible();
                Click(dialog, button);
            });
        EXPECT_EQ(result, expected);
        EXPECT_EQ(caption, QStringLiteral("覆盖文件"));
        EXPECT_EQ(text.split(u'\n'), (QStringList{QStringLiteral("a.csv"), QStringLiteral("已存在")}));
        EXPECT_TRUE(skipHidden);
    }
}

TEST_F(PromptExports, StringInputRemembersItsTextUnderTheKey) {
    QString out = QStringLiteral("old");
    QString caption;
    int result = RunWith([&] { return DlgStringInput(out, QString(), QStringLiteral("/\\")); },
                         [&](QDialog* dialog) {
                             caption = dialog->windowTitle();
                             auto* edit = platform::FindControl<QLineEdit>(dialog, 1026);
                             EXPECT_EQ(edit->text(), QString());
                             QTest::keyClicks(edit, QStringLiteral("run/1\\a"));
                             Click(dialog, 1);
                         });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(caption, QStringLiteral("General"));
    EXPECT_EQ(out, QStringLiteral("run1a"));
    EXPECT_EQ(platform::GetProfileString(QStringLiteral("DialogInput"), QStringLiteral("General")),
              QStringLiteral("run1a"));

    // The next input starts from the remembered text; Cancel empties the result and keeps the profile.
    QString shown;
    result = RunWith([&] { return DlgStringInput(out, QStringLiteral("General"), QString()); },
                     [&](QDialog* dialog) {
                         shown = platform::FindControl<QLineEdit>(dialog, 1026)->text();
                         Click(dialog, 2);
                     });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(shown, QStringLiteral("run1a"));
    EXPECT_TRUE(out.isEmpty());

    QString inout = QStringLiteral("given");
    result = RunWith([&] { return DLL_GetInputText(0, inout, QStringLiteral("General"), QString()); },
                     [&](QDialog* dialog) {
                         shown = platform::FindControl<QLineEdit>(dialog, 1026)->text();
                         Click(dialog, 1);
                     });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(shown, QStringLiteral("given"));
    EXPECT_EQ(inout, QStringLiteral("given"));
}

TEST(FileNamePattern, FieldsParseToTheirKinds) {
    const struct {
        QString pattern;
        std::vector<std::pair<int, QString>> fields;
    } rows[] = {
        {QStringLiteral("<.csv>"), {{promptkit::kFieldExtension, QStringLiteral(".csv")}}},
        {QStringLiteral("<run.a>"), {{promptkit::kFieldText, QStringLiteral("run.a")}}},
        {QStringLiteral("<_%05d>"), {{promptkit::kFieldCounter, QStringLiteral("_%05d")}}},
        {QStringLiteral("<%Y-%m-%d_%H-%M-%S_%s>"),
         {{promptkit::kFieldDateTime, QStringLiteral("%Y-%m-%d_%H-%M-%S_%s")}}},
        {QStringLiteral("<a%%b>"), {{promptkit::kFieldCounter, QStringLiteral("a%%b")}}},
        {QStringLiteral("x<a<b>>y<>"), {{promptkit::kFieldText, QStringLiteral("b")}}},
        {QStringLiteral("<open"), {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.pattern.toStdString());
        const auto fields = promptkit::ParseFileNamePattern(row.pattern);
        ASSERT_EQ(fields.size(), row.fields.size());
        for (size_t i = 0; i < fields.size(); ++i) {
            EXPECT_EQ(fields[i].kind, row.fields[i].first);
            EXPECT_EQ(fields[i].text, row.fields[i].second);
        }
    }
}

TEST_F(PromptExports, FileNameFieldEditsThePattern) {
    QString pattern = QStringLiteral("<Data><_%05d><%Y%m%d><.csv><b><c>");
    QStringList values;
    QList<int> kinds;
    QString preview;
    bool layoutSeen = false;
    const int result =
        RunWith([&] { return DLL_SetFileNameField(nullptr, pattern); },
                [&](QDialog* dialog) {
                    for (const int id : {1047, 1048, 1049, 1050, 1051})
                        kinds << platform::FindControl<QComboBox>(dialog, id)->currentIndex();
                    for (const int id : {1023, 1024, 1025, 1026, 1028})
                        values << platform::FindControl<QLineEdit>(dialog, id)->text();
                    auto* previewEdit = platform::FindControl<QPlainTextEdit>(dialog, 1052);
                    preview = previewEdit->toPlainText();
                    // One "字段" label over the kinds, rows numbered 1 to 5, the preview read-only
                    // and centred.
                    QStringList labels;
                    for (const QLabel* label : dialog->findChildren<QLabel*>())
                        labels << label->text();
                    layoutSeen = labels.count(QStringLiteral("字段")) == 1 &&
                                 labels.contains(QStringLiteral("1")) &&
                                 labels.contains(QStringLiteral("5")) && previewEdit->isReadOnly() &&
                                 previewEdit->document()->defaultTextOption().alignment() == Qt::AlignHCenter;
                    // The fifth row becomes a text field; '<' and '>' cannot be typed into a value.
                    auto* list = platform::FindControl<QComboBox>(dialog, 1051);
                    list->setCurrentIndex(1);
                    emit list->activated(1);
                    QTest::keyClicks(platform::FindControl<QLineEdit>(dialog, 1028), QStringLiteral("<x>y"));
                    Click(dialog, 1);
                });
    EXPECT_EQ(kinds, (QList<int>{1, 2, 3, 4, 1}));
    EXPECT_EQ(values, (QStringList{QStringLiteral("Data"), QStringLiteral("_%05d"), QStringLiteral("%Y%m%d"),
                                   QStringLiteral(".csv"), QStringLiteral("b")}));
    EXPECT_EQ(preview, QStringLiteral("<text><cntr><time><ext>b"));
    EXPECT_TRUE(layoutSeen);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(pattern, QStringLiteral("<Data><_%05d><%Y%m%d><.csv><xy>"));
    // What the dialog writes parses back to the same fields.
    EXPECT_EQ(promptkit::ParseFileNamePattern(pattern).size(), 5u);

    const QString before = pattern;
    EXPECT_EQ(RunWith([&] { return DLL_SetFileNameField(nullptr, pattern); },
                      [](QDialog* dialog) { Click(dialog, 2); }),
              0);
    EXPECT_EQ(pattern, before);
}

TEST_F(PromptExports, HelpGoesToTheHelpLibraryWhenThereIsOne) {
    QTemporaryDir empty;
    platform::SetLibraryFolderOverride(empty.path());
    EXPECT_EQ(promptkit::InvokeHelp(QStringLiteral("输入文件名")), 0);

    platform::SetLibraryFolderOverride(QStringLiteral(LUMORA_HELPDOC_FOLDER));
    // Held here so the stand-in keeps what it was told after the dialog lets it go.
    platform::CLibrary help;
    ASSERT_TRUE(help.Load(QStringLiteral("helpdoc.dll")));
    const auto lastTopic = reinterpret_cast<const QString* (*)()>(help.Resolve("HelpDocLastTopic"));
    ASSERT_NE(lastTopic, nullptr);
    EXPECT_EQ(promptkit::InvokeHelp(QStringLiteral("x")), 7);
    QString pattern;
    RunWith([&] { return DLL_SetFileNameField(nullptr, pattern); },
            [](QDialog* dialog) {
                Click(dialog, 1027);
                Click(dialog, 2);
            });
    EXPECT_EQ(*lastTopic(), QStringLiteral("输入文件名"));
}

TEST(TaskProgress, PercentTextAndTaskSteps) {
    const struct {
        int position, low, high, percent;
    } rows[] = {{0, 0, 100, 0},    {50, 0, 100, 50}, {100, 0, 100, 100},
                {150, 0, 100, 50}, {5, 5, 5, 0},     {30, 10, 50, 50}};
    for (const auto& row : rows)
        EXPECT_EQ(promptkit::CTaskProgressDialog::Percent(row.position, row.low, row.high), row.percent)
            << row.position << " in " << row.low << ".." << row.high;

    App();
    QWidget owner;
    owner.show();
    {
        promptkit::CTaskProgressDialog window(&owner, {QStringLiteral("a"), QStringLiteral("b")});
        EXPECT_FALSE(owner.isEnabled());
        EXPECT_TRUE(window.isEnabled());
        window.SetPos(40);
        EXPECT_EQ(window.PercentText(), QStringLiteral("40%"));
        window.StepTask();
        window.StepTask();
        window.StepTask();
        EXPECT_EQ(window.CurrentTask(), 1);
    }
    EXPECT_TRUE(owner.isEnabled());
}

TEST_F(PromptExports, TaskProgressDemonstrationStopsOnClose) {
    // The task shown when the close was clicked, and the last one shown while the dialog lived on.
    int atClose = -1, last = -1;
    QTimer closer;
    closer.setInterval(20);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* dialog = dynamic_cast<promptkit::CTaskProgressDialog*>(window);
                dialog && dialog->isVisible()) {
                last = dialog->CurrentTask();
                if (atClose < 0) {
                    atClose = last;
                    platform::FindControl<QPushButton>(dialog, 2)->click();
                }
            }
        }
    });
    closer.start();
    EXPECT_EQ(DLL_DlgTaskProgress(), 1);
    // The demonstration steps through ten tasks; a close ends it after the step in progress.
    ASSERT_GE(atClose, 0);
    EXPECT_LT(atClose, 9);
    EXPECT_EQ(last, atClose);
}

TEST_F(PromptExports, ExportsCalledFromAWorkerRunOnTheUserInterfaceThread) {
    QString text = QStringLiteral("given");
    QString pattern = QStringLiteral("<a>");
    const struct Row {
        const char* name;
        std::function<int()> run;
        int button;
        int expected;
    } rows[] = {
        {"DlgTestCaseInfo", [] { return DlgTestCaseInfo(nullptr, 2, QStringLiteral("t")); }, 3, 4},
        {"MessageBoxYesNoAll",
         [] { return MessageBoxYesNoAll(nullptr, QStringLiteral("c"), QStringLiteral("t")); }, 3, 20},
        {"DlgStringInput", [&text] { return DlgStringInput(text, QStringLiteral("worker"), QString()); }, 1,
         1},
        {"DLL_GetInputText",
         [&text] { return DLL_GetInputText(0, text, QStringLiteral("worker"), QString()); }, 2, 0},
        {"DLL_SetFileNameField", [&pattern] { return DLL_SetFileNameField(nullptr, pattern); }, 1, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QThread* shownOn = nullptr;
        QTimer poll;
        WhenModalShows(poll, [&](QDialog* dialog) {
            shownOn = QThread::currentThread();
            Click(dialog, row.button);
        });
        std::atomic<bool> finished{false};
        int result = -1;
        std::thread worker([&] {
            result = row.run();
            finished.store(true, std::memory_order_release);
        });
        const bool joined = platform::JoinPumping(worker, finished, 60000);
        if (!joined)
            worker.detach();
        ASSERT_TRUE(joined);
        EXPECT_EQ(result, row.expected);
        EXPECT_EQ(shownOn, QApplication::instance()->thread());
    }
    EXPECT_EQ(pattern, QStringLiteral("<a>"));
}

} // namespace
