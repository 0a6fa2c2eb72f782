// The page host of the preference dialogs, with pages of the test's own.
#include "PrefsTestSupport.h"

#include "waveform/prefdlg/PreferencesPageBase.h"
#include "waveform/prefdlg/PropertyPageHost.h"

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

} // namespace
