#pragma once

#include <QDialog>

namespace promptkit {

// Information by severity: an icon and a beep chosen by the severity, the text in a coloured edit,
// and three buttons that end the dialog with 1 (确定), 2 (终止) or 4 (返回等待).
class CDlgTestCaseInfo : public QDialog {
public:
    enum : int { IDD = 8016, IDC_ICON = 8020, IDC_TEXT = 8018, IDOK = 1, IDCANCEL = 2, IDC_WAIT = 3 };
    enum : int { kEndOk = 1, kEndAbort = 2, kEndWait = 4 };

    CDlgTestCaseInfo(QWidget* parent, int severity, const QString& text);

    // The icon resource of a severity: 1 8023, 2 8020, 3 8019, 4 8022, 7 8009, others 8017.
    static int IconResourceFor(int severity);

    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    int m_severity;
    bool m_initialised = false;
};

} // namespace promptkit
