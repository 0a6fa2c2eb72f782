// Saving, apart from loading, so that a program that only reads links nothing that writes.
#include "lumora/sheetio/ExcelDocument.h"

#include "lumora/sheetio/CompoundFormat.h"
#include "lumora/sheetio/WritingLayout.h"

#include <algorithm>
#include <new>
#include <string>
#include <unordered_set>

using namespace SheetIO;

void ExcelDocument::AlignBoundSheets() {
    std::vector<Workbook::BoundSheet> aligned(m_worksheets.size());
    std::vector<bool> named(m_worksheets.size(), false);
    for (size_t i = 0; i < m_boundToWorksheet.size() && i < m_workbook.m_boundSheets.size(); ++i) {
        const int w = m_boundToWorksheet[i];
        if (w >= 0 && static_cast<size_t>(w) < aligned.size()) {
            aligned[static_cast<size_t>(w)] = m_workbook.m_boundSheets[i];
            named[static_cast<size_t>(w)] = true;
        }
    }
    // A worksheet no bound sheet pointed at gets the first name "Sheet<n>" from n = its position + 1
    // on that no other sheet has. The names below the last one given are all taken by then, so the
    // search goes on from there: each number is tried once, whatever the number of sheets.
    std::unordered_set<std::string> taken;
    for (size_t w = 0; w < aligned.size(); ++w)
        if (named[w] && !aligned[w].name.wide)
            taken.insert(aligned[w].name.narrow);
    size_t next = 1;
    for (size_t w = 0; w < aligned.size(); ++w) {
        if (named[w])
            continue;
        for (next = std::max(next, w + 1);; ++next) {
            std::string name = "Sheet" + std::to_string(next);
            if (taken.insert(name).second) {
                aligned[w].name = CXLString(name);
                break;
            }
        }
        named[w] = true;
    }
    m_workbook.m_boundSheets.clear();
    for (Workbook::BoundSheet& sheet : aligned) {
        sheet.type = 0;
        m_workbook.m_boundSheets.push_back(std::move(sheet));
    }
    m_boundToWorksheet.resize(m_worksheets.size());
    for (size_t w = 0; w < m_worksheets.size(); ++w)
        m_boundToWorksheet[w] = static_cast<int>(w);
}

bool ExcelDocument::Save() {
    if (!m_storage || !m_storage->IsWritable())
        return false;
    try {
        return WriteWorkbook();
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool ExcelDocument::WriteWorkbook() {
    // Every cell is turned into records before the file is touched.
    if (!CellsToRecords(m_workbook, m_worksheets, m_sheets))
        return false;
    AlignBoundSheets();
    // The active and the first shown tab must name a sheet that is written.
    Workbook::Window1& window = m_workbook.m_window1;
    if (window.activeSheet >= m_worksheets.size())
        window.activeSheet = 0;
    if (window.firstVisibleTab >= m_worksheets.size())
        window.firstVisibleTab = 0;
    FixStreamPositions(m_workbook, m_worksheets);

    uint64_t total = m_workbook.RecordSize();
    for (auto& ws : m_worksheets)
        total += ws->RecordSize();
    if (total > SheetIO::compound::MAX_STREAM_BYTES)
        return false;
    // The stream goes to the file a piece at a time (the globals, then each sheet's leading
    // records, row blocks and closing records), each written in place into the file's buffer, so
    // a save holds no copy of the whole stream.
    return m_storage->WriteStream(STREAM_NAME, total, [&](const CCompoundStorage::Sink& sink) {
        bool ok = sink(m_workbook.RecordSize(), [&](uint8_t* bytes) { return m_workbook.Write(bytes); });
        for (auto& ws : m_worksheets)
            ok = ok && ws->WriteTo(sink);
        return ok;
    }) == 1;
}

bool ExcelDocument::SaveAs(const QString& path) {
    m_storage.reset();
    m_storage = CCompoundStorage::Create(path);
    if (!m_storage)
        return false;
    if (m_storage->CreateStream(STREAM_NAME) != 1)
        return false;
    return Save();
}
