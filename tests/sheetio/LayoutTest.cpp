#include "StreamBuilder.h"
#include "TempFolder.h"
#include "lumora/sheetio/Bytes.h"
#include "lumora/sheetio/ExcelDocument.h"
#include "lumora/sheetio/Rk.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <random>
#include <vector>

using namespace sheetiotest;

namespace {

uint16_t U16At(const Bytes& b, uint32_t pos) {
    return SheetIO::GetU16(b.data() + pos);
}
uint32_t U32At(const Bytes& b, uint32_t pos) {
    return SheetIO::GetU32(b.data() + pos);
}

// Saves a one-sheet workbook filled by 'fill' and returns its stream.
Bytes SaveOneSheet(const TempFolder& dir, const std::function<void(ExcelSheet&)>& fill) {
    ExcelDocument doc;
    doc.New();
    fill(*doc.GetSheetByName("Sheet1"));
    const QString path = dir.File("out.xls");
    EXPECT_TRUE(doc.SaveAs(path));
    return ReadWorkbookStream(path);
}

// Codes of the records of the first worksheet, from its BOF to its EOF.
std::vector<RecordAt> SheetRecords(const Bytes& stream) {
    std::vector<RecordAt> out;
    int bofs = 0;
    for (const RecordAt& r : ListRecords(stream)) {
        if (r.code == 0x0809)
            ++bofs;
        if (bofs == 2)
            out.push_back(r);
        if (bofs == 2 && r.code == 0x000A)
            break;
    }
    return out;
}

std::vector<uint16_t> CellCodes(const Bytes& stream) {
    std::vector<uint16_t> codes;
    for (const RecordAt& r : SheetRecords(stream))
        if (r.code == 0x0201 || r.code == 0x0203 || r.code == 0x027E || r.code == 0x00BD || r.code == 0x00FD)
            codes.push_back(r.code);
    return codes;
}

void SetNumber(ExcelSheet& s, int r, int c, double v) {
    ExcelCell* cell = s.Cell(r, c);
    cell->type = ExcelCell::eDouble;
    cell->dval = v;
}

TEST(Layout, TimeAndCurrentHeader) {
    TempFolder dir;
    const Bytes stream = SaveOneSheet(dir, [](ExcelSheet& s) {
        s.Cell(0, 0)->SetString("Time");
        s.Cell(0, 1)->SetString("Current");
    });
    std::vector<uint16_t> codes;
    std::vector<uint32_t> indices;
    for (const RecordAt& r : SheetRecords(stream)) {
        codes.push_back(r.code);
        if (r.code == 0x00FD)
            indices.push_back(U32At(stream, r.pos + 10));
        if (r.code == 0x0208) {
            EXPECT_EQ(U16At(stream, r.pos + 6), 0); // first column
            EXPECT_EQ(U16At(stream, r.pos + 8), 2); // last column + 1
        }
    }
    EXPECT_EQ(codes, (std::vector<uint16_t>{0x0809, 0x020B, 0x0200, 0x0208, 0x00FD, 0x00FD, 0x00D7, 0x023E,
                                            0x000A}));
    EXPECT_EQ(indices, (std::vector<uint32_t>{0, 1}));
    for (const RecordAt& r : ListRecords(stream))
        if (r.code == 0x00FC) {
            EXPECT_EQ(U32At(stream, r.pos + 4), 2u);
            EXPECT_EQ(U32At(stream, r.pos + 8), 2u);
            EXPECT_EQ(stream[r.pos + 14], 0); // 8-bit "Time"
        }
}

TEST(Layout, RowBlocksIndexAndDbcellPositions) {
    TempFolder dir;
    const Bytes stream = SaveOneSheet(dir, [](ExcelSheet& s) {
        for (int r = 0; r <= 40; ++r) {
            SetNumber(s, r, 0, r * 0.5);
            SetNumber(s, r, 1, r * 1e-9 + 1e-12);
        }
    });
    std::vector<int> rowsPerBlock(1, 0);
    std::vector<uint32_t> dbcells;
    uint32_t bofPos = 0;
    std::vector<uint32_t> indexEntries;
    for (const RecordAt& r : SheetRecords(stream)) {
        if (r.code == 0x0809)
            bofPos = r.pos;
        if (r.code == 0x020B)
            for (uint32_t i = 16; i < r.length; i += 4)
                indexEntries.push_back(U32At(stream, r.pos + 4 + i));
        if (r.code == 0x0208)
            ++rowsPerBlock.back();
        if (r.code == 0x00D7) {
            dbcells.push_back(r.pos);
            // The DBCELL points back to its block's first ROW; the first row offset to its first cell.
            const uint32_t firstRow = r.pos - U32At(stream, r.pos + 4);
            EXPECT_EQ(U16At(stream, firstRow), 0x0208);
            EXPECT_EQ(U16At(stream, firstRow + 20 + U16At(stream, r.pos + 8)), 0x027E);
            // Each further offset leads from one row's first cell to the next row's first cell.
            uint32_t cell = firstRow + 20;
            for (uint32_t slot = 0; 4 + 2 * slot < r.length; ++slot) {
                cell += U16At(stream, r.pos + 8 + 2 * slot);
                EXPECT_EQ(U16At(stream, cell + 4), U16At(stream, firstRow + 4 + 20 * slot)) << slot;
            }
            rowsPerBlock.push_back(0);
        }
    }
    rowsPerBlock.pop_back();
    EXPECT_EQ(rowsPerBlock, (std::vector<int>{32, 9}));
    EXPECT_EQ(indexEntries, dbcells);
    // The bound sheet points at the worksheet's BOF.
    for (const RecordAt& r : ListRecords(stream))
        if (r.code == 0x0085) {
            EXPECT_EQ(U32At(stream, r.pos + 4), bofPos);
        }
}

TEST(Layout, NumberRunsByRkAbility) {
    const struct {
        const char* name;
        std::vector<double> values; // NaN marks an empty cell, 0.5 steps below 1e6 are plain doubles
        std::vector<int> integers;  // when not empty, the row holds these integers first
        std::vector<uint16_t> codes;
    } cases[] = {
        {"two RK-able doubles", {2.5, 3.25}, {}, {0x00BD}},
        {"non RK-able then RK-able", {0.001, 2.5}, {}, {0x0203, 0x027E}},
        {"integer beside a double", {2.5}, {7}, {0x027E, 0x027E}},
        {"empty between numbers", {1.0, NAN, 2.0}, {}, {0x027E, 0x0201, 0x027E}},
        {"nanoamp reading", {1.234567e-9}, {}, {0x0203}},
        {"time with hundredths beyond 5243 s", {5243.21}, {}, {0x0203}},
        {"hundredths", {0.01, 12.34}, {}, {0x00BD}},
        {"integer beyond 30 bits", {}, {1 << 29, 5}, {0x0203, 0x027E}},
        {"two integers", {}, {-3, 5}, {0x00BD}},
    };
    for (const auto& c : cases) {
        TempFolder dir;
        const Bytes stream = SaveOneSheet(dir, [&](ExcelSheet& s) {
            int col = 0;
            for (int v : c.integers) {
                ExcelCell* cell = s.Cell(0, col++);
                cell->type = ExcelCell::eInt;
                cell->ival = v;
            }
            for (double v : c.values) {
                if (std::isnan(v))
                    s.Cell(0, col++);
                else
                    SetNumber(s, 0, col++, v);
            }
        });
        EXPECT_EQ(CellCodes(stream), c.codes) << c.name;

        ExcelDocument back;
        ASSERT_TRUE(back.Load(dir.File("out.xls"))) << c.name;
        ExcelSheet* s = back.GetSheet(0);
        int col = 0;
        for (int v : c.integers) {
            EXPECT_EQ(s->Cell(0, col)->GetInteger(), v) << c.name;
            EXPECT_EQ(s->Cell(0, col++)->GetDouble(), static_cast<double>(v)) << c.name;
        }
        for (double v : c.values) {
            if (std::isnan(v))
                EXPECT_EQ(s->Cell(0, col++)->type, ExcelCell::eUndefined) << c.name;
            else
                EXPECT_EQ(s->Cell(0, col++)->GetDouble(), v) << c.name;
        }
    }
}

TEST(Layout, RepeatedTextIsOneSharedString) {
    TempFolder dir;
    const Bytes stream = SaveOneSheet(dir, [](ExcelSheet& s) {
        for (int r = 0; r < 100; ++r)
            s.Cell(r, 0)->SetString("same");
        s.Cell(0, 1)->SetWString(u"same");
    });
    for (const RecordAt& r : ListRecords(stream))
        if (r.code == 0x00FC) {
            EXPECT_EQ(U32At(stream, r.pos + 4), 101u);
            EXPECT_EQ(U32At(stream, r.pos + 8), 2u); // the 16-bit text is a string of its own
        }
}

TEST(Layout, MergedExtentWritesOneRange) {
    TempFolder dir;
    const Bytes stream = SaveOneSheet(dir, [](ExcelSheet& s) {
        ExcelCell* cell = s.Cell(1, 2);
        cell->SetString("merged");
        cell->mergedRows = 2;
        cell->mergedColumns = 3;
        s.Cell(4, 5);
    });
    int records = 0;
    for (const RecordAt& r : SheetRecords(stream))
        if (r.code == 0x00E5) {
            ++records;
            EXPECT_EQ(U16At(stream, r.pos + 4), 1);
            EXPECT_EQ(U16At(stream, r.pos + 6), 1);
            EXPECT_EQ(U16At(stream, r.pos + 8), 2);
            EXPECT_EQ(U16At(stream, r.pos + 10), 2);
            EXPECT_EQ(U16At(stream, r.pos + 12), 4);
        }
    EXPECT_EQ(records, 1);
}

TEST(Rk, DecodesTheFourForms) {
    const struct {
        uint32_t rk;
        int type;
        int integer;
        double value;
    } cases[] = {{0xF0E, ExcelCell::eInt, 963, 963.0},      {0xF0F, ExcelCell::eDouble, 0, 9.63},
                 {0x9603, ExcelCell::eInt, 96, 96.0},       {0x3FF00000, ExcelCell::eDouble, 0, 1.0},
                 {0x3FF00001, ExcelCell::eDouble, 0, 0.01}, {0xFFFFFFFE, ExcelCell::eInt, -1, -1.0}};
    for (const auto& c : cases) {
        ExcelCell cell;
        cell.SetRkValue(c.rk);
        EXPECT_EQ(cell.type, c.type) << std::hex << c.rk;
        EXPECT_EQ(cell.GetDouble(), c.value) << std::hex << c.rk;
        if (c.type == ExcelCell::eInt) {
            EXPECT_EQ(cell.GetInteger(), c.integer) << std::hex << c.rk;
        }
    }
}

TEST(Rk, EncodesOnlyValuesThatDecodeExactly) {
    const struct {
        double v;
        bool rk;
    } cases[] = {{1.0, true},      {2.5, true},      {-3.25, true},  {0.01, true},      {12.34, true},
                 {0.0, true},      {-0.0, true},     {1e100, false}, {0.001, false},    {1.234567e-9, false},
                 {5243.21, false}, {1.0 / 3, false}, {NAN, false},   {INFINITY, false}, {100000.5, true}};
    for (const auto& c : cases) {
        uint32_t rk = 0;
        EXPECT_EQ(SheetIO::EncodeRkDouble(c.v, rk), c.rk) << c.v;
        if (c.rk) {
            const SheetIO::CRkNumber back = SheetIO::DecodeRk(rk);
            EXPECT_FALSE(back.isInteger) << c.v;
            EXPECT_EQ(back.value, c.v) << c.v;
            EXPECT_EQ(std::signbit(back.value), std::signbit(c.v)) << c.v;
        }
    }
}

// The RK float form by its definition, rounding with the C library: the encoder must agree with it
// on every value, ties and magnitudes where the rounding is done without the library included.
bool ReferenceRk(double v, uint32_t& rk) {
    if (!std::isfinite(v))
        return false;
    auto floatForm = [](double w, uint32_t& upper) {
        uint64_t bits;
        std::memcpy(&bits, &w, sizeof bits);
        upper = static_cast<uint32_t>(bits >> 32);
        return (bits & 0x3FFFFFFFFull) == 0;
    };
    auto fromUpper = [](uint32_t upper) {
        const uint64_t bits = static_cast<uint64_t>(upper & 0xFFFFFFFCu) << 32;
        double w;
        std::memcpy(&w, &bits, sizeof w);
        return w;
    };
    uint32_t upper;
    if (floatForm(v, upper)) {
        rk = upper;
        return true;
    }
    for (double w : {v * 100.0, std::nearbyint(v * 100.0)})
        if (floatForm(w, upper) && fromUpper(upper) / 100.0 == v) {
            rk = upper | 1u;
            return true;
        }
    return false;
}

TEST(Rk, EncodingAgreesWithTheDefinition) {
    std::vector<double> values = {0.005,        0.015,        -0.005,        0.025,  1.005,  2.675,
                                  0x1p51 / 100, 0x1p52 / 100, -0x1p51 / 100, 0x1p53, 5e-324, -5e-324,
                                  1e308,        0.1,          0.29,          655.35};
    std::mt19937_64 random(7);
    for (int i = 0; i < 200000; ++i) {
        const int k = static_cast<int>(random() % 2000001) - 1000000;
        values.push_back(k / 100.0);           // hundredths, most of them encodable
        values.push_back((2 * k + 1) / 200.0); // halfway between hundredths: ties when scaled
        values.push_back(
            std::ldexp(static_cast<double>(random() >> 11), static_cast<int>(random() % 200) - 150));
        uint64_t bits = random();
        double any;
        std::memcpy(&any, &bits, sizeof any);
        values.push_back(any);
    }
    int differ = 0;
    for (double v : values) {
        uint32_t mine = 0, reference = 0;
        const bool encoded = SheetIO::EncodeRkDouble(v, mine);
        const bool expected = ReferenceRk(v, reference);
        if ((encoded != expected || (encoded && mine != reference)) && ++differ <= 5)
            ADD_FAILURE() << std::hexfloat << v;
    }
    EXPECT_EQ(differ, 0);
}

} // namespace
