#include "waveform/prefdlg/PreferencesDlgBase.h"
#include "waveform/prefdlg/PrefStrings.h"

#include "platform/ControlId.h"
#include "platform/MessageBox.h"
#include "platform/Profile.h"
#include "waveform/prefdlg/IniSectionStore.h"
#include "waveform/prefdlg/PreferencesPageBase.h"
#include "waveform/prefdlg/PropertyPageHost.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

namespace {

const QString kSection = QStringLiteral("Preferences");
const QString kStartPageEntry = QStringLiteral("StartPage");

QPushButton* MakeButton(QWidget* parent, const QString& text, int id) {
    auto* button = new QPushButton(text, parent);
    platform::SetControlId(button, id);
    button->setAutoDefault(false);
    return button;
}

} // namespace

CPreferencesDlgBase::CPreferencesDlgBase(const QString& lastActiveEntry, QWidget* parent)
    : QDialog(parent), m_lastActiveEntry(lastActiveEntry) {
    setWindowTitle(prefdlg::Text(prefdlg::IDS_CAPTION));
    auto* layout = new QGridLayout(this);
    auto* category = new QLabel(prefdlg::Text(prefdlg::IDS_CATEGORY), this);
    m_tree = new QTreeWidget(this);
    platform::SetControlId(m_tree, IDC_TREE);
    m_tree->setHeaderHidden(true);
    m_tree->setIndentation(12);
    m_tree->setRootIsDecorated(true);
    m_tree->setFixedWidth(170);
    m_host = new CPropertyPageHost(this);
    platform::SetControlId(m_host, IDC_HOST);
    m_host->setMinimumSize(500, 460);
    auto* separator = new QFrame(this);
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Sunken);

    auto* buttons = new QHBoxLayout;
    auto* all = MakeButton(this, prefdlg::Text(prefdlg::IDS_DEFAULTS_ALL), IDC_DEFAULTS_ALL);
    auto* current = MakeButton(this, prefdlg::Text(prefdlg::IDS_DEFAULTS_CURRENT), IDC_DEFAULTS_CURRENT);
    auto* help = MakeButton(this, prefdlg::Text(prefdlg::IDS_HELP), IDC_HELP);
    help->hide();
    auto* ok = MakeButton(this, prefdlg::Text(prefdlg::IDS_OK), 1);
    ok->setDefault(true);
    auto* cancel = MakeButton(this, prefdlg::Text(prefdlg::IDS_CANCEL), 2);
    buttons->addWidget(all);
    buttons->addWidget(current);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(help);

    layout->addWidget(category, 0, 0);
    layout->addWidget(m_tree, 1, 0);
    layout->addWidget(m_host, 0, 1, 2, 1);
    layout->addWidget(separator, 2, 0, 1, 2);
    layout->addLayout(buttons, 3, 0, 1, 2);

    connect(ok, &QPushButton::clicked, this, &CPreferencesDlgBase::accept);
    connect(cancel, &QPushButton::clicked, this, &CPreferencesDlgBase::reject);
    connect(all, &QPushButton::clicked, this, [this] { OnDefaultsAll(); });
    connect(current, &QPushButton::clicked, this, [this] { OnDefaultsCurrent(); });
    connect(m_tree, &QTreeWidget::itemSelectionChanged, this, [this] { OnTreeSelection(); });
}

CPreferencesDlgBase::~CPreferencesDlgBase() = default;

int CPreferencesDlgBase::AddPage(CPreferencesPageBase* page) {
    return m_host->AddPage(page);
}

int CPreferencesDlgBase::SetActivePage(int index) {
    return m_host->SetActivePage(index);
}

int CPreferencesDlgBase::SetActivePageByData(const CPreferencesPageBase* page) {
    const int index = m_host->GetPageIndex(page);
    return index < 0 ? 0 : SetActivePage(index);
}

void CPreferencesDlgBase::AddTreeItem(CPreferencesPageBase* page, const QString& path) {
    QTreeWidgetItem* parent = nullptr;
    QTreeWidgetItem* item = nullptr;
    const QStringList levels = path.split(u'>');
    for (const QString& level : levels) {
        item = nullptr;
        const int count = parent ? parent->childCount() : m_tree->topLevelItemCount();
        for (int i = 0; i < count && item == nullptr; ++i) {
            QTreeWidgetItem* child = parent ? parent->child(i) : m_tree->topLevelItem(i);
            if (child->text(0) == level)
                item = child;
        }
        if (item == nullptr) {
            item = parent ? new QTreeWidgetItem(parent, {level}) : new QTreeWidgetItem(m_tree, {level});
            if (parent == nullptr) {
                QFont bold = item->font(0);
                bold.setBold(true);
                item->setFont(0, bold);
            }
        }
        parent = item;
    }
    if (item != nullptr) {
        m_items[page] = item;
        m_tree->expandItem(item->parent() ? item->parent() : item);
    }
}

void CPreferencesDlgBase::PassStore(bool save) {
    CIniSectionStore store;
    for (int i = m_host->GetPageCount() - 1; i >= 0; --i) {
        if (CPreferencesPageBase* page = m_host->GetPage(i)) {
            if (save)
                page->SavePreferences(store);
            else
                page->LoadPreferences(store);
        }
    }
    QString error;
    if (!store.WriteIfChanged(&error))
        platform::StopBox(error);
}

void CPreferencesDlgBase::ShowStartPage() {
    PassStore(false);
    // The first page exists whichever page is shown: "默认全部" and OK reach it too.
    if (SetActivePage(0) == 0)
        return;
    const int count = m_host->GetPageCount();
    if (m_startPage < 0 || m_startPage >= count)
        m_startPage = platform::GetProfileInt(kSection, kStartPageEntry, 0);
    // A start page beyond the pages leaves the first one shown.
    SetActivePage(m_startPage);
    if (!m_lastActiveEntry.isEmpty()) {
        const int last = platform::GetProfileInt(kSection, m_lastActiveEntry, 0);
        if (last < count)
            SetActivePage(last);
    }
    if (QTreeWidgetItem* item = ItemOfPage(m_host->GetActivePage()))
        m_tree->setCurrentItem(item);
}

QTreeWidgetItem* CPreferencesDlgBase::ItemOfPage(const CPreferencesPageBase* page) const {
    auto it = m_items.find(page);
    return it == m_items.end() ? nullptr : it->second;
}

QString CPreferencesDlgBase::ItemPath(const QTreeWidgetItem* item) const {
    QStringList levels;
    for (; item != nullptr; item = item->parent())
        levels.prepend(item->text(0));
    return levels.join(QStringLiteral(" > "));
}

void CPreferencesDlgBase::OnTreeSelection() {
    const QList<QTreeWidgetItem*> selected = m_tree->selectedItems();
    if (selected.isEmpty())
        return;
    QTreeWidgetItem* item = selected.front();
    while (item->childCount() > 0)
        item = item->child(0);
    for (const auto& [page, pageItem] : m_items) {
        if (pageItem != item)
            continue;
        if (SetActivePageByData(page) != 0)
            setWindowTitle(CaptionOf(ItemPath(item)));
        break;
    }
    m_tree->setFocus();
    if (!m_lastActiveEntry.isEmpty())
        platform::WriteProfileInt(kSection, m_lastActiveEntry, m_host->GetActiveIndex());
}

void CPreferencesDlgBase::OnDefaultsAll() {
    for (int i = 0; i < m_host->GetPageCount(); ++i)
        if (CPreferencesPageBase* page = m_host->GetPage(i))
            page->SetDefaults();
}

void CPreferencesDlgBase::OnDefaultsCurrent() {
    if (CPreferencesPageBase* page = m_host->GetActivePage())
        page->SetDefaults();
}

void CPreferencesDlgBase::accept() {
    if (m_host->ValidateAll() == 0)
        return;
    QDialog::accept();
    PassStore(true);
}

void CPreferencesDlgBase::done(int result) {
    const int active = m_host->GetActiveIndex();
    if (active >= 0 && active < m_host->GetPageCount())
        platform::WriteProfileInt(kSection, kStartPageEntry, active);
    QDialog::done(result);
}
