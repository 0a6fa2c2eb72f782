#pragma once

#include "ListCtrlExData.h"

#include <QKeySequence>
#include <QTableWidget>
#include <utility>
#include <vector>

namespace controls {

// A report list that keeps per-row and per-cell data, colours each cell, sorts by a typed
// comparison when a column header is clicked, deletes selected rows with Delete and edits cells in
// place through caller editors.
class CListCtrlEx : public QTableWidget {
public:
    enum : unsigned { LVS_EX_GRIDLINES = 0x1, LVS_EX_FULLROWSELECT = 0x20 };
    enum : int { LVCFMT_LEFT = 0, LVCFMT_RIGHT = 1, LVCFMT_CENTER = 2 };

    explicit CListCtrlEx(QWidget* parent = nullptr);
    ~CListCtrlEx() override;

    // Report-view operations; rows and columns count from 0. Failures give -1 or false.
    void SetExtendedStyle(unsigned style);
    int InsertColumn(int column, const QString& heading, int format = LVCFMT_LEFT, int width = -1);
    QString GetColumnHeading(int column) const;
    int GetColumnCount() const { return columnCount(); }
    int InsertItem(int row, const QString& text);
    bool SetItemText(int row, int column, const QString& text);
    QString GetItemText(int row, int column) const;
    int GetItemCount() const { return rowCount(); }
    bool DeleteItem(int row);
    void DeleteAllItems();
    // The caller's own row value.
    bool SetItemData(int row, LPARAM value);
    LPARAM GetItemData(int row) const;

    // The row's data, made on first use; an existing row's caller value is reset to 0.
    ItemData* GetRowData(int row);
    // Makes the cell's data when missing; false for an invalid row or column.
    bool SetCellData(int row, int column);
    CellInfo* GetCellData(int row, int column) const;

    // Column settings: colours, sorting (LCEX_SORT_* flags with an eListSortType), caller compare.
    ColumnInfo* GetColumnInfo(int column, bool create = true);
    void SetColumnColors(int column, COLORREF back, COLORREF text);
    void SetColumnSorting(int column, unsigned sortFlags, int sortType, PFNLVCOMPARE compare = nullptr);
    int GetSortColumn() const { return m_sortColumn; }
    bool IsSortAscending() const { return m_sortAscending; }

    // The colours a cell is drawn with: cell, then row, then column settings, the list's defaults
    // filling what that level leaves unset. False when nothing gives a colour.
    bool GetCellColors(int row, int column, COLORREF& back, COLORREF& text) const;
    COLORREF GetDefaultBackColor() const { return m_defaultBack; }
    COLORREF GetDefaultTextColor() const { return m_defaultText; }

    // A caller's comparison for the sorts that follow, with its own value: it is handed the two rows'
    // caller values and the user value, and its result is taken as it is (no direction applied).
    void SetCompareFunction(PFNLVCOMPARE compare, LPARAM userValue);

    // Keys tried before the list's own handling while it or its editor holds the focus: a key of the
    // table sends WM_COMMAND with its command id (notification 1, as an accelerator) to the parent.
    static constexpr unsigned WM_COMMAND = 0x0111;
    using Accelerator = std::pair<QKeySequence, unsigned>;
    void SetAcceleratorTable(std::vector<Accelerator> table) { m_accelerators = std::move(table); }

    void SetDeleteRows(bool deleteRows) { m_deleteRows = deleteRows; }
    void SetAppendOnTab(bool append) { m_appendOnTab = append; }
    // The editor of cells whose cell, row and column give none.
    void SetDefaultEditor(CCellEditor* editor) { m_defaultEditor = editor; }
    void SetColumnEditor(int column, CCellEditor* editor);

    // Starts editing a cell; false when the cell is invalid, read-only or has no editor.
    bool EditCell(int row, int column);
    // Ends the edit in progress: keep stores the editor's text.
    void EndEdit(bool keep);
    bool IsEditing() const { return m_editor != nullptr; }
    int EditRow() const { return m_editRow; }
    int EditColumn() const { return m_editColumn; }

    // Requests from the editor hook, run once the editor's own event is done.
    void PostEndEdit(bool keep);
    void PostTab(bool backward);

    // Header click on a column.
    void OnColumnClick(int column);
    void DeleteSelectedRows();

protected:
    // Asked for a new row when Tab runs past the last cell; true when one was added.
    virtual bool OnAppendRow();

    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    ItemData* RowData(int row) const;
    // Rows or columns first..last are about to go: 'index' (the edited row or column) follows them, or
    // the edit ends when it is one of them.
    void EditedCellRemoved(int& index, int first, int last);
    // Puts the editor over the cell being edited, wherever that cell now is.
    void PlaceEditor();
    void SortItems(int column, bool ascending);
    // Moves the edit by one cell; false when it leaves the table.
    bool TabWalk(bool backward);
    CCellEditor* EditorFor(int row, int column) const;
    bool Editable(int row, int column) const;
    void FreeRowData(ItemData* data);
    // The command of a key of the accelerator table, 0 for none.
    unsigned AcceleratorCommand(const QKeyEvent* key) const;
    // A key press of the table sends its command; a shortcut override of one is accepted. False for
    // keys the table does not hold.
    bool TranslateAccelerator(QEvent* event);

    COLORREF m_defaultBack = CLR_UNSET;
    COLORREF m_defaultText = CLR_UNSET;
    bool m_deleteRows = false;
    bool m_appendOnTab = false;
    int m_sortColumn = -1;
    bool m_sortAscending = true;
    CCellEditor* m_defaultEditor = nullptr;
    CCellEditor* m_editor = nullptr;
    int m_editRow = -1;
    int m_editColumn = -1;
    unsigned m_editSerial = 0;
    std::vector<std::unique_ptr<ItemData>> m_itemData;
    std::vector<std::unique_ptr<ColumnInfo>> m_columns;
    std::vector<int> m_columnFormats;
    std::vector<Accelerator> m_accelerators;
    PFNLVCOMPARE m_activeCompare = nullptr;
    LPARAM m_compareUserValue = 0;
};

} // namespace controls
