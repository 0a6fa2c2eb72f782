#include "lumora/controls/ReportCtrl.h"

#include "lumora/controls/ListSortCompare.h"
#include "platform/MessageTarget.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <algorithm>
#include <charconv>
#include <numeric>

namespace controls {

namespace {

// The whole text as wcstoul with base 16 reads it: leading blanks, an optional sign, an optional
// "0x" prefix, then hexadecimal digits to the end. The value is 32-bit, saturated on overflow as
// wcstoul's is, and a minus sign negates it modulo 2^32.
bool ParseHex(const QString& text, std::uint64_t& value) {
    int i = 0;
    const int n = static_cast<int>(text.size());
    auto blank = [](QChar c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); };
    while (i < n && blank(text[i]))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    auto digit = [](QChar c) -> int {
        if (c >= u'0' && c <= u'9')
            return c.unicode() - u'0';
        if (c >= u'a' && c <= u'f')
            return c.unicode() - u'a' + 10;
        if (c >= u'A' && c <= u'F')
            return c.unicode() - u'A' + 10;
        return -1;
    };
    // "0x" counts as a prefix only when a digit follows; else the "0" is the number.
    if (i + 2 < n && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X') &&
        digit(text[i + 2]) >= 0)
        i += 2;
    if (i >= n || digit(text[i]) < 0)
        return false;
    constexpr std::uint64_t kMax = 0xFFFFFFFFu;
    std::uint64_t result = 0;
    bool overflow = false;
    for (; i < n; ++i) {
        const int d = digit(text[i]);
        if (d < 0)
            return false;
        result = result * 16 + static_cast<std::uint64_t>(d);
        if (result > kMax) {
            overflow = true;
            result = kMax;
        }
    }
    if (overflow)
        value = kMax;
    else
        value = negative ? ((~result + 1) & kMax) : result;
    return true;
}

// The whole text, or all but a final '%', as a decimal number in the C locale; leading blanks are
// skipped, as wcstod skips them.
bool ParseDecimal(const QString& text, double& value) {
    QByteArray bytes = text.toLatin1();
    if (bytes.endsWith('%'))
        bytes.chop(1);
    const char* first = bytes.constData();
    const char* const end = first + bytes.size();
    while (first != end && (*first == ' ' || (*first >= '\t' && *first <= '\r')))
        ++first;
    if (first == end)
        return false;
    if (*first == '+')
        ++first;
    const auto [ptr, ec] = std::from_chars(first, end, value);
    return ec == std::errc() && ptr == end;
}

int Sign(double d) {
    return d < 0 ? -1 : (d > 0 ? 1 : 0);
}

} // namespace

CReportCtrl::CReportCtrl(QWidget* parent) : QTableWidget(parent) {
    verticalHeader()->hide();
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int column) { OnColumnClick(column); });
    // Texts and colours change items too: only a check box the user turned runs the check step.
    connect(this, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (m_updatingChecks || item->column() != 0 || (m_extendedStyle & LVS_EX_CHECKBOXES) == 0)
            return;
        const int row = item->row();
        if (row < 0 || row >= static_cast<int>(m_rows.size()))
            return;
        const bool checked = item->checkState() == Qt::Checked;
        SRowData& data = m_rows[static_cast<std::size_t>(row)];
        if (checked == data.checked)
            return;
        data.checked = checked;
        OnCheckChanged(row);
    });
    // The cell being edited follows its row as rows are inserted or removed before it; when its own
    // row goes the edit ends and its text goes nowhere.
    QAbstractItemModel* cells = model();
    connect(cells, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex&, int first, int last) {
        if (m_editRow >= first) {
            m_editRow += last - first + 1;
            PlaceEditor();
        }
    });
    connect(cells, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex&, int first, int last) {
                if (m_editRow > last)
                    m_editRow -= last - first + 1;
                else if (m_editRow >= first)
                    EndEdit(false);
            });
    connect(cells, &QAbstractItemModel::rowsRemoved, this, [this] { PlaceEditor(); });
}

CReportCtrl::~CReportCtrl() {
    EndEdit(false);
}

void CReportCtrl::SetExtendedStyle(unsigned style) {
    m_extendedStyle = style;
    setShowGrid((style & LVS_EX_GRIDLINES) != 0);
    setSelectionBehavior((style & LVS_EX_FULLROWSELECT) != 0 ? QAbstractItemView::SelectRows
                                                             : QAbstractItemView::SelectItems);
}

void CReportCtrl::SetImageListSize(const QSize& size) {
    setIconSize(size);
    verticalHeader()->setDefaultSectionSize(std::max(verticalHeader()->defaultSectionSize(), size.height()));
}

int CReportCtrl::InsertColumn(int column, const QString& heading, int format, int width) {
    EndEdit(true);
    column = std::clamp(column, 0, columnCount());
    insertColumn(column);
    auto* header = new QTableWidgetItem(heading);
    header->setTextAlignment(format == LVCFMT_RIGHT    ? Qt::AlignRight | Qt::AlignVCenter
                             : format == LVCFMT_CENTER ? Qt::AlignCenter
                                                       : Qt::AlignLeft | Qt::AlignVCenter);
    setHorizontalHeaderItem(column, header);
    if (width >= 0)
        setColumnWidth(column, width);
    m_formats.insert(m_formats.begin() + column, format);
    return column;
}

void CReportCtrl::OnColumnInserted(int column) {
    const COLORREF text = ToColorRef(palette().color(QPalette::WindowText));
    const COLORREF back = ToColorRef(palette().color(QPalette::Base));
    for (int row = 0; row < rowCount(); ++row) {
        SRowData& data = m_rows[static_cast<std::size_t>(row)];
        const auto at = static_cast<std::size_t>(std::clamp(column, 0, int(data.text.size())));
        data.text.insert(data.text.begin() + static_cast<std::ptrdiff_t>(at), text);
        data.back.insert(data.back.begin() + static_cast<std::ptrdiff_t>(at), back);
        ApplyColors(row, column);
    }
}

QString CReportCtrl::GetColumnHeading(int column) const {
    const QTableWidgetItem* header = horizontalHeaderItem(column);
    return header != nullptr ? header->text() : QString();
}

QTableWidgetItem* CReportCtrl::Item(int row, int column) {
    QTableWidgetItem* cell = item(row, column);
    if (cell == nullptr) {
        cell = new QTableWidgetItem();
        cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        setItem(row, column, cell);
    }
    return cell;
}

int CReportCtrl::InsertItem(int row, const QString& text) {
    EndEdit(true);
    row = std::clamp(row, 0, rowCount());
    insertRow(row);
    SRowData data;
    const COLORREF textColor = ToColorRef(palette().color(QPalette::WindowText));
    const COLORREF backColor = ToColorRef(palette().color(QPalette::Base));
    data.text.assign(static_cast<std::size_t>(columnCount()), textColor);
    data.back.assign(static_cast<std::size_t>(columnCount()), backColor);
    m_rows.insert(m_rows.begin() + row, std::move(data));
    m_updatingChecks = true;
    for (int column = 0; column < columnCount(); ++column) {
        QTableWidgetItem* cell = Item(row, column);
        if (column == 0 && (m_extendedStyle & LVS_EX_CHECKBOXES) != 0) {
            cell->setFlags(cell->flags() | Qt::ItemIsUserCheckable);
            cell->setCheckState(Qt::Unchecked);
        }
        ApplyColors(row, column);
    }
    SetItemText(row, 0, text);
    m_updatingChecks = false;
    return row;
}

bool CReportCtrl::DeleteItem(int row) {
    if (row < 0 || row >= rowCount())
        return false;
    removeRow(row);
    m_rows.erase(m_rows.begin() + row);
    return true;
}

void CReportCtrl::DeleteAllItems() {
    EndEdit(false);
    setRowCount(0);
    m_rows.clear();
}

bool CReportCtrl::SetItemText(int row, int column, const QString& text) {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return false;
    Item(row, column)->setText(text);
    return true;
}

QString CReportCtrl::GetItemText(int row, int column) const {
    const QTableWidgetItem* cell = item(row, column);
    return cell != nullptr ? cell->text() : QString();
}

bool CReportCtrl::SetItemData(int row, LPARAM value) {
    if (row < 0 || row >= rowCount())
        return false;
    m_rows[static_cast<std::size_t>(row)].value = value;
    return true;
}

CReportCtrl::LPARAM CReportCtrl::GetItemData(int row) const {
    return row >= 0 && row < rowCount() ? m_rows[static_cast<std::size_t>(row)].value : 0;
}

bool CReportCtrl::SetItemTextColor(int row, int column, COLORREF color) {
    std::vector<COLORREF>* colors = ColorsAt(row, column, &SRowData::text);
    if (colors == nullptr)
        return false;
    (*colors)[static_cast<std::size_t>(column)] = color;
    ApplyColors(row, column);
    return true;
}

bool CReportCtrl::SetItemBkColor(int row, int column, COLORREF color) {
    std::vector<COLORREF>* colors = ColorsAt(row, column, &SRowData::back);
    if (colors == nullptr)
        return false;
    (*colors)[static_cast<std::size_t>(column)] = color;
    ApplyColors(row, column);
    return true;
}

COLORREF CReportCtrl::GetItemTextColor(int row, int column) const {
    const std::vector<COLORREF>* colors =
        const_cast<CReportCtrl*>(this)->ColorsAt(row, column, &SRowData::text);
    return colors != nullptr ? (*colors)[static_cast<std::size_t>(column)] : CLR_UNSET;
}

COLORREF CReportCtrl::GetItemBkColor(int row, int column) const {
    const std::vector<COLORREF>* colors =
        const_cast<CReportCtrl*>(this)->ColorsAt(row, column, &SRowData::back);
    return colors != nullptr ? (*colors)[static_cast<std::size_t>(column)] : CLR_UNSET;
}

// The row's colour array when it has an entry for the column: a column inserted before
// OnColumnInserted has none yet in the rows that existed.
std::vector<COLORREF>* CReportCtrl::ColorsAt(int row, int column, std::vector<COLORREF> SRowData::*colors) {
    if (row < 0 || column < 0 || row >= static_cast<int>(m_rows.size()))
        return nullptr;
    std::vector<COLORREF>& array = m_rows[static_cast<std::size_t>(row)].*colors;
    return static_cast<std::size_t>(column) < array.size() ? &array : nullptr;
}

void CReportCtrl::ApplyColors(int row, int column) {
    const SRowData& data = m_rows[static_cast<std::size_t>(row)];
    const auto c = static_cast<std::size_t>(column);
    if (column < 0 || c >= data.text.size() || c >= data.back.size())
        return;
    QTableWidgetItem* cell = Item(row, column);
    cell->setForeground(ToQColor(data.text[c]));
    cell->setBackground(ToQColor(data.back[c]));
}

bool CReportCtrl::SetCheck(int row, bool checked) {
    if (row < 0 || row >= rowCount() || columnCount() == 0)
        return false;
    const bool updating = m_updatingChecks;
    m_updatingChecks = true;
    QTableWidgetItem* cell = Item(row, 0);
    cell->setFlags(cell->flags() | Qt::ItemIsUserCheckable);
    cell->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    m_rows[static_cast<std::size_t>(row)].checked = checked;
    m_updatingChecks = updating;
    return true;
}

bool CReportCtrl::GetCheck(int row) const {
    const QTableWidgetItem* cell = item(row, 0);
    return cell != nullptr && cell->checkState() == Qt::Checked;
}

void CReportCtrl::OnCheckChanged(int row) {
    const bool checked = GetCheck(row);
    for (int other = 0; other < rowCount(); ++other) {
        if (other == row)
            continue;
        if (m_checkMode == eCheckAll || (m_checkMode == eCheckSingle && checked))
            SetCheck(other, m_checkMode == eCheckAll ? checked : false);
    }
    clearSelection();
    selectRow(row);
    setCurrentCell(row, 0);
    Notify(WM_CHECK_CHANGED, static_cast<std::uintptr_t>(row), 0);
}

void CReportCtrl::SetCursorsOn(bool on) {
    m_cursorsOn = on;
    setMouseTracking(on);
    viewport()->setMouseTracking(on);
}

void CReportCtrl::Notify(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    if (auto* target = dynamic_cast<platform::CMessageTarget*>(parentWidget()))
        platform::SendMessage(target, message, wParam, lParam);
}

int CReportCtrl::CompareCells(const QString& a, const QString& b) {
    if (!a.isEmpty() && !b.isEmpty()) {
        std::uint64_t ha = 0, hb = 0;
        if (ParseHex(a, ha) && ParseHex(b, hb))
            return ha < hb ? -1 : (ha > hb ? 1 : 0);
        double da = 0, db = 0;
        if (ParseDecimal(a, da) && ParseDecimal(b, db))
            return Sign(da - db);
    }
    double ta = 0, tb = 0;
    if (ParseListDate(a, ta) && ParseListDate(b, tb))
        return Sign(ta - tb);
    return a.compare(b, Qt::CaseSensitive);
}

void CReportCtrl::OnColumnClick(int column) {
    if (column < 0 || column >= columnCount() || horizontalHeader()->isHidden())
        return;
    const bool ascending = column == m_sortColumn ? !m_ascending : true;
    SortItems(column, ascending);
}

void CReportCtrl::SortItems(int column, bool ascending) {
    EndEdit(true);
    m_sortColumn = column;
    m_ascending = ascending;
    int first = 0;
    for (int row = 0; row <= rowCount(); ++row) {
        const bool boundary =
            row == rowCount() || (!m_separator.isEmpty() && GetItemText(row, column) == m_separator);
        if (boundary) {
            SortRun(first, row - 1, column, ascending);
            first = row + 1;
        }
    }
    Notify(WM_SORTED, static_cast<std::uintptr_t>(column), ascending ? 1 : 0);
}

void CReportCtrl::SortRun(int first, int last, int column, bool ascending) {
    if (last - first < 1)
        return;
    struct SSaved {
        SRowData data;
        std::vector<QTableWidgetItem*> cells;
        bool selected = false;
    };
    std::vector<SSaved> saved;
    for (int row = first; row <= last; ++row) {
        SSaved s;
        s.data = m_rows[static_cast<std::size_t>(row)];
        s.selected = selectionModel()->isRowSelected(row, QModelIndex());
        for (int c = 0; c < columnCount(); ++c)
            s.cells.push_back(takeItem(row, c));
        saved.push_back(std::move(s));
    }
    std::vector<std::size_t> order(saved.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    auto text = [&](std::size_t i) {
        QTableWidgetItem* cell = saved[i].cells[static_cast<std::size_t>(column)];
        return cell != nullptr ? cell->text() : QString();
    };
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const int c = CompareCells(text(a), text(b));
        return ascending ? c < 0 : c > 0;
    });
    m_updatingChecks = true;
    for (std::size_t i = 0; i < order.size(); ++i) {
        const int row = first + static_cast<int>(i);
        SSaved& s = saved[order[i]];
        m_rows[static_cast<std::size_t>(row)] = std::move(s.data);
        for (int c = 0; c < columnCount(); ++c)
            setItem(row, c, s.cells[static_cast<std::size_t>(c)]);
        if (s.selected)
            selectRow(row);
    }
    m_updatingChecks = false;
}

bool CReportCtrl::StartEdit(int row, int column) {
    if (!m_editable || row < 0 || row >= rowCount() || column < 0 || column >= columnCount() ||
        (row == m_editRow && column == m_editColumn) || m_editableColumns.count(column) == 0)
        return false;
    EndEdit(true);
    m_editRow = row;
    m_editColumn = column;
    clearSelection();
    selectRow(row);
    setCurrentCell(row, column);
    if (m_editor == nullptr) {
        m_editor = new QLineEdit(viewport());
        m_editor->installEventFilter(this);
    }
    const int format = m_formats[static_cast<std::size_t>(column)];
    m_editor->setAlignment(format == LVCFMT_RIGHT    ? Qt::AlignRight
                           : format == LVCFMT_CENTER ? Qt::AlignHCenter
                                                     : Qt::AlignLeft);
    m_editor->setFont(font());
    m_editor->setGeometry(EditorRect(row, column));
    m_editor->setText(GetItemText(row, column));
    m_editor->selectAll();
    m_editor->show();
    m_editor->setFocus();
    return true;
}

// The cell's label: a column after the first that shows a small image keeps the image beside the box.
QRect CReportCtrl::EditorRect(int row, int column) const {
    QRect rect = visualRect(model()->index(row, column));
    const QTableWidgetItem* cell = item(row, column);
    if (column > 0 && cell != nullptr && !cell->icon().isNull())
        rect.setLeft(rect.left() + kSmallImageWidth);
    return rect;
}

void CReportCtrl::PlaceEditor() {
    if (m_editor != nullptr && m_editRow >= 0)
        m_editor->setGeometry(EditorRect(m_editRow, m_editColumn));
}

bool CReportCtrl::EndEdit(bool commit) {
    if (m_editRow < 0)
        return false;
    const int row = m_editRow;
    const int column = m_editColumn;
    m_editRow = -1;
    m_editColumn = -1;
    bool changed = false;
    if (m_editor != nullptr) {
        const QString text = m_editor->text();
        if (commit && row < rowCount() && text != GetItemText(row, column)) {
            SetItemText(row, column, text);
            m_sortColumn = -1;
            m_ascending = true;
            changed = true;
        }
        m_editor->hide();
    }
    if (changed)
        Notify(WM_ITEM_EDITED, static_cast<std::uintptr_t>(row), column);
    return changed;
}

bool CReportCtrl::MoveEdit(int row, int column) {
    EndEdit(true);
    if (row < 0 || row >= rowCount())
        return false;
    scrollToItem(Item(row, column));
    return StartEdit(row, column);
}

bool CReportCtrl::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_editor && event->type() == QEvent::KeyPress && m_editRow >= 0) {
        auto* key = static_cast<QKeyEvent*>(event);
        const int row = m_editRow;
        const int column = m_editColumn;
        switch (key->key()) {
        case Qt::Key_Tab:
            MoveEdit(row, column + 1 < columnCount() ? column + 1 : 0);
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            EndEdit(true);
            return true;
        case Qt::Key_Escape:
            EndEdit(false);
            return true;
        case Qt::Key_Up:
            if (row > 0)
                MoveEdit(row - 1, column);
            return true;
        case Qt::Key_Down:
            if (row + 1 < rowCount())
                MoveEdit(row + 1, column);
            return true;
        default:
            break;
        }
    }
    if (watched == m_editor && event->type() == QEvent::FocusOut && m_editRow >= 0)
        EndEdit(true);
    return QTableWidget::eventFilter(watched, event);
}

void CReportCtrl::mousePressEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    const bool wasSelected = index.isValid() && selectionModel()->isRowSelected(index.row(), QModelIndex());
    EndEdit(true);
    m_pressedCell = QPersistentModelIndex();
    // A click on the selected row edits its cell, unless the click turned the row's check box; the
    // box turns as the button comes up, so the edit waits for that.
    if (event->button() == Qt::LeftButton && wasSelected) {
        m_pressedCell = index;
        m_pressedCheck = GetCheck(index.row());
    }
    QTableWidget::mousePressEvent(event);
}

void CReportCtrl::mouseReleaseEvent(QMouseEvent* event) {
    QTableWidget::mouseReleaseEvent(event);
    const QPersistentModelIndex pressed = m_pressedCell;
    m_pressedCell = QPersistentModelIndex();
    if (event->button() != Qt::LeftButton || !pressed.isValid() ||
        indexAt(event->position().toPoint()) != QModelIndex(pressed) ||
        GetCheck(pressed.row()) != m_pressedCheck)
        return;
    StartEdit(pressed.row(), pressed.column());
}

void CReportCtrl::mouseMoveEvent(QMouseEvent* event) {
    if (m_cursorsOn) {
        const int column = columnAt(event->position().toPoint().x());
        const auto found = m_cursors.find(column);
        viewport()->setCursor(found != m_cursors.end() ? found->second : QCursor(Qt::ArrowCursor));
    }
    QTableWidget::mouseMoveEvent(event);
}

void CReportCtrl::keyPressEvent(QKeyEvent* event) {
    // Without an edit the space key would toggle check boxes of the selection.
    if (event->key() == Qt::Key_Space && m_editRow < 0)
        return;
    QTableWidget::keyPressEvent(event);
}

} // namespace controls
