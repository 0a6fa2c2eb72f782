#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

typedef struct _GsfInfile GsfInfile;
typedef struct _GsfInput GsfInput;
typedef struct _GsfOutput GsfOutput;

namespace SheetIO {

// A compound document (OLE2 structured storage) over libgsf, opened either for reading or for
// writing. A storage for writing keeps its streams in memory and replaces the whole file on every
// stream write, through a temporary file beside it, so the file on disk is either the old one or
// complete whenever a call returns.
class CCompoundStorage {
public:
    // A stream of a storage opened for reading, read in order piece by piece, so that a large
    // stream need not be held whole.
    class CStreamReader {
    public:
        explicit CStreamReader(GsfInput* input) : m_input(input) {}
        ~CStreamReader();
        CStreamReader(const CStreamReader&) = delete;
        CStreamReader& operator=(const CStreamReader&) = delete;

        uint64_t Size() const;
        // The next 'count' bytes of the stream; false when they cannot be read.
        bool Read(uint8_t* out, size_t count);

    private:
        GsfInput* m_input;
    };

    ~CCompoundStorage();
    CCompoundStorage(const CCompoundStorage&) = delete;
    CCompoundStorage& operator=(const CCompoundStorage&) = delete;

    // Null when the file is missing or is no compound document.
    static std::unique_ptr<CCompoundStorage> OpenForReading(const QString& path);
    // A new, empty document for 'path'; the file is not touched until a stream is written.
    static std::unique_ptr<CCompoundStorage> Create(const QString& path);

    // Stream names match without regard to case. Results: 1 success, -1 failure, -6 (ReadStream)
    // for a stream larger than 32 bits can count.
    int CreateStream(const std::string& name);
    int StreamSize(const std::string& name, uint64_t& size);
    int ReadStream(const std::string& name, std::vector<uint8_t>& buffer);
    // Null when the storage is not open for reading or has no such stream.
    std::unique_ptr<CStreamReader> OpenStreamReader(const std::string& name);
    // Replaces the stream's contents, so the stream ends where 'bytes' end.
    int WriteStream(const std::string& name, const uint8_t* bytes, size_t size);
    // The same for a stream of 'size' bytes that 'produce' hands over piece by piece through
    // 'put', as the document is written; its bytes are not kept (a later write of another stream
    // leaves this one empty). -1 unless exactly 'size' bytes came.
    using Put = std::function<bool(const uint8_t* bytes, size_t size)>;
    using Producer = std::function<bool(const Put& put)>;
    int WriteStream(const std::string& name, uint64_t size, const Producer& produce);

    bool IsWritable() const { return m_infile == nullptr; }

private:
    CCompoundStorage() = default;
    // Writes every stream into the file; the stream 'produced' (when set) comes from 'produce'.
    bool Flush(const std::string* produced = nullptr, const Producer* produce = nullptr, uint64_t size = 0);
    bool WriteDocument(GsfOutput* sink, const std::string* produced, const Producer* produce,
                       uint64_t size) const;
    int FindChild(const std::string& name) const;
    std::vector<std::pair<std::string, std::vector<uint8_t>>>::iterator FindStream(const std::string& name);

    GsfInfile* m_infile = nullptr;
    QString m_path;
    std::vector<std::pair<std::string, std::vector<uint8_t>>> m_streams;
};

} // namespace SheetIO
