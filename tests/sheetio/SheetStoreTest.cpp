// The cells of a sheet, reached in any order: each cell holds what was put in it, a cell pointer
// stays valid as other cells are reached, cells never reached read as empty, and a saved sheet
// loads back with the same cells.
#include "TempFolder.h"
#include "lumora/sheetio/ExcelDocument.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <random>
#include <utility>
#include <vector>

namespace {

using CellList = std::vector<std::pair<int, int>>;

struct SOrderCase {
    const char* name;
    std::function<CellList()> cells; // in the order they are reached
};

void PrintTo(const SOrderCase& c, std::ostream* out) {
    *out << c.name;
}

double ValueOf(int r, int c) {
    return r * 1000.0 + c + 0.25;
}

CellList Grid(int rows, int cols, int firstRow = 0) {
    CellList cells;
    for (int r = firstRow; r < firstRow + rows; ++r)
        for (int c = 0; c < cols; ++c)
            cells.emplace_back(r, c);
    return cells;
}

CellList Then(CellList a, const CellList& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

void ExpectHolds(const ExcelSheet& sheet, const std::map<std::pair<int, int>, double>& expected) {
    int maxRow = 0, maxCol = 0;
    for (const auto& [at, v] : expected) {
        maxRow = std::max(maxRow, at.first);
        maxCol = std::max(maxCol, at.second);
    }
    ASSERT_EQ(sheet.GetTotalRows(), maxRow + 1);
    ASSERT_EQ(sheet.GetTotalCols(), maxCol + 1);
    std::vector<const ExcelCell*> row(static_cast<size_t>(sheet.GetTotalCols()));
    int wrong = 0;
    for (int r = 0; r < sheet.GetTotalRows(); ++r) {
        sheet.RowCells(r, row.data());
        for (int c = 0; c < sheet.GetTotalCols(); ++c) {
            const auto it = expected.find({r, c});
            const ExcelCell* cell = sheet.CellAt(r, c);
            const bool right = it == expected.end()
                                   ? cell->type == ExcelCell::eUndefined
                                   : cell->type == ExcelCell::eDouble && cell->GetDouble() == it->second;
            if ((!right || row[static_cast<size_t>(c)] != cell) && ++wrong <= 5)
                ADD_FAILURE() << "cell (" << r << "," << c << ")";
        }
    }
    EXPECT_EQ(wrong, 0);
}

class SheetStore : public ::testing::TestWithParam<SOrderCase> {};

TEST_P(SheetStore, HoldsEveryCellWhateverTheOrder) {
    const CellList cells = GetParam().cells();
    TempFolder dir;
    ExcelDocument doc;
    doc.New();
    ExcelSheet& sheet = *doc.GetSheet(0);
    std::map<std::pair<int, int>, double> expected;
    std::map<std::pair<int, int>, ExcelCell*> pointers;
    for (const auto& [r, c] : cells) {
        ExcelCell* cell = sheet.Cell(r, c);
        ASSERT_NE(cell, nullptr);
        // A cell reached again is the same cell.
        const auto known = pointers.find({r, c});
        if (known != pointers.end()) {
            ASSERT_EQ(known->second, cell) << r << "," << c;
        }
        pointers[{r, c}] = cell;
        cell->type = ExcelCell::eDouble;
        cell->dval = ValueOf(r, c);
        expected[{r, c}] = cell->dval;
    }
    // Pointers taken early still lead to their own cells.
    for (const auto& [at, cell] : pointers)
        ASSERT_EQ(cell, sheet.Cell(at.first, at.second));
    ExpectHolds(sheet, expected);

    const QString path = dir.File("order.xls");
    ASSERT_TRUE(doc.SaveAs(path));
    ExcelDocument back;
    ASSERT_TRUE(back.Load(path));
    ExpectHolds(*back.GetSheet(0), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Sheet, SheetStore,
    ::testing::Values(SOrderCase{"Grid", [] { return Grid(3000, 4); }},
                      SOrderCase{"OneColumn", [] { return Grid(9000, 1); }},
                      SOrderCase{"FullWidth", [] { return Grid(40, 256); }},
                      // A row longer than the rows before it, then rows as long as the first ones again.
                      SOrderCase{"LongerRow",
                                 [] {
                                     return Then(Then(Grid(100, 4),
                                                      {{100, 0}, {100, 1}, {100, 2}, {100, 3}, {100, 4}}),
                                                 Grid(50, 4, 101));
                                 }},
                      SOrderCase{"ShorterRow",
                                 [] { return Then(Then(Grid(100, 4), Grid(1, 2, 100)), Grid(50, 4, 101)); }},
                      SOrderCase{"HeaderOfOne", [] { return Then(Grid(1, 1), Grid(500, 2, 1)); }},
                      SOrderCase{"GapInARow",
                                 [] {
                                     return Then(Then(Grid(100, 4), {{100, 0}, {100, 2}}), Grid(20, 4, 101));
                                 }},
                      // Back into rows already complete: beyond their end, and inside them again.
                      SOrderCase{"BackBeyondTheFirstRow",
                                 [] {
                                     return Then(Grid(5000, 3), {{0, 7}, {4999, 9}, {2500, 3}});
                                 }},
                      SOrderCase{"BackInsideTheGrid",
                                 [] {
                                     return Then(Grid(5000, 3), {{17, 1}, {4999, 2}, {0, 0}});
                                 }},
                      SOrderCase{"LastRowGrowsAfterAGap",
                                 [] {
                                     return Then(Grid(300, 3), {{299, 5}, {299, 4}});
                                 }},
                      SOrderCase{"RowsDownward",
                                 [] {
                                     CellList cells;
                                     for (int r = 2000; r >= 0; --r)
                                         for (int c = 0; c < 3; ++c)
                                             cells.emplace_back(r, c);
                                     return cells;
                                 }},
                      SOrderCase{"ColumnByColumn",
                                 [] {
                                     CellList cells;
                                     for (int c = 0; c < 4; ++c)
                                         for (int r = 0; r < 3000; ++r)
                                             cells.emplace_back(r, c);
                                     return cells;
                                 }},
                      SOrderCase{"Shuffled",
                                 [] {
                                     CellList cells = Grid(400, 12);
                                     std::mt19937 random(19);
                                     std::shuffle(cells.begin(), cells.end(), random);
                                     cells.resize(3000);
                                     return cells;
                                 }},
                      SOrderCase{"SparseDiagonal",
                                 [] {
                                     CellList cells;
                                     for (int r = 0; r < 2100; r += 7)
                                         cells.emplace_back(r, r % 256);
                                     return cells;
                                 }}),
    [](const ::testing::TestParamInfo<SOrderCase>& param) { return std::string(param.param.name); });

} // namespace
