#include "DlgInput.h"
#include "PromptResources.h"
#include "PromptStrings.h"
#include "platform/StringTable.h"

#include "AMSEdit.h"
#include "platform/ControlId.h"
#include "platform/Profile.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace promptkit {

namespace {
const QString kSection = QStringLiteral("DialogInput");
}

CDlgInput::CDlgInput(QWidget* parent, const QString& key, const QString& refused, const QString* initialText)
    : QDialog(parent), m_key(key.isEmpty() ? QStringLiteral("General") : key) {
    RegisterPromptStrings();
    setWindowTitle(m_key);
    auto* group = new QGroupBox((u' ' + platform::LoadString(IDS_PLEASE_ENTER) + u' '), this);
    m_edit = new CAMSAlphanumericEdit(refused, group);
    platform::SetControlId(m_edit, IDC_EDIT);
    m_edit->SetWindowText(initialText != nullptr ? *initialText
                                                 : platform::GetProfileString(kSection, m_key));
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(m_edit);

    auto* ok = new QPushButton(platform::LoadString(IDS_OK), this);
    platform::SetControlId(ok, IDOK);
    ok->setDefault(true);
    auto* cancel = new QPushButton(platform::LoadString(IDS_CANCEL), this);
    platform::SetControlId(cancel, IDCANCEL);
    connect(ok, &QPushButton::clicked, this, &CDlgInput::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(ok);
    row->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(row);
    resize(360, 120);
}

QString CDlgInput::Text() const {
    return m_edit->GetValidText();
}

void CDlgInput::accept() {
    platform::WriteProfileString(kSection, m_key, Text());
    QDialog::accept();
}

} // namespace promptkit
