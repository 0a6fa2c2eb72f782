#pragma once

#include <QWidget>

class CIniSectionStore;

// One page of a preference dialog. Its controls are built when the page is first shown; until then the
// page window does not exist and the data exchange has nothing to do.
class CPreferencesPageBase : public QWidget {
public:
    explicit CPreferencesPageBase(QWidget* parent = nullptr);
    ~CPreferencesPageBase() override;

    // Builds the controls once; true when they exist afterwards.
    bool CreatePage();
    bool IsPageCreated() const { return m_pageCreated; }

    // save true: controls into the record (false when a value is refused, after its message);
    // save false: record into the controls. Nothing happens before the page is created.
    bool UpdateData(bool save = true);

    virtual void OnSetActive() {}
    virtual void OnKillActive() {}
    // The profile's sections, handed to every page when the dialog is made and again after OK; the base
    // keeps nothing there.
    virtual void LoadPreferences(CIniSectionStore& store) { (void)store; }
    virtual void SavePreferences(CIniSectionStore& store) { (void)store; }
    virtual void SetDefaults() {}
    // Called on OK after the data exchange; 0 keeps the dialog open.
    virtual int ValidatePage() { return 1; }

protected:
    // Builds the page's controls; false when they cannot be had.
    virtual bool OnCreatePage() = 0;
    virtual bool DoDataExchange(bool save) = 0;

private:
    bool m_pageCreated = false;
};
