#pragma once

#include <QMap>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QToolButton>

class QDockWidget;
class QMainWindow;
class QToolBar;

namespace shell {

// Auto-hide of the frame's docking panes, as the framework's panes have it: the pin of a pane's
// caption folds the pane into a tab on the frame's edge; pointing at the tab slides the pane out over
// the window, and it slides back when the mouse and the focus have left it; the pin again docks it
// where it was. Which panes are folded is kept in the profile with the docking layout.
class CPaneAutoHide : public QObject {
public:
    explicit CPaneAutoHide(QMainWindow* frame);
    ~CPaneAutoHide() override;

    // Gives the pane its caption with the pin and close buttons.
    void AddPane(QDockWidget* pane);
    void SetAutoHide(QDockWidget* pane, bool on);
    bool IsAutoHidden(const QDockWidget* pane) const;
    // The folded pane over the window, or back in its tab.
    void SlideOut(QDockWidget* pane);
    void SlideIn(QDockWidget* pane);
    bool IsSlidOut(const QDockWidget* pane) const;
    // The tab of a folded pane, null for one that is docked.
    QToolButton* Tab(const QDockWidget* pane) const;
    void SaveState() const;
    void RestoreState();

    static constexpr int kSlideInDelayMs = 400;

private:
    struct SFolded {
        Qt::DockWidgetArea area = Qt::LeftDockWidgetArea;
        int width = 260;
        QPointer<QToolButton> tab;
    };
    QToolBar* Bar(Qt::DockWidgetArea area);
    void CheckSlideIn();

    QMainWindow* m_frame;
    QMap<QDockWidget*, SFolded> m_folded;
    QMap<Qt::DockWidgetArea, QToolBar*> m_bars;
    QList<QDockWidget*> m_panes;
    QPointer<QDockWidget> m_slidOut;
    QTimer m_watch;
    bool m_restoring = false;
};

// A tab of a folded pane; on a left or right edge its text runs top to bottom.
class CAutoHideTab : public QToolButton {
public:
    CAutoHideTab(const QString& text, bool vertical, QWidget* parent);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;

private:
    bool m_vertical;
};

} // namespace shell
