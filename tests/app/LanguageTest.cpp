// The interface language: with English every text a widget of the program shows is English; with
// Chinese the program's own texts and Qt's Chinese buttons are shown; both tables hold every id.
#include "../frame/FrameFixture.h"
#include "lumora/LumoraStrings.h"

#include "dialogs/infobox/DlgAbout.h"
#include "dialogs/promptkit/PromptKit.h"
#include "lumora/core/MainFrame.h"
#include "lumora/core/QXAppDialogMeasCurrent.h"
#include "lumora/core/QXAppDialogMeasDLOG.h"
#include "lumora/core/QXAppDialogMeasVoltage.h"
#include "lumora/shell/DlgPropertyVISARes.h"
#include "lumora/shell/LumoraApp.h"
#include "lumora/shell/LumoraView.h"
#include "lumora/shell/QXDialogSettingsCurrProtect.h"
#include "lumora/shell/QXDialogSettingsInstru.h"
#include "lumora/shell/QXDialogSettingsMeasCurr.h"
#include "lumora/shell/QXDialogSettingsMeasDataLog.h"
#include "lumora/shell/ToolbarCustomize.h"
#include "platform/ControlId.h"
#include "platform/Profile.h"
#include "platform/ProgramFolder.h"
#include "platform/StringTable.h"
#include "resources/lumoraENG/LumoraENG.h"
#include "waveform/traceprefs/ColorButton.h"
#include "waveform/traceprefs/ColourPopup.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDockWidget>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMenu>
#include <QStatusBar>
#include <QTabBar>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QUuid>
#include <gtest/gtest.h>
#include <memory>

namespace {

bool HasCjk(const QString& text) {
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if ((u >= 0x4E00 && u <= 0x9FFF) || (u >= 0x3000 && u <= 0x303F) || (u >= 0xFF00 && u <= 0xFFEF))
            return true;
    }
    return false;
}

// Every text the widgets show: titles, tips, captions, items, headers, actions and menus; each with
// where it was found.
class CTextWalk {
public:
    void Widget(QWidget* widget) {
        if (m_seen.contains(widget))
            return;
        m_seen.insert(widget);
        const QString where =
            QString::fromLatin1(widget->metaObject()->className()) + u' ' + widget->objectName();
        Add(where + QStringLiteral(" title"), widget->windowTitle());
        Add(where + QStringLiteral(" tip"), widget->toolTip());
        Add(where + QStringLiteral(" status tip"), widget->statusTip());
        if (auto* label = qobject_cast<QLabel*>(widget))
            Add(where, label->text());
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            Add(where, button->text());
        if (auto* group = qobject_cast<QGroupBox*>(widget))
            Add(where, group->title());
        // An edit's text is the user's data (values, paths, captions kept in parameter files).
        if (auto* edit = qobject_cast<QLineEdit*>(widget))
            Add(where + QStringLiteral(" placeholder"), edit->placeholderText());
        if (auto* combo = qobject_cast<QComboBox*>(widget))
            for (int i = 0; i < combo->count(); ++i)
                Add(where + QStringLiteral(" item"), combo->itemText(i));
        if (auto* tabs = qobject_cast<QTabBar*>(widget))
            for (int i = 0; i < tabs->count(); ++i)
                Add(where + QStringLiteral(" tab"), tabs->tabText(i));
        if (auto* menu = qobject_cast<QMenu*>(widget))
            Add(where + QStringLiteral(" menu"), menu->title());
        if (auto* status = qobject_cast<QStatusBar*>(widget))
            Add(where + QStringLiteral(" message"), status->currentMessage());
        if (auto* view = qobject_cast<QAbstractItemView*>(widget); view && view->model())
            Model(where, *view->model());
        for (QAction* action : widget->actions())
            Action(action);
        for (QObject* child : widget->children()) {
            if (auto* childWidget = qobject_cast<QWidget*>(child))
                Widget(childWidget);
            else if (auto* action = qobject_cast<QAction*>(child))
                Action(action);
        }
    }
    void Action(QAction* action) {
        const QString where = QStringLiteral("action ") + action->objectName();
        Add(where, action->text());
        Add(where + QStringLiteral(" tip"), action->toolTip());
        Add(where + QStringLiteral(" status tip"), action->statusTip());
        if (action->menu() != nullptr)
            Widget(action->menu());
    }
    void Model(const QString& where, const QAbstractItemModel& model) {
        const int rows = std::min(model.rowCount(), 200);
        const int columns = std::min(model.columnCount(), 50);
        for (int c = 0; c < columns; ++c)
            Add(where + QStringLiteral(" header"), model.headerData(c, Qt::Horizontal).toString());
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < columns; ++c)
                Add(where + QStringLiteral(" cell"), model.data(model.index(r, c)).toString());
    }
    void Add(const QString& where, const QString& text) {
        if (!text.isEmpty())
            m_texts.append({where, text});
    }

    struct SText {
        QString where;
        QString text;
    };
    QList<SText> m_texts;
    QSet<QWidget*> m_seen;
};

CTextWalk WalkEverything(CMainFrame& frame) {
    CTextWalk walk;
    walk.Widget(&frame);
    for (QWidget* window : QApplication::topLevelWidgets())
        walk.Widget(window);
    return walk;
}

// Opens the dialogs of the prompt library and the preference dialogs as the program does, walking
// each and closing it.
void WalkDialogs(CTextWalk& walk, CMainFrame& frame) {
    QWidget* parent = &frame;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            // Each dialog lives on the stack of its export: a later one may take an earlier one's address.
            walk.m_seen.clear();
            walk.Widget(dialog);
            dialog->close();
        }
    });
    closer.start(20);
    DlgExeFinished(parent, 0, QStringLiteral("finished"));
    for (int severity : {1, 2, 4})
        DlgTestCaseInfo(parent, severity, QStringLiteral("info"));
    MessageBoxYesNoAll(parent, QStringLiteral("caption"), QStringLiteral("text"));
    QString text;
    DlgStringInput(text, QString(), QString());
    QString pattern = QStringLiteral("<Text><Counter>");
    DLL_SetFileNameField(parent, pattern);
    frame.OnCommand(CMainFrame::ID_OPTIONS);
    if (frame.CurrentPage() != nullptr)
        frame.CurrentPage()->OnCommand(CQXAppDialogMeasCurrent::IDC_SETTINGS);
    // The settings dialogs on copies of the frame's records, each measure mode's texts included.
    CParameterInstruMultiMeter meter = frame.MultimeterRecord();
    CParameterInstruDCSource supply = frame.SupplyRecord();
    for (int mode : {0, 1, 2}) {
        CQXDialogSettingsInstru(mode, parent).exec();
        CQXDialogSettingsMeasCurr(meter.CaptCurr, meter.NplcCurr, meter.LineFrequency, mode, parent).exec();
        CParameterMeasDataLogging block = meter.DataLogging;
        CQXDialogSettingsMeasDataLog(&block, meter.NplcDLog, meter.LineFrequency, mode, parent).exec();
    }
    CDlgPropertyVISARes(meter, parent).exec();
    CDlgPropertyVISARes(supply, parent).exec();
    CQXDialogSettingsCurrProtect(supply, parent).exec();
}

bool Shows(const CTextWalk& walk, const QString& text) {
    for (const auto& shown : walk.m_texts)
        if (shown.text == text)
            return true;
    return false;
}

class LanguageTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder.WriteConfiguration(0, false);
        for (const QString& name : {QStringLiteral("libstartscreen.so"), QStringLiteral("liblumoraENG.so")})
            QFile::link(platform::ExecutableFolder() + name, m_folder.Path() + QStringLiteral("lib/") + name);
        m_app.SetInstanceKey(QUuid::createUuid().toString());
    }
    void TearDown() override {
        m_app.ExitInstance(0);
        platform::ClearStrings(platform::eStringLayer::Language);
    }
    bool Start(int language) {
        platform::WriteProfileInt(QStringLiteral("Config"), QStringLiteral("Language"), language);
        return m_app.InitInstance({QStringLiteral("lumora")});
    }

    frametest::CProgramFolder m_folder;
    frametest::CMessageRecorder m_messages;
    CLumoraApp m_app;
};

// The language's own name in the language menu stays as it is written.
bool IsLanguageName(const QString& text) {
    return text == QStringLiteral("简体中文");
}

TEST_F(LanguageTest, WithEnglishNoWidgetShowsAChineseText) {
    ASSERT_TRUE(Start(1));
    ASSERT_TRUE(m_app.LanguageLibraryLoaded());
    infobox::CDlgAbout about(m_app.MainFrame());
    CTextWalk walk = WalkEverything(*m_app.MainFrame());
    WalkDialogs(walk, *m_app.MainFrame());
    ASSERT_GT(walk.m_texts.size(), 50);
    for (const auto& shown : walk.m_texts)
        if (!IsLanguageName(shown.text)) {
            EXPECT_FALSE(HasCjk(shown.text)) << shown.where.toStdString() << ": " << shown.text.toStdString();
        }
    EXPECT_TRUE(Shows(walk, QStringLiteral("Measurement")));
    EXPECT_TRUE(Shows(walk, QStringLiteral("Digital Multimeter")));
    EXPECT_TRUE(Shows(walk, QStringLiteral("Run Finished")));
    EXPECT_TRUE(Shows(walk, QStringLiteral("File Name")));
    EXPECT_TRUE(Shows(walk, QStringLiteral("Save automatically")));
    EXPECT_TRUE(Shows(walk, QStringLiteral("Chart name")));
    // The measurement settings' titles end with the instrument model.
    EXPECT_TRUE(Shows(walk, QStringLiteral("DC Current Measurement Settings: DMM7510")));
    EXPECT_TRUE(Shows(walk, QStringLiteral("Data Logging Measurement Settings: 2280S")));
    EXPECT_TRUE(Shows(walk, QStringLiteral(" Voltage Protection ")));
    EXPECT_TRUE(Shows(walk, QStringLiteral("VISA resource name")));
    EXPECT_TRUE(Shows(walk, QStringLiteral("Mode 3")));
    // The settings dialogs' refusals are English too.
    CParameterInstruDCSource supply = m_app.MainFrame()->SupplyRecord();
    CQXDialogSettingsCurrProtect protection(supply, m_app.MainFrame());
    auto* voltage =
        platform::FindControl<QLineEdit>(&protection, CQXDialogSettingsCurrProtect::IDC_VOLTAGE_PROTECTION);
    voltage->setText(QStringLiteral("5V"));
    protection.accept();
    EXPECT_EQ(protection.result(), QDialog::Rejected);
    const QStringList refusals = m_messages.Texts();
    ASSERT_GE(refusals.size(), 1);
    EXPECT_EQ(refusals.last(), QStringLiteral("Please enter a number."));
    EXPECT_TRUE(m_app.MainFrame()->windowTitle().startsWith(QStringLiteral("TMX-2600B Low-Current")));
    EXPECT_TRUE(m_app.VersionText().startsWith(QStringLiteral("Version  1.0.0")));
    for (const QString& text : m_messages.Texts())
        EXPECT_FALSE(HasCjk(text)) << text.toStdString();
}

// The statistics tables show their headers and fixed texts whole in either language.
TEST_F(LanguageTest, StatisticsTablesShowTheirTextsWhole) {
    for (int language : {1, 0}) {
        SCOPED_TRACE(language);
        ASSERT_TRUE(Start(language));
        for (QWidget* page : {static_cast<QWidget*>(m_app.MainFrame()->CurrentPage()),
                              static_cast<QWidget*>(m_app.MainFrame()->DataLoggingPage())}) {
            auto* table = platform::FindControl<QTableWidget>(page, 1006);
            ASSERT_NE(table, nullptr);
            const QFontMetrics header(table->horizontalHeader()->font());
            const QFontMetrics cells(table->font());
            for (int column = 0; column < table->columnCount(); ++column) {
                const QTableWidgetItem* heading = table->horizontalHeaderItem(column);
                const QString text = heading != nullptr ? heading->text() : QString();
                EXPECT_LE(header.horizontalAdvance(text) + 8, table->columnWidth(column))
                    << text.toStdString();
                for (int row = 0; row < table->rowCount(); ++row)
                    EXPECT_LE(cells.horizontalAdvance(
                                  table->item(row, column) ? table->item(row, column)->text() : QString()) +
                                  8,
                              table->columnWidth(column));
            }
        }
        // Qt's own dialogs and dates follow the language.
        EXPECT_EQ(QLocale().language(), language == 1 ? QLocale::English : QLocale::Chinese);
        if (language == 0) {
            EXPECT_EQ(QCoreApplication::translate("QAbstractFileIconProvider", "Folder"),
                      QStringLiteral("文件夹"));
        }
        m_app.ExitInstance(0);
        platform::ClearStrings(platform::eStringLayer::Language);
    }
}

TEST_F(LanguageTest, WithChineseTheProgramsOwnTextsAndQtsChineseButtons) {
    ASSERT_TRUE(Start(0));
    EXPECT_FALSE(m_app.LanguageLibraryLoaded());
    const CTextWalk walk = WalkEverything(*m_app.MainFrame());
    for (const char16_t* text : {u"视图", u"测量控制", u"电流测试", u"数字万用表", u"直流电源", u"设备型号",
                                 u"曲线1", u"就绪", u"语言", u"帮助"})
        EXPECT_TRUE(Shows(walk, QString::fromUtf16(text))) << QString::fromUtf16(text).toStdString();
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("取消"));
}

// In either language the voltage page's axis labels show whole and clear of their combo boxes, the
// colour popup's boxes and the customize list's looks speak the language shown.
TEST_F(LanguageTest, LabelsPopupAndLooksInTheLanguageShown) {
    for (int language : {1, 0}) {
        SCOPED_TRACE(language);
        ASSERT_TRUE(Start(language));
        CMainFrame* frame = m_app.MainFrame();
        ASSERT_TRUE(frame->OnCommand(CMainFrame::ID_MEASURE_VOLTAGE));
        QWidget* page = frame->View()->PageVoltage();
        ASSERT_NE(page, nullptr);
        for (const auto& [textId, comboId] :
             {std::pair{IDS_LABEL_HORI, 1066}, std::pair{IDS_LABEL_VERT, 1067}}) {
            QLabel* label = nullptr;
            for (QLabel* candidate : page->findChildren<QLabel*>())
                if (candidate->text() == platform::LoadString(textId))
                    label = candidate;
            ASSERT_NE(label, nullptr) << textId;
            auto* combo = platform::FindControl<QComboBox>(page, comboId);
            ASSERT_NE(combo, nullptr) << comboId;
            EXPECT_TRUE(label->isVisible()) << textId;
            EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width())
                << label->text().toStdString();
            EXPECT_LT(label->geometry().right() + 1, combo->geometry().left()) << label->text().toStdString();
        }

        CColorButton colour;
        colour.show();
        QTest::mouseClick(&colour, Qt::LeftButton);
        auto* popup = colour.findChild<CColourPopup*>();
        ASSERT_NE(popup, nullptr);
        EXPECT_EQ(popup->DefaultText(), language == 1 ? QStringLiteral("Automatic") : QStringLiteral("自动"));
        EXPECT_EQ(popup->CustomText(),
                  language == 1 ? QStringLiteral("More Colors...") : QStringLiteral("其他颜色..."));
        popup->close();

        // The dialog goes before the frame that parents it.
        auto customizePtr = std::make_unique<shell::CDlgCustomize>(*frame->Customizer(), frame);
        shell::CDlgCustomize& customize = *customizePtr;
        int looks = 0;
        for (int row = 0; row < customize.CommandList()->count(); ++row) {
            const QListWidgetItem* item = customize.CommandList()->item(row);
            const unsigned id = item->data(Qt::UserRole).toUInt();
            if (id < CMainFrame::ID_VIEW_APPLOOK_FIRST || id > CMainFrame::ID_VIEW_APPLOOK_LAST)
                continue;
            ++looks;
            EXPECT_EQ(HasCjk(item->text()), language == 0) << item->text().toStdString();
        }
        EXPECT_EQ(looks, 11);
        customizePtr.reset();
        m_app.ExitInstance(0);
        platform::ClearStrings(platform::eStringLayer::Language);
    }
}

// Every id the program registered in Chinese has its English text, and English adds no id of its own.
TEST_F(LanguageTest, BothTablesHoldEveryId) {
    ASSERT_TRUE(Start(0));
    // The dialogs register their texts when they first open.
    infobox::CDlgAbout about(m_app.MainFrame());
    CTextWalk walk;
    WalkDialogs(walk, *m_app.MainFrame());
    ASSERT_EQ(RegisterLanguageStrings(), 1);
    const QList<int> builtin = platform::StringIds(platform::eStringLayer::Builtin);
    const QList<int> english = platform::StringIds(platform::eStringLayer::Language);
    for (int id : builtin) {
        EXPECT_TRUE(english.contains(id))
            << "no English text for " << id << ": "
            << platform::LoadLayerString(platform::eStringLayer::Builtin, id).toStdString();
    }
    for (int id : english)
        EXPECT_TRUE(builtin.contains(id)) << "no Chinese text for " << id;
    for (int id : english)
        if (id != ID_LANGUAGE_CHINESE) {
            EXPECT_FALSE(HasCjk(platform::LoadLayerString(platform::eStringLayer::Language, id))) << id;
        }
}

} // namespace
