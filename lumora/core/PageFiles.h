#pragma once

#include <QString>
#include <cstddef>
#include <string_view>

namespace controls {
class CListCtrlEx;
}
struct MainPreferences;

// Files the measurement pages write. Each reports its own failure with a message box and gives 0:
// IDS_FILE_CREATE_FAILED when the file cannot be created; IDS_WRITE_FAILED when a write or the close failed
// (a full disk). Text files replace the old file only once they are whole, so a failed save leaves the
// previous file as it was and nothing cut off.

// The header line, then per sample the time as FormatDouble with 8 decimals, the separator and the
// value as FormatMeasuredValue writes it; lines end in "\r\n".
int WriteTimeValueText(const QString& path, std::string_view header, char separator, const double* x,
                       const double* y, std::size_t n, const MainPreferences& preferences);

// An Excel 97-2003 workbook of one sheet: "Time" and the value's name, then the samples as numbers.
// 65,535 samples or more do not fit (IDS_XLS_TOO_MANY_ROWS); a failed rename of the sheet gives 0 silently.
int WriteTimeValueWorkbook(const QString& path, const char* sheetName, const char* valueName, const double* x,
                           const double* y, std::size_t n);

// The statistics table as text: the column headers, then each row, every cell followed by a tab.
int WriteListText(const QString& path, const controls::CListCtrlEx& list);
