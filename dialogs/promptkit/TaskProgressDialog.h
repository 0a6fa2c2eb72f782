#pragma once

#include <QDialog>
#include <QPointer>
#include <QStringList>

class QLabel;
class QProgressBar;
class QTreeWidget;

namespace promptkit {

// A modeless list of tasks with a progress bar: done, current and pending tasks by their icons. The
// owner window is disabled while it exists and enabled again when it goes, if it was disabled here.
class CTaskProgressDialog : public QDialog {
public:
    enum : int {
        IDD = 103,
        IDC_PROGRESS = 1003,
        IDC_PERCENT = 1004,
        IDC_LIST = 1135,
        IDCANCEL = 2,
        IDC_EXIT = 1000,
        IDC_HELP = 1001
    };

    CTaskProgressDialog(QWidget* owner, const QStringList& tasks);
    ~CTaskProgressDialog() override;

    void SetRange(int low, int high);
    void SetPos(int position);
    // Moves to the next task; stays on the last one.
    void StepTask();
    int CurrentTask() const { return m_current; }

    bool TakeCancel();
    bool ExitRequested() const { return m_exit; }
    QString PercentText() const;

    // "%d%": (position - low) x 100 / (high - low), shown as is at 100 and modulo 100 below; 0 for an
    // empty range.
    static int Percent(int position, int low, int high);

    void reject() override;

private:
    void ShowTask(int task);

    QPointer<QWidget> m_owner;
    bool m_disabledOwner = false;
    QStringList m_tasks;
    QProgressBar* m_progress = nullptr;
    QLabel* m_percent = nullptr;
    QTreeWidget* m_list = nullptr;
    int m_low = 0;
    int m_high = 100;
    int m_current = 0;
    bool m_cancel = false;
    bool m_exit = false;
};

} // namespace promptkit
