#include "dialogs/optionsbox/PrefMainPageGen.h"
#include "dialogs/optionsbox/OptionsStrings.h"

#include "dialogs/optionsbox/FolderDialog.h"
#include "dialogs/optionsbox/OptionIcons.h"
#include "dialogs/optionsbox/OptionsBox.h"
#include "lumora/core/MainPreferences.h"
#include "platform/ControlId.h"
#include "waveform/prefdlg/DataExchange.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {

QLineEdit* PathEdit(QWidget* parent, int id) {
    auto* edit = platform::AddControl(parent, id, new QLineEdit);
    edit->setReadOnly(true);
    edit->setMinimumWidth(edit->fontMetrics().averageCharWidth() * 40);
    return edit;
}

QPushButton* BrowseButton(QWidget* parent, int id) {
    auto* button = platform::AddControl(parent, id, new QPushButton(QStringLiteral("...")));
    button->setAutoDefault(false);
    button->setFixedWidth(32);
    return button;
}

QLabel* GroupIcon(QWidget* parent, int iconId) {
    auto* label = platform::AddControl(parent, iconId, new QLabel);
    label->setPixmap(optionsbox::OptionIcon(iconId));
    return label;
}

void ExchangeCheck(QCheckBox* check, int& value, bool save) {
    if (save)
        value = check->isChecked() ? 1 : 0;
    else
        check->setChecked(value != 0);
}

void ExchangeText(QLineEdit* edit, QString& value, bool save) {
    if (save) {
        value = edit->text();
        return;
    }
    edit->setText(value);
    // A long path shows its end, the folder's own name; the whole path is in the tooltip.
    edit->setCursorPosition(static_cast<int>(value.size()));
    edit->setToolTip(value);
}

} // namespace

CPrefMainPageGen::CPrefMainPageGen(MainPreferences* record) : m_record(record) {}

CPrefMainPageGen::~CPrefMainPageGen() = default;

bool CPrefMainPageGen::OnCreatePage() {
    auto* layout = new QVBoxLayout(this);
    const auto group = [&](const QString& title) {
        auto* box = new QGroupBox(title, this);
        layout->addWidget(box);
        return box;
    };

    QGroupBox* config = group(optionsbox::Text(optionsbox::IDS_CONFIG_FILE));
    auto* configRow = new QHBoxLayout(config);
    m_configPath = PathEdit(config, IDC_CONFIG_PATH);
    QPushButton* configBrowse = BrowseButton(config, IDC_CONFIG_BROWSE);
    connect(configBrowse, &QPushButton::clicked, this, [this] { OnBrowseConfig(); });
    configRow->addWidget(GroupIcon(config, IDI_CONFIG));
    configRow->addWidget(m_configPath);
    configRow->addWidget(configBrowse);

    const auto folderRow = [&](QGroupBox* box, QCheckBox*& check, int checkId, const QString& checkText,
                               QLineEdit*& edit, int editId, int browseId, QString MainPreferences::*field) {
        auto* grid = new QGridLayout(box);
        check = platform::AddControl(box, checkId, new QCheckBox(checkText));
        edit = PathEdit(box, editId);
        QPushButton* browse = BrowseButton(box, browseId);
        grid->addWidget(check, 0, 1);
        grid->addWidget(edit, 0, 2);
        grid->addWidget(browse, 0, 3);
        if (field != nullptr)
            connect(browse, &QPushButton::clicked, this, [this, field] { OnBrowseFolder(field); });
        return grid;
    };
    // Each shown group carries its icon in front of its rows.
    const auto iconOf = [](QGroupBox* box, QGridLayout* grid, int iconId) {
        grid->addWidget(GroupIcon(box, iconId), 0, 0, 2, 1, Qt::AlignTop);
    };
    QGroupBox* current = group(optionsbox::Text(optionsbox::IDS_CURRENT_FILES));
    iconOf(current,
           folderRow(current, m_autoSaveCurr, IDC_AUTOSAVE_CURR, optionsbox::Text(optionsbox::IDS_AUTO_SAVE),
                     m_pathCurr, IDC_PATH_CURR, IDC_BROWSE_CURR, &MainPreferences::FilePathCurr),
           IDI_CURRENT);
    QGroupBox* logging = group(optionsbox::Text(optionsbox::IDS_DATALOGGING_FILES));
    QGridLayout* dlog =
        folderRow(logging, m_autoSaveDlog, IDC_AUTOSAVE_DLOG, optionsbox::Text(optionsbox::IDS_AUTO_SAVE),
                  m_pathDlog, IDC_PATH_DLOG, IDC_BROWSE_DLOG, &MainPreferences::FilePathDataLogging);
    iconOf(logging, dlog, IDI_DATA_LOGGING);
    QWidget* dlogBox = m_pathDlog->parentWidget();
    m_refresh = platform::AddControl(dlogBox, IDC_REFRESH, new QLineEdit);
    m_refresh->setMaximumWidth(60);
    auto* refreshRow = new QHBoxLayout;
    refreshRow->addWidget(m_refresh);
    refreshRow->addWidget(new QLabel(optionsbox::Text(optionsbox::IDS_SECONDS), dlogBox));
    refreshRow->addStretch(1);
    dlog->addWidget(new QLabel(optionsbox::Text(optionsbox::IDS_REFRESH_INTERVAL), dlogBox), 1, 1);
    dlog->addLayout(refreshRow, 1, 2, 1, 2);
    QGroupBox* log = group(optionsbox::Text(optionsbox::IDS_LOG_FILES));
    iconOf(log,
           folderRow(log, m_saveLog, IDC_SAVE_LOG, optionsbox::Text(optionsbox::IDS_SAVE_LOG), m_logPath,
                     IDC_LOG_PATH, IDC_BROWSE_LOG, &MainPreferences::LogPath),
           IDI_LOG);

    // The voltage and CCDF folders have no page of their own yet: exchanged, not shown.
    QGroupBox* volt = group(optionsbox::Text(optionsbox::IDS_VOLTAGE_FILES));
    folderRow(volt, m_autoSaveVolt, IDC_AUTOSAVE_VOLT, optionsbox::Text(optionsbox::IDS_AUTO_SAVE),
              m_pathVolt, IDC_PATH_VOLT, IDC_BROWSE_VOLT, nullptr);
    volt->hide();
    QGroupBox* ccdf = group(optionsbox::Text(optionsbox::IDS_CCDF_FILES));
    folderRow(ccdf, m_autoSaveCcdf, IDC_AUTOSAVE_CCDF, optionsbox::Text(optionsbox::IDS_AUTO_SAVE),
              m_pathCcdf, IDC_PATH_CCDF, IDC_BROWSE_CCDF, nullptr);
    ccdf->hide();
    layout->addStretch(1);
    return true;
}

bool CPrefMainPageGen::DoDataExchange(bool save) {
    MainPreferences& r = *m_record;
    ExchangeText(m_configPath, r.PathConfig, save);
    ExchangeCheck(m_autoSaveCurr, r.AutoSaveCurr, save);
    ExchangeText(m_pathCurr, r.FilePathCurr, save);
    ExchangeCheck(m_autoSaveDlog, r.AutoSaveDataLogging, save);
    ExchangeText(m_pathDlog, r.FilePathDataLogging, save);
    ExchangeCheck(m_saveLog, r.SaveLog, save);
    ExchangeText(m_logPath, r.LogPath, save);
    ExchangeCheck(m_autoSaveVolt, r.AutoSaveVolt, save);
    ExchangeText(m_pathVolt, r.FilePathVolt, save);
    ExchangeCheck(m_autoSaveCcdf, r.AutoSaveCCDF, save);
    ExchangeText(m_pathCcdf, r.FilePathCCDF, save);
    return prefdlg::ExchangeInt(m_refresh, r.ElapsedRefresh, save, kRefreshMin, kRefreshMax);
}

int CPrefMainPageGen::ValidatePage() {
    return UpdateData(true) ? 1 : 0;
}

void CPrefMainPageGen::SetDefaults() {
    if (!IsPageCreated())
        return;
    optionsbox::SetDefaultPaths(*m_record);
    UpdateData(false);
}

void CPrefMainPageGen::OnBrowseConfig() {
    if (!UpdateData(true))
        return;
    const QString path = m_record->PathConfig;
    const qsizetype separator = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    QFileDialog dialog(this);
    dialog.setObjectName(QStringLiteral("configFileDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // An open dialog that also takes a name not yet there, as the configuration file may be new.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QStringLiteral("(*.xml)"));
    dialog.setDefaultSuffix(QStringLiteral("xml"));
    if (separator >= 0)
        dialog.setDirectory(path.left(separator + 1));
    dialog.selectFile(path.mid(separator + 1));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    m_record->PathConfig = dialog.selectedFiles().front();
    UpdateData(false);
}

void CPrefMainPageGen::OnBrowseFolder(QString MainPreferences::*field) {
    if (!UpdateData(true))
        return;
    CFolderDialog dialog(m_record->*field, this);
    if (dialog.DoModal() != QDialog::Accepted)
        return;
    QString path = dialog.GetFolderPath();
    if (!path.endsWith(u'/') && !path.endsWith(u'\\'))
        path += u'/';
    m_record->*field = path;
    UpdateData(false);
}
