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
    auto* apply = new QPushButton(optionsbox::Text(34500), this);
    platform::SetControlId(apply, IDC_APPLY);
    apply->hide();
    setWindowIcon(QIcon(optionsbox::OptionIcon(IDI_DIALOG)));
    AddTreeItem(m_pageGen, optionsbox::Text(34501));
    AddTreeItem(m_pageData, optionsbox::Text(34502));
    ShowStartPage();
}

CPrefDlgMain::~CPrefDlgMain() = default;

QString CPrefDlgMain::CaptionOf(const QString& path) const {
    return optionsbox::Text(34503).arg(path);
}
