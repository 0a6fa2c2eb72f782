#pragma once

#include "lumora/sheetio/CompoundStorage.h"
#include "lumora/sheetio/ExcelSheet.h"
#include "lumora/sheetio/Workbook.h"
#include "lumora/sheetio/Worksheet.h"

#include <QFile>
#include <QString>

#include <atomic>
#include <cstdint>
#include <filesystem>
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

    // What a caller may ask of a load besides the file.
    struct SLoadControl {
        // Worksheets to read, in stream order; the stream after the last of them is not read.
        size_t sheets = SIZE_MAX;
        // Set (from any thread) to stop the load: Load then returns false and keeps nothing.
        const std::atomic<bool>* cancel = nullptr;
        // Stream bytes read so far and the stream's size, for a progress display.
        std::atomic<std::int64_t>* done = nullptr;
        std::atomic<std::int64_t>* total = nullptr;
    };

    // A workbook of one empty sheet named "Sheet1"; no file is created.
    void New();
    // False when the file is no compound document or does not fit in memory; a damaged stream
    // loads what is sound. The path as the file system spells it, or as text.
    bool Load(const std::filesystem::path& path);
    bool Load(const std::filesystem::path& path, const SLoadControl& control);
    bool Load(const QString& path) { return Load(path, SLoadControl()); }
    bool Load(const QString& path, const SLoadControl& control) {
        return Load(std::filesystem::path(QFile::encodeName(path).toStdString()), control);
    }
    // Writes the "Workbook" stream into the storage created by SaveAs; false after Load. The file
    // is replaced only by a complete workbook: a refused or failed save leaves the old file.
    bool Save();
    bool SaveAs(const QString& path);

    // Names compare exactly. The 8-bit name is UTF-8 (Latin-1 when it is no valid UTF-8) where it
    // meets a name stored in 16-bit characters.
    ExcelSheet* GetSheetByName(const char* name);
    bool RenameSheet(const char* oldName, const char* newName);

    size_t GetTotalSheets() const { return m_sheets.size(); }
    // The sheet at stream position 'index', null beyond the last.
    ExcelSheet* GetSheet(size_t index);

private:
    static constexpr const char* STREAM_NAME = "Workbook";

    static bool NarrowNameIs(const SheetIO::Workbook::BoundSheet& sheet, const char* name);
    static bool NameIs(const SheetIO::Workbook::BoundSheet& sheet, const char* name);
    void Reset();
    void ParseStream(SheetIO::CCompoundStorage::CStreamReader& reader, const SLoadControl& control);
    bool WriteWorkbook();
    void BuildSheets();
    // Column information, the 1 x 1 grid of a sheet without cells, and the merged ranges.
    void FinishSheet(ExcelSheet& sheet, SheetIO::Worksheet& ws, const std::atomic<bool>* cancel = nullptr);
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
