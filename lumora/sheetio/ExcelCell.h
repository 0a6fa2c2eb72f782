#pragma once

#include "lumora/sheetio/ExcelFormula.h"

#include <cstdint>
#include <memory>
#include <string>

// The value fields of a cell, kept small: a sheet holds many cells. The integer and the double
// share their room; the cell's type says which one holds the value.
struct ExcelCellFields {
    uint16_t type = 0;
    uint16_t mergedRows = 1;
    uint16_t mergedColumns = 1;
    uint16_t XFRecordIndex = 0;
    union {
        int32_t ival;
        double dval = 0.0;
    };
};

// One cell of a sheet. 8-bit texts are Latin-1 (BIFF8's compressed characters); wide texts are UTF-16.
// A boolean keeps 0 or 1 and an error its BIFF8 error code in the integer value.
class ExcelCell : public ExcelCellFields {
public:
    enum eType {
        eUndefined = 0,
        eInt = 1,
        eDouble = 2,
        eString = 3,
        eWString = 4,
        eFormula = 5,
        eBool = 6,
        eError = 7
    };

    ExcelCell() = default;
    ExcelCell(const ExcelCell& other);
    ExcelCell(ExcelCell&&) noexcept = default;
    ExcelCell& operator=(const ExcelCell& other);
    ExcelCell& operator=(ExcelCell&&) noexcept = default;
    ~ExcelCell() = default;

    int GetInteger() const;
    double GetDouble() const;
    // Null unless the cell holds such a text (a formula gives its string result, possibly empty).
    const char* GetString() const;
    const char16_t* GetWString() const;

    void SetString(const char* text);
    void SetWString(const char16_t* text);
    // Cells loaded from one shared string hold the same text instead of a copy each.
    void SetSharedString(std::shared_ptr<const std::string> text);
    void SetSharedWString(std::shared_ptr<const std::u16string> text);
    void SetBoolean(bool value);
    void SetError(uint8_t code);
    void SetFormula(const ExcelFormula::Record& formula);
    void SetRkValue(uint32_t rk);

    // The formula holder of a type 5 cell, else null.
    const std::shared_ptr<const ExcelFormula>& GetFormula() const;

private:
    // Texts and formulas live apart, so a grid of numbers stays small.
    struct Payload {
        std::shared_ptr<const std::string> text;
        std::shared_ptr<const std::u16string> wtext;
        std::shared_ptr<const ExcelFormula> formula;
    };
    Payload& Content();

    std::unique_ptr<Payload> m_payload;
};
