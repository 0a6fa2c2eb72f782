#include "lumora/sheetio/Record.h"
#include "StreamBuilder.h"
#include "lumora/sheetio/Bytes.h"

#include <gtest/gtest.h>

using namespace sheetiotest;
using SheetIO::Record;

namespace {

struct SplitCase {
    const char* name;
    uint32_t dataSize;
    std::vector<uint16_t> pieces;
    uint32_t streamBytes;
};

void PrintTo(const SplitCase& c, std::ostream* os) {
    *os << c.name;
}

class RecordSplit : public testing::TestWithParam<SplitCase> {};

TEST_P(RecordSplit, WritesPiecesOfAtMost8224Bytes) {
    const SplitCase& c = GetParam();
    Record record(0x00FC);
    record.data.resize(c.dataSize);
    for (uint32_t i = 0; i < c.dataSize; ++i)
        record.data[i] = static_cast<uint8_t>(i * 7);
    record.dataSize = c.dataSize;
    Bytes out(c.streamBytes + 16, 0xEE);
    ASSERT_EQ(record.Write(out.data()), c.streamBytes);
    out.resize(c.streamBytes);

    const auto records = ListRecords(out);
    ASSERT_EQ(records.size(), c.pieces.size());
    for (size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(records[i].code, i == 0 ? 0x00FC : SheetIO::CODE_CONTINUE) << "piece " << i;
        EXPECT_EQ(records[i].length, c.pieces[i]) << "piece " << i;
    }

    Record back;
    ASSERT_EQ(back.Read(out.data(), static_cast<uint32_t>(out.size())), c.streamBytes);
    EXPECT_EQ(back.dataSize, c.dataSize);
    EXPECT_EQ(back.data, record.data);
    EXPECT_EQ(back.continueIndices.size(), c.pieces.size() - 1);
}

INSTANTIATE_TEST_SUITE_P(Sizes, RecordSplit,
                         testing::Values(SplitCase{"Empty", 0, {0}, 4}, SplitCase{"Small", 100, {100}, 104},
                                         SplitCase{"Exactly8224", 8224, {8224}, 8228},
                                         SplitCase{"Just8225", 8225, {8224, 1}, 8233},
                                         SplitCase{"Twice8224", 16448, {8224, 8224}, 16456},
                                         SplitCase{"ThreePieces", 16449, {8224, 8224, 1}, 16461}),
                         [](const testing::TestParamInfo<SplitCase>& row) {
                             return std::string(row.param.name);
                         });

TEST(Record, FreshRecordIsEmptyWithFourByteHeader) {
    Record record;
    EXPECT_TRUE(record.data.empty());
    EXPECT_EQ(record.dataSize, 0u);
    EXPECT_EQ(record.RecordSize(), 4u);
}

TEST(Record, KeepsContinueBoundariesWhenWrittenBack) {
    Bytes stream = Rec(0x1234, Bytes(10, 1));
    Add(stream, Rec(SheetIO::CODE_CONTINUE, Bytes(5, 2)));
    Add(stream, Rec(SheetIO::CODE_CONTINUE, Bytes(7, 3)));
    Add(stream, Rec(0x0203, Bytes(14, 4))); // the next record is not part of it
    Record record;
    ASSERT_EQ(record.Read(stream.data(), static_cast<uint32_t>(stream.size())), 34u);
    EXPECT_EQ(record.code, 0x1234);
    EXPECT_EQ(record.dataSize, 22u);
    EXPECT_EQ(record.continueIndices, (std::vector<uint32_t>{10, 15}));

    Bytes out(34, 0);
    ASSERT_EQ(record.Write(out.data()), 34u);
    EXPECT_EQ(out, Bytes(stream.begin(), stream.begin() + 34));
}

TEST(Record, RefusesLengthsPastTheEndOfTheStream) {
    const struct {
        const char* name;
        Bytes stream;
    } cases[] = {
        {"short header", {0x09, 0x08, 0x10}},
        {"length past end", Rec(0x0203, Bytes(14, 0))},
        {"continue past end",
         [] {
             Bytes s = Rec(0x00FC, Bytes(8, 0));
             Add(s, Rec(SheetIO::CODE_CONTINUE, Bytes(20, 0)));
             return s;
         }()},
    };
    for (const auto& c : cases) {
        Bytes cut = c.stream;
        if (cut.size() > 4)
            cut.resize(cut.size() - 2);
        Record record;
        EXPECT_THROW(record.Read(cut.data(), static_cast<uint32_t>(cut.size())), SheetIO::EXCEPTION_DAMAGED)
            << c.name;
    }
}

TEST(Bytes, LittleEndianAccessors) {
    uint8_t b[8] = {};
    SheetIO::SetU16(b, 0x1234);
    SheetIO::SetU32(b + 2, 0xA1B2C3D4);
    EXPECT_EQ(b[0], 0x34);
    EXPECT_EQ(b[1], 0x12);
    EXPECT_EQ(b[2], 0xD4);
    EXPECT_EQ(b[5], 0xA1);
    EXPECT_EQ(SheetIO::GetU16(b), 0x1234);
    EXPECT_EQ(SheetIO::GetU32(b + 2), 0xA1B2C3D4u);
    const char16_t text[] = u"电流μA";
    uint8_t w[8];
    SheetIO::SetWChars(w, text, 4);
    EXPECT_EQ(w[0], 0x35);
    EXPECT_EQ(w[1], 0x75);
    char16_t back[4];
    SheetIO::GetWChars(w, back, 4);
    EXPECT_EQ(std::u16string(back, 4), u"电流μA");
}

} // namespace
