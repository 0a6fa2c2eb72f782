#pragma once

#include "platform/LargeBlock.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class ExcelDocument;
class QWidget;

// Reading two-column measurement data back from delimited text and Excel 97-2003 workbooks.
//
// Results of the readers: 1 read, 0 the file is not what the caller asked for, cannot be read, changed
// while it was read or does not fit in memory (the caller shows its parse-error message). The readers
// without a window also give -1 when they were asked to stop; the window forms report that as 0.
enum : int { kImportCancelled = -1, kImportFailed = 0, kImportOk = 1 };

// Shared between a reading job and whoever watches it: progress as done of total units, the request
// to stop, and whether the file's header named the expected columns.
struct SImportControl {
    std::atomic<bool> cancel{false};
    std::atomic<bool> started{false};
    std::atomic<std::int64_t> done{0};
    std::atomic<std::int64_t> total{0};
};

// What a reader kept and what it dropped.
struct SImportCounts {
    std::size_t rows = 0;    // rows that gave at least one value
    std::size_t dropped = 0; // rows with a missing or non-numeric field, which gave nothing
};

// A column of imported values: a large array, sized once and then written by the reader's threads.
using CImportColumn = platform::CLargeArray<double>;

// Splits at every separator: an empty field between two separators and a leading one are kept, a
// trailing empty field is not, and an empty line gives no field. Returns the field count.
int SplitByChar(QStringList& out, const QString& line, QChar separator);

// The factor of the first of "ns", "μs", "μV", "μA", "ms", "mV", "mA", "nA" and "pA" (μ as U+03BC or
// the micro sign U+00B5) found in the header, as in "Time (ms)", "Time (msec)" or "Current [mAmp]". A
// match must begin a word: one that follows a letter ("rms", "Instrument") does not count. factor is
// 1.0 when there is none (result 0).
int GetUnitScale(const QString& header, double& factor);

// The first line of a data text file: UTF-16LE after FF FE, UTF-8 after EF BB BF, else the ANSI code
// page. A line ends at CR, LF or CR LF. 1 read; 0 when the file cannot be read, is empty or its first
// line is longer than any header of a data file.
int ReadTextHeaderLine(const QString& path, QString& line);

// A value column of a text table: the field it is read from (none when negative: the column stays
// empty), and the (time, value) pairs of the rows whose field 0 and this field both hold numbers.
struct STextColumn {
    int field = -1;
    CImportColumn times;
    CImportColumn values;
};
// Given the header line, fills the columns to read (their fields) and gives true, or gives false when
// the file is not the one expected (as when no column has a field).
using ChooseTextColumns = std::function<bool(const QString& header, std::vector<STextColumn>& columns)>;

// Reads a delimited text table: the header line, then every line that is not blank. A row's time is
// field 0; each column takes the row's value when both are numbers. Rows are read whole however long,
// in parallel for large files; memory grows with the values kept, not with the file. control.cancel
// stops it (-1); 0 when choose refuses the header, a field holds a number with a decimal comma, or
// the file cannot be read whole as it was opened.
int ParseTextTable(const QString& path, QChar separator, const ChooseTextColumns& choose,
                   std::vector<STextColumn>& columns, SImportControl& control,
                   SImportCounts* counts = nullptr);

// The first sheet of a workbook (the rest of the stream is not read), loaded under the control: its
// progress in stream bytes, and its cancel looked at every record. kImportOk; kImportFailed when the
// file is no workbook or has no sheet; kImportCancelled.
int LoadFirstSheet(ExcelDocument& document, const QString& path, SImportControl& control);

// The readers without a window: they run on the calling thread, report progress through control
// and stop with kImportCancelled once control.cancel is set. x and y are replaced in every case.
// A row is kept only when both fields hold numbers; other rows are dropped whole so the columns stay
// paired. A file whose header names the columns but that holds no row gives 1 and empty columns. A
// field whose number stops at a comma and a digit ("1,5", "1,000") fails the file with 0: read as
// its prefix it would be a thousand times off.
int ParseColumnsFromText(CImportColumn& x, const QString& path, QChar separator, const QString& name1,
                         const QString& name2, CImportColumn& y, SImportControl& control,
                         SImportCounts* counts = nullptr);
int ParseColumnsFromXls(const QString& path, const QString& name1, CImportColumn& x, const QString& name2,
                        CImportColumn& y, SImportControl& control, SImportCounts* counts = nullptr);

// The readers the pages call. A text file is read at once on the calling thread; a large one on a
// worker while a progress window, modal to parent's window, shows how far it got and offers Cancel. A
// workbook is read on a worker; its progress window comes once the header named the columns, so a
// workbook that is not the page's fails without one. Cancel gives 0 like a mismatch; on any result
// other than kImportOk the columns are left empty.
int ImportColumnsFromText(CImportColumn& x, const QString& path, QChar separator, const QString& name1,
                          const QString& name2, CImportColumn& y, QWidget* parent = nullptr);
int ImportColumnsFromXls(QWidget* parent, const QString& path, const QString& name1, CImportColumn& x,
                         const QString& name2, CImportColumn& y);
// Work on one file under the rules of the text import: at once on the calling thread when the file is
// small; when it is large, on a worker while a progress window, modal to parent's window, shows the
// job's progress and offers Cancel. The job reports through its control and ends soon after its
// cancel is set; a cancelled job gives kImportFailed.
int RunFileJob(QWidget* parent, const QString& path, const std::function<int(SImportControl&)>& job);
// ParseTextTable under the same rules as the text import.
int ImportTextTable(QWidget* parent, const QString& path, QChar separator, const ChooseTextColumns& choose,
                    std::vector<STextColumn>& columns);
