// The page host of the preference dialogs, the dialog's section store of the profile, with pages and a
// dialog of the test's own.
#include "PrefsTestSupport.h"

#include "platform/Profile.h"
#include "waveform/prefdlg/IniSectionStore.h"
#include "waveform/prefdlg/PreferencesDlgBase.h"
#include "waveform/prefdlg/PreferencesPageBase.h"
#include "waveform/prefdlg/PropertyPageHost.h"

#include <QFile>
#include <QSettings>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using namespace prefstest;

class CTestPage : public CPreferencesPageBase {
public:
    CTestPage(std::string name, std::vector<std::string>& calls, bool creates = true, int valid = 1)
        : m_name(std::move(name)), m_calls(calls), m_creates(creates), m_valid(valid) {}

    int ValidatePage() override {
        m_calls.push_back(m_name + " validate");
        return m_valid;
    }
    void OnSetActive() override { m_calls.push_back(m_name + " active"); }
    void OnKillActive() override { m_calls.push_back(m_name + " inactive"); }

protected:
    bool OnCreatePage() override {
        m_calls.push_back(m_name + " create");
        return m_creates;
    }
    bool DoDataExchange(bool save) override {
        m_calls.push_back(m_name + (save ? " save" : " show"));
        return true;
    }

private:
    std::string m_name;
    std::vector<std::string>& m_calls;
    bool m_creates;
    int m_valid;
};

TEST(PageHost, PagesAreAddedOnceAndActivatedByIndex) {
    CTestEnvironment environment;
    std::vector<std::string> calls;
    CPropertyPageHost host;
    CTestPage a("a", calls), b("b", calls);
    EXPECT_EQ(host.AddPage(nullptr), 0);
    EXPECT_EQ(host.AddPage(&a), 1);
    EXPECT_EQ(host.AddPage(&a), 1);
    EXPECT_EQ(host.AddPage(&b), 1);
    EXPECT_EQ(host.GetPageCount(), 2);
    EXPECT_EQ(host.SetActivePage(2), 0);
    EXPECT_EQ(host.SetActivePage(-1), 0);
    EXPECT_EQ(host.GetActivePage(), nullptr);

    EXPECT_EQ(host.SetActivePage(0), 1);
    EXPECT_EQ(host.SetActivePage(0), 1);
    EXPECT_EQ(host.SetActivePage(1), 1);
    const std::vector<std::string> expected{"a create", "a show",     "a active", "b create",
                                            "b show",   "a inactive", "b active"};
    EXPECT_EQ(calls, expected);
    EXPECT_EQ(host.GetActivePage(), &b);
    EXPECT_TRUE(a.isHidden());
    EXPECT_FALSE(b.isHidden());
}

TEST(PageHost, APageThatCannotBeCreatedLeavesThePreviousOneActive) {
    CTestEnvironment environment;
    std::vector<std::string> calls;
    CPropertyPageHost host;
    CTestPage a("a", calls), broken("broken", calls, false);
    host.AddPage(&a);
    host.AddPage(&broken);
    ASSERT_EQ(host.SetActivePage(0), 1);
    EXPECT_EQ(host.SetActivePage(1), 0);
    EXPECT_EQ(host.GetActiveIndex(), 0);
    EXPECT_EQ(host.GetActivePage(), &a);
}

TEST(PageHost, ValidationRunsOverCreatedPagesLastFirstAndStopsAtARefusal) {
    CTestEnvironment environment;
    std::vector<std::string> calls;
    CPropertyPageHost host;
    CTestPage a("a", calls), refusing("refusing", calls, true, 0), never("never", calls);
    host.AddPage(&a);
    host.AddPage(&refusing);
    host.AddPage(&never);
    host.SetActivePage(0);
    host.SetActivePage(1);
    calls.clear();
    EXPECT_EQ(host.ValidateAll(), 0);
    const std::vector<std::string> expected{"refusing save", "refusing validate"};
    EXPECT_EQ(calls, expected) << "the page never shown is skipped; the first page is not reached";
}

TEST(PageHost, TheCurrentPageWindowIsTheActivePage) {
    CTestEnvironment environment;
    std::vector<std::string> calls;
    CPropertyPageHost host;
    CTestPage a("a", calls), b("b", calls);
    host.AddPage(&a);
    host.AddPage(&b);
    const auto current = [&] {
        return platform::SendMessage(&host, CPropertyPageHost::PSM_GETCURRENTPAGEHWND, 0, 0);
    };
    EXPECT_EQ(current(), 0) << "no page active yet";
    ASSERT_EQ(host.SetActivePage(1), 1);
    EXPECT_EQ(current(), reinterpret_cast<platform::LRESULT>(static_cast<QWidget*>(&b)));
    ASSERT_EQ(host.SetActivePage(0), 1);
    EXPECT_EQ(current(), reinterpret_cast<platform::LRESULT>(static_cast<QWidget*>(&a)));
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// Lines trimmed, keys found whatever their case under the key as written, values without their quotes,
// a section found again by its name in another case; lines before the first section or without "="
// are passed over, and a later duplicate key replaces the earlier.
TEST(SectionStore, ReadsTheProfileAsItsRulesSay) {
    CTestEnvironment environment;
    const QString path = environment.Path(QStringLiteral("store.ini"));
    ASSERT_TRUE(WriteAll(path, "orphan=1\r\n  [Sec]  \r\n\r\n  Key   =   \"a b\"  \r\nno equals sign\r\n"
                               "=no key\r\n[Other]\r\nx=1\r\nx=2\r\n[sec]\r\nmore = \"q\"uo\"te\"\r\n"));
    const CIniSectionStore store(path);
    ASSERT_TRUE(store.InUse());
    ASSERT_EQ(store.Sections().size(), 2u);
    const INISECTION& sec = store.Sections()[0];
    EXPECT_EQ(sec.Name, QStringLiteral("Sec"));
    ASSERT_EQ(sec.Entries.size(), 2u);
    ASSERT_EQ(sec.Entries.count(QStringLiteral("KEY")), 1u);
    EXPECT_EQ(sec.Entries.at(QStringLiteral("KEY")).Key, QStringLiteral("Key"));
    EXPECT_EQ(sec.Entries.at(QStringLiteral("KEY")).Value, QStringLiteral("a b"));
    EXPECT_EQ(store.GetValue(QStringLiteral("SEC"), QStringLiteral("key")), QStringLiteral("a b"));
    EXPECT_EQ(store.GetValue(QStringLiteral("sec"), QStringLiteral("More")), QStringLiteral("quote"));
    EXPECT_EQ(store.GetValue(QStringLiteral("other"), QStringLiteral("X")), QStringLiteral("2"));
    EXPECT_EQ(store.GetValue(QStringLiteral("Sec"), QStringLiteral("orphan"), QStringLiteral("none")),
              QStringLiteral("none"));
    EXPECT_EQ(store.GetValue(QStringLiteral("Missing"), QStringLiteral("x"), QStringLiteral("none")),
              QStringLiteral("none"));
    EXPECT_FALSE(store.IsChanged());

    const CIniSectionStore missing(environment.Path(QStringLiteral("missing.ini")));
    EXPECT_TRUE(missing.InUse());
    EXPECT_TRUE(missing.Sections().empty());
}

TEST(SectionStore, WritesOnlyWhenChangedAndOnlyWhenInUse) {
    CTestEnvironment environment;
    const QString path = environment.Path(QStringLiteral("store.ini"));
    ASSERT_TRUE(WriteAll(path, "[Sec]\nKey = \"a b\"\nother=2\n"));
    CIniSectionStore store(path);
    ASSERT_TRUE(store.WriteIfChanged());
    EXPECT_EQ(ReadAll(path), QByteArray("[Sec]\nKey = \"a b\"\nother=2\n")) << "unchanged: not written";
    store.SetValue(QStringLiteral("sec"), QStringLiteral("New"), QStringLiteral("v"));
    store.SetValue(QStringLiteral("Added"), QStringLiteral("k"), QStringLiteral("1"));
    EXPECT_TRUE(store.IsChanged());
    ASSERT_TRUE(store.WriteIfChanged());
    EXPECT_EQ(ReadAll(path), QByteArray("[Sec]\nKey=a b\nNew=v\nother=2\n[Added]\nk=1\n"));
    EXPECT_FALSE(store.IsChanged());

    // A folder that cannot be written to: the write says why.
    CIniSectionStore blocked(environment.Path(QStringLiteral("no folder/store.ini")));
    blocked.SetValue(QStringLiteral("Sec"), QStringLiteral("k"), QStringLiteral("v"));
    QString error;
    EXPECT_FALSE(blocked.WriteIfChanged(&error));
    EXPECT_FALSE(error.isEmpty());

    // Without a profile file of its own the application keeps its settings elsewhere: no store.
    platform::SetProfileFileOverride(QString());
    CIniSectionStore none;
    EXPECT_FALSE(none.InUse());
    none.SetValue(QStringLiteral("Sec"), QStringLiteral("k"), QStringLiteral("v"));
    EXPECT_FALSE(none.IsChanged());
    EXPECT_TRUE(none.WriteIfChanged());
}

// A page that keeps a value of its own in the profile's store.
class CStorePage : public CTestPage {
public:
    using CTestPage::CTestPage;
    void LoadPreferences(CIniSectionStore& store) override {
        m_loaded = store.GetValue(QStringLiteral("sec"), QStringLiteral("key"));
        m_log.push_back(m_label + " load");
    }
    void SavePreferences(CIniSectionStore& store) override {
        store.SetValue(QStringLiteral("Sec"), QString::fromStdString(m_label),
                       m_loaded + QStringLiteral("!"));
        m_log.push_back(m_label + " save");
    }
    static inline std::vector<std::string> m_log;
    QString m_loaded;
    std::string m_label;
};

class CStoreDialog : public CPreferencesDlgBase {
public:
    explicit CStoreDialog(std::vector<std::string>& calls)
        : m_first(new CStorePage("first", calls)), m_second(new CStorePage("second", calls)) {
        m_first->m_label = "first";
        m_second->m_label = "second";
        for (CStorePage* page : {m_first, m_second}) {
            page->setParent(this);
            page->hide();
            AddPage(page);
        }
        ShowStartPage();
    }
    CStorePage* m_first;
    CStorePage* m_second;

protected:
    QString CaptionOf(const QString& path) const override { return path; }
};

// Every page gets the store when the dialog is made and again after OK, last page first; what the
// pages set is written to the profile then, and nothing after Cancel.
TEST(PreferencesDialog, PagesLoadAndSaveThroughTheProfilesStore) {
    CTestEnvironment environment;
    const QString profile = environment.Path(QStringLiteral("profile.ini"));
    ASSERT_TRUE(WriteAll(profile, "[Sec]\nKey = \"a b\"\n"));
    for (const bool ok : {false, true}) {
        SCOPED_TRACE(ok ? "OK" : "Cancel");
        std::vector<std::string> calls;
        CStorePage::m_log.clear();
        CStoreDialog dialog(calls);
        EXPECT_EQ(dialog.m_first->m_loaded, QStringLiteral("a b"));
        EXPECT_EQ(dialog.m_second->m_loaded, QStringLiteral("a b"));
        WithModalDialog([ok](QDialog& shown) { ClickControl(shown, ok ? 1 : 2); });
        dialog.exec();
        const std::vector<std::string> expected =
            ok ? std::vector<std::string>{"second load", "first load", "second save", "first save"}
               : std::vector<std::string>{"second load", "first load"};
        EXPECT_EQ(CStorePage::m_log, expected);
        const QSettings written(profile, QSettings::IniFormat);
        EXPECT_EQ(written.value(QStringLiteral("Sec/first")).toString(),
                  ok ? QStringLiteral("a b!") : QString());
        EXPECT_EQ(written.value(QStringLiteral("Sec/second")).toString(),
                  ok ? QStringLiteral("a b!") : QString());
    }
}

} // namespace
