#pragma once

#include <QDialog>

namespace promptkit {

// A warning with 确定 (1), 取消 (2), 全部确定 (20) and a hidden 跳过 (21).
class CDlgMsgBoxYesAll : public QDialog {
public:
    enum : int {
        IDD = 167,
        IDC_TEXT = 1034,
        IDC_NOT_AGAIN = 1033,
        IDOK = 1,
        IDCANCEL = 2,
        IDC_YES_ALL = 3,
        IDC_SKIP = 4
    };
    enum : int { kEndOk = 1, kEndCancel = 2, kEndYesAll = 20, kEndSkip = 21 };

    CDlgMsgBoxYesAll(QWidget* parent, const QString& caption, const QString& text);

    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool m_initialised = false;
};

} // namespace promptkit
