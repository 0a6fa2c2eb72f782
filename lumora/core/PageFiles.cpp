#include "lumora/core/PageFiles.h"

#include "common/xmlfile/TextHelpers.h"
#include "lumora/LumoraStrings.h"
#include "lumora/controls/ListCtrlEx.h"
#include "lumora/core/MainPreferences.h"
#include "lumora/core/StdioFileEx.h"
#include "lumora/sheetio/ExcelCell.h"
#include "lumora/sheetio/ExcelDocument.h"
#include "lumora/sheetio/ExcelSheet.h"
#include "platform/LargeBlock.h"
#include "platform/MessageBox.h"
#include "platform/Numbers.h"
#include "platform/StringTable.h"
#include "platform/WorkerThreads.h"

#include <algorithm>
#include <new>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kMaxWorkbookSamples = 65535;
// Rows of text are formatted in slices of this many rows: enough slices for every thread to have a few,
// each slice small enough to be written while the next ones are formatted.
constexpr std::size_t kSlicesPerThread = 8;
constexpr std::size_t kMinSliceRows = 512;
constexpr std::size_t kMaxSliceRows = 1 << 16;
// Room a slice starts with per row (a time and a value of the usual widths), and the room one row
// takes at its widest.
constexpr std::size_t kUsualRowBytes = 32;
constexpr std::size_t kWidestRowBytes = 2 * platform::kNumberChars + 3;

// One slice of rows as text, its buffer used again by later slices.
struct STextPiece {
    std::vector<char, platform::CLargeBlockAllocator<char>> bytes;
    std::size_t used = 0;
};

int Failed(int id) {
    platform::StopBox(id);
    return 0;
}

// A file that was begun but not written whole: the text file replaces the old one only once it is
// complete, so nothing cut off is left and the previous file is there as it was.
int WriteFailed() {
    return Failed(IDS_WRITE_FAILED);
}

bool OpenForWriting(CStdioFileEx& file, const QString& path) {
    return file.Open(path, CStdioFileEx::modeCreate | CStdioFileEx::modeWrite | CStdioFileEx::typeText);
}

} // namespace

int WriteTimeValueText(const QString& path, std::string_view header, char separator, const double* x,
                       const double* y, std::size_t n, const MainPreferences& preferences) {
    CStdioFileEx file;
    if (!OpenForWriting(file, path))
        return Failed(IDS_FILE_CREATE_FAILED);
    const SMeasuredValueFormat format(preferences);
    // The rows in slices, formatted on several threads and written in their order, each slice in one
    // write; the few slices in flight are all the memory the export takes.
    const unsigned threads = platform::WorkThreads();
    const std::size_t sliceRows = std::clamp(n / (threads * kSlicesPerThread), kMinSliceRows, kMaxSliceRows);
    const std::size_t slices = (n + sliceRows - 1) / sliceRows;
    std::vector<STextPiece> pieces(std::min<std::size_t>(slices, std::size_t{2} * threads));
    const auto formatSlice = [&](std::size_t slice, STextPiece& piece) {
        const std::size_t first = slice * sliceRows, end = std::min(n, first + sliceRows);
        // A whole slice of the largest size takes one huge page.
        const std::size_t room = std::max((end - first) * kUsualRowBytes, 2 * kWidestRowBytes);
        if (piece.bytes.size() < room)
            piece.bytes.resize(room);
        char* at = piece.bytes.data();
        for (std::size_t i = first; i < end; ++i) {
            if (static_cast<std::size_t>(piece.bytes.data() + piece.bytes.size() - at) < kWidestRowBytes) {
                const std::size_t used = static_cast<std::size_t>(at - piece.bytes.data());
                piece.bytes.resize(2 * piece.bytes.size());
                at = piece.bytes.data() + used;
            }
            at = FormatDoubleChars(at, 8, x[i]);
            *at++ = separator;
            at = format.Format(at, y[i]);
            *at++ = '\r';
            *at++ = '\n';
        }
        piece.used = static_cast<std::size_t>(at - piece.bytes.data());
    };
    const auto writeSlice = [&](std::size_t, const STextPiece& piece) {
        return file.WriteAnsi(std::string_view(piece.bytes.data(), piece.used));
    };
    bool written = file.WriteAnsi(header) && file.WriteAnsi("\r\n");
    try {
        written = written && platform::MakeInOrder(slices, threads, pieces, formatSlice, writeSlice);
    } catch (const std::bad_alloc&) {
        written = false;
    }
    if (!written) {
        file.Abandon();
        return WriteFailed();
    }
    if (!file.Close())
        return WriteFailed();
    return 1;
}

int WriteTimeValueWorkbook(const QString& path, const char* sheetName, const char* valueName, const double* x,
                           const double* y, std::size_t n) {
    if (n >= kMaxWorkbookSamples)
        return Failed(IDS_XLS_TOO_MANY_ROWS);
    ExcelDocument document;
    document.New();
    if (!document.RenameSheet("Sheet1", sheetName))
        return 0;
    ExcelSheet* sheet = document.GetSheetByName(sheetName);
    if (sheet == nullptr)
        return 0;
    sheet->Cell(0, 0)->SetString("Time");
    sheet->Cell(0, 1)->SetString(valueName);
    for (std::size_t i = 0; i < n; ++i) {
        for (int column = 0; column < 2; ++column) {
            ExcelCell* cell = sheet->Cell(static_cast<int>(i + 1), column);
            cell->type = ExcelCell::eDouble;
            cell->dval = column == 0 ? x[i] : y[i];
        }
    }
    if (!document.SaveAs(path))
        return Failed(IDS_FILE_CREATE_FAILED);
    return 1;
}

int WriteListText(const QString& path, const controls::CListCtrlEx& list) {
    CStdioFileEx file;
    if (!OpenForWriting(file, path))
        return Failed(IDS_FILE_CREATE_FAILED);
    QString text;
    for (int column = 0; column < list.GetColumnCount(); ++column)
        text += list.GetColumnHeading(column) + u'\t';
    text += QStringLiteral("\r\n");
    for (int row = 0; row < list.GetItemCount(); ++row) {
        for (int column = 0; column < list.GetColumnCount(); ++column)
            text += list.GetItemText(row, column) + u'\t';
        text += QStringLiteral("\r\n");
    }
    const bool written = file.WriteString(text);
    if (!file.Close() || !written)
        return WriteFailed();
    return 1;
}
