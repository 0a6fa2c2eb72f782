#pragma once

#include "ColorRef.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QWidget;

namespace controls {

class CListCtrlEx;

using LPARAM = std::intptr_t;
// A caller's row comparison: the two rows' caller values and the sort column.
using PFNLVCOMPARE = int (*)(LPARAM, LPARAM, LPARAM);

// An in-place editor: a window of the caller (edit, combo box, date picker) with its callbacks.
// While it edits, the window is a child of the list's viewport: destroy it before the list or let
// the list own it.
struct CCellEditor {
    QWidget* window = nullptr;
    // Fills the editor before it is shown: row, column, cell text, caller row value, the list.
    std::function<void(int, int, const QString&, LPARAM, CListCtrlEx*)> prepare;
    // Decides the edit: row, column, the text to store (may be changed), caller row value. The
    // result is the keep flag: 0 discards, nonzero stores, -1 also re-sorts by the column.
    std::function<int(int, int, QString&, LPARAM)> end;
};

// Flags of a cell, a row or a column.
enum : unsigned { LCEX_READONLY = 0x1 };

struct CellInfo {
    CCellEditor* editor = nullptr;
    unsigned flags = 0;
    COLORREF crBack = CLR_UNSET;
    COLORREF crText = CLR_UNSET;
    unsigned word = 0;
    int column = 0;
};

struct ItemData {
    CCellEditor* editor = nullptr;
    unsigned flags = 0;
    std::vector<std::unique_ptr<CellInfo>> cells;
    COLORREF crBack = CLR_UNSET;
    COLORREF crText = CLR_UNSET;
    LPARAM rowValue = 0;
};

// Sort flags of a column.
enum : unsigned { LCEX_SORT_ASCENDING = 0x1, LCEX_SORT_DESCENDING = 0x2, LCEX_SORT_TOGGLE = 0x4 };

struct ColumnInfo {
    int column = 0;
    COLORREF crBack = CLR_UNSET;
    COLORREF crText = CLR_UNSET;
    unsigned sortFlags = 0;
    int sortType = 0;
    PFNLVCOMPARE compare = nullptr;
    CCellEditor* editor = nullptr;
    unsigned flags = 0;
};

} // namespace controls
