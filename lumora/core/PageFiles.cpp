#include "lumora/core/PageFiles.h"

#include "common/xmlfile/TextHelpers.h"
#include "lumora/controls/ListCtrlEx.h"
#include "lumora/core/MainPreferences.h"
#include "lumora/core/StdioFileEx.h"
#include "lumora/core/WriteFailure.h"
#include "lumora/sheetio/ExcelCell.h"
#include "lumora/sheetio/ExcelDocument.h"
#include "lumora/sheetio/ExcelSheet.h"
#include "platform/MessageBox.h"
#include "platform/Numbers.h"
#include "platform/StringTable.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kMaxWorkbookSamples = 65535;
// Text is formatted into pieces of about this size and written piece by piece.
constexpr std::size_t kPieceBytes = 1 << 20;

int Failed(int id) {
    platform::MessageBox(platform::LoadString(id), platform::MB_ICONSTOP);
    return 0;
}

// A file that was begun but not written whole: the text file replaces the old one only once it is
// complete, so nothing cut off is left and the previous file is there as it was.
int WriteFailed() {
    return Failed(kWriteFailedId);
}

bool OpenForWriting(CStdioFileEx& file, const QString& path) {
    return file.Open(path, CStdioFileEx::modeCreate | CStdioFileEx::modeWrite | CStdioFileEx::typeText);
}

} // namespace

int WriteTimeValueText(const QString& path, std::string_view header, char separator, const double* x,
                       const double* y, std::size_t n, const MainPreferences& preferences) {
    CStdioFileEx file;
    if (!OpenForWriting(file, path))
        return Failed(51504);
    const SMeasuredValueFormat format(preferences);
    // Room for a whole piece and one more line of two numbers at their widest.
    std::vector<char> piece(kPieceBytes + 2 * platform::kNumberChars + 8);
    char* const begin = piece.data();
    char* at = std::copy(header.begin(), header.end(), begin);
    *at++ = '\r';
    *at++ = '\n';
    bool written = true;
    for (std::size_t i = 0; i < n && written; ++i) {
        at = FormatDoubleChars(at, 8, x[i]);
        *at++ = separator;
        at = format.Format(at, y[i]);
        *at++ = '\r';
        *at++ = '\n';
        if (static_cast<std::size_t>(at - begin) >= kPieceBytes) {
            written = file.WriteAnsi(std::string_view(begin, static_cast<std::size_t>(at - begin)));
            at = begin;
        }
    }
    written = written && file.WriteAnsi(std::string_view(begin, static_cast<std::size_t>(at - begin)));
    if (!file.Close() || !written)
        return WriteFailed();
    return 1;
}

int WriteTimeValueWorkbook(const QString& path, const char* sheetName, const char* valueName, const double* x,
                           const double* y, std::size_t n) {
    if (n >= kMaxWorkbookSamples)
        return Failed(51529);
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
        return Failed(51504);
    return 1;
}

int WriteListText(const QString& path, const controls::CListCtrlEx& list) {
    CStdioFileEx file;
    if (!OpenForWriting(file, path))
        return Failed(51504);
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
