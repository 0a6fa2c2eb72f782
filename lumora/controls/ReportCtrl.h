#pragma once

#include "ColorRef.h"

#include <QCursor>
#include <QPersistentModelIndex>
#include <QString>
#include <QTableWidget>
#include <cstdint>
#include <map>
#include <set>
#include <vector>

class QLineEdit;

namespace controls {

// A report list with per-cell text and background colours, sorting by a clicked column (hexadecimal
// numbers, decimal numbers with an optional "%", dates, then text) in groups between separator rows,
// check boxes, per-column cursors and in-place editing of chosen columns with an edit box. The
// parent, when it is a message target, is told of check changes (WM_APP+0x2710), sorts
// (WM_APP+0x2711: column, ascending) and edited cells (WM_APP+0x2712: row, column).
class CReportCtrl : public QTableWidget {
public:
    using LPARAM = std::intptr_t;
    enum : unsigned {
        LVS_EX_GRIDLINES = 0x1,
        LVS_EX_SUBITEMIMAGES = 0x2,
        LVS_EX_CHECKBOXES = 0x4,
        LVS_EX_FULLROWSELECT = 0x20,
    };
    enum : int { LVCFMT_LEFT = 0, LVCFMT_RIGHT = 1, LVCFMT_CENTER = 2 };
    enum : unsigned { WM_CHECK_CHANGED = 0xA710, WM_SORTED = 0xA711, WM_ITEM_EDITED = 0xA712 };
    // Check box modes: independent, at most one checked, all alike.
    enum : int { eCheckNormal = 1, eCheckSingle = 2, eCheckAll = 3 };
    // The width of the small images a cell may show before its text.
    static constexpr int kSmallImageWidth = 16;

    explicit CReportCtrl(QWidget* parent = nullptr);
    ~CReportCtrl() override;

    void SetExtendedStyle(unsigned style);
    unsigned GetExtendedStyle() const { return m_extendedStyle; }
    // The size of the small images the rows are laid out for.
    void SetImageListSize(const QSize& size);

    int InsertColumn(int column, const QString& heading, int format = LVCFMT_LEFT, int width = -1);
    // Every row gets the window's text and background colour at the new column.
    void OnColumnInserted(int column);
    QString GetColumnHeading(int column) const;
    int GetColumnCount() const { return columnCount(); }

    int InsertItem(int row, const QString& text);
    bool DeleteItem(int row);
    void DeleteAllItems();
    int GetItemCount() const { return rowCount(); }
    bool SetItemText(int row, int column, const QString& text);
    QString GetItemText(int row, int column) const;
    bool SetItemData(int row, LPARAM value);
    LPARAM GetItemData(int row) const;
    bool SetItemTextColor(int row, int column, COLORREF color);
    bool SetItemBkColor(int row, int column, COLORREF color);
    COLORREF GetItemTextColor(int row, int column) const;
    COLORREF GetItemBkColor(int row, int column) const;

    bool SetCheck(int row, bool checked);
    bool GetCheck(int row) const;
    void SetCheckboxStyle(int mode) { m_checkMode = mode; }

    // Rows whose sort-column text equals it split the list into separately sorted groups.
    void SetSeparatorText(const QString& text) { m_separator = text; }
    void SetEditable(bool editable) { m_editable = editable; }
    void SetEditableColumns(const std::set<int>& columns) { m_editableColumns = columns; }
    void SetColumnCursor(int column, const QCursor& cursor) { m_cursors[column] = cursor; }
    void SetCursorsOn(bool on);

    // Sorts by the column as a header click does: the same column again reverses the direction.
    void OnColumnClick(int column);
    void SortItems(int column, bool ascending);
    int GetSortColumn() const { return m_sortColumn; }
    bool IsSortAscending() const { return m_ascending; }
    // Negative, 0 or positive as the typed comparison of two cell texts orders them.
    static int CompareCells(const QString& a, const QString& b);

    bool StartEdit(int row, int column);
    // Ends the edit in progress; true when the table changed (commit with a different text).
    bool EndEdit(bool commit = true);
    bool IsEditing() const { return m_editRow >= 0; }
    QLineEdit* Editor() const { return m_editor; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct SRowData {
        LPARAM value = 0;
        std::vector<COLORREF> text;
        std::vector<COLORREF> back;
        bool checked = false;
    };
    std::vector<COLORREF>* ColorsAt(int row, int column, std::vector<COLORREF> SRowData::*colors);
    void ApplyColors(int row, int column);
    QTableWidgetItem* Item(int row, int column);
    void Notify(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
    void OnCheckChanged(int row);
    void SortRun(int first, int last, int column, bool ascending);
    bool MoveEdit(int row, int column);
    QRect EditorRect(int row, int column) const;
    void PlaceEditor();

    unsigned m_extendedStyle = LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES;
    std::vector<SRowData> m_rows;
    std::vector<int> m_formats;
    QString m_separator;
    bool m_editable = false;
    std::set<int> m_editableColumns;
    int m_checkMode = eCheckNormal;
    int m_sortColumn = -1;
    bool m_ascending = true;
    int m_editRow = -1;
    int m_editColumn = -1;
    QLineEdit* m_editor = nullptr;
    bool m_cursorsOn = false;
    std::map<int, QCursor> m_cursors;
    bool m_updatingChecks = false;
    // The cell a left press on the selected row fell on, and its row's check state then.
    QPersistentModelIndex m_pressedCell;
    bool m_pressedCheck = false;
};

} // namespace controls
