// The waveform preferences dialog, on its own and from a plot window.
#include "PrefsTestSupport.h"

#include "lumora/controls/DigEdit.h"
#include "platform/ControlId.h"
#include "platform/MessageBox.h"
#include "platform/Profile.h"
#include "platform/ProgramFolder.h"
#include "waveform/dualplot/WaveformComboMainWnd.h"
#include "waveform/prefdlg/PreferencesDlgBase.h"
#include "waveform/prefdlg/PropertyPageHost.h"
#include "waveform/stripplot/WaveformTimeVsAmpMainWnd.h"
#include "waveform/tailplot/WaveformCCDFMainWnd.h"
#include "waveform/traceprefs/ColorButton.h"
#include "waveform/traceprefs/ColourPopup.h"
#include "waveform/traceprefs/ParameterFile.h"
#include "waveform/traceprefs/PrefPageWaveform.h"
#include "waveform/traceprefs/PrefPageWfColor.h"
#include "waveform/traceprefs/SetPropertyWaveform.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QTreeWidget>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

using namespace prefstest;

constexpr int kOk = 1;
constexpr int kCancel = 2;

CPreferencesDlgBase& Dialog(QDialog& dialog) {
    return dynamic_cast<CPreferencesDlgBase&>(dialog);
}

void ShowPage(QDialog& dialog, const QString& leaf) {
    QTreeWidget* tree = Dialog(dialog).Tree();
    const auto items = tree->findItems(leaf, Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(items.size(), 1) << leaf.toStdString();
    tree->setCurrentItem(items.front());
}

void SetDigits(QDialog& dialog, int id, double value) {
    auto* edit = platform::FindControl<controls::CDigEdit>(&dialog, id);
    ASSERT_NE(edit, nullptr) << id;
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, QString::number(value, 'f', 6));
}

// Chooses a palette cell of a colour button of the dialog with the mouse.
void ChooseColour(QDialog& dialog, int id, int cell) {
    auto* button = platform::FindControl<CColorButton>(&dialog, id);
    ASSERT_NE(button, nullptr) << id;
    QTest::mouseClick(button, Qt::LeftButton);
    auto* popup = button->findChild<CColourPopup*>();
    ASSERT_NE(popup, nullptr);
    QTest::mouseClick(popup, Qt::LeftButton, {}, popup->ItemRect(cell).center());
    QApplication::processEvents();
}

bool SameRecord(const CParameterWaveform& a, const CParameterWaveform& b) {
    bool same = a.ScaleTextHori == b.ScaleTextHori && a.ScaleTextVert == b.ScaleTextVert &&
                a.ScaleTextVertLeft == b.ScaleTextVertLeft && a.HoriMaxZoom == b.HoriMaxZoom &&
                a.HoriMinZoom == b.HoriMinZoom && a.VertMaxZoom == b.VertMaxZoom &&
                a.VertMinZoom == b.VertMinZoom && a.VertLeftMaxZoom == b.VertLeftMaxZoom &&
                a.VertLeftMinZoom == b.VertLeftMinZoom && a.AxisWidth == b.AxisWidth &&
                a.AxisStyle == b.AxisStyle && a.ColorAxis == b.ColorAxis &&
                a.ColorAxisBkGnd == b.ColorAxisBkGnd && a.ColorAxisText == b.ColorAxisText &&
                a.LineStyle == b.LineStyle && a.HoriUnitFixed == b.HoriUnitFixed &&
                a.ChartName == b.ChartName && a.Styles.size() == b.Styles.size();
    for (std::size_t i = 0; same && i < a.Styles.size(); ++i)
        same = a.Styles[i].LineColor == b.Styles[i].LineColor &&
               a.Styles[i].LineWidth == b.Styles[i].LineWidth && a.Styles[i].Visible == b.Styles[i].Visible;
    return same;
}

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class PlotPreferences : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(m_frame.Create(nullptr, &m_host, QRect(0, 0, 655, 495)), 0);
        for (QWidget* child : m_frame.findChildren<QWidget*>())
            if (auto* plot = dynamic_cast<CWaveformTimeVsAmpWnd*>(child))
                m_plot = plot;
        ASSERT_NE(m_plot, nullptr);
        m_frame.show();
    }
    QString ParameterFile() const { return m_environment.Path(QStringLiteral("Config/Waveform.xml")); }
    QImage Shown() const { return m_plot->grab().toImage().convertToFormat(QImage::Format_RGB32); }

    CTestEnvironment m_environment;
    CMessageSink m_host;
    CWaveformTimeVsAmpMainWnd m_frame;
    CWaveformTimeVsAmpWnd* m_plot = nullptr;
};

TEST_F(PlotPreferences, OkSavesTheEditedLimitAndColourAndThePlotRedrawsWithThem) {
    WithModalDialog([](QDialog& dialog) {
        SetDigits(dialog, CPrefPageWaveform::IDC_HORI_MAX, 20.0);
        ShowPage(dialog, QStringLiteral("颜色线型"));
        ChooseColour(dialog, CPrefPageWfColor::IDC_BACK_COLOUR, 26);
        ClickControl(dialog, kOk);
    });
    EXPECT_EQ(m_frame.SetPropertyWaveform(), 1);

    CParameterWaveform saved;
    ASSERT_EQ(DLL_LoadParameterFromFile(ParameterFile(), &saved), 1);
    EXPECT_EQ(saved.HoriMaxZoom, 20.0);
    EXPECT_EQ(saved.ColorAxisBkGnd, 0x00FFFFu);
    double min = 0, max = 0;
    m_plot->GetAxisScaleHoriOrg(min, max);
    EXPECT_EQ(max, 20.0);
    EXPECT_EQ(QColor(Shown().pixel(2, 2)), QColor(Qt::yellow));
}

TEST_F(PlotPreferences, CancelLeavesTheRecordAndTheFileAsTheyWere) {
    ASSERT_EQ(m_plot->SaveParameters(), 1);
    const QByteArray before = FileBytes(ParameterFile());
    const CParameterWaveform record = m_plot->GetGDI();
    WithModalDialog([](QDialog& dialog) {
        SetDigits(dialog, CPrefPageWaveform::IDC_VERT_MAX, 7.0);
        ShowPage(dialog, QStringLiteral("颜色线型"));
        ChooseColour(dialog, CPrefPageWfColor::IDC_AXIS_COLOUR, 16);
        ClickControl(dialog, kCancel);
    });
    EXPECT_EQ(m_frame.SetPropertyWaveform(), 0);
    EXPECT_TRUE(SameRecord(m_plot->GetGDI(), record));
    EXPECT_EQ(FileBytes(ParameterFile()), before);
}

TEST(WaveformDialog, RefusedLimitsKeepTheDialogOpenWithTheirMessage) {
    struct Case {
        const char* name;
        int mode;
        int minId, maxId;
        double min, max;
        const char16_t* message; // null: accepted
    };
    const Case cases[] = {
        {"horizontal equal", 0, CPrefPageWaveform::IDC_HORI_MIN, CPrefPageWaveform::IDC_HORI_MAX, 3, 3,
         u"频率范围设置错误,起始频率大于终止频率!"},
        {"vertical reversed", 0, CPrefPageWaveform::IDC_VERT_MIN, CPrefPageWaveform::IDC_VERT_MAX, 2, 1,
         u"幅度值范围设置错误,起始值大于终止值!"},
        {"left reversed, two axes: taken as it is", 1, CPrefPageWaveform::IDC_LEFT_MIN,
         CPrefPageWaveform::IDC_LEFT_MAX, 5, 4, nullptr},
        {"left reversed, one axis: not shown, not checked", 0, CPrefPageWaveform::IDC_LEFT_MIN,
         CPrefPageWaveform::IDC_LEFT_MAX, 5, 4, nullptr},
    };
    for (const Case& c : cases) {
        CTestEnvironment environment;
        CParameterWaveform record;
        // The left axis comes with the record: on a one-axis plot nobody can type into it.
        if (c.minId == CPrefPageWaveform::IDC_LEFT_MIN && c.mode == 0) {
            record.VertLeftMinZoom = c.min;
            record.VertLeftMaxZoom = c.max;
        }
        bool stayedOpen = false;
        WithModalDialog([&](QDialog& dialog) {
            auto* edit = platform::FindControl<controls::CDigEdit>(&dialog, c.minId);
            ASSERT_NE(edit, nullptr);
            edit->SetValue(c.min);
            platform::FindControl<controls::CDigEdit>(&dialog, c.maxId)->SetValue(c.max);
            ClickControl(dialog, kOk);
            stayedOpen = dialog.isVisible();
            if (stayedOpen)
                dialog.reject();
        });
        const int result = DLL_SetPropertyWaveform(&record, c.mode);
        if (c.message != nullptr) {
            EXPECT_TRUE(stayedOpen) << c.name;
            EXPECT_EQ(result, 0) << c.name;
            EXPECT_EQ(environment.Messages(), QStringList{QString::fromUtf16(c.message)}) << c.name;
        } else {
            EXPECT_FALSE(stayedOpen) << c.name;
            EXPECT_EQ(result, 1) << c.name;
            EXPECT_TRUE(environment.Messages().isEmpty()) << c.name;
            EXPECT_EQ(record.VertLeftMinZoom, 5.0) << c.name;
            EXPECT_EQ(record.VertLeftMaxZoom, 4.0) << c.name;
        }
    }
}

// The one-axis plots keep the left axis of the record they were given, whatever it holds: the hidden
// fields are no edits of the user's.
TEST(WaveformDialog, TheHiddenLeftAxisPassesThroughUnchangedInOneAxisMode) {
    CTestEnvironment environment;
    CParameterWaveform record;
    record.VertLeftMinZoom = 1.5e-7;
    record.VertLeftMaxZoom = 5e9;
    WithModalDialog([](QDialog& dialog) { ClickControl(dialog, kOk); });
    ASSERT_EQ(DLL_SetPropertyWaveform(&record, 0), 1);
    EXPECT_EQ(record.VertLeftMinZoom, 1.5e-7);
    EXPECT_EQ(record.VertLeftMaxZoom, 5e9);
}

TEST(WaveformDialog, CurveEditsSurviveSwitchingByKeyboardAndAutomaticIsTheDefaultColour) {
    CTestEnvironment environment;
    CParameterWaveform record;
    WithModalDialog([](QDialog& dialog) {
        ShowPage(dialog, QStringLiteral("颜色线型"));
        auto* curve = platform::FindControl<QComboBox>(&dialog, CPrefPageWfColor::IDC_CURVE);
        ASSERT_NE(curve, nullptr);
        ChooseColour(dialog, CPrefPageWfColor::IDC_CURVE_COLOUR, 26); // curve 1: yellow
        curve->setFocus();
        QTest::keyClick(curve, Qt::Key_Down);                        // curve 2, by the keyboard
        ChooseColour(dialog, CPrefPageWfColor::IDC_CURVE_COLOUR, 0); // curve 2: black
        auto* width = platform::FindControl<QComboBox>(&dialog, CPrefPageWfColor::IDC_CURVE_WIDTH);
        width->setCurrentIndex(width->findData(13));
        QTest::keyClick(curve, Qt::Key_Down); // curve 3
        // Automatic on the axis colour.
        auto* axis = platform::FindControl<CColorButton>(&dialog, CPrefPageWfColor::IDC_AXIS_COLOUR);
        QTest::mouseClick(axis, Qt::LeftButton);
        auto* popup = axis->findChild<CColourPopup*>();
        ASSERT_NE(popup, nullptr);
        QTest::mouseClick(popup, Qt::LeftButton, {}, popup->ItemRect(CColourPopup::kDefaultBox).center());
        ClickControl(dialog, kOk);
    });
    ASSERT_EQ(DLL_SetPropertyWaveform(&record, 0), 1);
    EXPECT_EQ(record.Styles[0].LineColor, 0x00FFFFu);
    EXPECT_EQ(record.Styles[1].LineColor, 0x000000u);
    EXPECT_EQ(record.Styles[1].LineWidth, 13);
    EXPECT_EQ(record.Styles[2].LineColor, 0x800080u) << "untouched";
    EXPECT_EQ(record.ColorAxis, 0xD3D3D3u) << "Automatic is the default axis colour";
}

TEST(WaveformDialog, DefaultsCurrentOnTheColourPageResetsColoursOnly) {
    CTestEnvironment environment;
    CParameterWaveform record;
    record.ColorAxis = 0x112233;
    record.Styles[3].LineColor = 0x445566;
    record.AxisWidth = 17;
    record.HoriMaxZoom = 42.0;
    record.ChartName = QStringLiteral("name");
    WithModalDialog([](QDialog& dialog) {
        ShowPage(dialog, QStringLiteral("颜色线型"));
        auto* width = platform::FindControl<QComboBox>(&dialog, CPrefPageWfColor::IDC_AXIS_WIDTH);
        EXPECT_EQ(width->currentText(), QStringLiteral("17"));
        ClickControl(dialog, CPreferencesDlgBase::IDC_DEFAULTS_CURRENT);
        ClickControl(dialog, kOk);
    });
    ASSERT_EQ(DLL_SetPropertyWaveform(&record, 0), 1);
    EXPECT_EQ(record.ColorAxis, 0xD3D3D3u);
    EXPECT_EQ(record.Styles[3].LineColor, 0x008000u);
    EXPECT_EQ(record.AxisWidth, 1);
    EXPECT_EQ(record.HoriMaxZoom, 42.0);
    EXPECT_EQ(record.ChartName, QStringLiteral("name"));
}

TEST(WaveformDialog, TheRememberedPageIsUsedOnlyWhenItExists) {
    struct Case {
        const char* name;
        int stored;
        int shown;
    };
    const Case cases[] = {{"colour page", 1, 1}, {"beyond the pages", 5, 0}, {"none", -1, 0}};
    for (const Case& c : cases) {
        CTestEnvironment environment;
        platform::WriteProfileInt(QStringLiteral("Preferences"), QStringLiteral("LastActive-Waveform"),
                                  c.stored);
        platform::WriteProfileInt(QStringLiteral("Preferences"), QStringLiteral("StartPage"), 0);
        CParameterWaveform record;
        int shown = -2;
        WithModalDialog([&](QDialog& dialog) {
            shown = Dialog(dialog).Host()->GetActiveIndex();
            ShowPage(dialog, QStringLiteral("颜色线型"));
            ClickControl(dialog, kCancel);
        });
        DLL_SetPropertyWaveform(&record, 0);
        EXPECT_EQ(shown, c.shown) << c.name;
        EXPECT_EQ(
            platform::GetProfileInt(QStringLiteral("Preferences"), QStringLiteral("LastActive-Waveform"), -9),
            1)
            << c.name;
        EXPECT_EQ(platform::GetProfileInt(QStringLiteral("Preferences"), QStringLiteral("StartPage"), -9), 1)
            << c.name << ": the framework remembers the page it closed on";
    }
}

TEST(WaveformDialog, OpenedOnTheColourPageTheAxisLimitsAreStillChecked) {
    CTestEnvironment environment;
    platform::WriteProfileInt(QStringLiteral("Preferences"), QStringLiteral("LastActive-Waveform"), 1);
    CParameterWaveform record;
    record.HoriMinZoom = record.HoriMaxZoom = 3.0;
    int shown = -1;
    bool stayedOpen = false;
    WithModalDialog([&](QDialog& dialog) {
        shown = Dialog(dialog).Host()->GetActiveIndex();
        ClickControl(dialog, kOk);
        stayedOpen = dialog.isVisible();
        if (stayedOpen)
            dialog.reject();
    });
    EXPECT_EQ(DLL_SetPropertyWaveform(&record, 0), 0);
    EXPECT_EQ(shown, 1) << "opened on the colour page";
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(environment.Messages(), QStringList{QStringLiteral("频率范围设置错误,起始频率大于终止频率!")});
}

TEST_F(PlotPreferences, NanoampereLimitsAreShownAndComeBackUnchanged) {
    m_plot->SetAxisScaleHoriZoom(0, 10, 1);
    m_plot->SetAxisScaleVertZoom(20e-9, 80e-9, 1);
    m_frame.ReDrawWaveformWnd(1, 1, 1);
    QString minText, maxText;
    WithModalDialog([&](QDialog& dialog) {
        minText = platform::FindControl<QLineEdit>(&dialog, CPrefPageWaveform::IDC_VERT_MIN)->text();
        maxText = platform::FindControl<QLineEdit>(&dialog, CPrefPageWaveform::IDC_VERT_MAX)->text();
        ShowPage(dialog, QStringLiteral("颜色线型"));
        ChooseColour(dialog, CPrefPageWfColor::IDC_BACK_COLOUR, 26);
        ClickControl(dialog, kOk);
    });
    EXPECT_EQ(m_frame.SetPropertyWaveform(), 1);
    EXPECT_TRUE(m_environment.Messages().isEmpty());
    EXPECT_EQ(minText, QStringLiteral("0.00000002"));
    EXPECT_EQ(maxText, QStringLiteral("0.00000008"));
    double min = 0, max = 0;
    m_plot->GetAxisScaleVertZoom(min, max);
    EXPECT_EQ(min, 20e-9) << "to the last bit";
    EXPECT_EQ(max, 80e-9);
    EXPECT_EQ(m_plot->GetGDI().ColorAxisBkGnd, 0x00FFFFu);
}

TEST_F(PlotPreferences, ATypedNanoampereLimitIsTakenAsTyped) {
    m_plot->SetAxisScaleHoriZoom(0, 10, 1);
    m_plot->SetAxisScaleVertZoom(20e-9, 80e-9, 1);
    WithModalDialog([&](QDialog& dialog) {
        auto* edit = platform::FindControl<QLineEdit>(&dialog, CPrefPageWaveform::IDC_VERT_MIN);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("0.000000035"));
        // Leaving the edit keeps what was typed.
        platform::FindControl<QLineEdit>(&dialog, CPrefPageWaveform::IDC_VERT_MAX)->setFocus();
        EXPECT_EQ(edit->text(), QStringLiteral("0.000000035"));
        ClickControl(dialog, kOk);
    });
    EXPECT_EQ(m_frame.SetPropertyWaveform(), 1);
    double min = 0, max = 0;
    m_plot->GetAxisScaleVertZoom(min, max);
    EXPECT_DOUBLE_EQ(min, 35e-9);
    EXPECT_EQ(max, 80e-9);
}

TEST(WaveformDialog, TheCcdfPlotHasTheDialogByInheritance) {
    CTestEnvironment environment;
    CWaveformCCDFMainWnd frame;
    ASSERT_EQ(frame.Create(nullptr, QRect(0, 0, 655, 495)), 0);
    bool leftShown = true;
    WithModalDialog([&](QDialog& dialog) {
        QWidget* group = platform::FindControl(&dialog, CPrefPageWaveform::IDC_LEFT_GROUP);
        leftShown = group != nullptr && group->isVisible();
        platform::FindControl<QLineEdit>(&dialog, CPrefPageWaveform::IDC_CHART_NAME)
            ->setText(QStringLiteral("CCDF"));
        ClickControl(dialog, kOk);
    });
    EXPECT_EQ(frame.SetPropertyWaveform(), 1);
    EXPECT_FALSE(leftShown);
    CParameterWaveform saved;
    ASSERT_EQ(DLL_LoadParameterFromFile(environment.Path(QStringLiteral("Config/WaveformCCDF.xml")), &saved),
              1);
    EXPECT_EQ(saved.ChartName, QStringLiteral("CCDF"));
}

TEST(WaveformDialog, TheTwoAxisPlotShowsTheLeftAxis) {
    CTestEnvironment environment;
    CMessageSink host;
    CWaveformComboMainWnd frame;
    ASSERT_EQ(frame.Create(nullptr, &host, QRect(0, 0, 655, 495)), 0);
    bool leftShown = false;
    WithModalDialog([&](QDialog& dialog) {
        QWidget* group = platform::FindControl(&dialog, CPrefPageWaveform::IDC_LEFT_GROUP);
        leftShown = group != nullptr && group->isVisible();
        ClickControl(dialog, kCancel);
    });
    EXPECT_EQ(frame.SetPropertyWaveform(), 0);
    EXPECT_TRUE(leftShown);
}

// Types over a limit edit of the dialog as the user does.
void TypeLimit(QDialog& dialog, int id, const QString& text) {
    auto* edit = platform::FindControl<QLineEdit>(&dialog, id);
    ASSERT_NE(edit, nullptr) << id;
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

const char* const kPlotFolderVariable = "LUMORA_PLOT_FOLDER";

// The second process of the test below: the plot opened on the parent's program folder, a colour
// changed in its dialog, and what it showed printed.
TEST(PlotLimitsRestartChild, OpensThePlotAndChangesOnlyAColour) {
    const QString folder = qEnvironmentVariable(kPlotFolderVariable);
    if (folder.isEmpty())
        GTEST_SKIP() << "run by PlotLimitsAcrossARestart";
    EnsureApplication();
    platform::SetProgramFolderOverride(folder);
    platform::SetProfileFileOverride(folder + QStringLiteral("profile.ini"));
    int messages = 0;
    platform::SetMessageBoxSink([&](const QString&, const QString&, unsigned) {
        ++messages;
        return platform::IDOK;
    });
    CMessageSink host;
    CWaveformTimeVsAmpMainWnd frame;
    ASSERT_EQ(frame.Create(nullptr, &host, QRect(0, 0, 655, 495)), 0);
    frame.show();
    CWaveformTimeVsAmpWnd* plot = nullptr;
    for (QWidget* child : frame.findChildren<QWidget*>())
        if (auto* p = dynamic_cast<CWaveformTimeVsAmpWnd*>(child))
            plot = p;
    ASSERT_NE(plot, nullptr);
    double opened0 = 0, opened1 = 0;
    plot->GetAxisScaleVertZoom(opened0, opened1);
    WithModalDialog([](QDialog& dialog) {
        ShowPage(dialog, QStringLiteral("颜色线型"));
        ChooseColour(dialog, CPrefPageWfColor::IDC_BACK_COLOUR, 26);
        ClickControl(dialog, kOk);
        if (dialog.isVisible())
            dialog.reject();
    });
    const int result = frame.SetPropertyWaveform();
    double after0 = 0, after1 = 0;
    plot->GetAxisScaleVertZoom(after0, after1);
    std::printf("RESULT opened=%.17g,%.17g result=%d after=%.17g,%.17g messages=%d\n", opened0, opened1,
                result, after0, after1, messages);
    std::fflush(stdout);
    platform::SetMessageBoxSink({});
    platform::SetProfileFileOverride(QString());
    platform::SetProgramFolderOverride(QString());
}

// Limits of nanoamperes set in the dialog outlive the program: a new process opens the plot on them,
// and a change of a colour alone is accepted and leaves them as they were.
TEST(PlotLimitsAcrossARestart, NanoampereLimitsComeBackAndAColourChangeKeepsThem) {
    CTestEnvironment environment;
    {
        CMessageSink host;
        CWaveformTimeVsAmpMainWnd frame;
        ASSERT_EQ(frame.Create(nullptr, &host, QRect(0, 0, 655, 495)), 0);
        frame.show();
        WithModalDialog([](QDialog& dialog) {
            TypeLimit(dialog, CPrefPageWaveform::IDC_VERT_MIN, QStringLiteral("0.00000002"));
            TypeLimit(dialog, CPrefPageWaveform::IDC_VERT_MAX, QStringLiteral("0.00000008"));
            ClickControl(dialog, kOk);
        });
        ASSERT_EQ(frame.SetPropertyWaveform(), 1);
        ASSERT_TRUE(environment.Messages().isEmpty()) << environment.Messages().join(u'\n').toStdString();
    }
    QProcess child;
    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
    variables.insert(QString::fromLatin1(kPlotFolderVariable), environment.Path(QString()));
    variables.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(variables);
    child.start(QStringLiteral("/proc/self/exe"),
                {QStringLiteral("--gtest_filter=PlotLimitsRestartChild.*")});
    ASSERT_TRUE(child.waitForFinished(120000));
    const QString output = QString::fromUtf8(child.readAllStandardOutput());
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("RESULT opened=(\\S+),(\\S+) result=(-?\\d+) after=(\\S+),(\\S+) "
                                          "messages=(\\d+)"))
            .match(output);
    ASSERT_TRUE(m.hasMatch()) << output.toStdString();
    const auto number = [&](int i) { return std::strtod(m.captured(i).toLatin1().constData(), nullptr); };
    EXPECT_EQ(number(1), 20e-9) << "the new process opens on the limits, to the last bit";
    EXPECT_EQ(number(2), 80e-9);
    EXPECT_EQ(m.captured(3).toInt(), 1) << "the colour change is accepted";
    EXPECT_EQ(m.captured(6).toInt(), 0) << "no message";
    EXPECT_EQ(number(4), 20e-9);
    EXPECT_EQ(number(5), 80e-9);
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    CParameterWaveform saved;
    ASSERT_EQ(DLL_LoadParameterFromFile(environment.Path(QStringLiteral("Config/Waveform.xml")), &saved), 1);
    EXPECT_EQ(saved.VertMinZoom, 20e-9);
    EXPECT_EQ(saved.VertMaxZoom, 80e-9);
    EXPECT_EQ(saved.ColorAxisBkGnd, 0x00FFFFu);
}

} // namespace
