// Loads arbitrary bytes as a workbook: an input that starts with the compound document signature is
// the whole file, any other input is the "Workbook" stream of a compound document around it.
#include "lumora/sheetio/CompoundStorage.h"
#include "lumora/sheetio/ExcelDocument.h"

#include <QFile>
#include <QString>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <unistd.h>

namespace {

const QString& InputPath() {
    static const QString path = QStringLiteral("/tmp/fuzz_excel_load_%1.xls").arg(getpid());
    return path;
}

bool WriteInput(const uint8_t* data, size_t size) {
    static const uint8_t signature[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    if (size >= sizeof signature && std::memcmp(data, signature, sizeof signature) == 0) {
        QFile file(InputPath());
        return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
               file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) ==
                   static_cast<qint64>(size);
    }
    auto storage = SheetIO::CCompoundStorage::Create(InputPath());
    return storage && storage->CreateStream("Workbook") == 1 &&
           storage->WriteStream("Workbook", data, size) == 1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!WriteInput(data, size))
        return 0;
    ExcelDocument doc;
    if (!doc.Load(InputPath()))
        return 0;
    // Read every cell the way the importing pages do.
    double sum = 0;
    for (size_t i = 0; i < doc.GetTotalSheets(); ++i) {
        ExcelSheet* sheet = doc.GetSheet(i);
        for (int r = 0; r < sheet->GetTotalRows() && r < 64; ++r)
            for (int c = 0; c < sheet->GetTotalCols(); ++c) {
                const ExcelCell* cell = sheet->CellAt(r, c);
                sum += cell->GetDouble() + cell->GetInteger();
                if (const char* text = cell->GetString())
                    sum += static_cast<double>(std::strlen(text));
                if (const char16_t* wide = cell->GetWString())
                    sum += wide[0];
            }
    }
    // The import's load of the first sheet alone sees the same first sheet.
    ExcelDocument first;
    ExcelDocument::SLoadControl control;
    control.sheets = 1;
    if (!first.Load(InputPath(), control))
        __builtin_trap();
    if (doc.GetTotalSheets() > 0 && (first.GetTotalSheets() != 1 ||
                                     first.GetSheet(0)->GetTotalRows() != doc.GetSheet(0)->GetTotalRows() ||
                                     first.GetSheet(0)->GetTotalCols() != doc.GetSheet(0)->GetTotalCols()))
        __builtin_trap();
    // The writer takes whatever cells the reader made: the first rows of the first sheet are
    // saved into a new workbook, which must load again with the same grid.
    if (doc.GetTotalSheets() > 0) {
        const ExcelSheet* from = doc.GetSheet(0);
        ExcelDocument copy;
        copy.New();
        ExcelSheet* to = copy.GetSheet(0);
        const int rows = std::min(from->GetTotalRows(), 64);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < from->GetTotalCols(); ++c)
                *to->Cell(r, c) = *from->CellAt(r, c);
        const QString saved = InputPath() + QStringLiteral(".saved.xls");
        if (copy.SaveAs(saved)) {
            ExcelDocument back;
            if (!back.Load(saved) || back.GetTotalSheets() != 1 || back.GetSheet(0)->GetTotalRows() != rows ||
                back.GetSheet(0)->GetTotalCols() != from->GetTotalCols())
                __builtin_trap();
        }
        QFile::remove(saved);
    }
    doc.GetSheetByName("Sheet1");
    doc.RenameSheet("Sheet1", "Current");
    volatile double sink = sum;
    (void)sink;
    return 0;
}
