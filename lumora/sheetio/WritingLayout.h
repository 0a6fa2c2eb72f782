#pragma once

#include "lumora/sheetio/Workbook.h"
#include "lumora/sheetio/Worksheet.h"

#include <memory>
#include <vector>

class ExcelSheet;

// How Save turns the cells of every sheet into records and fixes the positions they carry.
namespace SheetIO {

// Rebuilds the shared strings and each sheet's INDEX, COLINFO, DIMENSIONS, row blocks and merged
// ranges. The worksheet list is sized to the sheets. False when a text is too long for a record.
bool CellsToRecords(Workbook& workbook, std::vector<std::unique_ptr<Worksheet>>& worksheets,
                    const std::vector<std::unique_ptr<ExcelSheet>>& sheets);

// Sets the BOUNDSHEET positions (bound sheet i is worksheet i), the INDEX entries and the DBCELL offsets.
void FixStreamPositions(Workbook& workbook, std::vector<std::unique_ptr<Worksheet>>& worksheets);

} // namespace SheetIO
