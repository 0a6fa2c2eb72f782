#include "ListCtrlEx.h"

#include "EditorHook.h"
#include "ListSortCompare.h"

#include "platform/MessageTarget.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QStyledItemDelegate>
#include <algorithm>
#include <map>
#include <set>

namespace controls {
namespace {

constexpr int kRowDataRole = Qt::UserRole + 0x2A;

Qt::Alignment AlignmentOf(int format) {
    switch (format) {
    case CListCtrlEx::LVCFMT_RIGHT:
        return Qt::AlignRight | Qt::AlignVCenter;
    case CListCtrlEx::LVCFMT_CENTER:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    default:
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

// Paints each cell with the colours the list chooses for it; selected rows keep the highlight.
class CCellColorDelegate : public QStyledItemDelegate {
public:
    explicit CCellColorDelegate(CListCtrlEx* list) : QStyledItemDelegate(list), m_list(list) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (option->state & QStyle::State_Selected)
            return;
        COLORREF back = CLR_UNSET, text = CLR_UNSET;
        if (!m_list->GetCellColors(index.row(), index.column(), back, text))
            return;
        if (back != CLR_UNSET)
            option->backgroundBrush = ToQColor(back);
        if (text != CLR_UNSET)
            option->palette.setColor(QPalette::Text, ToQColor(text));
    }

private:
    CListCtrlEx* m_list;
};

QString EditorText(const QWidget* window) {
    QVariant text = window->property("text");
    if (!text.isValid())
        text = window->property("currentText");
    return text.toString();
}

} // namespace

CListCtrlEx::CListCtrlEx(QWidget* parent) : QTableWidget(parent) {
    CEditorHook::Acquire();
    m_defaultBack = ToColorRef(palette().color(QPalette::Base));
    m_defaultText = ToColorRef(palette().color(QPalette::Text));
    setItemDelegate(new CCellColorDelegate(this));
    verticalHeader()->hide();
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    setWordWrap(false);
    SetExtendedStyle(LVS_EX_FULLROWSELECT);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &CListCtrlEx::OnColumnClick);
    connect(this, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int column) { EditCell(row, column); });
    // The cell being edited follows its row and column as others are inserted or removed before it;
    // when its own row or column goes, the edit ends and its text goes nowhere.
    QAbstractItemModel* cells = model();
    connect(cells, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex&, int first, int last) {
        if (m_editor != nullptr && m_editRow >= first)
            m_editRow += last - first + 1;
        PlaceEditor();
    });
    connect(cells, &QAbstractItemModel::columnsInserted, this,
            [this](const QModelIndex&, int first, int last) {
                if (m_editor != nullptr && m_editColumn >= first)
                    m_editColumn += last - first + 1;
                PlaceEditor();
            });
    connect(cells, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex&, int first, int last) { EditedCellRemoved(m_editRow, first, last); });
    connect(
        cells, &QAbstractItemModel::columnsAboutToBeRemoved, this,
        [this](const QModelIndex&, int first, int last) { EditedCellRemoved(m_editColumn, first, last); });
    connect(cells, &QAbstractItemModel::rowsRemoved, this, [this] { PlaceEditor(); });
    connect(cells, &QAbstractItemModel::columnsRemoved, this, [this] { PlaceEditor(); });
}

void CListCtrlEx::EditedCellRemoved(int& index, int first, int last) {
    if (m_editor == nullptr)
        return;
    if (index > last) {
        index -= last - first + 1;
    } else if (index >= first) {
        // The cell no longer exists: nothing is stored, and the editor's end step is not asked.
        m_editRow = m_editColumn = -1;
        EndEdit(false);
    }
}

void CListCtrlEx::PlaceEditor() {
    if (m_editor != nullptr && m_editor->window != nullptr)
        m_editor->window->setGeometry(visualRect(model()->index(m_editRow, m_editColumn)));
}

CListCtrlEx::~CListCtrlEx() {
    if (m_editor != nullptr && m_editor->window != nullptr) {
        if (CEditorHook* hook = CEditorHook::Instance())
            hook->Unregister(m_editor->window);
    }
    CEditorHook::Release();
}

void CListCtrlEx::SetExtendedStyle(unsigned style) {
    setShowGrid((style & LVS_EX_GRIDLINES) != 0);
    setSelectionBehavior((style & LVS_EX_FULLROWSELECT) ? QAbstractItemView::SelectRows
                                                        : QAbstractItemView::SelectItems);
}

int CListCtrlEx::InsertColumn(int column, const QString& heading, int format, int width) {
    if (column < 0)
        return -1;
    column = std::min(column, columnCount());
    insertColumn(column);
    auto* header = new QTableWidgetItem(heading);
    header->setTextAlignment(AlignmentOf(format));
    setHorizontalHeaderItem(column, header);
    if (width >= 0)
        setColumnWidth(column, width);
    m_columnFormats.insert(m_columnFormats.begin() + column, format);
    for (auto& info : m_columns) {
        if (info->column >= column)
            ++info->column;
    }
    // The row's data lives with its first cell, and each cell's data names its column: both follow
    // the cells the new column pushed to the right.
    for (int row = 0; row < rowCount(); ++row) {
        if (column == 0 && columnCount() > 1) {
            if (QTableWidgetItem* moved = item(row, 1); moved != nullptr) {
                const QVariant data = moved->data(kRowDataRole);
                if (data.isValid()) {
                    moved->setData(kRowDataRole, QVariant());
                    SetItemText(row, 0, QString());
                    item(row, 0)->setData(kRowDataRole, data);
                }
            }
        }
        if (ItemData* data = RowData(row)) {
            for (auto& cell : data->cells) {
                if (cell->column >= column)
                    ++cell->column;
            }
        }
    }
    return column;
}

QString CListCtrlEx::GetColumnHeading(int column) const {
    const QTableWidgetItem* header = horizontalHeaderItem(column);
    return header ? header->text() : QString();
}

int CListCtrlEx::InsertItem(int row, const QString& text) {
    if (row < 0 || columnCount() == 0)
        return -1;
    row = std::min(row, rowCount());
    insertRow(row);
    SetItemText(row, 0, text);
    return row;
}

bool CListCtrlEx::SetItemText(int row, int column, const QString& text) {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return false;
    if (QTableWidgetItem* cell = item(row, column)) {
        cell->setText(text);
        return true;
    }
    auto* cell = new QTableWidgetItem(text);
    cell->setTextAlignment(AlignmentOf(m_columnFormats[static_cast<std::size_t>(column)]));
    setItem(row, column, cell);
    return true;
}

QString CListCtrlEx::GetItemText(int row, int column) const {
    const QTableWidgetItem* cell = item(row, column);
    return cell ? cell->text() : QString();
}

void CListCtrlEx::FreeRowData(ItemData* data) {
    if (data == nullptr)
        return;
    m_itemData.erase(
        std::find_if(m_itemData.begin(), m_itemData.end(),
                     [data](const std::unique_ptr<ItemData>& owned) { return owned.get() == data; }));
}

// An edit of a row that goes is ended by the model hook, unasked: asking the end callback first
// could re-sort and put another row at 'row'.
bool CListCtrlEx::DeleteItem(int row) {
    if (row < 0 || row >= rowCount())
        return false;
    ItemData* data = RowData(row);
    removeRow(row);
    FreeRowData(data);
    return true;
}

void CListCtrlEx::DeleteAllItems() {
    setRowCount(0);
    m_itemData.clear();
}

ItemData* CListCtrlEx::RowData(int row) const {
    const QTableWidgetItem* first = item(row, 0);
    if (first == nullptr)
        return nullptr;
    return reinterpret_cast<ItemData*>(first->data(kRowDataRole).value<quintptr>());
}

ItemData* CListCtrlEx::GetRowData(int row) {
    if (row < 0 || row >= rowCount() || columnCount() == 0)
        return nullptr;
    if (ItemData* data = RowData(row)) {
        data->rowValue = 0;
        return data;
    }
    if (item(row, 0) == nullptr)
        SetItemText(row, 0, QString());
    m_itemData.push_back(std::make_unique<ItemData>());
    ItemData* data = m_itemData.back().get();
    item(row, 0)->setData(kRowDataRole, QVariant::fromValue(reinterpret_cast<quintptr>(data)));
    return data;
}

bool CListCtrlEx::SetItemData(int row, LPARAM value) {
    ItemData* data = GetRowData(row);
    if (data == nullptr)
        return false;
    data->rowValue = value;
    return true;
}

LPARAM CListCtrlEx::GetItemData(int row) const {
    const ItemData* data = RowData(row);
    return data ? data->rowValue : 0;
}

bool CListCtrlEx::SetCellData(int row, int column) {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return false;
    if (GetCellData(row, column) != nullptr)
        return true;
    ItemData* data = RowData(row);
    if (data == nullptr)
        data = GetRowData(row);
    auto cell = std::make_unique<CellInfo>();
    cell->column = column;
    data->cells.push_back(std::move(cell));
    return true;
}

CellInfo* CListCtrlEx::GetCellData(int row, int column) const {
    const ItemData* data = RowData(row);
    if (data == nullptr)
        return nullptr;
    for (const auto& cell : data->cells) {
        if (cell->column == column)
            return cell.get();
    }
    return nullptr;
}

ColumnInfo* CListCtrlEx::GetColumnInfo(int column, bool create) {
    for (auto& info : m_columns) {
        if (info->column == column)
            return info.get();
    }
    if (!create || column < 0 || column >= columnCount())
        return nullptr;
    m_columns.push_back(std::make_unique<ColumnInfo>());
    m_columns.back()->column = column;
    return m_columns.back().get();
}

void CListCtrlEx::SetColumnColors(int column, COLORREF back, COLORREF text) {
    if (ColumnInfo* info = GetColumnInfo(column)) {
        info->crBack = back;
        info->crText = text;
        viewport()->update();
    }
}

void CListCtrlEx::SetColumnSorting(int column, unsigned sortFlags, int sortType, PFNLVCOMPARE compare) {
    if (ColumnInfo* info = GetColumnInfo(column)) {
        info->sortFlags = sortFlags;
        info->sortType = sortType;
        info->compare = compare;
    }
}

void CListCtrlEx::SetCompareFunction(PFNLVCOMPARE compare, LPARAM userValue) {
    m_activeCompare = compare;
    m_compareUserValue = compare != nullptr ? userValue : 0;
}

void CListCtrlEx::SetColumnEditor(int column, CCellEditor* editor) {
    if (ColumnInfo* info = GetColumnInfo(column))
        info->editor = editor;
}

bool CListCtrlEx::GetCellColors(int row, int column, COLORREF& back, COLORREF& text) const {
    COLORREF levelBack = CLR_UNSET, levelText = CLR_UNSET;
    bool found = false;
    if (const CellInfo* cell = GetCellData(row, column);
        cell && (cell->crBack != CLR_UNSET || cell->crText != CLR_UNSET)) {
        levelBack = cell->crBack;
        levelText = cell->crText;
        found = true;
    }
    if (const ItemData* data = RowData(row);
        !found && data && (data->crBack != CLR_UNSET || data->crText != CLR_UNSET)) {
        levelBack = data->crBack;
        levelText = data->crText;
        found = true;
    }
    if (!found) {
        for (const auto& info : m_columns) {
            if (info->column == column && (info->crBack != CLR_UNSET || info->crText != CLR_UNSET)) {
                levelBack = info->crBack;
                levelText = info->crText;
                found = true;
                break;
            }
        }
    }
    back = levelBack != CLR_UNSET ? levelBack : m_defaultBack;
    text = levelText != CLR_UNSET ? levelText : m_defaultText;
    return back != CLR_UNSET || text != CLR_UNSET;
}

void CListCtrlEx::OnColumnClick(int column) {
    ColumnInfo* info = GetColumnInfo(column, false);
    constexpr unsigned kSortBits = LCEX_SORT_ASCENDING | LCEX_SORT_DESCENDING | LCEX_SORT_TOGGLE;
    if (info == nullptr || (info->sortFlags & kSortBits) == 0) {
        // The header's own click handling may have moved the arrow: put it back.
        horizontalHeader()->setSortIndicatorShown(m_sortColumn >= 0);
        if (m_sortColumn >= 0)
            horizontalHeader()->setSortIndicator(m_sortColumn,
                                                 m_sortAscending ? Qt::AscendingOrder : Qt::DescendingOrder);
        return;
    }
    if (info->sortFlags & LCEX_SORT_TOGGLE) {
        unsigned& flags = info->sortFlags;
        if ((flags & (LCEX_SORT_ASCENDING | LCEX_SORT_DESCENDING)) == 0)
            flags |= LCEX_SORT_DESCENDING;
        const bool ascending = flags & LCEX_SORT_ASCENDING;
        const bool descending = flags & LCEX_SORT_DESCENDING;
        flags &= ~(LCEX_SORT_ASCENDING | LCEX_SORT_DESCENDING);
        flags |= (ascending ? LCEX_SORT_DESCENDING : 0u) | (descending ? LCEX_SORT_ASCENDING : 0u);
    }
    if (m_editor != nullptr)
        EndEdit(true);
    SortItems(column, (info->sortFlags & LCEX_SORT_ASCENDING) != 0);
}

void CListCtrlEx::SortItems(int column, bool ascending) {
    const ColumnInfo* info = GetColumnInfo(column, false);
    m_sortColumn = column;
    m_sortAscending = ascending;
    const int direction = ascending ? 1 : -1;
    const int rows = rowCount();
    const int columns = columnCount();
    std::vector<int> order(static_cast<std::size_t>(rows));
    for (int r = 0; r < rows; ++r)
        order[static_cast<std::size_t>(r)] = r;
    std::vector<QString> keys(static_cast<std::size_t>(rows));
    std::vector<LPARAM> values(static_cast<std::size_t>(rows));
    for (int r = 0; r < rows; ++r) {
        keys[static_cast<std::size_t>(r)] = GetItemText(r, column);
        values[static_cast<std::size_t>(r)] = GetItemData(r);
    }
    const auto compare = [&](int a, int b) {
        const auto ia = static_cast<std::size_t>(a), ib = static_cast<std::size_t>(b);
        int result = 0;
        int sign = direction;
        if (m_activeCompare != nullptr) {
            // The caller's value set with its function: the function's order stands as it is.
            result = m_activeCompare(values[ia], values[ib], m_compareUserValue);
            sign = 1;
        } else if (info != nullptr && info->compare != nullptr) {
            result = info->compare(values[ia], values[ib], column);
        } else {
            result = CompareListTexts(info ? info->sortType : eSortNone, keys[ia], keys[ib]);
        }
        // Compare signs only: multiplying could overflow.
        return (result < 0 ? -1 : (result > 0 ? 1 : 0)) * sign < 0;
    };
    std::stable_sort(order.begin(), order.end(), compare);

    std::set<int> selected;
    for (const QModelIndex& index : selectionModel()->selectedIndexes())
        selected.insert(index.row());
    const int current = currentRow();
    std::vector<std::vector<QTableWidgetItem*>> taken(static_cast<std::size_t>(rows));
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c)
            taken[static_cast<std::size_t>(r)].push_back(takeItem(r, c));
    }
    clearSelection();
    for (int r = 0; r < rows; ++r) {
        const int from = order[static_cast<std::size_t>(r)];
        for (int c = 0; c < columns; ++c)
            setItem(r, c, taken[static_cast<std::size_t>(from)][static_cast<std::size_t>(c)]);
        if (from == current)
            setCurrentCell(r, currentColumn() < 0 ? 0 : currentColumn(), QItemSelectionModel::NoUpdate);
        if (selected.count(from) != 0)
            selectRow(r);
    }
    horizontalHeader()->setSortIndicatorShown(true);
    horizontalHeader()->setSortIndicator(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

bool CListCtrlEx::Editable(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return false;
    const CellInfo* cell = GetCellData(row, column);
    const ItemData* data = RowData(row);
    unsigned flags = (cell ? cell->flags : 0u) | (data ? data->flags : 0u);
    for (const auto& info : m_columns) {
        if (info->column == column)
            flags |= info->flags;
    }
    return (flags & LCEX_READONLY) == 0;
}

CCellEditor* CListCtrlEx::EditorFor(int row, int column) const {
    if (const CellInfo* cell = GetCellData(row, column); cell && cell->editor)
        return cell->editor;
    if (const ItemData* data = RowData(row); data && data->editor)
        return data->editor;
    for (const auto& info : m_columns) {
        if (info->column == column && info->editor)
            return info->editor;
    }
    return m_defaultEditor;
}

bool CListCtrlEx::EditCell(int row, int column) {
    if (!Editable(row, column))
        return false;
    CCellEditor* editor = EditorFor(row, column);
    if (editor == nullptr || editor->window == nullptr)
        return false;
    if (m_editor != nullptr)
        EndEdit(true);
    CEditorHook* hook = CEditorHook::Instance();
    if (hook == nullptr)
        return false;
    const QModelIndex index = model()->index(row, column);
    scrollTo(index);
    m_editRow = row;
    m_editColumn = column;
    const QString text = GetItemText(row, column);
    QWidget* window = editor->window;
    if (editor->prepare)
        editor->prepare(row, column, text, GetItemData(row), this);
    else
        window->setProperty("text", text);
    if (window->parentWidget() != viewport())
        window->setParent(viewport());
    window->setGeometry(visualRect(index));
    window->show();
    window->setFocus(Qt::OtherFocusReason);
    m_editor = editor;
    ++m_editSerial;
    hook->Register(window, this);
    window->installEventFilter(this);
    return true;
}

void CListCtrlEx::EndEdit(bool keep) {
    CCellEditor* editor = m_editor;
    if (editor == nullptr)
        return;
    QWidget* window = editor->window;
    if (CEditorHook* hook = CEditorHook::Instance())
        hook->Unregister(window);
    const bool hadFocus = window->hasFocus();
    window->removeEventFilter(this);
    m_editor = nullptr;
    ++m_editSerial;
    const int row = m_editRow;
    const int column = m_editColumn;
    m_editRow = m_editColumn = -1;
    window->hide();

    int keepFlag = keep ? 1 : 0;
    const bool cellExists = row >= 0 && row < rowCount() && column >= 0 && column < columnCount();
    if (!cellExists)
        keepFlag = 0;
    QString text = EditorText(window);
    // The editor's end callback has the last word, for Enter and Esc alike.
    if (cellExists && editor->end)
        keepFlag = editor->end(row, column, text, GetItemData(row));
    if (keepFlag != 0) {
        SetItemText(row, column, text);
        if (keepFlag == -1) {
            if (const ColumnInfo* info = GetColumnInfo(column, false); info && info->sortFlags != 0)
                SortItems(column, (info->sortFlags & LCEX_SORT_ASCENDING) != 0);
        }
    }
    viewport()->update();
    if (hadFocus)
        setFocus(Qt::OtherFocusReason);
}

void CListCtrlEx::PostEndEdit(bool keep) {
    const unsigned serial = m_editSerial;
    QMetaObject::invokeMethod(
        this,
        [this, serial, keep] {
            if (serial == m_editSerial)
                EndEdit(keep);
        },
        Qt::QueuedConnection);
}

void CListCtrlEx::PostTab(bool backward) {
    const unsigned serial = m_editSerial;
    QMetaObject::invokeMethod(
        this,
        [this, serial, backward] {
            if (serial != m_editSerial)
                return;
            if (!TabWalk(backward)) {
                EndEdit(true);
                focusNextPrevChild(!backward);
            }
        },
        Qt::QueuedConnection);
}

bool CListCtrlEx::OnAppendRow() {
    return false;
}

bool CListCtrlEx::TabWalk(bool backward) {
    const int columns = columnCount();
    if (columns == 0)
        return false;
    int rows = rowCount();
    int row = m_editRow, column = m_editColumn;
    bool fresh = false;
    if (rows == 0) {
        if (backward)
            return false;
        if (!OnAppendRow())
            return true;
        rows = rowCount();
        row = 0;
        column = 0;
        fresh = true;
    } else if (row < 0 || row >= rows || column < 0 || column >= columns) {
        row = backward ? rows - 1 : 0;
        column = backward ? columns - 1 : 0;
        fresh = true;
    }
    for (int steps = 0; steps <= (rows + 1) * columns; ++steps) {
        if (!fresh) {
            column += backward ? -1 : 1;
            if (column >= columns) {
                ++row;
                column = 0;
            } else if (column < 0) {
                --row;
                column = columns - 1;
            }
        }
        fresh = false;
        if (!backward && row >= rows && m_appendOnTab) {
            EndEdit(true);
            if (!OnAppendRow())
                return true;
            rows = rowCount();
            column = 0;
        }
        if (row < 0 || row >= rows)
            return false;
        if (EditCell(row, column))
            return true;
    }
    return false;
}

void CListCtrlEx::DeleteSelectedRows() {
    for (;;) {
        const QModelIndexList rows = selectionModel()->selectedRows();
        if (rows.isEmpty())
            break;
        DeleteItem(rows.first().row());
    }
}

unsigned CListCtrlEx::AcceleratorCommand(const QKeyEvent* key) const {
    if (m_accelerators.empty() || key->key() == 0 || key->key() == Qt::Key_unknown)
        return 0;
    const QKeySequence pressed(key->keyCombination());
    for (const auto& [sequence, command] : m_accelerators) {
        if (sequence.matches(pressed) == QKeySequence::ExactMatch)
            return command;
    }
    return 0;
}

bool CListCtrlEx::TranslateAccelerator(QEvent* e) {
    const auto* key = static_cast<const QKeyEvent*>(e);
    const unsigned command = AcceleratorCommand(key);
    if (command == 0)
        return false;
    // A key of the table reaches the list before any shortcut of the window.
    if (e->type() == QEvent::ShortcutOverride) {
        e->accept();
        return true;
    }
    if (auto* target = dynamic_cast<platform::CMessageTarget*>(parentWidget()))
        platform::SendMessage(target, WM_COMMAND, (platform::WPARAM{1} << 16) | command, 0);
    return true;
}

bool CListCtrlEx::eventFilter(QObject* watched, QEvent* e) {
    // The editor window holds the focus while a cell is edited: the table is tried there too.
    if ((e->type() == QEvent::KeyPress || e->type() == QEvent::ShortcutOverride) && m_editor != nullptr &&
        watched == m_editor->window && TranslateAccelerator(e))
        return true;
    return QTableWidget::eventFilter(watched, e);
}

bool CListCtrlEx::event(QEvent* e) {
    if ((e->type() == QEvent::KeyPress || e->type() == QEvent::ShortcutOverride) && TranslateAccelerator(e))
        return true;
    if (e->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(e);
        if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) &&
            !(key->modifiers() & Qt::ControlModifier)) {
            const bool backward = key->key() == Qt::Key_Backtab || (key->modifiers() & Qt::ShiftModifier);
            if (TabWalk(backward))
                return true;
        }
    }
    return QTableWidget::event(e);
}

void CListCtrlEx::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Delete && m_deleteRows) {
        DeleteSelectedRows();
        return;
    }
    QTableWidget::keyPressEvent(e);
}

} // namespace controls
