#include "TaskProgressDialog.h"

#include "PromptResources.h"
#include "PromptStrings.h"
#include "platform/ControlId.h"
#include "platform/StringTable.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace promptkit {

namespace {

enum eTaskState { kDone, kCurrent, kPending };

QIcon StateIcon(eTaskState state) {
    QStyle* style = QApplication::style();
    switch (state) {
    case kDone:
        return style->standardIcon(QStyle::SP_DialogApplyButton);
    case kCurrent:
        return style->standardIcon(QStyle::SP_MediaPlay);
    case kPending:
        break;
    }
    return style->standardIcon(QStyle::SP_FileIcon);
}

} // namespace

CTaskProgressDialog::CTaskProgressDialog(QWidget* owner, const QStringList& tasks)
    : QDialog(owner), m_owner(owner != nullptr ? owner->window() : nullptr), m_tasks(tasks) {
    RegisterPromptStrings();
    if (m_owner != nullptr && m_owner->isEnabled()) {
        m_owner->setEnabled(false);
        m_disabledOwner = true;
    }
    // A disabled owner disables its children too; the window itself stays usable.
    setWindowFlag(Qt::Window);
    setEnabled(true);
    setWindowTitle(platform::LoadString(IDS_OPERATION_RUNNING));

    m_progress = new QProgressBar(this);
    platform::SetControlId(m_progress, IDC_PROGRESS);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    m_percent = new QLabel(this);
    platform::SetControlId(m_percent, IDC_PERCENT);

    m_list = new QTreeWidget(this);
    platform::SetControlId(m_list, IDC_LIST);
    m_list->setRootIsDecorated(false);
    m_list->setHeaderLabels({platform::LoadString(IDS_STATUS), platform::LoadString(IDS_TASK)});
    m_list->setColumnWidth(0, 45);
    m_list->setColumnWidth(1, 300);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setIconSize(QSize(16, 16));
    for (const QString& task : m_tasks) {
        auto* item = new QTreeWidgetItem(m_list);
        item->setText(1, task);
    }

    auto* close = new QPushButton(platform::LoadString(IDS_CLOSE_WINDOW), this);
    platform::SetControlId(close, IDCANCEL);
    auto* exitProgram = new QPushButton(platform::LoadString(IDS_EXIT_PROGRAM), this);
    platform::SetControlId(exitProgram, IDC_EXIT);
    auto* help = new QPushButton(platform::LoadString(IDS_HELP), this);
    platform::SetControlId(help, IDC_HELP);
    connect(close, &QPushButton::clicked, this, &CTaskProgressDialog::reject);
    connect(exitProgram, &QPushButton::clicked, this, [this] { m_exit = true; });

    auto* progressRow = new QHBoxLayout;
    progressRow->addWidget(m_progress, 1);
    progressRow->addWidget(m_percent);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(close);
    buttons->addWidget(exitProgram);
    buttons->addWidget(help);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addLayout(progressRow);
    layout->addLayout(buttons);
    resize(400, 300);
    ShowTask(0);
}

CTaskProgressDialog::~CTaskProgressDialog() {
    if (m_disabledOwner && m_owner != nullptr)
        m_owner->setEnabled(true);
}

void CTaskProgressDialog::SetRange(int low, int high) {
    m_low = low;
    m_high = high;
    m_progress->setRange(low, std::max(low, high));
}

int CTaskProgressDialog::Percent(int position, int low, int high) {
    if (high == low)
        return 0;
    const long long percent =
        (static_cast<long long>(position) - low) * 100 / (static_cast<long long>(high) - low);
    return percent == 100 ? 100 : static_cast<int>(percent % 100);
}

void CTaskProgressDialog::SetPos(int position) {
    m_progress->setValue(position);
    const QString text = QStringLiteral("%1%").arg(Percent(position, m_low, m_high));
    if (m_percent->text() != text)
        m_percent->setText(text);
}

QString CTaskProgressDialog::PercentText() const {
    return m_percent->text();
}

void CTaskProgressDialog::StepTask() {
    if (m_current + 1 < m_tasks.size())
        ShowTask(m_current + 1);
}

void CTaskProgressDialog::ShowTask(int task) {
    m_current = task;
    for (int row = 0; row < m_list->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = m_list->topLevelItem(row);
        item->setIcon(0, StateIcon(row < task ? kDone : row == task ? kCurrent : kPending));
        item->setSelected(row == task);
    }
    const int rowsPerPage =
        std::max(1, m_list->viewport()->height() / std::max(1, m_list->fontMetrics().height()));
    const int visible = std::min(static_cast<int>(m_tasks.size()) - 1, task + rowsPerPage / 2);
    if (visible >= 0)
        m_list->scrollToItem(m_list->topLevelItem(visible));
}

bool CTaskProgressDialog::TakeCancel() {
    const bool cancel = m_cancel;
    m_cancel = false;
    return cancel;
}

void CTaskProgressDialog::reject() {
    m_cancel = true;
}

} // namespace promptkit
