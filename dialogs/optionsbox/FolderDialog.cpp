#include "dialogs/optionsbox/FolderDialog.h"

#include "platform/ControlId.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

CFolderDialog::CFolderDialog(const QString& initialFolder, QWidget* parent) : QFileDialog(parent) {
    setOption(QFileDialog::DontUseNativeDialog, true);
    setOption(QFileDialog::ShowDirsOnly, true);
    setFileMode(QFileDialog::Directory);
    setAcceptMode(QFileDialog::AcceptOpen);
    if (!initialFolder.isEmpty() && QFileInfo(initialFolder).isDir())
        setDirectory(initialFolder);
    m_status = new QLabel(this);
    platform::SetControlId(m_status, IDC_STATUS);
    if (auto* grid = qobject_cast<QGridLayout*>(layout()))
        grid->addWidget(m_status, grid->rowCount(), 0, 1, grid->columnCount());
    // The status follows the folder the dialog would choose: the typed name when there is one, else
    // the folder selected.
    connect(this, &QFileDialog::currentChanged, this, [this](const QString&) { OnSelectionChanged(); });
    if (auto* name = findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        connect(name, &QLineEdit::textChanged, this, [this](const QString&) { OnSelectionChanged(); });
}

CFolderDialog::~CFolderDialog() = default;

QString CFolderDialog::CheckFolder(const QString& path) {
    // Folder names are case-sensitive here: the path is checked exactly as given.
    if (path.isEmpty() || !QFileInfo(path).isDir())
        return QStringLiteral("< Please select a valid folder >");
    return {};
}

void CFolderDialog::OnSelectionChanged() {
    const QStringList files = selectedFiles();
    const QString message = CheckFolder(files.isEmpty() ? QString() : files.front());
    m_status->setText(message);
    if (auto* box = findChild<QDialogButtonBox*>())
        if (QPushButton* ok = box->button(QDialogButtonBox::Open))
            ok->setEnabled(message.isEmpty());
}

void CFolderDialog::accept() {
    const QStringList files = selectedFiles();
    const QString path = files.isEmpty() ? QString() : files.front();
    const QString message = CheckFolder(path);
    m_status->setText(message);
    if (!message.isEmpty())
        return;
    m_path = path;
    QFileDialog::accept();
}

int CFolderDialog::DoModal() {
    return exec();
}
