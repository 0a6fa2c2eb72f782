#pragma once

#include "lumora/sheetio/CompoundStorage.h"
#include "lumora/sheetio/ExcelSheet.h"
#include "lumora/sheetio/Workbook.h"
#include "lumora/sheetio/Worksheet.h"

#include <QString>

#include <memory>
#include <vector>

// An Excel 97-2003 workbook: its compound document, the workbook-global records, the records of
// each worksheet and one sheet of cells per worksheet.
class ExcelDocument {
public:
    ExcelDocument();
    ~ExcelDocument();
    ExcelDocument(const ExcelDocument&) = delete;
    ExcelDocument& operator=(const ExcelDocument&) = delete;

    // A workbook of one empty sheet named "Sheet1"; no file is created.
    void New();
    // False only when the file is no compound document; a damaged stream loads what is sound.
    bool Load(const QString& path);
    // Writes the "Workbook" stream into the storage created by SaveAs; false after Load.
    bool Save();
    bool SaveAs(const QString& path);

    // Sheet names are 8-bit (Latin-1) and compare exactly; sheets with 16-bit names are skipped.
    ExcelSheet* GetSheetByName(const char* name);
    bool RenameSheet(const char* oldName, const char* newName);

    size_t GetTotalSheets() const { return m_sheets.size(); }
    // The sheet at stream position 'index', null beyond the last.
    ExcelSheet* GetSheet(size_t index);

private:
    static constexpr const char* STREAM_NAME = "Workbook";

    void Reset();
    void ParseStream(const std::vector<uint8_t>& stream);
    void BuildSheets();
    void BuildSheet(ExcelSheet& sheet, SheetIO::Worksheet& ws);
    // Worksheet of each bound sheet, found by the sheet's stream position; -1 when none matches.
    void MapBoundSheets();
    // Before writing: bound sheet i describes worksheet i.
    void AlignBoundSheets();

    std::unique_ptr<SheetIO::CCompoundStorage> m_storage;
    SheetIO::Workbook m_workbook;
    std::vector<std::unique_ptr<SheetIO::Worksheet>> m_worksheets;
    std::vector<uint32_t> m_worksheetPositions;
    std::vector<int> m_boundToWorksheet;
    std::vector<std::unique_ptr<ExcelSheet>> m_sheets;
};
