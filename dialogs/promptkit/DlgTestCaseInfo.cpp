#include "DlgTestCaseInfo.h"
#include "platform/StringTable.h"

#include "ColorEdit.h"
#include "PromptResources.h"
#include "PromptStrings.h"
#include "platform/ControlId.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace promptkit {

namespace {

unsigned BeepFor(int severity) {
    switch (severity) {
    case 2:
    case 3:
        return MB_ICONHAND;
    case 4:
    case 7:
        return MB_ICONEXCLAMATION;
    default:
        return 0;
    }
}

} // namespace

int CDlgTestCaseInfo::IconResourceFor(int severity) {
    switch (severity) {
    case 1:
        return 8023;
    case 2:
        return 8020;
    case 3:
        return 8019;
    case 4:
        return 8022;
    case 7:
        return 8009;
    default:
        return 8017;
    }
}

CDlgTestCaseInfo::CDlgTestCaseInfo(QWidget* parent, int severity, const QString& text)
    : QDialog(parent), m_severity(severity) {
    RegisterPromptStrings();
    setWindowTitle(platform::LoadString(IDS_NOTICE));
    auto* icon = new QLabel(this);
    platform::SetControlId(icon, IDC_ICON);
    icon->setProperty("iconResource", IconResourceFor(severity));
    icon->setPixmap(IconResource(IconResourceFor(severity), 32));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    auto* edit = new CColorEdit(this);
    platform::SetControlId(edit, IDC_TEXT);
    edit->SetTextColor(0x000000);
    edit->SetBkColor(0xE1FFFF);
    edit->SetText(text);

    auto* ok = new QPushButton(platform::LoadString(IDS_OK), this);
    platform::SetControlId(ok, IDOK);
    ok->setDefault(true);
    auto* abort = new QPushButton(platform::LoadString(IDS_ABORT), this);
    platform::SetControlId(abort, IDCANCEL);
    auto* wait = new QPushButton(platform::LoadString(IDS_BACK_TO_WAITING), this);
    platform::SetControlId(wait, IDC_WAIT);
    connect(ok, &QPushButton::clicked, this, [this] { done(kEndOk); });
    connect(abort, &QPushButton::clicked, this, [this] { done(kEndAbort); });
    connect(wait, &QPushButton::clicked, this, [this] { done(kEndWait); });

    auto* content = new QHBoxLayout;
    content->addWidget(icon);
    content->addWidget(edit, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(abort);
    buttons->addWidget(wait);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(content, 1);
    layout->addLayout(buttons);
    resize(420, 180);
}

void CDlgTestCaseInfo::reject() {
    done(kEndAbort);
}

void CDlgTestCaseInfo::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_initialised)
        return;
    m_initialised = true;
    CenterOverOwner(*this);
    MessageBeep(BeepFor(m_severity));
}

} // namespace promptkit
