#include "DlgMsgBoxYesAll.h"
#include "platform/StringTable.h"

#include "PromptResources.h"
#include "PromptStrings.h"
#include "platform/ControlId.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace promptkit {

CDlgMsgBoxYesAll::CDlgMsgBoxYesAll(QWidget* parent, const QString& caption, const QString& text)
    : QDialog(parent) {
    RegisterPromptStrings();
    setWindowTitle(caption);
    setWindowIcon(QIcon(IconResource(8010, 32)));

    auto* group = new QGroupBox((u' ' + platform::LoadString(IDS_WARNING) + u' '), this);
    auto* icon = new QLabel(group);
    icon->setPixmap(IconResource(8010, 32));
    icon->setAlignment(Qt::AlignTop);
    auto* message = new QLabel(group);
    platform::SetControlId(message, IDC_TEXT);
    message->setTextFormat(Qt::PlainText);
    message->setWordWrap(true);
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    message->setText(lines);
    auto* groupLayout = new QHBoxLayout(group);
    groupLayout->addWidget(icon);
    groupLayout->addWidget(message, 1);

    // Part of the layout but never read.
    auto* notAgain = new QCheckBox(platform::LoadString(IDS_DO_NOT_SHOW_AGAIN), this);
    platform::SetControlId(notAgain, IDC_NOT_AGAIN);
    notAgain->hide();

    const struct {
        int caption;
        int id;
        int end;
    } buttons[] = {{IDS_OK, IDOK, kEndOk},
                   {IDS_CANCEL, IDCANCEL, kEndCancel},
                   {IDS_YES_ALL, IDC_YES_ALL, kEndYesAll},
                   {IDS_SKIP, IDC_SKIP, kEndSkip}};
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    for (const auto& button : buttons) {
        auto* push = new QPushButton(platform::LoadString(button.caption), this);
        platform::SetControlId(push, button.id);
        const int end = button.end;
        connect(push, &QPushButton::clicked, this, [this, end] { done(end); });
        row->addWidget(push);
        if (button.id == IDOK)
            push->setDefault(true);
        if (button.id == IDC_SKIP)
            push->hide();
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group, 1);
    layout->addLayout(row);
    resize(400, 170);
}

void CDlgMsgBoxYesAll::reject() {
    done(kEndCancel);
}

void CDlgMsgBoxYesAll::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_initialised)
        return;
    m_initialised = true;
    MessageBeep(MB_ICONEXCLAMATION);
}

} // namespace promptkit
