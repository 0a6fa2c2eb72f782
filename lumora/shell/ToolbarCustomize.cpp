#include "lumora/shell/ToolbarCustomize.h"

#include "lumora/LumoraStrings.h"
#include "platform/ControlId.h"
#include "platform/Profile.h"
#include "platform/ProgramFolder.h"
#include "platform/StringTable.h"

#include <QAction>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace shell {
namespace {

using platform::LoadString;

const QString kSection = QStringLiteral("Workspace");
const QString kEntry = QStringLiteral("UserToolbars");
const QString kStandardEntry = QStringLiteral("StandardToolbar");
// Stands for an entry the profile does not hold: an empty list is a toolbar the user emptied.
const QString kNotStored = QStringLiteral("-");
const char* const kCustomizeName = "customize";
// The commands a toolbar offers in its add-or-remove menu, in order, whether shown or not.
const char* const kOfferedProperty = "lumoraOffered";

void RegisterCustomizeStrings() {
    platform::RegisterStrings({
        {IDS_CUSTOMIZE, u"自定义..."},
        {IDS_CUSTOMIZE_ADD_OR_REMOVE, u"添加或删除按钮"},
        {IDS_CUSTOMIZE_TITLE, u"自定义"},
        {IDS_CUSTOMIZE_TOOLBARS, u"工具栏:"},
        {IDS_CUSTOMIZE_COMMANDS, u"命令:"},
        {IDS_CUSTOMIZE_NEW, u"新建(&N)..."},
        {IDS_CUSTOMIZE_RENAME, u"重命名(&R)..."},
        {IDS_CUSTOMIZE_DELETE, u"删除(&D)"},
        {IDS_CUSTOMIZE_ADD, u"添加到工具栏(&A)"},
        {IDS_CUSTOMIZE_REMOVE, u"从工具栏删除(&M)"},
        {IDS_CUSTOMIZE_CLOSE, u"关闭"},
        {IDS_CUSTOMIZE_NAME_PROMPT, u"工具栏名称:"},
        {IDS_CUSTOMIZE_DEFAULT_NAME, u"自定义 %1"},
    });
}

// A menu text without its access key and ellipsis.
QString Plain(QString text) {
    text.remove(QStringLiteral("..."));
    const qsizetype open = text.indexOf(QStringLiteral("(&"));
    if (open >= 0)
        text = text.left(open);
    return text.remove(u'&').trimmed();
}

unsigned CommandOf(const QAction* action) {
    bool ok = false;
    const unsigned id = action->objectName().toUInt(&ok);
    return ok ? id : 0;
}

QList<unsigned> Offered(const QToolBar* toolbar) {
    return toolbar->property(kOfferedProperty).value<QList<unsigned>>();
}

void SetOffered(QToolBar* toolbar, const QList<unsigned>& commands) {
    toolbar->setProperty(kOfferedProperty, QVariant::fromValue(commands));
}

} // namespace

CToolbarCustomizer::CToolbarCustomizer(QMainWindow* frame, QToolBar* standard)
    : QObject(frame), m_frame(frame), m_standard(standard) {
    RegisterCustomizeStrings();
    LoadUserImages();
    if (m_standard != nullptr)
        EnableCustomizeButton(m_standard);
    Restore();
}

bool CToolbarCustomizer::IsShown(const QToolBar* toolbar, unsigned command) const {
    for (const QAction* action : toolbar->actions())
        if (CommandOf(action) == command)
            return true;
    return false;
}

void CToolbarCustomizer::ShowCommand(QToolBar* toolbar, unsigned command, bool show) {
    QAction* action = Command(command);
    if (toolbar == nullptr || action == nullptr || IsShown(toolbar, command) == show ||
        !Offered(toolbar).contains(command))
        return;
    if (!show) {
        // Off this toolbar only: the command stays in the menus and on other toolbars.
        toolbar->removeAction(action);
    } else {
        // Back in its place among the offered commands that are shown.
        QAction* before = CustomizeButtonAction(toolbar);
        const QList<unsigned> offered = Offered(toolbar);
        for (qsizetype i = offered.indexOf(command) + 1; i < offered.size(); ++i) {
            if (QAction* next = Command(offered[i]); next != nullptr && toolbar->actions().contains(next)) {
                before = next;
                break;
            }
        }
        toolbar->insertAction(before, action);
        SetUserImage(toolbar, action);
    }
    Save();
}

CToolbarCustomizer::~CToolbarCustomizer() = default;

void CToolbarCustomizer::LoadUserImages() {
    if (!m_userImages.empty())
        return;
    const QImage strip(platform::ProgramFolder() + QStringLiteral("UserImages.bmp"));
    if (strip.isNull() || strip.height() < kUserImageHeight)
        return;
    // The strip's light grey is the background, as in the toolbar images of the framework.
    QImage keyed = strip.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < keyed.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(keyed.scanLine(y));
        for (int x = 0; x < keyed.width(); ++x)
            if ((line[x] & 0x00FFFFFFu) == 0x00C0C0C0u)
                line[x] = 0;
    }
    for (int x = 0; x + kUserImageWidth <= keyed.width(); x += kUserImageWidth)
        m_userImages.push_back(keyed.copy(x, 0, kUserImageWidth, kUserImageHeight));
}

std::vector<QAction*> CToolbarCustomizer::Commands() const {
    std::vector<QAction*> commands;
    for (QAction* action : m_frame->findChildren<QAction*>()) {
        if (CommandOf(action) != 0 && !action->text().isEmpty() && action->menu() == nullptr &&
            action->parent() == m_frame)
            commands.push_back(action);
    }
    return commands;
}

QAction* CToolbarCustomizer::Command(unsigned id) const {
    for (QAction* action : Commands())
        if (CommandOf(action) == id)
            return action;
    return nullptr;
}

QAction* CToolbarCustomizer::CustomizeButtonAction(QToolBar* toolbar) const {
    for (QAction* action : toolbar->actions())
        if (action->objectName() == QLatin1String(kCustomizeName))
            return action;
    return nullptr;
}

void CToolbarCustomizer::EnableCustomizeButton(QToolBar* toolbar) {
    if (toolbar == nullptr || CustomizeButtonAction(toolbar) != nullptr)
        return;
    auto* button = new QToolButton(toolbar);
    button->setObjectName(QLatin1String(kCustomizeName));
    button->setToolTip(Plain(LoadString(IDS_CUSTOMIZE)));
    button->setArrowType(Qt::DownArrow);
    button->setAutoRaise(true);
    button->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(button);
    // The menu is filled as it opens: the toolbar's buttons at that moment.
    // The commands on the toolbar as it is made are the ones it offers.
    QList<unsigned> offered = Offered(toolbar);
    for (const QAction* action : toolbar->actions())
        if (CommandOf(action) != 0 && !offered.contains(CommandOf(action)))
            offered.append(CommandOf(action));
    SetOffered(toolbar, offered);
    // The menu is filled as it opens: the toolbar's buttons, shown or taken off, at that moment.
    connect(menu, &QMenu::aboutToShow, menu, [this, menu, toolbar] {
        menu->clear();
        QMenu* buttons = menu->addMenu(LoadString(IDS_CUSTOMIZE_ADD_OR_REMOVE));
        for (unsigned command : Offered(toolbar)) {
            const QAction* action = Command(command);
            if (action == nullptr)
                continue;
            QAction* entry = buttons->addAction(action->icon(), Plain(action->text()));
            entry->setCheckable(true);
            entry->setChecked(IsShown(toolbar, command));
            connect(entry, &QAction::toggled, this,
                    [this, toolbar, command](bool show) { ShowCommand(toolbar, command, show); });
        }
        menu->addSeparator();
        QAction* customize = menu->addAction(LoadString(IDS_CUSTOMIZE));
        customize->setObjectName(QString::number(IDS_CUSTOMIZE));
        connect(customize, &QAction::triggered, this, &CToolbarCustomizer::OnCustomize, Qt::QueuedConnection);
    });
    button->setMenu(menu);
    QAction* holder = toolbar->addWidget(button);
    holder->setObjectName(QLatin1String(kCustomizeName));
}

QToolBar* CToolbarCustomizer::OnToolbarCreateNew(const QString& name) {
    const QString shown = name.trimmed().isEmpty()
                              ? LoadString(IDS_CUSTOMIZE_DEFAULT_NAME).arg(m_userToolbars.size() + 1)
                              : name.trimmed();
    auto* toolbar = new QToolBar(shown, m_frame);
    int id = kUserToolbarFirstId;
    for (const QToolBar* existing : m_userToolbars)
        id = std::max(id, platform::ControlId(existing) + 1);
    platform::SetControlId(toolbar, id);
    toolbar->setObjectName(QString::number(id));
    m_frame->addToolBar(Qt::TopToolBarArea, toolbar);
    m_userToolbars.push_back(toolbar);
    EnableCustomizeButton(toolbar);
    Save();
    return toolbar;
}

void CToolbarCustomizer::DeleteUserToolbar(QToolBar* toolbar) {
    const auto found = std::find(m_userToolbars.begin(), m_userToolbars.end(), toolbar);
    if (found == m_userToolbars.end())
        return;
    m_userToolbars.erase(found);
    m_frame->removeToolBar(toolbar);
    toolbar->deleteLater();
    Save();
}

bool CToolbarCustomizer::AddCommand(QToolBar* toolbar, unsigned command) {
    QAction* action = Command(command);
    if (toolbar == nullptr || action == nullptr || toolbar->actions().contains(action))
        return false;
    toolbar->insertAction(CustomizeButtonAction(toolbar), action);
    QList<unsigned> offered = Offered(toolbar);
    offered.removeAll(command);
    offered.append(command);
    SetOffered(toolbar, offered);
    SetUserImage(toolbar, action);
    Save();
    return true;
}

void CToolbarCustomizer::SetUserImage(QToolBar* toolbar, QAction* action) const {
    const bool user =
        std::find(m_userToolbars.begin(), m_userToolbars.end(), toolbar) != m_userToolbars.end();
    if (!user || !action->icon().isNull() || m_userImages.empty())
        return;
    int index = 0;
    for (QAction* other : toolbar->actions())
        if (other != action && CommandOf(other) != 0)
            ++index;
    if (auto* button = qobject_cast<QToolButton*>(toolbar->widgetForAction(action))) {
        button->setIcon(QIcon(QPixmap::fromImage(m_userImages[index % m_userImages.size()])));
        button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    }
}

bool CToolbarCustomizer::RemoveCommand(QToolBar* toolbar, unsigned command) {
    QAction* action = Command(command);
    if (toolbar == nullptr || action == nullptr || !Offered(toolbar).contains(command))
        return false;
    toolbar->removeAction(action);
    QList<unsigned> offered = Offered(toolbar);
    offered.removeAll(command);
    SetOffered(toolbar, offered);
    Save();
    return true;
}

// A toolbar's offered commands in order, those taken off it marked with a leading '-'.
QString CToolbarCustomizer::CommandList(const QToolBar* toolbar) const {
    QStringList commands;
    for (unsigned command : Offered(toolbar))
        commands << (IsShown(toolbar, command) ? QString() : QStringLiteral("-")) + QString::number(command);
    return commands.join(u',');
}

void CToolbarCustomizer::RestoreCommands(QToolBar* toolbar, const QString& list) {
    QList<unsigned> hidden;
    for (QString command : list.split(u',', Qt::SkipEmptyParts)) {
        const bool off = command.startsWith(u'-');
        if (off)
            command.remove(0, 1);
        bool ok = false;
        const unsigned id = command.toUInt(&ok);
        if (ok && AddCommand(toolbar, id) && off)
            hidden.append(id);
    }
    for (unsigned id : hidden)
        ShowCommand(toolbar, id, false);
}

void CToolbarCustomizer::Save() const {
    if (m_restoring)
        return;
    QStringList toolbars;
    for (const QToolBar* toolbar : m_userToolbars) {
        QString name = toolbar->windowTitle();
        name.replace(u'|', u' ').replace(u';', u' ');
        toolbars << name + u'|' + CommandList(toolbar);
    }
    platform::WriteProfileString(kSection, kEntry, toolbars.join(u';'));
    if (m_standard != nullptr)
        platform::WriteProfileString(kSection, kStandardEntry, CommandList(m_standard));
}

void CToolbarCustomizer::Restore() {
    m_restoring = true;
    // The standard toolbar as the user left it, in place of the commands it is made with.
    const QString standard = platform::GetProfileString(kSection, kStandardEntry, kNotStored);
    if (m_standard != nullptr && standard != kNotStored) {
        for (unsigned command : Offered(m_standard))
            RemoveCommand(m_standard, command);
        RestoreCommands(m_standard, standard);
    }
    const QString stored = platform::GetProfileString(kSection, kEntry);
    for (const QString& entry : stored.split(u';', Qt::SkipEmptyParts)) {
        const QStringList parts = entry.split(u'|');
        RestoreCommands(OnToolbarCreateNew(parts.value(0)), parts.value(1));
    }
    m_restoring = false;
}

void CToolbarCustomizer::OnCustomize() {
    CDlgCustomize dialog(*this, m_frame);
    dialog.exec();
}

CDlgCustomize::CDlgCustomize(CToolbarCustomizer& customizer, QWidget* parent)
    : QDialog(parent), m_customizer(customizer) {
    RegisterCustomizeStrings();
    setWindowTitle(LoadString(IDS_CUSTOMIZE_TITLE));
    m_toolbars = new QListWidget(this);
    m_commands = new QListWidget(this);
    auto* create = new QPushButton(LoadString(IDS_CUSTOMIZE_NEW), this);
    auto* rename = new QPushButton(LoadString(IDS_CUSTOMIZE_RENAME), this);
    auto* remove = new QPushButton(LoadString(IDS_CUSTOMIZE_DELETE), this);
    auto* add = new QPushButton(LoadString(IDS_CUSTOMIZE_ADD), this);
    auto* take = new QPushButton(LoadString(IDS_CUSTOMIZE_REMOVE), this);
    auto* close = new QPushButton(LoadString(IDS_CUSTOMIZE_CLOSE), this);
    for (QPushButton* button : {create, rename, remove, add, take, close})
        button->setAutoDefault(false);
    close->setDefault(true);

    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(LoadString(IDS_CUSTOMIZE_TOOLBARS), this));
    left->addWidget(m_toolbars, 1);
    auto* toolbarButtons = new QHBoxLayout;
    toolbarButtons->addWidget(create);
    toolbarButtons->addWidget(rename);
    toolbarButtons->addWidget(remove);
    left->addLayout(toolbarButtons);
    auto* right = new QVBoxLayout;
    right->addWidget(new QLabel(LoadString(IDS_CUSTOMIZE_COMMANDS), this));
    right->addWidget(m_commands, 1);
    auto* commandButtons = new QHBoxLayout;
    commandButtons->addWidget(add);
    commandButtons->addWidget(take);
    right->addLayout(commandButtons);
    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(close);
    layout->addLayout(bottom);

    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(create, &QPushButton::clicked, this, [this] {
        bool ok = false;
        const QString name =
            QInputDialog::getText(this, LoadString(IDS_CUSTOMIZE_TITLE),
                                  LoadString(IDS_CUSTOMIZE_NAME_PROMPT), QLineEdit::Normal, QString(), &ok);
        if (ok)
            NewToolbar(name);
    });
    connect(rename, &QPushButton::clicked, this, [this] {
        QToolBar* toolbar = SelectedToolbar();
        const auto& user = m_customizer.UserToolbars();
        if (toolbar == nullptr || std::find(user.begin(), user.end(), toolbar) == user.end())
            return;
        bool ok = false;
        const QString name = QInputDialog::getText(this, LoadString(IDS_CUSTOMIZE_TITLE),
                                                   LoadString(IDS_CUSTOMIZE_NAME_PROMPT), QLineEdit::Normal,
                                                   toolbar->windowTitle(), &ok);
        if (ok && !name.trimmed().isEmpty()) {
            toolbar->setWindowTitle(name.trimmed());
            m_customizer.Save();
            Fill();
        }
    });
    connect(remove, &QPushButton::clicked, this, [this] {
        m_customizer.DeleteUserToolbar(SelectedToolbar());
        Fill();
    });
    connect(add, &QPushButton::clicked, this, &CDlgCustomize::AddSelectedCommand);
    connect(take, &QPushButton::clicked, this, &CDlgCustomize::RemoveSelectedCommand);
    connect(m_toolbars, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        if (auto* toolbar = reinterpret_cast<QToolBar*>(item->data(Qt::UserRole).value<quintptr>()))
            toolbar->setVisible(item->checkState() == Qt::Checked);
    });
    Fill();
    resize(560, 360);
}

void CDlgCustomize::Fill() {
    const QSignalBlocker quiet(m_toolbars);
    m_toolbars->clear();
    std::vector<QToolBar*> toolbars{m_customizer.Standard()};
    toolbars.insert(toolbars.end(), m_customizer.UserToolbars().begin(), m_customizer.UserToolbars().end());
    for (QToolBar* toolbar : toolbars) {
        if (toolbar == nullptr)
            continue;
        auto* item = new QListWidgetItem(toolbar->windowTitle(), m_toolbars);
        item->setData(Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(toolbar)));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(toolbar->isHidden() ? Qt::Unchecked : Qt::Checked);
    }
    if (m_toolbars->count() > 0)
        m_toolbars->setCurrentRow(m_toolbars->count() - 1);
    m_commands->clear();
    for (QAction* action : m_customizer.Commands()) {
        auto* item = new QListWidgetItem(action->icon(), Plain(action->text()), m_commands);
        item->setData(Qt::UserRole, action->objectName().toUInt());
    }
}

QToolBar* CDlgCustomize::SelectedToolbar() const {
    const QListWidgetItem* item = m_toolbars->currentItem();
    return item != nullptr ? reinterpret_cast<QToolBar*>(item->data(Qt::UserRole).value<quintptr>())
                           : nullptr;
}

void CDlgCustomize::NewToolbar(const QString& name) {
    m_customizer.OnToolbarCreateNew(name);
    Fill();
}

void CDlgCustomize::AddSelectedCommand() {
    const QListWidgetItem* item = m_commands->currentItem();
    if (item != nullptr)
        m_customizer.AddCommand(SelectedToolbar(), item->data(Qt::UserRole).toUInt());
}

void CDlgCustomize::RemoveSelectedCommand() {
    const QListWidgetItem* item = m_commands->currentItem();
    if (item != nullptr)
        m_customizer.RemoveCommand(SelectedToolbar(), item->data(Qt::UserRole).toUInt());
}

} // namespace shell
