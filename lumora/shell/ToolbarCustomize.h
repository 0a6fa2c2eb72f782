#pragma once

#include <QDialog>
#include <QImage>
#include <QObject>
#include <QString>
#include <algorithm>
#include <vector>

class QAction;
class QListWidget;
class QMainWindow;
class QToolBar;

namespace shell {

// The frame's toolbar customising: the customize button at the end of a toolbar (its menu: the
// toolbar's buttons to show or hide, then "自定义..."), the customize dialog, and the toolbars the
// user makes there. A user toolbar's command without a picture of its own takes the next picture of
// the user images (UserImages.bmp in the program folder, 16 x 15 each). Every toolbar's commands, and
// the user toolbars themselves, are kept in the profile.
class CToolbarCustomizer : public QObject {
public:
    enum : int { kUserToolbarFirstId = 59456, kUserImageWidth = 16, kUserImageHeight = 15 };

    CToolbarCustomizer(QMainWindow* frame, QToolBar* standard);
    ~CToolbarCustomizer() override;

    // Adds the customize button (labelled IDS_CUSTOMIZE) to the end of the toolbar.
    void EnableCustomizeButton(QToolBar* toolbar);
    // The toolbar-create handler: a new user toolbar of the name, with its customize button.
    QToolBar* OnToolbarCreateNew(const QString& name);
    void DeleteUserToolbar(QToolBar* toolbar);
    // Puts the frame's command on the toolbar (a user toolbar's picture as above); false when the
    // command is unknown or already there.
    bool AddCommand(QToolBar* toolbar, unsigned command);
    bool RemoveCommand(QToolBar* toolbar, unsigned command);
    // Takes the toolbar's button of the command off it, or puts it back in its place, as the
    // add-or-remove menu does; the command stays on the menu's list either way.
    void ShowCommand(QToolBar* toolbar, unsigned command, bool show);
    bool IsShown(const QToolBar* toolbar, unsigned command) const;
    void OnCustomize();

    // The user images as loaded from the program folder (none: empty).
    const std::vector<QImage>& UserImages() const { return m_userImages; }
    const std::vector<QToolBar*>& UserToolbars() const { return m_userToolbars; }
    std::vector<QAction*> Commands() const;
    QAction* Command(unsigned id) const;
    QToolBar* Standard() const { return m_standard; }
    void Save() const;

private:
    void LoadUserImages();
    void Restore();
    QString CommandList(const QToolBar* toolbar) const;
    void RestoreCommands(QToolBar* toolbar, const QString& list);
    // A user toolbar's command without a picture takes the next user image.
    void SetUserImage(QToolBar* toolbar, QAction* action) const;
    QAction* CustomizeButtonAction(QToolBar* toolbar) const;

    QMainWindow* m_frame;
    QToolBar* m_standard;
    std::vector<QImage> m_userImages;
    std::vector<QToolBar*> m_userToolbars;
    bool m_restoring = false;
};

// The customize dialog: the toolbars (shown when checked; new, rename and delete for the user's
// own) and the frame's commands to put on the chosen toolbar or take off it.
class CDlgCustomize : public QDialog {
public:
    CDlgCustomize(CToolbarCustomizer& customizer, QWidget* parent);
    QListWidget* Toolbars() const { return m_toolbars; }
    QListWidget* CommandList() const { return m_commands; }
    void NewToolbar(const QString& name);
    void AddSelectedCommand();
    void RemoveSelectedCommand();

private:
    void Fill();
    QToolBar* SelectedToolbar() const;

    CToolbarCustomizer& m_customizer;
    QListWidget* m_toolbars = nullptr;
    QListWidget* m_commands = nullptr;
};

} // namespace shell
