#pragma once

#include "lumora/core/DataImport.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// The program's binary measurement file: a 171-byte little-endian header, a 5-byte zero gap, then
// from offset 176 the time array and the present value columns, each of SampleCount doubles.
class CBinDataFile {
public:
    static constexpr std::uint16_t kMagic = 0x0F0F;
    static constexpr const char* kIdentifier = "QXT#20151108#001";
    static constexpr const char* kMaker = "TORVANE TECHNOLOGIES";
    static constexpr int kHeaderSize = 171;
    static constexpr int kDataOffset = 176;
    static constexpr int kColumns = 4; // voltage, DC current, minimum, maximum
    // The most samples a file of times and one value column holds and still reads back: its data area
    // stays below 4 GiB.
    static constexpr std::size_t kMaxSamples = ((std::uint64_t{1} << 32) - 1) / 16;

    // A stretch of one array, for arrays that are not in one piece.
    struct SColumnPiece {
        const double* data;
        std::size_t count;
    };

    // The header fields in file order.
    struct SHeader {
        std::uint16_t Magic = kMagic;
        char Identifier[20] = {};
        char Maker[25] = {};
        std::uint32_t SampleCount = 0;
        std::uint32_t Reserved1 = 0;
        std::uint32_t Reserved2 = 0;
        float ReservedFloat1[4] = {};
        std::uint32_t ColumnPresent[kColumns] = {}; // nonzero: value column 1..4 is in the file
        std::uint32_t ReservedInt[5] = {};
        float ReservedFloat2[5] = {};
        double ReservedDouble[5] = {};
    };

    CBinDataFile();
    virtual ~CBinDataFile() = default;

    // Writes n times and n values as value column 'column' (1..4, the DC current's 2 unless told), the
    // file's only value column; 1 on success. The arrays are not kept. The file is replaced whole: on a
    // failure the file that was there stays as it was.
    int Write(const double* times, const double* values, unsigned n, const QString& path, int column = 2);
    // The same with each array in pieces, in order; both hold the same number of samples.
    int Write(std::span<const SColumnPiece> times, std::span<const SColumnPiece> values, const QString& path,
              int column = 2);

    // Reads the header and the arrays; 1 on success, 0 when the path names no regular file, the file
    // cannot be read, is shorter than its header or than its sample count and columns claim, or the
    // read was stopped. 'control', when given, sees the bytes read of those to read and stops the read
    // once its cancel is set. Only the arrays the file holds are made, and each is filled as it is
    // read, never cleared first.
    int Read(const QString& path, SImportControl* control = nullptr);

    // Frees all five arrays.
    void Clear();

    const SHeader& GetHeader() const { return m_header; }
    const CImportColumn& GetTimes() const { return m_times; }
    // Value column 1..4; empty when the column is not present.
    const CImportColumn& GetColumn(int column) const;
    bool IsColumnPresent(int column) const;

private:
    SHeader m_header;
    CImportColumn m_times;
    CImportColumn m_columns[kColumns];
};
