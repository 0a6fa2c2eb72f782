#pragma once

#include <QDialog>

namespace promptkit {

class CAMSAlphanumericEdit;

// A one-line input that refuses the given characters. The key names the profile entry under
// "DialogInput" that remembers the last text, and is the window caption.
class CDlgInput : public QDialog {
public:
    enum : int { IDD = 134, IDC_EDIT = 1026, IDOK = 1, IDCANCEL = 2 };

    // 'key' empty means "General". 'initialText' replaces the remembered text when it is set.
    CDlgInput(QWidget* parent, const QString& key, const QString& refused,
              const QString* initialText = nullptr);

    QString Text() const;
    QString Key() const { return m_key; }

    void accept() override;

private:
    QString m_key;
    CAMSAlphanumericEdit* m_edit = nullptr;
};

} // namespace promptkit
