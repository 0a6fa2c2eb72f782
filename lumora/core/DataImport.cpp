#include "lumora/core/DataImport.h"

#include "lumora/core/StdioFileEx.h"
#include "lumora/sheetio/ExcelCell.h"
#include "lumora/sheetio/ExcelDocument.h"
#include "lumora/sheetio/ExcelSheet.h"
#include "platform/Paths.h"

#include <QFile>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <thread>

namespace {

// Files below this size are parsed by one thread; larger ones in slices of whole lines.
constexpr std::int64_t kParallelBytes = 4 << 20;
constexpr unsigned kMaxThreads = 8;
constexpr unsigned kSlicesPerThread = 4;
// Progress and cancellation are looked at once per this many bytes.
constexpr std::int64_t kProgressBytes = 1 << 18;

bool IsBlank(char16_t c, char16_t separator) {
    return (c == u' ' || c == u'\t' || c == u'\r') && c != separator;
}

// A whole field as a finite number in the C locale: blanks around it and a leading '+' allowed.
template <typename Char>
bool ParseField(const Char* first, const Char* last, char16_t separator, double& value) {
    while (first < last && IsBlank(static_cast<char16_t>(first[0]), separator))
        ++first;
    while (last > first && IsBlank(static_cast<char16_t>(last[-1]), separator))
        --last;
    if (first < last && first[0] == Char('+'))
        ++first;
    if (first == last)
        return false;
    const char* begin;
    const char* end;
    char narrow[128];
    if constexpr (sizeof(Char) == 1) {
        begin = reinterpret_cast<const char*>(first);
        end = reinterpret_cast<const char*>(last);
    } else {
        if (last - first >= static_cast<std::ptrdiff_t>(sizeof(narrow)))
            return false;
        char* out = narrow;
        for (const Char* p = first; p < last; ++p) {
            if (*p >= 0x80)
                return false;
            *out++ = static_cast<char>(*p);
        }
        begin = narrow;
        end = out;
    }
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    return ec == std::errc() && ptr == end && std::isfinite(value);
}

template <typename Char> const Char* Find(const Char* first, const Char* last, Char c) {
    if constexpr (sizeof(Char) == 1) {
        const void* hit = std::memchr(first, c, static_cast<std::size_t>(last - first));
        return hit != nullptr ? static_cast<const Char*>(hit) : last;
    } else {
        return std::find(first, last, c);
    }
}

// One slice of whole lines: the numeric rows written from out on, the count kept and dropped.
template <typename Char> struct CSlice {
    const Char* first = nullptr;
    const Char* last = nullptr;
    std::size_t lines = 0; // upper bound of the rows, counted before parsing
    std::size_t offset = 0;
    std::size_t kept = 0;
    std::size_t dropped = 0;
};

template <typename Char> std::size_t CountLines(const Char* first, const Char* last) {
    std::size_t lines = 0;
    while (first < last) {
        first = Find(first, last, Char('\n'));
        ++lines;
        if (first < last)
            ++first;
    }
    return lines;
}

template <typename Char>
void ParseSlice(CSlice<Char>& slice, Char separator, double* x, double* y, SImportControl& control) {
    const Char* p = slice.first;
    const Char* nextReport = p + kProgressBytes / static_cast<std::int64_t>(sizeof(Char));
    const Char* reported = p;
    std::size_t out = slice.offset;
    while (p < slice.last) {
        if constexpr (sizeof(Char) == 1) {
            // The common line "number<sep>number\n" in one pass: each from_chars stops where its number
            // ends, so the separator and the line end are found without searching. Anything else (blanks,
            // a sign, a third field, a bad field) goes the careful way below.
            const char* last = reinterpret_cast<const char*>(slice.last);
            double vx = 0.0;
            double vy = 0.0;
            const auto first = std::from_chars(reinterpret_cast<const char*>(p), last, vx);
            if (first.ec == std::errc() && first.ptr < last && *first.ptr == separator) {
                const auto second = std::from_chars(first.ptr + 1, last, vy);
                const char* end = second.ptr;
                if (second.ec == std::errc() && end < last && *end == '\r')
                    ++end;
                if (second.ec == std::errc() && (end == last || *end == '\n') && std::isfinite(vx) &&
                    std::isfinite(vy)) {
                    x[out] = vx;
                    y[out] = vy;
                    ++out;
                    p = reinterpret_cast<const Char*>(end == last ? end : end + 1);
                    if (p >= nextReport) {
                        control.done.fetch_add(p - reported, std::memory_order_relaxed);
                        reported = p;
                        nextReport = p + kProgressBytes;
                        if (control.cancel.load(std::memory_order_relaxed))
                            break;
                    }
                    continue;
                }
            }
        }
        const Char* eol = Find(p, slice.last, Char('\n'));
        const Char* end = eol;
        if (end > p && end[-1] == Char('\r'))
            --end;
        const Char* nonBlank = p;
        while (nonBlank < end && IsBlank(static_cast<char16_t>(*nonBlank), 0))
            ++nonBlank;
        if (nonBlank < end) {
            const Char* sep1 = Find(p, end, separator);
            double vx = 0.0;
            double vy = 0.0;
            if (sep1 < end) {
                const Char* sep2 = Find(sep1 + 1, end, separator);
                if (ParseField(p, sep1, separator, vx) && ParseField(sep1 + 1, sep2, separator, vy)) {
                    x[out] = vx;
                    y[out] = vy;
                    ++out;
                } else {
                    ++slice.dropped;
                }
            } else {
                ++slice.dropped;
            }
        }
        p = eol < slice.last ? eol + 1 : eol;
        if (p >= nextReport) {
            control.done.fetch_add((p - reported) * static_cast<std::int64_t>(sizeof(Char)),
                                   std::memory_order_relaxed);
            reported = p;
            nextReport = p + kProgressBytes / static_cast<std::int64_t>(sizeof(Char));
            if (control.cancel.load(std::memory_order_relaxed))
                break;
        }
    }
    control.done.fetch_add((p - reported) * static_cast<std::int64_t>(sizeof(Char)),
                           std::memory_order_relaxed);
    slice.kept = out - slice.offset;
}

// Parses the lines of [first, last) into x and y, in slices on several threads for large inputs. The
// arrays are sized once from the line count and shrunk to the kept rows at the end.
template <typename Char>
int ParseBody(const Char* first, const Char* last, Char separator, std::vector<double>& x,
              std::vector<double>& y, SImportControl& control, SImportCounts& counts) {
    const std::int64_t bytes = (last - first) * static_cast<std::int64_t>(sizeof(Char));
    unsigned threads = 1;
    if (bytes >= kParallelBytes)
        threads = std::clamp(std::thread::hardware_concurrency(), 1u, kMaxThreads);
    // More slices than threads: a thread the system holds back takes fewer of them.
    const unsigned count = threads == 1 ? 1 : threads * kSlicesPerThread;
    std::vector<CSlice<Char>> slices(count);
    const Char* start = first;
    for (unsigned i = 0; i < count; ++i) {
        const Char* end = i + 1 == count ? last : first + (last - first) * (i + 1) / count;
        if (end < start)
            end = start;
        end = Find(end, last, Char('\n'));
        if (end < last)
            ++end;
        slices[i].first = start;
        slices[i].last = end;
        start = end;
    }
    auto forEachSlice = [&](auto&& work) {
        std::atomic<unsigned> next{0};
        auto run = [&] {
            for (unsigned i = next++; i < count; i = next++)
                work(slices[i]);
        };
        std::vector<std::thread> workers;
        for (unsigned i = 1; i < threads; ++i)
            workers.emplace_back(run);
        run();
        for (std::thread& worker : workers)
            worker.join();
    };
    forEachSlice([](CSlice<Char>& slice) { slice.lines = CountLines(slice.first, slice.last); });
    std::size_t total = 0;
    for (CSlice<Char>& slice : slices) {
        slice.offset = total;
        total += slice.lines;
    }
    x.resize(total);
    y.resize(total);
    forEachSlice([&](CSlice<Char>& slice) { ParseSlice(slice, separator, x.data(), y.data(), control); });
    if (control.cancel.load(std::memory_order_relaxed))
        return kImportCancelled;
    std::size_t kept = 0;
    for (const CSlice<Char>& slice : slices) {
        if (slice.offset != kept) {
            std::memmove(x.data() + kept, x.data() + slice.offset, slice.kept * sizeof(double));
            std::memmove(y.data() + kept, y.data() + slice.offset, slice.kept * sizeof(double));
        }
        kept += slice.kept;
        counts.dropped += slice.dropped;
    }
    x.resize(kept);
    y.resize(kept);
    counts.rows = kept;
    return kept > 0 ? kImportOk : kImportFailed;
}

bool CheckHeader(const QString& field0, const QString& field1, const QString& name1, const QString& name2) {
    return field0.contains(name1) && field1.contains(name2);
}

void Scale(std::vector<double>& values, const QString& header) {
    double factor = 1.0;
    if (GetUnitScale(header, factor) == 0)
        return;
    for (double& value : values)
        value *= factor;
}

QString CellText(const ExcelCell* cell) {
    if (cell == nullptr)
        return QString();
    if (cell->type == ExcelCell::eString && cell->GetString() != nullptr)
        return QString::fromLatin1(cell->GetString());
    if (cell->type == ExcelCell::eWString && cell->GetWString() != nullptr)
        return QString::fromUtf16(cell->GetWString());
    return QString();
}

bool CellNumber(const ExcelCell* cell, double& value) {
    if (cell == nullptr)
        return false;
    switch (cell->type) {
    case ExcelCell::eInt:
        value = cell->ival;
        return true;
    case ExcelCell::eDouble:
        value = cell->dval;
        return std::isfinite(value);
    case ExcelCell::eString: {
        const char* text = cell->GetString();
        return text != nullptr && ParseField(text, text + std::strlen(text), 0, value);
    }
    case ExcelCell::eWString: {
        const char16_t* text = cell->GetWString();
        return text != nullptr && ParseField(text, text + std::char_traits<char16_t>::length(text), 0, value);
    }
    default:
        return false;
    }
}

// Empties the columns and the counts the caller asked for (else the local ones) before a read.
SImportCounts& Restart(std::vector<double>& x, std::vector<double>& y, SImportCounts* counts,
                       SImportCounts& local) {
    x.clear();
    y.clear();
    SImportCounts& count = counts != nullptr ? *counts : local;
    count = SImportCounts();
    return count;
}

} // namespace

int SplitByChar(QStringList& out, const QString& line, QChar separator) {
    out.clear();
    QString field;
    for (QChar c : line) {
        if (c == separator) {
            out.append(field);
            field.clear();
        } else {
            field.append(c);
        }
    }
    if (!field.isEmpty())
        out.append(field);
    return static_cast<int>(out.size());
}

int GetUnitScale(const QString& header, double& factor) {
    factor = 1.0;
    // Words are runs of letters; brackets, blanks, '/' and the rest only separate them.
    qsizetype i = 0;
    const qsizetype n = header.size();
    while (i < n) {
        while (i < n && !header[i].isLetter())
            ++i;
        const qsizetype start = i;
        while (i < n && header[i].isLetter())
            ++i;
        if (i - start != 2)
            continue;
        const QChar prefix = header[start];
        const QChar unit = header[start + 1];
        if (unit != u's' && unit != u'V' && unit != u'A')
            continue;
        double scale = 0.0;
        if (prefix == u'p')
            scale = 1e-12;
        else if (prefix == u'n')
            scale = 1e-9;
        else if (prefix == QChar(0x00B5) || prefix == QChar(0x03BC))
            scale = 1e-6;
        else if (prefix == u'm')
            scale = 1e-3;
        if (scale != 0.0) {
            factor = scale;
            return 1;
        }
    }
    return 0;
}

int ParseColumnsFromText(std::vector<double>& x, const QString& path, QChar separator, const QString& name1,
                         const QString& name2, std::vector<double>& y, SImportControl& control,
                         SImportCounts* counts) {
    SImportCounts localCounts;
    SImportCounts& count = Restart(x, y, counts, localCounts);

    CStdioFileEx header;
    if (!header.Open(path, CStdioFileEx::modeRead | CStdioFileEx::shareDenyNone | CStdioFileEx::typeText))
        return kImportFailed;
    QString headerLine;
    if (!header.ReadString(headerLine))
        return kImportFailed;
    const bool unicode = header.IsUnicodeText();
    header.Close();

    QString header0;
    QString header1;
    if (!name1.isEmpty() && !name2.isEmpty()) {
        QStringList fields;
        SplitByChar(fields, headerLine, separator);
        if (fields.size() < 2 || !CheckHeader(fields[0], fields[1], name1, name2))
            return kImportFailed;
        header0 = fields[0];
        header1 = fields[1];
    }

    if (!unicode && separator.unicode() >= 0x80)
        return kImportFailed;
    QFile file(platform::NormalizePath(path));
    if (!file.open(QIODevice::ReadOnly))
        return kImportFailed;
    const qint64 size = file.size();
    const uchar* data = size > 0 ? file.map(0, size) : nullptr;
    if (data == nullptr)
        return kImportFailed;
    // What is left after the last whole UTF-16 unit counts as read.
    control.total.store(unicode ? size - (size % 2) : size, std::memory_order_relaxed);

    int result;
    if (unicode) {
        // UTF-16LE after its byte-order mark; an odd last byte is no character.
        const auto* first = reinterpret_cast<const char16_t*>(data + 2);
        const auto* last = first + (size - 2) / 2;
        const char16_t* body = Find(first, last, u'\n');
        body = body < last ? body + 1 : last;
        control.done.store(reinterpret_cast<const uchar*>(body) - data, std::memory_order_relaxed);
        result = ParseBody(body, last, static_cast<char16_t>(separator.unicode()), x, y, control, count);
    } else {
        // CP936 never uses bytes below 0x40 as the second byte of a character, so separators, digits and
        // line ends can be looked for byte by byte.
        const auto* first = reinterpret_cast<const char*>(data);
        const char* last = first + size;
        const char* body = Find(first, last, '\n');
        body = body < last ? body + 1 : last;
        control.done.store(body - first, std::memory_order_relaxed);
        result = ParseBody(body, last, static_cast<char>(separator.unicode()), x, y, control, count);
    }
    file.unmap(const_cast<uchar*>(data));
    if (result != kImportOk) {
        x.clear();
        y.clear();
        return result;
    }
    Scale(x, header0);
    Scale(y, header1);
    return kImportOk;
}

int ParseColumnsFromXls(const QString& path, const QString& name1, std::vector<double>& x,
                        const QString& name2, std::vector<double>& y, SImportControl& control,
                        SImportCounts* counts) {
    SImportCounts localCounts;
    SImportCounts& count = Restart(x, y, counts, localCounts);

    // Only the first sheet is read; progress is in stream bytes, and Cancel is seen at every record.
    ExcelDocument document;
    ExcelDocument::SLoadControl load;
    load.sheets = 1;
    load.cancel = &control.cancel;
    load.done = &control.done;
    load.total = &control.total;
    const bool loaded = document.Load(platform::NormalizePath(path), load);
    if (control.cancel.load(std::memory_order_relaxed))
        return kImportCancelled;
    if (!loaded || document.GetTotalSheets() < 1)
        return kImportFailed;
    const ExcelSheet* sheet = document.GetSheet(0);
    if (sheet == nullptr || sheet->GetTotalRows() < 1 || sheet->GetTotalCols() < 2)
        return kImportFailed;
    const QString header0 = CellText(sheet->CellAt(0, 0));
    const QString header1 = CellText(sheet->CellAt(0, 1));
    if (!CheckHeader(header0, header1, name1, name2))
        return kImportFailed;

    const int rows = sheet->GetTotalRows();
    x.reserve(static_cast<std::size_t>(rows));
    y.reserve(static_cast<std::size_t>(rows));
    for (int row = 1; row < rows; ++row) {
        if ((row & 1023) == 0 && control.cancel.load(std::memory_order_relaxed)) {
            x.clear();
            y.clear();
            return kImportCancelled;
        }
        double vx = 0.0;
        double vy = 0.0;
        if (CellNumber(sheet->CellAt(row, 0), vx) && CellNumber(sheet->CellAt(row, 1), vy)) {
            x.push_back(vx);
            y.push_back(vy);
        } else {
            const ExcelCell* c0 = sheet->CellAt(row, 0);
            const ExcelCell* c1 = sheet->CellAt(row, 1);
            // A row that is empty in both columns is no row at all.
            const bool empty = (c0 == nullptr || c0->type == ExcelCell::eUndefined) &&
                               (c1 == nullptr || c1->type == ExcelCell::eUndefined);
            if (!empty)
                ++count.dropped;
        }
    }
    control.done.store(control.total.load(std::memory_order_relaxed), std::memory_order_relaxed);
    count.rows = x.size();
    if (x.empty())
        return kImportFailed;
    Scale(x, header0);
    Scale(y, header1);
    return kImportOk;
}
