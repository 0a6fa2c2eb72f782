#include "dialogs/optionsbox/PrefDlgMain.h"
#include "dialogs/optionsbox/OptionsStrings.h"

#include "dialogs/optionsbox/OptionIcons.h"
#include "dialogs/optionsbox/PrefMainPageData.h"
#include "dialogs/optionsbox/PrefMainPageGen.h"
#include "platform/ControlId.h"

#include <QIcon>
#include <QPushButton>

CPrefDlgMain::CPrefDlgMain(MainPreferences* record, QWidget* parent)
    : CPreferencesDlgBase(QString(), parent), m_record(record), m_pageGen(new CPrefMainPageGen(record)),
      m_pageData(new CPrefMainPageData(record)) {
    for (CPreferencesPageBase* page :
         {static_cast<CPreferencesPageBase*>(m_pageGen), static_cast<CPreferencesPageBase*>(m_pageData)}) {
        page->setParent(this);
        page->hide();
        AddPage(page);
    }
    auto* apply = new QPushButton(optionsbox::Text(optionsbox::IDS_APPLY), this);
    platform::SetControlId(apply, IDC_APPLY);
    apply->hide();
    setWindowIcon(QIcon(optionsbox::OptionIcon(IDI_DIALOG)));
    AddTreeItem(m_pageGen, optionsbox::Text(optionsbox::IDS_PAGE_GENERAL));
    AddTreeItem(m_pageData, optionsbox::Text(optionsbox::IDS_PAGE_DATA));
    ShowStartPage();
}

CPrefDlgMain::~CPrefDlgMain() = default;

QString CPrefDlgMain::CaptionOf(const QString& path) const {
    return optionsbox::Text(optionsbox::IDS_CAPTION).arg(path);
}
