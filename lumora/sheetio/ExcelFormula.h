#pragma once

#include "lumora/sheetio/Worksheet.h"

#include <string>

// The formula of a cell: the FORMULA record with its sub-record and STRING record, and its string
// result in 8-bit and 16-bit form. Cells share it; it is never changed after it is built.
class ExcelFormula {
public:
    using Record = SheetIO::Worksheet::CellTable::RowBlock::CellBlock::Formula;

    explicit ExcelFormula(const Record& formula);

    // BIFF8 marks string, boolean and error results by 0xFF in the two last result bytes.
    bool HasNumericResult() const;
    double NumericResult() const;

    const Record& GetRecord() const { return m_record; }
    // Empty unless the result is an 8-bit string.
    const std::string& Text() const { return m_text; }
    // The string result in 16-bit form (also for an 8-bit result); empty without a string.
    const std::u16string& WText() const { return m_wtext; }

private:
    Record m_record;
    std::string m_text;
    std::u16string m_wtext;
};
