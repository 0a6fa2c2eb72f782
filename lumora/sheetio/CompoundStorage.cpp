// Reading compound documents: the header, the sector allocation table (with the extension of its
// list of sectors), the directory and the mini stream, then a stream's sectors straight from the
// file. Every table entry and sector number read from the file is checked before it is used.
#include "lumora/sheetio/CompoundStorage.h"

#include "lumora/sheetio/Bytes.h"
#include "lumora/sheetio/CompoundFormat.h"
#include "lumora/sheetio/XLString.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace SheetIO {

using namespace compound;

CCompoundStorage::~CCompoundStorage() {
    if (m_fd >= 0)
        ::close(m_fd);
}

bool CCompoundStorage::CStreamReader::Read(uint8_t* out, size_t count) {
    if (count > m_size - m_position)
        return false;
    if (count == 0)
        return true;
    if (!m_storage.ReadRuns(m_runs, m_mini, m_position, out, count, m_run))
        return false;
    m_position += count;
    return true;
}

std::unique_ptr<CCompoundStorage> CCompoundStorage::OpenForReading(const std::filesystem::path& path) {
    // Not blocking, so that a FIFO given as the file is refused rather than waited on.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return nullptr;
    std::unique_ptr<CCompoundStorage> storage(new CCompoundStorage);
    storage->m_fd = fd;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        return nullptr;
    storage->m_fileSize = static_cast<uint64_t>(info.st_size);
    if (!storage->ReadHeader())
        return nullptr;
    return storage;
}

bool CCompoundStorage::ReadFile(uint64_t offset, uint8_t* out, size_t count) const {
    while (count > 0) {
        const ssize_t got = ::pread(m_fd, out, count, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        out += got;
        offset += static_cast<uint64_t>(got);
        count -= static_cast<size_t>(got);
    }
    return true;
}

bool CCompoundStorage::ReadHeader() {
    uint8_t h[HEADER_BYTES];
    if (m_fileSize < HEADER_BYTES || !ReadFile(0, h, HEADER_BYTES))
        return false;
    if (!std::equal(SIGNATURE, SIGNATURE + sizeof SIGNATURE, h) || GetU16(h + 0x1C) != 0xFFFE)
        return false;
    const uint16_t major = GetU16(h + 0x1A);
    m_sectorShift = GetU16(h + 0x1E);
    if ((m_sectorShift != 9 && m_sectorShift != 12) || GetU16(h + 0x20) != MINI_SHIFT)
        return false;
    const uint64_t sectorBytes = uint64_t{1} << m_sectorShift;
    // Sectors wholly in the file; sector 0 follows the header's sector.
    const uint64_t sectors = m_fileSize < sectorBytes ? 0 : m_fileSize / sectorBytes - 1;
    // Sectors at least in part in the file.
    m_fileSectors = m_fileSize <= sectorBytes ? 0 : (m_fileSize - 1) / sectorBytes;
    const uint32_t fatSectors = GetU32(h + 0x2C);
    const uint32_t firstDirectory = GetU32(h + 0x30);
    m_miniCutoff = GetU32(h + 0x38);
    const uint32_t firstMiniFat = GetU32(h + 0x3C);
    uint32_t nextDifat = GetU32(h + 0x44);
    uint32_t difatSectors = GetU32(h + 0x48);
    if (fatSectors > sectors || difatSectors > sectors)
        return false;

    // The list of the table's sectors: 109 in the header, the rest in a chain of sectors that
    // each end with the number of the next.
    std::vector<uint32_t> fatList;
    fatList.reserve(fatSectors);
    for (uint32_t i = 0; i < HEADER_DIFAT && fatList.size() < fatSectors; ++i)
        fatList.push_back(GetU32(h + 0x4C + 4 * i));
    const uint32_t perSector = static_cast<uint32_t>(sectorBytes / 4);
    std::vector<uint8_t> sector(sectorBytes);
    for (; fatList.size() < fatSectors && difatSectors > 0; --difatSectors) {
        if (nextDifat >= sectors ||
            !ReadFile((uint64_t{nextDifat} + 1) << m_sectorShift, sector.data(), sectorBytes))
            return false;
        for (uint32_t i = 0; i + 1 < perSector && fatList.size() < fatSectors; ++i)
            fatList.push_back(GetU32(sector.data() + 4 * i));
        nextDifat = GetU32(sector.data() + sectorBytes - 4);
    }
    if (fatList.size() < fatSectors)
        return false;

    // The table, read in runs of neighbouring sectors.
    m_fat.resize(size_t{fatSectors} * perSector);
    for (size_t i = 0; i < fatList.size();) {
        size_t n = 1;
        while (i + n < fatList.size() && fatList[i + n] == fatList[i] + n)
            ++n;
        if (fatList[i] >= sectors || n > sectors - fatList[i])
            return false;
        uint8_t* into = reinterpret_cast<uint8_t*>(m_fat.data() + i * perSector);
        if (!ReadFile((uint64_t{fatList[i]} + 1) << m_sectorShift, into, n * sectorBytes))
            return false;
        i += n;
    }
    for (uint32_t& entry : m_fat)
        entry = GetU32(reinterpret_cast<const uint8_t*>(&entry));

    // The directory: a chain to its end.
    std::vector<SRun> runs;
    uint64_t units = TO_THE_END;
    if (!Chain(firstDirectory, units, false, runs) || units == 0)
        return false;
    std::vector<uint8_t> directory(units << m_sectorShift);
    size_t run = 0;
    if (!ReadRuns(runs, false, 0, directory.data(), directory.size(), run))
        return false;
    const bool version3 = major == 3;
    m_entries.resize(directory.size() / ENTRY_BYTES);
    for (size_t i = 0; i < m_entries.size(); ++i) {
        const uint8_t* e = directory.data() + i * ENTRY_BYTES;
        SEntry& entry = m_entries[i];
        const uint16_t nameBytes = GetU16(e + 0x40);
        if (nameBytes >= 2 && nameBytes <= 64 && nameBytes % 2 == 0) {
            entry.name.resize(nameBytes / 2 - 1);
            GetWChars(e, entry.name.data(), entry.name.size());
        }
        entry.type = e[0x42];
        entry.left = GetU32(e + 0x44);
        entry.right = GetU32(e + 0x48);
        entry.child = GetU32(e + 0x4C);
        entry.start = GetU32(e + 0x74);
        // Version 3 counts in 32 bits; some writers leave the upper half undefined.
        entry.size = version3 ? GetU32(e + 0x78) : GetU64(e + 0x78);
    }
    if (m_entries.empty() || m_entries[0].type != TYPE_ROOT)
        return false;

    // The small streams' table and the mini stream they live in. A document whose mini stream
    // is damaged still opens; only its small streams cannot be read.
    units = TO_THE_END;
    if (firstMiniFat <= MAX_SECTOR && Chain(firstMiniFat, units, false, runs)) {
        std::vector<uint32_t> miniFat(static_cast<size_t>(units) * perSector);
        run = 0;
        if (ReadRuns(runs, false, 0, reinterpret_cast<uint8_t*>(miniFat.data()), miniFat.size() * 4, run)) {
            for (uint32_t& entry : miniFat)
                entry = GetU32(reinterpret_cast<const uint8_t*>(&entry));
            m_miniFat = std::move(miniFat);
        }
    }
    const SEntry& root = m_entries[0];
    units = Units(root.size, m_sectorShift);
    // A mini stream the file cuts short holds the mini sectors before the cut.
    if (root.size > 0 && Chain(root.start, units, false, m_miniStream))
        m_miniStreamSize = HeldBytes(m_miniStream, root.size, false);
    else
        m_miniStream.clear();
    return true;
}

uint64_t CCompoundStorage::HeldBytes(const std::vector<SRun>& runs, uint64_t size, bool mini) const {
    const uint32_t shift = mini ? MINI_SHIFT : m_sectorShift;
    const uint64_t limit = mini ? m_miniStreamSize : m_fileSize;
    for (const SRun& r : runs) {
        const uint64_t bytes = std::min<uint64_t>(uint64_t{r.count} << shift, size - r.position);
        const uint64_t from = (uint64_t{r.first} + (mini ? 0 : 1)) << shift;
        if (from + bytes > limit)
            return r.position + (limit > from ? limit - from : 0);
    }
    return size;
}

bool CCompoundStorage::Chain(uint32_t start, uint64_t& units, bool mini, std::vector<SRun>& runs) const {
    const std::vector<uint32_t>& table = mini ? m_miniFat : m_fat;
    // Units the file (or the mini stream) holds at least in part: a chain of distinct units can
    // be no longer.
    const uint64_t held = mini ? (m_miniStreamSize + MINI_BYTES - 1) >> MINI_SHIFT : m_fileSectors;
    const bool toEnd = units == TO_THE_END;
    runs.clear();
    if (!toEnd && units > std::min<uint64_t>(table.size(), held))
        return false;
    std::vector<bool> seen(table.size());
    uint64_t i = 0;
    for (uint32_t s = start; toEnd ? s <= MAX_SECTOR : i < units; s = table[s], ++i) {
        if (s >= table.size() || s >= held || seen[s])
            return false;
        seen[s] = true;
        if (!runs.empty() && runs.back().first + runs.back().count == s)
            ++runs.back().count;
        else
            runs.push_back({s, 1, i << (mini ? MINI_SHIFT : m_sectorShift)});
    }
    units = i;
    return true;
}

bool CCompoundStorage::ReadRuns(const std::vector<SRun>& runs, bool mini, uint64_t position, uint8_t* out,
                                size_t count, size_t& run) const {
    const uint32_t shift = mini ? MINI_SHIFT : m_sectorShift;
    auto end = [&](const SRun& r) { return r.position + (uint64_t{r.count} << shift); };
    while (count > 0) {
        if (run >= runs.size() || position < runs[run].position || position >= end(runs[run])) {
            // Reads go on in order, so this search is rare.
            auto after = std::upper_bound(runs.begin(), runs.end(), position,
                                          [](uint64_t p, const SRun& r) { return p < r.position; });
            if (after == runs.begin())
                return false;
            run = static_cast<size_t>(after - runs.begin()) - 1;
            if (position >= end(runs[run]))
                return false;
        }
        const SRun& r = runs[run];
        const uint64_t within = position - r.position;
        const size_t n = static_cast<size_t>(std::min<uint64_t>(count, end(r) - position));
        bool read;
        if (mini) {
            // A mini sector lives in the mini stream, itself a chain of sectors.
            size_t miniRun = 0;
            const uint64_t at = (uint64_t{r.first} << MINI_SHIFT) + within;
            read = at + n <= m_miniStreamSize && ReadRuns(m_miniStream, false, at, out, n, miniRun);
        } else {
            read = ReadFile(((uint64_t{r.first} + 1) << shift) + within, out, n);
        }
        if (!read)
            return false;
        out += n;
        position += n;
        count -= n;
    }
    return true;
}

int64_t CCompoundStorage::FindEntry(const std::string& name) const {
    const std::u16string wanted = NameCharacters(name);
    std::vector<bool> seen(m_entries.size());
    std::vector<uint32_t> pending{m_entries[0].child};
    while (!pending.empty()) {
        const uint32_t id = pending.back();
        pending.pop_back();
        if (id >= m_entries.size() || seen[id])
            continue;
        seen[id] = true;
        const SEntry& entry = m_entries[id];
        if (entry.type == TYPE_STREAM && SameName(entry.name, wanted))
            return id;
        pending.push_back(entry.right);
        pending.push_back(entry.left);
    }
    return -1;
}

std::vector<CCompoundStorage::SStream>::iterator CCompoundStorage::FindStream(const std::string& name) {
    const std::u16string wanted = NameCharacters(name);
    return std::find_if(m_streams.begin(), m_streams.end(),
                        [&](const SStream& s) { return SameName(NameCharacters(s.name), wanted); });
}

std::unique_ptr<CCompoundStorage::CStreamReader> CCompoundStorage::OpenStreamReader(const std::string& name) {
    if (IsWritable())
        return nullptr;
    const int64_t id = FindEntry(name);
    if (id < 0)
        return nullptr;
    const SEntry& entry = m_entries[static_cast<size_t>(id)];
    const bool mini = entry.size < m_miniCutoff;
    std::vector<SRun> runs;
    if (entry.size > 0) {
        const uint32_t shift = mini ? MINI_SHIFT : m_sectorShift;
        uint64_t units = Units(entry.size, shift);
        if (!Chain(entry.start, units, mini, runs))
            return nullptr;
        // Every byte the stream needs must be in the file (or in the mini stream).
        if (HeldBytes(runs, entry.size, mini) < entry.size)
            return nullptr;
    }
    return std::unique_ptr<CStreamReader>(new CStreamReader(*this, std::move(runs), entry.size, mini));
}

int CCompoundStorage::StreamSize(const std::string& name, uint64_t& size) {
    if (IsWritable()) {
        auto it = FindStream(name);
        if (it == m_streams.end())
            return -1;
        size = it->bytes.size();
        return 1;
    }
    const int64_t id = FindEntry(name);
    if (id < 0)
        return -1;
    size = m_entries[static_cast<size_t>(id)].size;
    return 1;
}

int CCompoundStorage::ReadStream(const std::string& name, std::vector<uint8_t>& buffer) {
    buffer.clear();
    if (IsWritable()) {
        auto it = FindStream(name);
        if (it == m_streams.end())
            return -1;
        if (it->bytes.size() > 0xFFFFFFFFull)
            return -6;
        buffer = it->bytes;
        return 1;
    }
    // The stream's chain is checked first: a size its sectors cannot hold is damage, not size.
    auto reader = OpenStreamReader(name);
    if (!reader)
        return -1;
    if (reader->Size() > 0xFFFFFFFFull)
        return -6;
    buffer.resize(reader->Size());
    if (!reader->Read(buffer.data(), buffer.size())) {
        buffer.clear();
        return -1;
    }
    return 1;
}

} // namespace SheetIO
