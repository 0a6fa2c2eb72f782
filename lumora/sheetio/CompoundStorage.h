#pragma once

#include <QFile>
#include <QString>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace SheetIO {

// A compound document (OLE2 structured storage, the container of Excel 97-2003 workbooks), opened
// either for reading or for writing. Reading takes the sectors straight from the file into the
// reader's buffer. A storage for writing keeps its streams in memory and replaces the whole file on
// every stream write, through a temporary file beside it, so the file on disk is either the old
// one or complete whenever a call returns.
// Our own sector code rather than a container library: a library's stream objects copy every byte
// through buffers of their own, which cost more than the whole workbook's records to parse.
class CCompoundStorage {
    // Consecutive sectors (or mini sectors) of a stream's chain, at stream position 'position'.
    struct SRun {
        uint32_t first;
        uint32_t count;
        uint64_t position;
    };

public:
    // A stream of a storage opened for reading, read in order piece by piece, so that a large
    // stream need not be held whole.
    class CStreamReader {
    public:
        CStreamReader(const CStreamReader&) = delete;
        CStreamReader& operator=(const CStreamReader&) = delete;

        uint64_t Size() const { return m_size; }
        // The next 'count' bytes of the stream; false when they cannot be read.
        bool Read(uint8_t* out, size_t count);

    private:
        friend class CCompoundStorage;
        CStreamReader(const CCompoundStorage& storage, std::vector<SRun> runs, uint64_t size, bool mini)
            : m_storage(storage), m_runs(std::move(runs)), m_size(size), m_mini(mini) {}

        const CCompoundStorage& m_storage;
        std::vector<SRun> m_runs;
        uint64_t m_size;
        bool m_mini;
        uint64_t m_position = 0;
        size_t m_run = 0; // the run that holds m_position
    };

    // Takes a stream a piece at a time: 'size' bytes that 'write' puts at the zero-filled room it
    // is given, returning how many it wrote.
    using PieceWriter = std::function<uint32_t(uint8_t* room)>;
    using Sink = std::function<bool(uint32_t size, const PieceWriter& write)>;
    using Producer = std::function<bool(const Sink& sink)>;

    ~CCompoundStorage();
    CCompoundStorage(const CCompoundStorage&) = delete;
    CCompoundStorage& operator=(const CCompoundStorage&) = delete;

    // Null when the file is missing, is no regular file or is no sound compound document.
    static std::unique_ptr<CCompoundStorage> OpenForReading(const std::filesystem::path& path);
    static std::unique_ptr<CCompoundStorage> OpenForReading(const QString& path) {
        return OpenForReading(std::filesystem::path(QFile::encodeName(path).toStdString()));
    }
    // A new, empty document for 'path'; the file is not touched until a stream is written.
    static std::unique_ptr<CCompoundStorage> Create(const QString& path);

    // Stream names (UTF-8) match without regard to the case of their Latin letters. Results:
    // 1 success, -1 failure, -6 for a stream larger than 32 bits can count (ReadStream) or than
    // the document may hold, 2 GiB (WriteStream: the file is not touched).
    // CreateStream refuses a name a compound document cannot hold (empty, over 31 characters,
    // or with '/', '\', ':' or '!').
    int CreateStream(const std::string& name);
    int StreamSize(const std::string& name, uint64_t& size);
    int ReadStream(const std::string& name, std::vector<uint8_t>& buffer);
    // Null when the storage is not open for reading or has no such stream, or when the stream's
    // sectors are not all in the file.
    std::unique_ptr<CStreamReader> OpenStreamReader(const std::string& name);
    // Replaces the stream's contents, so the stream ends where 'bytes' end.
    int WriteStream(const std::string& name, const uint8_t* bytes, size_t size);
    // The same for a stream of 'size' bytes that 'produce' hands over piece by piece to its sink,
    // as the document is written: each piece is written in place into the file's buffer. Its
    // bytes are not kept (a later write of another stream leaves this one empty). -1 unless
    // exactly 'size' bytes came.
    int WriteStream(const std::string& name, uint64_t size, const Producer& produce);

    bool IsWritable() const { return m_fd < 0; }

private:
    struct SEntry {
        std::u16string name;
        uint8_t type = 0; // 1 storage, 2 stream, 5 root
        uint32_t left = 0, right = 0, child = 0;
        uint32_t start = 0;
        uint64_t size = 0;
    };
    struct SStream {
        std::string name;
        std::vector<uint8_t> bytes;
    };

    CCompoundStorage() = default;

    // Reading.
    bool ReadHeader();
    bool ReadFile(uint64_t offset, uint8_t* out, size_t count) const;
    // The runs of the chain from 'start' that hold 'units' sectors (mini sectors when 'mini'), or
    // of the whole chain when 'units' is TO_THE_END ('units' then gets its length). False when the
    // chain ends early, leaves the table, comes back on itself or names a unit beyond the file
    // (or the mini stream).
    static constexpr uint64_t TO_THE_END = UINT64_MAX;
    bool Chain(uint32_t start, uint64_t& units, bool mini, std::vector<SRun>& runs) const;
    // The bytes from the start of the stream of 'size' bytes made of 'runs' that the file (or the
    // mini stream) holds: 'size', or where the first byte it lacks would be.
    uint64_t HeldBytes(const std::vector<SRun>& runs, uint64_t size, bool mini) const;
    // Reads 'count' bytes at 'position' of the stream made of 'runs', from 'run' on (advanced).
    bool ReadRuns(const std::vector<SRun>& runs, bool mini, uint64_t position, uint8_t* out, size_t count,
                  size_t& run) const;
    // Index of the stream entry among the root's children, -1 when there is none.
    int64_t FindEntry(const std::string& name) const;

    // Writing: every stream into the file; the stream 'produced' (when set) comes from 'produce'.
    bool Flush(const std::string* produced = nullptr, const Producer* produce = nullptr, uint64_t size = 0);
    std::vector<SStream>::iterator FindStream(const std::string& name);

    // Reading state (m_fd >= 0 when open for reading).
    int m_fd = -1;
    uint64_t m_fileSize = 0;
    uint64_t m_fileSectors = 0; // sectors at least in part in the file
    uint32_t m_sectorShift = 9;
    uint32_t m_miniCutoff = 4096;
    std::vector<uint32_t> m_fat;
    std::vector<uint32_t> m_miniFat;
    std::vector<SEntry> m_entries;
    std::vector<SRun> m_miniStream; // the root entry's chain, which holds the mini sectors
    uint64_t m_miniStreamSize = 0;

    // Writing state: the path as UTF-8 (no Qt type, so that a reader needs no Qt).
    std::string m_path;
    std::vector<SStream> m_streams;
};

} // namespace SheetIO
