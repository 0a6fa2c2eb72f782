#pragma once

#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <vector>

class QWidget;

// Reading two-column measurement data back from delimited text and Excel 97-2003 workbooks.
//
// Results of the readers: 1 read, 0 the file is not what the caller asked for (the caller shows its
// parse-error message), -1 the user cancelled (no message: nothing went wrong).
enum : int { kImportCancelled = -1, kImportFailed = 0, kImportOk = 1 };

// What the pages show when a reader gives kImportFailed (UTF-8).
// "错误：数据文件解析错误，可能是格式不匹配！"
inline constexpr int kParseErrorId = 35026;

// Shared between a reading job and whoever watches it: progress as done of total units, and the
// request to stop.
struct SImportControl {
    std::atomic<bool> cancel{false};
    std::atomic<std::int64_t> done{0};
    std::atomic<std::int64_t> total{0};
};

// What a reader kept and what it dropped.
struct SImportCounts {
    std::size_t rows = 0;    // rows appended to both columns
    std::size_t dropped = 0; // rows with a missing, blank or non-numeric field
};

// Splits at every separator: an empty field between two separators and a leading one are kept, a
// trailing empty field is not, and an empty line gives no field. Returns the field count.
int SplitByChar(QStringList& out, const QString& line, QChar separator);

// The factor of a unit token of the header: a standalone or bracketed word made of a prefix (p, n,
// µ or μ, m) and a unit (s, V, A), as in "Time (ms)" or "Current [μA]". Words that merely contain
// such letters ("Instrument", "rms") do not count. factor is 1.0 when there is none (result 0).
int GetUnitScale(const QString& header, double& factor);

// The readers without a window: they run on the calling thread, report progress through control
// and stop with kImportCancelled once control.cancel is set. x and y are replaced in every case.
// A row is kept only when both fields are numbers; other rows are dropped whole so the columns
// stay paired. No numeric row at all is a failure.
int ParseColumnsFromText(std::vector<double>& x, const QString& path, QChar separator, const QString& name1,
                         const QString& name2, std::vector<double>& y, SImportControl& control,
                         SImportCounts* counts = nullptr);
int ParseColumnsFromXls(const QString& path, const QString& name1, std::vector<double>& x,
                        const QString& name2, std::vector<double>& y, SImportControl& control,
                        SImportCounts* counts = nullptr);

// The readers the pages call: the file is read on a worker thread while a progress window, modal to
// parent's window, shows how far it got and offers Cancel. On any result other than kImportOk the
// columns are left empty.
int ImportColumnsFromText(std::vector<double>& x, const QString& path, QChar separator, const QString& name1,
                          const QString& name2, std::vector<double>& y, QWidget* parent = nullptr);
int ImportColumnsFromXls(QWidget* parent, const QString& path, const QString& name1, std::vector<double>& x,
                         const QString& name2, std::vector<double>& y);
