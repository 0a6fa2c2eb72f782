#pragma once

#include <QDialog>

namespace promptkit {

// The run-finished notice: an information picture beside a coloured, read-only text and an OK button.
class CDlgExeFinish : public QDialog {
public:
    enum : int { IDD = 8015, IDC_PICTURE = 8017, IDC_TEXT = 8018, IDOK = 1, IDB_FINISHED = 8018 };
    // Text background and colour of the notice, 0x00BBGGRR.
    static constexpr unsigned kTextBackColor = 0xE1FFFF;
    static constexpr unsigned kTextColor = 0x000000;

    CDlgExeFinish(QWidget* parent, const QString& text);

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool m_initialised = false;
};

} // namespace promptkit
