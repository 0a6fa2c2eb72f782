// The run's sample store: chunks made as samples arrive, stretches read in order, the limit, and a
// reader on another thread while the writer appends.
#include "lumora/core/SampleStore.h"
#include "lumora/core/BinDataFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

constexpr std::size_t kChunk = CSampleStore::kChunkSamples;

double TimeOf(std::size_t i) {
    return static_cast<double>(i) * 0.0002;
}
double ValueOf(std::size_t i) {
    return 1e-6 * static_cast<double>(i % 977) - 3e-4;
}

// Appends samples [from, from + n) of the reference run.
CSampleStore::eAppend AppendRun(CSampleStore& store, std::size_t from, std::size_t n) {
    return store.Append(n, [&](std::size_t first, double* t, double* v, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            t[i] = TimeOf(from + first + i);
            v[i] = ValueOf(from + first + i);
        }
    });
}

TEST(SampleStore, AppendsAcrossChunksAndReadsBackInStretches) {
    const struct {
        const char* name;
        std::vector<std::size_t> blocks;
    } rows[] = {
        {"one sample", {1}},
        {"up to the first chunk's end", {kChunk - 1, 1}},
        {"one block over a chunk's end", {kChunk - 3, 7}},
        {"a block larger than two chunks", {5, 2 * kChunk + 11}},
    };
    for (const auto& row : rows) {
        CSampleStore store(4 * kChunk);
        std::size_t total = 0;
        for (std::size_t n : row.blocks) {
            ASSERT_EQ(AppendRun(store, total, n), CSampleStore::eAppend::Kept) << row.name;
            total += n;
            ASSERT_EQ(store.Count(), total) << row.name;
        }
        // Only the chunks that hold samples are made.
        EXPECT_EQ(store.MemoryBytes(), (total + kChunk - 1) / kChunk * kChunk * 16) << row.name;
        std::size_t next = 0;
        store.ForEachSegment(
            0, total, [&](std::size_t first, const double* t, const double* v, std::size_t n) {
                EXPECT_EQ(first, next) << row.name;
                EXPECT_LE(first % kChunk + n, kChunk) << row.name << ": a stretch lies in one chunk";
                for (std::size_t i = 0; i < n; ++i) {
                    ASSERT_EQ(t[i], TimeOf(first + i)) << row.name << " " << first + i;
                    ASSERT_EQ(v[i], ValueOf(first + i)) << row.name << " " << first + i;
                }
                next = first + n;
            });
        EXPECT_EQ(next, total) << row.name;
        EXPECT_EQ(store.TimeAt(total - 1), TimeOf(total - 1)) << row.name;
        store.Clear();
        EXPECT_EQ(store.Count(), 0u) << row.name;
        EXPECT_EQ(store.MemoryBytes(), 0u) << row.name;
    }
}

TEST(SampleStore, KeepsUpToItsLimitAndSaysWhenItIsFull) {
    CSampleStore store(10);
    EXPECT_EQ(AppendRun(store, 0, 7), CSampleStore::eAppend::Kept);
    EXPECT_EQ(AppendRun(store, 7, 5), CSampleStore::eAppend::Full);
    EXPECT_EQ(store.Count(), 10u);
    EXPECT_EQ(store.ValueAt(9), ValueOf(9));
    EXPECT_EQ(AppendRun(store, 10, 1), CSampleStore::eAppend::Full);
    EXPECT_EQ(store.Count(), 10u);
}

// A reader that loads the count sees every sample below it written, while the writer goes on and
// makes new chunks (run under ThreadSanitizer).
TEST(SampleStore, AReaderSeesEverySampleBelowTheCountItLoaded) {
    constexpr std::size_t kTotal = 3 * kChunk + 12345;
    CSampleStore store(kTotal);
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (std::size_t at = 0; at < kTotal;) {
            const std::size_t n = std::min<std::size_t>(4099, kTotal - at);
            AppendRun(store, at, n);
            at += n;
        }
        done.store(true);
    });
    std::size_t checked = 0;
    bool wrong = false;
    while (!wrong && (!done.load() || checked < store.Count())) {
        const std::size_t count = store.Count();
        store.ForEachSegment(checked, count,
                             [&](std::size_t first, const double* t, const double* v, std::size_t n) {
                                 for (std::size_t i = 0; i < n && !wrong; ++i)
                                     wrong = t[i] != TimeOf(first + i) || v[i] != ValueOf(first + i);
                             });
        checked = count;
    }
    writer.join();
    EXPECT_FALSE(wrong);
    EXPECT_EQ(checked, kTotal);
}

// A run's file written from the store's stretches is the file of the same samples in one piece.
TEST(SampleStore, TheDataFileOfItsStretchesIsTheFileOfOneArray) {
    constexpr std::size_t kTotal = kChunk + 777;
    CSampleStore store(kTotal);
    ASSERT_EQ(AppendRun(store, 0, kTotal), CSampleStore::eAppend::Kept);
    std::vector<CBinDataFile::SColumnPiece> times, values;
    store.ForEachSegment(0, kTotal, [&](std::size_t, const double* t, const double* v, std::size_t n) {
        times.push_back({t, n});
        values.push_back({v, n});
    });
    ASSERT_EQ(times.size(), 2u);
    std::vector<double> wholeTimes(kTotal), wholeValues(kTotal);
    for (std::size_t i = 0; i < kTotal; ++i) {
        wholeTimes[i] = TimeOf(i);
        wholeValues[i] = ValueOf(i);
    }
    QTemporaryDir folder;
    const QString pieces = folder.filePath(QStringLiteral("pieces.bin"));
    const QString whole = folder.filePath(QStringLiteral("whole.bin"));
    ASSERT_EQ(CBinDataFile().Write(times, values, pieces), 1);
    ASSERT_EQ(CBinDataFile().Write(wholeTimes.data(), wholeValues.data(), kTotal, whole), 1);
    QFile a(pieces), b(whole);
    ASSERT_TRUE(a.open(QIODevice::ReadOnly));
    ASSERT_TRUE(b.open(QIODevice::ReadOnly));
    EXPECT_EQ(a.size(), qint64(176 + 16 * kTotal));
    EXPECT_TRUE(a.readAll() == b.readAll());
    // Columns of different lengths are no file.
    values.pop_back();
    EXPECT_EQ(CBinDataFile().Write(times, values, pieces), 0);
}

} // namespace
