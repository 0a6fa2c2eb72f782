#pragma once

#include <QFileDialog>

class QLabel;

// Browse for an existing folder. The status line tells why OK is refused; the path is checked as
// the user spelled it.
class CFolderDialog : public QFileDialog {
public:
    static constexpr int IDC_STATUS = 14147;

    CFolderDialog(const QString& initialFolder, QWidget* parent = nullptr);
    ~CFolderDialog() override;

    // QDialog::Accepted when an existing folder was chosen.
    int DoModal();
    QString GetFolderPath() const { return m_path; }
    // The status message for a path: empty when it may be chosen.
    static QString CheckFolder(const QString& path);

    void accept() override;

private:
    void OnSelectionChanged();

    QString m_path;
    QLabel* m_status = nullptr;
};
