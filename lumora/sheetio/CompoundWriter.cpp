// Writing compound documents: the whole layout is known before the first byte, so the document
// is written front to back in one pass: the header, each stream's sectors in one run, the mini
// stream with its table, the directory, the sector table and its extension. The bytes gather in
// one large buffer that goes to the file in a few large writes.
#include "lumora/sheetio/Bytes.h"
#include "lumora/sheetio/CompoundFormat.h"
#include "lumora/sheetio/CompoundStorage.h"
#include "platform/LargeBlock.h"
#include "platform/ReplaceFile.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace SheetIO {

using namespace compound;

namespace {

// The bytes of one document on their way to its file.
class COutput {
public:
    COutput(platform::CFileReplacement& file, uint64_t total) : m_file(file) {
        // A buffer of a huge page for a large document, of the document's size for a small one.
        Grow(static_cast<size_t>(std::min<uint64_t>(total, platform::HUGE_PAGE_BYTES)));
    }
    ~COutput() { Release(); }
    COutput(const COutput&) = delete;
    COutput& operator=(const COutput&) = delete;

    // Zero-filled room for the next 'size' bytes; Advance(size) once they are written.
    uint8_t* Room(size_t size) {
        if (size > m_capacity - m_used) {
            Flush();
            if (size > m_capacity)
                Grow(size);
        }
        uint8_t* room = m_buffer + m_used;
        std::memset(room, 0, size);
        return room;
    }
    void Advance(size_t size) {
        m_used += size;
        m_written += size;
    }
    void Put(const uint8_t* bytes, size_t size) {
        while (size > 0) {
            const size_t n = std::min(size, m_capacity);
            std::memcpy(Room(n), bytes, n);
            Advance(n);
            bytes += n;
            size -= n;
        }
    }
    void Zeros(uint64_t size) {
        while (size > 0) {
            const size_t n = static_cast<size_t>(std::min<uint64_t>(size, m_capacity));
            Room(n);
            Advance(n);
            size -= n;
        }
    }
    void U32(uint32_t value) {
        SetU32(Room(4), value);
        Advance(4);
    }
    // Writes what the buffer holds; false once any write failed. The replacement starts what it
    // was given on its way to the disk as it goes.
    bool Flush() {
        if (m_used > 0 && m_ok)
            m_ok = m_file.Write(m_buffer, m_used);
        m_used = 0;
        return m_ok;
    }
    uint64_t Written() const { return m_written; }

private:
    void Grow(size_t capacity) {
        capacity = std::max<size_t>(capacity, SECTOR_BYTES);
        uint8_t* buffer = static_cast<uint8_t*>(platform::AllocateBuffer(capacity));
        Release();
        m_buffer = buffer;
        m_capacity = capacity;
    }
    void Release() {
        if (!m_buffer)
            return;
        platform::FreeBuffer(m_buffer, m_capacity);
        m_buffer = nullptr;
    }

    platform::CFileReplacement& m_file;
    uint8_t* m_buffer = nullptr;
    size_t m_capacity = 0;
    size_t m_used = 0;
    uint64_t m_written = 0;
    bool m_ok = true;
};

// Consecutive sectors (or mini sectors) chained one to the next.
struct SChain {
    uint64_t first;
    uint64_t count;
};

// The entries of a sector table for 'chains' (rising, not overlapping), 'marks' sectors from
// 'marked' on marked with 'mark' (the table's own sectors), then free entries up to 'entries'.
void PutTable(COutput& out, const std::vector<SChain>& chains, uint64_t entries, uint64_t marked = 0,
              uint64_t marks = 0, const uint32_t* markValues = nullptr,
              const uint64_t* markCounts = nullptr) {
    size_t c = 0;
    for (uint64_t s = 0; s < entries; ++s) {
        while (c < chains.size() && s >= chains[c].first + chains[c].count)
            ++c;
        uint32_t value = FREE_SECTOR;
        if (c < chains.size() && s >= chains[c].first)
            value = s + 1 < chains[c].first + chains[c].count ? static_cast<uint32_t>(s + 1) : END_OF_CHAIN;
        else if (marks > 0 && s >= marked && s < marked + marks) {
            uint64_t at = s - marked;
            for (int k = 0;; ++k) {
                if (at < markCounts[k]) {
                    value = markValues[k];
                    break;
                }
                at -= markCounts[k];
            }
        }
        out.U32(value);
    }
}

// A valid red-black tree of the sorted entries lo..hi (ids in 'order'): a balanced tree, black
// but for the nodes of an incomplete last level, which are red. Returns the root's id.
uint32_t BuildTree(const std::vector<uint32_t>& order, int lo, int hi, int depth, int fullDepth,
                   std::vector<uint32_t>& left, std::vector<uint32_t>& right, std::vector<uint8_t>& colour) {
    if (lo > hi)
        return NO_ENTRY;
    const int mid = lo + (hi - lo) / 2;
    const uint32_t id = order[static_cast<size_t>(mid)];
    left[id] = BuildTree(order, lo, mid - 1, depth + 1, fullDepth, left, right, colour);
    right[id] = BuildTree(order, mid + 1, hi, depth + 1, fullDepth, left, right, colour);
    colour[id] = depth >= fullDepth ? 0 : 1;
    return id;
}

bool NameFits(const std::u16string& name) {
    return !name.empty() && name.size() <= MAX_NAME && name.find_first_of(u"/\\:!") == std::u16string::npos;
}

} // namespace

std::unique_ptr<CCompoundStorage> CCompoundStorage::Create(const QString& path) {
    std::unique_ptr<CCompoundStorage> storage(new CCompoundStorage);
    storage->m_path = path.toStdString();
    return storage;
}

int CCompoundStorage::CreateStream(const std::string& name) {
    if (!IsWritable() || !NameFits(NameCharacters(name)))
        return -1;
    auto it = FindStream(name);
    if (it == m_streams.end())
        m_streams.push_back({name, {}});
    else
        it->bytes.clear();
    return 1;
}

int CCompoundStorage::WriteStream(const std::string& name, const uint8_t* bytes, size_t size) {
    if (!IsWritable())
        return -1;
    auto it = FindStream(name);
    if (it == m_streams.end())
        return -1;
    if (size > MAX_STREAM_BYTES)
        return -6;
    it->bytes.assign(bytes, bytes + size);
    return Flush() ? 1 : -1;
}

int CCompoundStorage::WriteStream(const std::string& name, uint64_t size, const Producer& produce) {
    if (!IsWritable())
        return -1;
    auto it = FindStream(name);
    if (it == m_streams.end())
        return -1;
    if (size > MAX_STREAM_BYTES)
        return -6;
    std::vector<uint8_t>().swap(it->bytes);
    return Flush(&it->name, &produce, size) ? 1 : -1;
}

bool CCompoundStorage::Flush(const std::string* produced, const Producer* produce, uint64_t size) {
    const size_t n = m_streams.size();
    std::vector<uint64_t> sizes(n);
    for (size_t i = 0; i < n; ++i) {
        sizes[i] = &m_streams[i].name == produced ? size : m_streams[i].bytes.size();
        if (sizes[i] > MAX_STREAM_BYTES)
            return false;
    }

    // Where everything goes: large streams from sector 0 on, then the mini stream (the small
    // streams' mini sectors), its table, the directory, the sector table and its extension.
    std::vector<uint64_t> start(n, END_OF_CHAIN);
    std::vector<SChain> chains, miniChains;
    uint64_t sectors = 0, miniSectors = 0;
    for (size_t i = 0; i < n; ++i) {
        if (sizes[i] == 0)
            continue;
        const bool mini = sizes[i] < MINI_CUTOFF;
        uint64_t& next = mini ? miniSectors : sectors;
        start[i] = next;
        (mini ? miniChains : chains).push_back({next, Units(sizes[i], mini ? MINI_SHIFT : SECTOR_SHIFT)});
        next += (mini ? miniChains : chains).back().count;
    }
    const uint64_t miniStreamBytes = miniSectors << MINI_SHIFT;
    const uint64_t miniStreamStart = sectors;
    const uint64_t miniStreamSectors = Units(miniStreamBytes, SECTOR_SHIFT);
    sectors += miniStreamSectors;
    const uint64_t entriesPerSector = SECTOR_BYTES / 4;
    const uint64_t miniFatStart = sectors;
    const uint64_t miniFatSectors = (miniSectors + entriesPerSector - 1) / entriesPerSector;
    sectors += miniFatSectors;
    const uint64_t directoryStart = sectors;
    const uint64_t directorySectors = Units((n + 1) * ENTRY_BYTES, SECTOR_SHIFT);
    sectors += directorySectors;
    // The table covers itself and its extension: the least counts that do.
    uint64_t fatSectors = 0, difatSectors = 0;
    for (;;) {
        const uint64_t f = (sectors + fatSectors + difatSectors + entriesPerSector - 1) / entriesPerSector;
        const uint64_t x =
            f > HEADER_DIFAT ? (f - HEADER_DIFAT + entriesPerSector - 2) / (entriesPerSector - 1) : 0;
        if (f == fatSectors && x == difatSectors)
            break;
        fatSectors = f;
        difatSectors = x;
    }
    const uint64_t fatStart = sectors;
    const uint64_t difatStart = fatStart + fatSectors;
    const uint64_t total = difatStart + difatSectors;
    if (total > MAX_SECTOR)
        return false;
    if (miniStreamSectors > 0)
        chains.push_back({miniStreamStart, miniStreamSectors});
    if (miniFatSectors > 0)
        chains.push_back({miniFatStart, miniFatSectors});
    chains.push_back({directoryStart, directorySectors});

    platform::CFileReplacement file;
    if (!file.Begin(QString::fromStdString(m_path)))
        return false;
    COutput out(file, (total + 1) * SECTOR_BYTES);

    // The header.
    {
        uint8_t* h = out.Room(HEADER_BYTES);
        std::memcpy(h, SIGNATURE, sizeof SIGNATURE);
        SetU16(h + 0x18, 0x003E);
        SetU16(h + 0x1A, 3);
        SetU16(h + 0x1C, 0xFFFE);
        SetU16(h + 0x1E, SECTOR_SHIFT);
        SetU16(h + 0x20, MINI_SHIFT);
        SetU32(h + 0x2C, static_cast<uint32_t>(fatSectors));
        SetU32(h + 0x30, static_cast<uint32_t>(directoryStart));
        SetU32(h + 0x38, MINI_CUTOFF);
        SetU32(h + 0x3C, miniFatSectors > 0 ? static_cast<uint32_t>(miniFatStart) : END_OF_CHAIN);
        SetU32(h + 0x40, static_cast<uint32_t>(miniFatSectors));
        SetU32(h + 0x44, difatSectors > 0 ? static_cast<uint32_t>(difatStart) : END_OF_CHAIN);
        SetU32(h + 0x48, static_cast<uint32_t>(difatSectors));
        for (uint32_t i = 0; i < HEADER_DIFAT; ++i)
            SetU32(h + 0x4C + 4 * i, i < fatSectors ? static_cast<uint32_t>(fatStart + i) : FREE_SECTOR);
        out.Advance(HEADER_BYTES);
    }

    // The streams' bytes, each padded to its last (mini) sector.
    auto putStream = [&](size_t i, uint32_t unitShift) {
        const uint64_t from = out.Written();
        if (&m_streams[i].name == produced) {
            uint64_t written = 0;
            const bool ok = (*produce)([&](uint32_t pieceSize, const PieceWriter& write) {
                if (pieceSize > size - written)
                    return false;
                if (pieceSize == 0)
                    return true;
                if (write(out.Room(pieceSize)) != pieceSize)
                    return false;
                out.Advance(pieceSize);
                written += pieceSize;
                return true;
            });
            if (!ok || written != size)
                return false;
        } else {
            out.Put(m_streams[i].bytes.data(), m_streams[i].bytes.size());
        }
        out.Zeros((Units(sizes[i], unitShift) << unitShift) - (out.Written() - from));
        return true;
    };
    for (size_t i = 0; i < n; ++i)
        if (sizes[i] >= MINI_CUTOFF && !putStream(i, SECTOR_SHIFT))
            return false;
    for (size_t i = 0; i < n; ++i)
        if (sizes[i] > 0 && sizes[i] < MINI_CUTOFF && !putStream(i, MINI_SHIFT))
            return false;
    out.Zeros((miniStreamSectors << SECTOR_SHIFT) - miniStreamBytes);
    PutTable(out, miniChains, miniFatSectors * entriesPerSector);

    // The directory: the root entry, then one entry per stream in a tree ordered as compound
    // documents order names (shorter first, then by their upper-case characters).
    std::vector<std::u16string> names(n + 1);
    std::vector<uint32_t> order(n);
    for (size_t i = 0; i < n; ++i) {
        names[i + 1] = NameCharacters(m_streams[i].name);
        order[i] = static_cast<uint32_t>(i + 1);
    }
    std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
        if (names[a].size() != names[b].size())
            return names[a].size() < names[b].size();
        for (size_t k = 0; k < names[a].size(); ++k)
            if (UpperLatin(names[a][k]) != UpperLatin(names[b][k]))
                return UpperLatin(names[a][k]) < UpperLatin(names[b][k]);
        return false;
    });
    std::vector<uint32_t> left(n + 1, NO_ENTRY), right(n + 1, NO_ENTRY);
    std::vector<uint8_t> colour(n + 1, 1);
    int fullDepth = 0;
    while ((size_t{2} << fullDepth) - 1 <= n)
        ++fullDepth;
    const uint32_t top = BuildTree(order, 0, static_cast<int>(n) - 1, 0, fullDepth, left, right, colour);
    names[0] = u"Root Entry";
    for (uint64_t id = 0; id < directorySectors * (SECTOR_BYTES / ENTRY_BYTES); ++id) {
        uint8_t* e = out.Room(ENTRY_BYTES);
        if (id <= n) {
            SetWChars(e, names[id].data(), names[id].size());
            SetU16(e + 0x40, static_cast<uint16_t>(2 * (names[id].size() + 1)));
            e[0x42] = id == 0 ? TYPE_ROOT : TYPE_STREAM;
            e[0x43] = id == 0 ? 1 : colour[id];
            SetU32(e + 0x44, id == 0 ? NO_ENTRY : left[id]);
            SetU32(e + 0x48, id == 0 ? NO_ENTRY : right[id]);
            SetU32(e + 0x4C, id == 0 ? top : NO_ENTRY);
            const uint64_t first =
                id == 0 ? (miniStreamBytes > 0 ? miniStreamStart : END_OF_CHAIN) : start[id - 1];
            SetU32(e + 0x74, static_cast<uint32_t>(first));
            SetU64(e + 0x78, id == 0 ? miniStreamBytes : sizes[id - 1]);
        } else {
            SetU32(e + 0x44, NO_ENTRY);
            SetU32(e + 0x48, NO_ENTRY);
            SetU32(e + 0x4C, NO_ENTRY);
        }
        out.Advance(ENTRY_BYTES);
    }

    // The sector table, its own sectors and its extension's marked as such, and the extension:
    // the table sectors after the header's 109, each of its sectors ending with the next's number.
    const uint32_t markValues[] = {FAT_SECTOR, DIFAT_SECTOR};
    const uint64_t markCounts[] = {fatSectors, difatSectors};
    PutTable(out, chains, fatSectors * entriesPerSector, fatStart, fatSectors + difatSectors, markValues,
             markCounts);
    uint64_t listed = HEADER_DIFAT;
    for (uint64_t k = 0; k < difatSectors; ++k) {
        for (uint64_t i = 0; i + 1 < entriesPerSector; ++i, ++listed)
            out.U32(listed < fatSectors ? static_cast<uint32_t>(fatStart + listed) : FREE_SECTOR);
        out.U32(k + 1 < difatSectors ? static_cast<uint32_t>(difatStart + k + 1) : END_OF_CHAIN);
    }
    if (out.Written() != (total + 1) * SECTOR_BYTES || !out.Flush())
        return false;
    return file.Commit();
}

} // namespace SheetIO
