#pragma once

// The benchmark's workbook: 65,535 rows by 4 columns of doubles, and its reading, shared by the
// benchmark and the program that reads it once as a fresh process.
#include "lumora/sheetio/ExcelDocument.h"

#include <cstddef>
#include <filesystem>
#include <vector>

namespace sheetbench {

constexpr int ROWS = 65535;
constexpr int COLS = 4;

// The same expression as the peer script's, so both sides check the very same doubles.
inline double Value(int r, int c) {
    return (r * COLS + c + 1) * 1.000000001e-7 + c;
}

// Every value of the first sheet, row by row; empty when the file does not load.
inline std::vector<double> ReadValues(const std::filesystem::path& path) {
    std::vector<double> values;
    ExcelDocument doc;
    if (!doc.Load(path) || !doc.GetSheet(0))
        return values;
    const ExcelSheet* sheet = doc.GetSheet(0);
    values.reserve(static_cast<size_t>(sheet->GetTotalRows()) * static_cast<size_t>(sheet->GetTotalCols()));
    for (int r = 0; r < sheet->GetTotalRows(); ++r)
        for (int c = 0; c < sheet->GetTotalCols(); ++c)
            values.push_back(sheet->CellAt(r, c)->GetDouble());
    return values;
}

// Values that differ from the ones written (all of them when the count differs).
inline int Mismatches(const std::vector<double>& values) {
    if (values.size() != static_cast<size_t>(ROWS) * COLS)
        return ROWS * COLS;
    int wrong = 0;
    for (int r = 0; r < ROWS; ++r)
        for (int c = 0; c < COLS; ++c)
            wrong += values[static_cast<size_t>(r) * COLS + c] != Value(r, c);
    return wrong;
}

} // namespace sheetbench
