#include "lumora/core/DataImport.h"

#include "lumora/sheetio/ExcelCell.h"
#include "lumora/sheetio/ExcelDocument.h"
#include "lumora/sheetio/ExcelSheet.h"
#include "platform/CodePage.h"
#include "platform/LargeBlock.h"
#include "platform/ParseNumber.h"
#include "platform/Paths.h"
#include "platform/ReadOnlyFile.h"
#include "platform/WorkerThreads.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <new>
#include <string>

namespace {

// Files below this size are parsed by one thread; larger ones in slices on several.
constexpr std::int64_t kParallelBytes = 4 << 20;
constexpr unsigned kSlicesPerThread = 4;
constexpr std::int64_t kMinSliceBytes = 1 << 20;
// Each slice reads the file in pieces of this size through one buffer; progress and Cancel are
// looked at once per piece. A line that does not end within a whole buffer is taken from its first
// buffer's worth of text (the fields a row is read from lie there), the rest of it skipped.
constexpr std::int64_t kBufferBytes = 1 << 20;
// No header line of a data file comes near this; reading stops there.
constexpr std::int64_t kMaxHeaderBytes = 1 << 20;
constexpr std::int64_t kHeaderPieceBytes = 64 << 10;

enum class EEncoding { eAnsi, eUtf8, eUtf16 };

// ---- the file -------------------------------------------------------------------------------------

using CReadFile = platform::CReadOnlyFile;

// Where the text of a file is: its encoding, and the body from after the header line to the end.
struct STextLayout {
    EEncoding encoding = EEncoding::eAnsi;
    std::int64_t body = 0;
    std::int64_t end = 0;
};

int UnitBytes(EEncoding encoding) {
    return encoding == EEncoding::eUtf16 ? 2 : 1;
}

// Reads the first line, which ends at CR, LF or CR LF: 1, 0 (no line, unreadable, too long) or
// kImportCancelled.
int ReadHeader(const CReadFile& file, QString& header, STextLayout& layout, SImportControl* control) {
    const std::int64_t size = file.Size();
    std::string bytes;
    std::int64_t start = 0;
    auto readMore = [&](std::int64_t limit) {
        const std::int64_t at = static_cast<std::int64_t>(bytes.size());
        const std::int64_t n = std::min({kHeaderPieceBytes, size - at, limit - at});
        if (n <= 0)
            return true;
        bytes.resize(static_cast<std::size_t>(at + n));
        return file.ReadAt(at, bytes.data() + at, n);
    };
    if (!readMore(kHeaderPieceBytes))
        return kImportFailed;
    auto startsWith = [&](const char* mark, std::size_t length) {
        return bytes.size() >= length && std::memcmp(bytes.data(), mark, length) == 0;
    };
    if (startsWith("\xFF\xFE", 2)) {
        layout.encoding = EEncoding::eUtf16;
        start = 2;
    } else if (startsWith("\xEF\xBB\xBF", 3)) {
        layout.encoding = EEncoding::eUtf8;
        start = 3;
    }
    const int unit = UnitBytes(layout.encoding);
    layout.end = size - (size - start) % unit;
    if (layout.end <= start)
        return kImportFailed;
    auto unitAt = [&](std::int64_t at) -> unsigned {
        const auto* b = reinterpret_cast<const unsigned char*>(bytes.data() + at);
        return unit == 2 ? unsigned(b[0]) | (unsigned(b[1]) << 8) : b[0];
    };
    const std::int64_t limit = start + kMaxHeaderBytes;
    std::int64_t at = start;
    std::int64_t lineEnd = -1;
    for (;;) {
        for (; at + unit <= static_cast<std::int64_t>(bytes.size()) && at < layout.end; at += unit) {
            const unsigned c = unitAt(at);
            if (c == '\n' || c == '\r') {
                lineEnd = at;
                break;
            }
        }
        if (lineEnd >= 0 || at >= layout.end)
            break;
        if (at >= limit)
            return kImportFailed;
        if (control != nullptr && control->cancel.load(std::memory_order_relaxed))
            return kImportCancelled;
        if (!readMore(limit + unit))
            return kImportFailed;
    }
    if (lineEnd < 0) {
        lineEnd = layout.end;
        layout.body = layout.end;
    } else {
        layout.body = lineEnd + unit;
        if (unitAt(lineEnd) == '\r' && layout.body < layout.end) {
            if (layout.body + unit > static_cast<std::int64_t>(bytes.size()) && !readMore(layout.body + unit))
                return kImportFailed;
            if (unitAt(layout.body) == '\n')
                layout.body += unit;
        }
    }
    const char* text = bytes.data() + start;
    const auto length = static_cast<std::size_t>(lineEnd - start);
    switch (layout.encoding) {
    case EEncoding::eUtf16: {
        std::u16string units(length / 2, u'\0');
        std::memcpy(units.data(), text, length);
        header = QString::fromUtf16(units.data(), static_cast<qsizetype>(units.size()));
        break;
    }
    case EEncoding::eUtf8:
        header = QString::fromUtf8(text, static_cast<qsizetype>(length));
        break;
    case EEncoding::eAnsi:
        header = platform::FromAnsi(std::string_view(text, length));
        break;
    }
    return kImportOk;
}

// ---- the rows -------------------------------------------------------------------------------------

// The (time, value) pairs a slice kept for one column, in blocks that are never moved while they fill.
class CPairBlocks {
public:
    static constexpr std::size_t kPairs = 4096;

    void Push(double time, double value) {
        if (m_at == m_end)
            NewBlock();
        m_at[0] = time;
        m_at[1] = value;
        m_at += 2;
    }
    std::size_t Size() const {
        return m_blocks.empty() ? 0 : (m_blocks.size() - 1) * kPairs + (m_at - m_blocks.back().get()) / 2;
    }
    void CopyTo(double* times, double* values) const {
        const std::size_t size = Size();
        for (std::size_t b = 0; b < m_blocks.size(); ++b) {
            const double* block = m_blocks[b].get();
            const std::size_t n = std::min(kPairs, size - b * kPairs);
            for (std::size_t i = 0; i < n; ++i) {
                times[i] = block[2 * i];
                values[i] = block[2 * i + 1];
            }
            times += n;
            values += n;
        }
    }
    void Clear() {
        m_blocks.clear();
        m_at = m_end = nullptr;
    }

private:
    void NewBlock() {
        m_blocks.emplace_back(new double[2 * kPairs]);
        m_at = m_blocks.back().get();
        m_end = m_at + 2 * kPairs;
    }

    std::vector<std::unique_ptr<double[]>> m_blocks;
    double* m_at = nullptr;
    double* m_end = nullptr;
};

// Where a slice puts a column's pairs: straight into the column at the slice's place, room for as
// many rows as the slice has lines, or into blocks of its own. Written for every row by the slice's
// thread, so on cache lines of its own.
class alignas(platform::CACHE_LINE_BYTES) CColumnSink {
public:
    void Place(double* times, double* values, std::size_t capacity) {
        m_times = times;
        m_values = values;
        m_capacity = capacity;
        m_placed = true;
    }
    void Push(double time, double value) {
        if (!m_placed) {
            m_blocks.Push(time, value);
            return;
        }
        if (m_size < m_capacity) {
            m_times[m_size] = time;
            m_values[m_size] = value;
        }
        ++m_size;
    }
    bool Placed() const { return m_placed; }
    std::size_t Size() const { return m_placed ? m_size : m_blocks.Size(); }
    bool Overflowed() const { return m_placed && m_size > m_capacity; }
    CPairBlocks& Blocks() { return m_blocks; }

private:
    CPairBlocks m_blocks;
    double* m_times = nullptr;
    double* m_values = nullptr;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
    bool m_placed = false;
};

// A worker's read buffer, kept from slice to slice. A large array: a buffer of a megabyte from the
// heap comes straight from the system in the program (which returns large blocks to it), its small
// pages faulted in one by one at every import.
class CReadBuffer {
public:
    template <typename Char> Char* Units(std::int64_t units) {
        const auto bytes = static_cast<std::size_t>(units) * sizeof(Char);
        if (bytes > m_data.size() * sizeof(char16_t)) {
            platform::CLargeArray<char16_t>().swap(m_data);
            m_data.resize((bytes + 1) / 2);
        }
        return reinterpret_cast<Char*>(m_data.data());
    }

private:
    platform::CLargeArray<char16_t> m_data;
};

// One slice of the body: the lines that start in [first, last) (file offsets), how many there are
// when they were counted, and what they gave. Its counts are written for every line by the slice's
// thread while the neighbouring slices' threads read theirs: each slice has cache lines of its own.
struct alignas(platform::CACHE_LINE_BYTES) SSlice {
    std::int64_t first = 0;
    std::int64_t last = 0;
    std::size_t lines = 0;
    std::vector<CColumnSink> columns;
    std::size_t rows = 0;
    std::size_t dropped = 0;
};

// What every slice reads by: the file, its layout, the separator, the fields of the columns.
struct SBodyJob {
    const CReadFile* file = nullptr;
    STextLayout layout;
    char16_t separator = u',';
    // The fields read, and for each the caller's column it goes to.
    std::vector<int> fields;
    std::vector<std::size_t> targets;
    int lastField = 0;
    SImportControl* control = nullptr;
    std::atomic<bool> failed{false};
};

template <typename Char> bool IsBlankLine(const Char* p, const Char* end, Char separator) {
    for (; p < end; ++p) {
        const auto c = static_cast<unsigned>(*p);
        if (c == static_cast<unsigned>(separator) || (c != ' ' && c != '\t' && c != '\v' && c != '\f'))
            return false;
    }
    return true;
}

// A field whose number stops at a comma with a digit after it was written with a decimal comma ("1,5")
// or digit grouping ("1,000"): the number before the comma would be a thousand times off, and which of
// the two it is cannot be told, so such a field is no value and fails the whole file.
template <typename Char> bool StopsAtDecimalComma(const Char* numberEnd, const Char* fieldEnd) {
    return fieldEnd - numberEnd >= 2 && numberEnd[0] == Char(',') && numberEnd[1] >= Char('0') &&
           numberEnd[1] <= Char('9');
}

template <typename Char> const Char* FindUnit(const Char* first, const Char* last, Char c) {
    if constexpr (sizeof(Char) == 1) {
        const void* hit = std::memchr(first, c, static_cast<std::size_t>(last - first));
        return hit != nullptr ? static_cast<const Char*>(hit) : last;
    } else {
        return std::find(first, last, c);
    }
}

template <typename Char> class CSliceParser {
public:
    CSliceParser(SBodyJob& job, SSlice& slice) : m_job(job), m_slice(slice) {
        m_separator = static_cast<Char>(job.separator);
        m_fieldEnds.resize(static_cast<std::size_t>(job.lastField) + 1);
        m_fastRows = job.fields.size() == 1 && job.fields[0] == 1;
    }

    // A line [p, end) without its line end; complete is false for the first buffer's worth of a line
    // longer than that, whose last field may go on.
    void ParseLine(const Char* p, const Char* end, bool complete) {
        if (IsBlankLine(p, end, m_separator))
            return;
        // Field i is [start of field i, m_fieldEnds[i]); the count is how many the line has.
        const Char* at = p;
        int count = 0;
        for (; count <= m_job.lastField; ++count) {
            const Char* sep = FindUnit(at, end, m_separator);
            m_fieldEnds[static_cast<std::size_t>(count)] = sep;
            if (sep == end) {
                ++count;
                break;
            }
            at = sep + 1;
        }
        auto fieldStart = [&](int i) {
            return i == 0 ? p : m_fieldEnds[static_cast<std::size_t>(i - 1)] + 1;
        };
        // A field that runs to the end of a cut-off line counts only if its number ends before the cut.
        auto number = [&](int i, double& value) {
            const Char* fieldEnd = m_fieldEnds[static_cast<std::size_t>(i)];
            const Char* numberEnd = platform::ParseNumberPrefix(fieldStart(i), fieldEnd, value);
            if (numberEnd != nullptr && StopsAtDecimalComma(numberEnd, fieldEnd)) {
                m_job.failed.store(true, std::memory_order_relaxed);
                return false;
            }
            return numberEnd != nullptr && (complete || fieldEnd < end || numberEnd < end);
        };
        double time = 0.0;
        if (!number(0, time)) {
            ++m_slice.dropped;
            return;
        }
        bool any = false;
        for (std::size_t c = 0; c < m_job.fields.size(); ++c) {
            const int field = m_job.fields[c];
            double value = 0.0;
            if (field < count && number(field, value)) {
                m_slice.columns[c].Push(time, value);
                any = true;
            }
        }
        ++(any ? m_slice.rows : m_slice.dropped);
    }

    // The lines of [begin, end) of the buffer that start before stop; every one of them ends inside
    // it. The position after the last one parsed, or null when a line starting at or after stop was
    // reached (the slice is done).
    const Char* ParseLines(const Char* begin, const Char* end, const Char* stop) {
        const Char* p = begin;
        // The next LF and CR at or after the place each was looked for from (end: none): each is looked
        // for again only once the parse has passed it, so a file without CRs is searched for them once.
        const Char* nextLf = nullptr;
        const Char* nextCr = nullptr;
        while (p < end) {
            if (p >= stop)
                return nullptr;
            if constexpr (sizeof(Char) == 1) {
                if (m_fastRows) {
                    if (const Char* after = FastRow(p, end)) {
                        p = after;
                        continue;
                    }
                }
            }
            if (nextLf == nullptr || nextLf < p)
                nextLf = FindUnit(p, end, Char('\n'));
            if (nextCr == nullptr || nextCr < p)
                nextCr = FindUnit(p, end, Char('\r'));
            const Char* eol = std::min(nextLf, nextCr);
            ParseLine(p, eol, true);
            p = eol;
            if (p < end)
                p += *p == Char('\r') && p + 1 < end && p[1] == Char('\n') ? 2 : 1;
        }
        return p;
    }

private:
    // The common row "number<sep>number" ending in CR, LF or CR LF, in one pass: each from_chars stops
    // where its number ends, so no search is needed. The position after the row's line end, or null
    // when the row is any other kind (blanks, a sign, a unit, a third field, a bad field) and goes the
    // careful way, which gives the same values.
    const Char* FastRow(const Char* p, const Char* end) {
        const char* first = reinterpret_cast<const char*>(p);
        const char* last = reinterpret_cast<const char*>(end);
        double vx = 0.0;
        double vy = 0.0;
        const auto one = platform::DecimalFromChars(first, last, vx);
        if (one.ec != std::errc() || one.ptr >= last || *one.ptr != static_cast<char>(m_separator))
            return nullptr;
        const auto two = platform::DecimalFromChars(one.ptr + 1, last, vy);
        if (two.ec != std::errc() || two.ptr >= last || !std::isfinite(vx) || !std::isfinite(vy))
            return nullptr;
        const char* after = two.ptr;
        if (*after == '\r') {
            ++after;
            if (after < last && *after == '\n')
                ++after;
        } else if (*after == '\n') {
            ++after;
        } else {
            return nullptr;
        }
        m_slice.columns[0].Push(vx, vy);
        ++m_slice.rows;
        return reinterpret_cast<const Char*>(after);
    }

    SBodyJob& m_job;
    SSlice& m_slice;
    Char m_separator;
    bool m_fastRows = false;
    std::vector<const Char*> m_fieldEnds;
};

template <typename Char> bool IsLineEnd(Char c) {
    return c == Char('\n') || c == Char('\r');
}

// The lines that start in [p + 1, end): a unit that is no line end after one that is. In blocks of a
// fixed length, which the compiler turns into vector compares.
template <typename Char> std::size_t CountLineStarts(const Char* p, const Char* end) {
    constexpr int kBlock = 64;
    std::size_t count = 0;
    while (end - p > kBlock) {
        unsigned block = 0;
        for (int i = 1; i <= kBlock; ++i)
            block += static_cast<unsigned>(!IsLineEnd(p[i]) & IsLineEnd(p[i - 1]));
        count += block;
        p += kBlock;
    }
    for (; p + 1 < end; ++p)
        count += static_cast<std::size_t>(!IsLineEnd(p[1]) & IsLineEnd(p[0]));
    return count;
}

// Counts the lines that start in the slice, as its parse will see them, with a wide scan.
template <typename Char> bool CountSliceLines(SBodyJob& job, SSlice& slice, CReadBuffer& buffer) {
    constexpr std::int64_t unit = sizeof(Char);
    const std::int64_t capacity = std::min(kBufferBytes, slice.last - slice.first + unit) / unit;
    Char* const data = buffer.Units<Char>(capacity);
    // The unit before the slice (a line end, as before the body) tells whether its first unit starts a
    // line; each piece then keeps its last unit in front of the next one.
    data[0] = Char('\n');
    std::int64_t at = slice.first;
    if (slice.first > job.layout.body) {
        if (!job.file->ReadAt(slice.first - unit, reinterpret_cast<char*>(data), unit))
            return false;
    }
    std::size_t lines = 0;
    while (at < slice.last) {
        if (job.control->cancel.load(std::memory_order_relaxed) || job.failed.load(std::memory_order_relaxed))
            return false;
        const std::int64_t n = std::min((capacity - 1) * unit, slice.last - at);
        if (!job.file->ReadAt(at, reinterpret_cast<char*>(data + 1), n))
            return false;
        lines += CountLineStarts(data, data + 1 + n / unit);
        data[0] = data[n / unit];
        at += n;
    }
    slice.lines = lines;
    return true;
}

// Reads the slice's lines through one buffer. A slice owns the lines that start inside it: it skips
// the end of a line begun before it and finishes its last line past its end.
template <typename Char> void ParseSlice(SBodyJob& job, SSlice& slice, CReadBuffer& buffer) {
    constexpr std::int64_t unit = sizeof(Char);
    const CReadFile& file = *job.file;
    const std::int64_t end = job.layout.end;
    CSliceParser<Char> parser(job, slice);
    // A slice shorter than a buffer is read whole with the unit before it: its lines, which end at the
    // end of the body, all fit.
    const std::int64_t capacity = std::min(kBufferBytes, slice.last - slice.first + unit) / unit;
    Char* const data = buffer.Units<Char>(capacity);

    // The buffer holds the file from offset 'base' on, 'have' units of it.
    std::int64_t base = slice.first;
    bool skipping = false; // the slice starts inside a line that is not its own
    if (slice.first > job.layout.body) {
        base = slice.first - unit;
        skipping = true;
    }
    std::int64_t have = 0;
    bool longLine = false; // the rest of a line too long for the buffer is being skipped
    std::int64_t counted = slice.first;
    while (true) {
        if (job.failed.load(std::memory_order_relaxed))
            return;
        if (job.control->cancel.load(std::memory_order_relaxed))
            return;
        const std::int64_t readAt = base + have * unit;
        const std::int64_t want = std::min((capacity - have) * unit, end - readAt);
        if (want > 0 && !file.ReadAt(readAt, reinterpret_cast<char*>(data + have), want)) {
            job.failed.store(true, std::memory_order_relaxed);
            return;
        }
        have += want / unit;
        const std::int64_t reached = std::clamp(base + have * unit, slice.first, slice.last);
        job.control->done.fetch_add(reached - counted, std::memory_order_relaxed);
        counted = reached;
        const bool atEnd = base + have * unit >= end;

        Char* const limit = data + have;
        Char* p = data;
        if (skipping || longLine) {
            Char* eol = p;
            while (eol < limit && !IsLineEnd(*eol))
                ++eol;
            if (eol == limit) {
                if (atEnd)
                    return;
                base += have * unit;
                have = 0;
                continue;
            }
            // The line end itself: a CR LF split by a buffer end leaves an empty line, which is skipped.
            p = eol + 1;
            if (*eol == Char('\r') && p < limit && *p == Char('\n'))
                ++p;
            skipping = false;
            longLine = false;
        }
        // Lines of this buffer that end in it; at the end of the file the last line needs no line end.
        Char* complete = limit;
        if (!atEnd) {
            while (complete > p && !IsLineEnd(complete[-1]))
                --complete;
        }
        const std::int64_t stopOffset = slice.last;
        auto offsetOf = [&](const Char* q) { return base + (q - data) * unit; };
        const Char* stop = stopOffset <= offsetOf(p)       ? p
                           : stopOffset >= offsetOf(limit) ? limit
                                                           : data + (stopOffset - base) / unit;
        if (complete > p) {
            const Char* after = parser.ParseLines(p, complete, stop);
            if (after == nullptr)
                return;
            p = const_cast<Char*>(after);
        }
        if (atEnd)
            return;
        if (offsetOf(p) >= stopOffset)
            return;
        // What is left is the start of a line that goes on in the file.
        const std::int64_t left = limit - p;
        if (left == capacity) {
            parser.ParseLine(p, limit, false);
            longLine = true;
            base += have * unit;
            have = 0;
            continue;
        }
        std::memmove(data, p, static_cast<std::size_t>(left * unit));
        base = offsetOf(p);
        have = left;
    }
}

// Runs work(slice index, the worker's buffer) over the slices on up to 'threads' threads, each slice
// once.
template <typename Work> void ForEachSlice(std::size_t count, unsigned threads, Work&& work) {
    std::atomic<std::size_t> next{0};
    platform::RunOnThreads(threads, [&] {
        CReadBuffer buffer;
        for (std::size_t i = next++; i < count; i = next++)
            work(i, buffer);
    });
}

unsigned ThreadsFor(std::int64_t bytes) {
    if (bytes < kParallelBytes)
        return 1;
    return platform::WorkThreads();
}

int ParseBody(SBodyJob& job, std::vector<STextColumn>& columns, SImportCounts& counts) {
    const std::int64_t bodyBytes = job.layout.end - job.layout.body;
    const unsigned threads = ThreadsFor(bodyBytes);
    const int unit = UnitBytes(job.layout.encoding);
    std::int64_t sliceBytes = bodyBytes;
    if (threads > 1)
        sliceBytes = std::max<std::int64_t>(kMinSliceBytes, bodyBytes / (threads * kSlicesPerThread));
    sliceBytes += sliceBytes % unit;
    std::vector<SSlice> slices;
    for (std::int64_t at = job.layout.body; at < job.layout.end; at += sliceBytes) {
        slices.emplace_back();
        slices.back().first = at;
        slices.back().last = std::min(job.layout.end, at + sliceBytes);
        slices.back().columns.resize(job.fields.size());
    }
    const std::size_t read = job.fields.size();
    auto fail = [&] {
        if (!job.control->cancel.load(std::memory_order_relaxed))
            job.failed.store(true, std::memory_order_relaxed);
    };

    // A large file's rows go straight to their place in the columns: each slice's lines are counted
    // first, and the slice writes (and first touches) the part of the columns that is its own. That
    // room is a bound of the lines, not of the rows kept: it is taken only while it stays within the
    // size of the file, so a file of lines that hold nothing (empty, or with no numbers) is read the
    // other way, into blocks that grow with the rows kept.
    bool placed = false;
    std::vector<std::size_t> offsets(slices.size());
    if (threads > 1) {
        ForEachSlice(slices.size(), threads, [&](std::size_t i, CReadBuffer& buffer) {
            try {
                if (!(unit == 2 ? CountSliceLines<char16_t>(job, slices[i], buffer)
                                : CountSliceLines<char>(job, slices[i], buffer)))
                    fail();
            } catch (const std::exception&) {
                fail();
            }
        });
        if (job.control->cancel.load(std::memory_order_relaxed))
            return kImportCancelled;
        if (job.failed.load(std::memory_order_relaxed))
            return kImportFailed;
        std::size_t lines = 0;
        for (std::size_t i = 0; i < slices.size(); ++i) {
            offsets[i] = lines;
            lines += slices[i].lines;
        }
        const auto bytes = static_cast<std::int64_t>(lines * read * 2 * sizeof(double));
        placed = bytes <= bodyBytes + kBufferBytes;
        if (placed) {
            for (std::size_t c = 0; c < read; ++c) {
                STextColumn& column = columns[job.targets[c]];
                column.times.resize(lines);
                column.values.resize(lines);
                for (std::size_t i = 0; i < slices.size(); ++i)
                    slices[i].columns[c].Place(column.times.data() + offsets[i],
                                               column.values.data() + offsets[i], slices[i].lines);
            }
        }
    }

    ForEachSlice(slices.size(), threads, [&](std::size_t i, CReadBuffer& buffer) {
        try {
            if (unit == 2)
                ParseSlice<char16_t>(job, slices[i], buffer);
            else
                ParseSlice<char>(job, slices[i], buffer);
        } catch (const std::exception&) {
            fail();
        }
    });
    if (job.control->cancel.load(std::memory_order_relaxed))
        return kImportCancelled;
    if (job.failed.load(std::memory_order_relaxed) || !job.file->Unchanged())
        return kImportFailed;

    if (placed) {
        // The slices' parts close up where rows were dropped or lines were blank.
        for (std::size_t c = 0; c < read; ++c) {
            STextColumn& column = columns[job.targets[c]];
            std::size_t kept = 0;
            for (std::size_t i = 0; i < slices.size(); ++i) {
                const CColumnSink& sink = slices[i].columns[c];
                if (sink.Overflowed())
                    return kImportFailed;
                if (offsets[i] != kept) {
                    std::memmove(column.times.data() + kept, column.times.data() + offsets[i],
                                 sink.Size() * sizeof(double));
                    std::memmove(column.values.data() + kept, column.values.data() + offsets[i],
                                 sink.Size() * sizeof(double));
                }
                kept += sink.Size();
            }
            column.times.resize(kept);
            column.values.resize(kept);
        }
    } else {
        // The kept pairs into columns of their exact size, each slice's part copied by one thread, so
        // that the pages of a column are first touched in parallel too.
        std::vector<std::size_t> starts(slices.size() * read);
        for (std::size_t c = 0; c < read; ++c) {
            std::size_t total = 0;
            for (std::size_t i = 0; i < slices.size(); ++i) {
                starts[i * read + c] = total;
                total += slices[i].columns[c].Size();
            }
            columns[job.targets[c]].times.resize(total);
            columns[job.targets[c]].values.resize(total);
        }
        ForEachSlice(slices.size(), threads, [&](std::size_t i, CReadBuffer&) {
            for (std::size_t c = 0; c < read; ++c) {
                STextColumn& column = columns[job.targets[c]];
                const std::size_t start = starts[i * read + c];
                slices[i].columns[c].Blocks().CopyTo(column.times.data() + start,
                                                     column.values.data() + start);
                slices[i].columns[c].Blocks().Clear();
            }
        });
    }
    for (const SSlice& slice : slices) {
        counts.rows += slice.rows;
        counts.dropped += slice.dropped;
    }
    return kImportOk;
}

bool CheckHeader(const QString& field0, const QString& field1, const QString& name1, const QString& name2) {
    return field0.contains(name1) && field1.contains(name2);
}

template <typename Column> void Scale(Column& values, const QString& header) {
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

// A text cell's number by the rule of the text reader: 1 a number, 0 none, -1 one with a decimal comma.
template <typename Char> int TextCellNumber(const Char* text, const Char* last, double& value) {
    const Char* end = platform::ParseNumberPrefix(text, last, value);
    if (end == nullptr)
        return 0;
    return StopsAtDecimalComma(end, last) ? -1 : 1;
}

// 1 the cell holds a number, 0 it holds none, -1 it is text with a decimal comma (the file is refused).
int CellNumber(const ExcelCell* cell, double& value) {
    if (cell == nullptr)
        return 0;
    switch (cell->type) {
    case ExcelCell::eInt:
    case ExcelCell::eBool: // TRUE and FALSE count as 1 and 0
        value = cell->ival;
        return 1;
    case ExcelCell::eDouble:
        value = cell->dval;
        return std::isfinite(value) ? 1 : 0;
    case ExcelCell::eString: {
        const char* text = cell->GetString();
        return text != nullptr ? TextCellNumber(text, text + std::strlen(text), value) : 0;
    }
    case ExcelCell::eWString: {
        const char16_t* text = cell->GetWString();
        return text != nullptr ? TextCellNumber(text, text + std::char_traits<char16_t>::length(text), value)
                               : 0;
    }
    default:
        return 0;
    }
}

SImportCounts& Restart(SImportCounts* counts, SImportCounts& local) {
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
    static const struct {
        const char16_t* text;
        double scale;
    } kUnits[] = {
        {u"ns", 1e-9},      {u"\u03BCs", 1e-6}, {u"\u00B5s", 1e-6}, {u"\u03BCV", 1e-6},
        {u"\u00B5V", 1e-6}, {u"\u03BCA", 1e-6}, {u"\u00B5A", 1e-6}, {u"ms", 1e-3},
        {u"mV", 1e-3},      {u"mA", 1e-3},      {u"nA", 1e-9},      {u"pA", 1e-12},
    };
    // A letter of a cased script ends a word before the unit; CJK text before it does not.
    auto letter = [](QChar c) { return c.isLetter() && (c.isLower() || c.isUpper()); };
    for (const auto& unit : kUnits) {
        const QStringView text(unit.text);
        for (qsizetype at = header.indexOf(text); at >= 0; at = header.indexOf(text, at + 1)) {
            if (at == 0 || !letter(header[at - 1])) {
                factor = unit.scale;
                return 1;
            }
        }
    }
    return 0;
}

int ReadTextHeaderLine(const QString& path, QString& line) {
    line.clear();
    CReadFile file;
    STextLayout layout;
    if (!file.Open(path))
        return kImportFailed;
    return ReadHeader(file, line, layout, nullptr) == kImportOk ? kImportOk : kImportFailed;
}

int ParseTextTable(const QString& path, QChar separator, const ChooseTextColumns& choose,
                   std::vector<STextColumn>& columns, SImportControl& control, SImportCounts* counts) {
    SImportCounts localCounts;
    SImportCounts& count = Restart(counts, localCounts);
    columns.clear();
    try {
        CReadFile file;
        if (!file.Open(path))
            return kImportFailed;
        control.total.store(file.Size(), std::memory_order_relaxed);
        QString header;
        SBodyJob job;
        const int read = ReadHeader(file, header, job.layout, &control);
        if (read != kImportOk)
            return read;
        if (!choose(header, columns)) {
            columns.clear();
            return kImportFailed;
        }
        control.started.store(true, std::memory_order_relaxed);
        // In 8-bit text only an ASCII separator can be found byte by byte: CP936 never uses bytes below
        // 0x40 as the second byte of a character, and UTF-8 none below 0x80 inside one.
        if (job.layout.encoding != EEncoding::eUtf16 && separator.unicode() >= 0x80) {
            columns.clear();
            return kImportFailed;
        }
        job.file = &file;
        job.separator = separator.unicode();
        job.control = &control;
        for (std::size_t c = 0; c < columns.size(); ++c) {
            if (columns[c].field < 0)
                continue;
            job.fields.push_back(columns[c].field);
            job.targets.push_back(c);
            job.lastField = std::max(job.lastField, columns[c].field);
        }
        if (job.fields.empty()) {
            columns.clear();
            return kImportFailed;
        }
        control.done.store(job.layout.body, std::memory_order_relaxed);
        const int result = ParseBody(job, columns, count);
        if (result != kImportOk) {
            columns.clear();
            count = SImportCounts();
            return result;
        }
        control.done.store(file.Size(), std::memory_order_relaxed);
        return kImportOk;
    } catch (const std::bad_alloc&) {
        columns.clear();
        count = SImportCounts();
        return kImportFailed;
    }
}

int ParseColumnsFromText(CImportColumn& x, const QString& path, QChar separator, const QString& name1,
                         const QString& name2, CImportColumn& y, SImportControl& control,
                         SImportCounts* counts) {
    x.clear();
    y.clear();
    QString header0;
    QString header1;
    std::vector<STextColumn> columns;
    const int result = ParseTextTable(
        path, separator,
        [&](const QString& header, std::vector<STextColumn>& chosen) {
            if (!name1.isEmpty() && !name2.isEmpty()) {
                QStringList fields;
                SplitByChar(fields, header, separator);
                if (fields.size() < 2 || !CheckHeader(fields[0], fields[1], name1, name2))
                    return false;
                header0 = fields[0];
                header1 = fields[1];
            }
            chosen.resize(1);
            chosen[0].field = 1;
            return true;
        },
        columns, control, counts);
    if (result != kImportOk)
        return result;
    x = std::move(columns[0].times);
    y = std::move(columns[0].values);
    Scale(x, header0);
    Scale(y, header1);
    return kImportOk;
}

int LoadFirstSheet(ExcelDocument& document, const QString& path, SImportControl& control) {
    // Only the first sheet is read; progress is in stream bytes, and Cancel is seen at every record.
    ExcelDocument::SLoadControl load;
    load.sheets = 1;
    load.cancel = &control.cancel;
    load.done = &control.done;
    load.total = &control.total;
    const bool loaded = document.Load(platform::NormalizePath(path), load);
    if (control.cancel.load(std::memory_order_relaxed))
        return kImportCancelled;
    return loaded && document.GetTotalSheets() >= 1 ? kImportOk : kImportFailed;
}

int ParseColumnsFromXls(const QString& path, const QString& name1, CImportColumn& x, const QString& name2,
                        CImportColumn& y, SImportControl& control, SImportCounts* counts) {
    SImportCounts localCounts;
    SImportCounts& count = Restart(counts, localCounts);
    x.clear();
    y.clear();

    ExcelDocument document;
    if (const int loaded = LoadFirstSheet(document, path, control); loaded != kImportOk)
        return loaded;
    const ExcelSheet* sheet = document.GetSheet(0);
    if (sheet == nullptr || sheet->GetTotalRows() < 1 || sheet->GetTotalCols() < 2)
        return kImportFailed;
    const QString header0 = CellText(sheet->CellAt(0, 0));
    const QString header1 = CellText(sheet->CellAt(0, 1));
    if (!CheckHeader(header0, header1, name1, name2))
        return kImportFailed;
    control.started.store(true, std::memory_order_relaxed);

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
        const int hasX = CellNumber(sheet->CellAt(row, 0), vx);
        const int hasY = CellNumber(sheet->CellAt(row, 1), vy);
        if (hasX < 0 || hasY < 0) {
            x.clear();
            y.clear();
            return kImportFailed;
        }
        if (hasX > 0 && hasY > 0) {
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
    Scale(x, header0);
    Scale(y, header1);
    return kImportOk;
}
