#include "dialogs/infobox/FileVersionInfo.h"

#include "dialogs/infobox/VersionRecord.h"

#include <QFile>
#include <QLocale>
#include <QTimeZone>
#include <cstring>
#include <dlfcn.h>
#include <vector>

namespace {

using DWORD = CFileVersionInfo::DWORD;
using WORD = CFileVersionInfo::WORD;

// A bounded little-endian reader over a byte array: every read says whether the bytes were there.
class CReader {
public:
    explicit CReader(const QByteArray& bytes, qsizetype at = 0) : m_bytes(bytes), m_at(at) {}
    bool Has(qsizetype count) const { return count >= 0 && m_at <= m_bytes.size() - count; }
    bool Skip(qsizetype count) {
        if (!Has(count))
            return false;
        m_at += count;
        return true;
    }
    bool U16(std::uint16_t& out) {
        std::uint64_t value = 0;
        if (!Little(2, value))
            return false;
        out = static_cast<std::uint16_t>(value);
        return true;
    }
    bool U32(std::uint32_t& out) {
        std::uint64_t value = 0;
        if (!Little(4, value))
            return false;
        out = static_cast<std::uint32_t>(value);
        return true;
    }
    bool U64(std::uint64_t& out) { return Little(8, out); }
    bool Little(int count, std::uint64_t& out) {
        if (!Has(count))
            return false;
        out = 0;
        for (int i = count - 1; i >= 0; --i)
            out = (out << 8) | static_cast<unsigned char>(m_bytes[m_at + i]);
        m_at += count;
        return true;
    }
    bool Utf16(std::uint32_t units, QString& out) {
        if (units > infobox::kMaxVersionRecord || !Has(qsizetype{units} * 2))
            return false;
        out.resize(units);
        for (std::uint32_t i = 0; i < units; ++i) {
            std::uint16_t unit = 0;
            U16(unit);
            out[i] = QChar(unit);
        }
        return true;
    }
    const char* Here() const { return m_bytes.constData() + m_at; }

private:
    const QByteArray& m_bytes;
    qsizetype m_at;
};

QByteArray ReadAt(QFile& file, std::uint64_t offset, std::uint64_t size) {
    if (offset > static_cast<std::uint64_t>(file.size()) ||
        size > static_cast<std::uint64_t>(file.size()) - offset || !file.seek(static_cast<qint64>(offset)))
        return {};
    QByteArray bytes = file.read(static_cast<qint64>(size));
    return static_cast<std::uint64_t>(bytes.size()) == size ? bytes : QByteArray();
}

// The Windows language id of a locale, for the languages the program's records are written in.
WORD LanguageId(const QLocale& locale) {
    switch (locale.language()) {
    case QLocale::Chinese:
        return locale.territory() == QLocale::Taiwan ? 0x0404 : 0x0804;
    case QLocale::English:
        return locale.territory() == QLocale::UnitedKingdom ? 0x0809 : 0x0409;
    case QLocale::German:
        return 0x0407;
    case QLocale::French:
        return 0x040C;
    case QLocale::Japanese:
        return 0x0411;
    default:
        return 0;
    }
}

} // namespace

CFileVersionInfo::CFileVersionInfo() {
    Reset();
}

CFileVersionInfo::~CFileVersionInfo() = default;

void CFileVersionInfo::Reset() {
    m_block = FixedBlock{};
    for (auto& text : m_strings)
        text.clear();
}

CFileVersionInfo::WORD CFileVersionInfo::UserDefaultLanguage() {
    return LanguageId(QLocale::system());
}

int CFileVersionInfo::Create(const void* addressInModule) {
    QString path;
    if (addressInModule == nullptr) {
        path = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    } else {
        Dl_info info{};
        if (dladdr(addressInModule, &info) != 0 && info.dli_fname != nullptr)
            path = QFile::decodeName(info.dli_fname);
    }
    if (path.isEmpty()) {
        Reset();
        return 0;
    }
    return Create(path);
}

int CFileVersionInfo::Create(const QString& path) {
    Reset();
    const QByteArray record = ReadRecordSection(path);
    if (record.isEmpty())
        return 0;
    return Parse(record, UserDefaultLanguage());
}

// The ELF header and section headers, read only as far as the file holds them.
QByteArray CFileVersionInfo::ReadRecordSection(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray ident = ReadAt(file, 0, 64);
    if (ident.size() < 64 || !ident.startsWith("\x7F"
                                               "ELF"))
        return {};
    const bool wide = ident[4] == 2;
    if ((ident[4] != 1 && !wide) || ident[5] != 1) // 32/64-bit, little-endian only
        return {};
    CReader header(ident, wide ? 0x28 : 0x20);
    std::uint64_t sectionTable = 0;
    if (wide) {
        header.U64(sectionTable);
    } else {
        std::uint32_t offset = 0;
        header.U32(offset);
        sectionTable = offset;
    }
    std::uint16_t entrySize = 0, count = 0, namesIndex = 0;
    header.Skip(10); // flags, header size, program header entry size and count
    if (!header.U16(entrySize) || !header.U16(count) || !header.U16(namesIndex))
        return {};
    const unsigned minEntry = wide ? 64 : 40;
    if (sectionTable == 0 || count == 0 || entrySize < minEntry || namesIndex >= count)
        return {};
    const QByteArray table = ReadAt(file, sectionTable, std::uint64_t{entrySize} * count);
    if (table.isEmpty())
        return {};

    struct Section {
        std::uint32_t name = 0;
        std::uint32_t type = 0;
        std::uint64_t offset = 0;
        std::uint64_t size = 0;
    };
    auto section = [&](unsigned index) {
        Section s;
        CReader entry(table, qsizetype{entrySize} * index);
        entry.U32(s.name);
        entry.U32(s.type);
        if (wide) {
            entry.Skip(16);
            entry.U64(s.offset);
            entry.U64(s.size);
        } else {
            std::uint32_t offset = 0, size = 0;
            entry.Skip(8);
            entry.U32(offset);
            entry.U32(size);
            s.offset = offset;
            s.size = size;
        }
        return s;
    };
    const Section names = section(namesIndex);
    if (names.size > 16 * 1024 * 1024)
        return {};
    const QByteArray nameTable = ReadAt(file, names.offset, names.size);
    if (nameTable.isEmpty())
        return {};
    const std::size_t wanted = std::strlen(infobox::kVersionSection);
    for (unsigned i = 0; i < count; ++i) {
        const Section s = section(i);
        if (s.name >= static_cast<std::uint32_t>(nameTable.size()) ||
            static_cast<std::size_t>(nameTable.size()) - s.name <= wanted ||
            std::memcmp(nameTable.constData() + s.name, infobox::kVersionSection, wanted + 1) != 0)
            continue;
        constexpr std::uint32_t kNoBits = 8;
        if (s.type == kNoBits || s.size == 0 || s.size > infobox::kMaxVersionRecord)
            return {};
        return ReadAt(file, s.offset, s.size);
    }
    return {};
}

int CFileVersionInfo::Parse(const QByteArray& record, WORD userLanguage) {
    Reset();
    CReader in(record);
    if (!in.Has(static_cast<qsizetype>(infobox::kVersionMagic.size())) ||
        std::memcmp(in.Here(), infobox::kVersionMagic.data(), infobox::kVersionMagic.size()) != 0)
        return 0;
    in.Skip(static_cast<qsizetype>(infobox::kVersionMagic.size()));
    std::uint32_t blockSize = 0;
    if (!in.U32(blockSize) || blockSize != infobox::kFixedBlockSize)
        return 0;
    FixedBlock block;
    for (DWORD* field :
         {&block.signature, &block.strucVersion, &block.fileVersionMS, &block.fileVersionLS,
          &block.productVersionMS, &block.productVersionLS, &block.flagsMask, &block.flags, &block.fileOs,
          &block.fileType, &block.fileSubtype, &block.fileDateMS, &block.fileDateLS})
        if (!in.U32(*field))
            return 0;
    std::uint32_t pairs = 0;
    if (!in.U32(pairs) || pairs > 256 || !in.Has(qsizetype{pairs} * 4))
        return 0;
    const char* tableStart = in.Here();
    std::vector<std::uint32_t> translations(pairs);
    for (auto& pair : translations) {
        std::uint16_t language = 0, codePage = 0;
        in.U16(language);
        in.U16(codePage);
        pair = (std::uint32_t{codePage} << 16) | language;
    }
    // Every translation's strings are read, so that a record cut short anywhere is refused whole.
    std::vector<std::array<QString, 12>> strings(pairs);
    for (auto& set : strings) {
        for (auto& text : set) {
            std::uint32_t units = 0;
            if (!in.U32(units) || !in.Utf16(units, text))
                return 0;
        }
    }
    m_block = block;
    if (pairs == 0)
        return 1;
    DWORD chosen = 0;
    const unsigned tableBytes = pairs * 4;
    if (GetTranslationId(tableStart, tableBytes, userLanguage, chosen, 0) == 0 &&
        GetTranslationId(tableStart, tableBytes, userLanguage, chosen, 1) == 0 &&
        GetTranslationId(tableStart, tableBytes, 0, chosen, 1) == 0 &&
        GetTranslationId(tableStart, tableBytes, 9, chosen, 1) == 0)
        chosen = translations[0];
    for (std::size_t t = 0; t < translations.size(); ++t) {
        if (translations[t] == chosen) {
            m_strings = strings[t];
            break;
        }
    }
    return 1;
}

int CFileVersionInfo::GetTranslationId(const void* table, unsigned bytes, WORD language, DWORD& out,
                                       int primaryOnly) {
    const auto* data = static_cast<const unsigned char*>(table);
    auto pairAt = [&](unsigned at) {
        return DWORD{data[at]} | (DWORD{data[at + 1]} << 8) | (DWORD{data[at + 2]} << 16) |
               (DWORD{data[at + 3]} << 24);
    };
    for (unsigned at = 0; at + 4 <= bytes; at += 4) {
        if ((pairAt(at) & 0xFFFF) == language) {
            out = pairAt(at);
            return 1;
        }
    }
    if (primaryOnly == 0)
        return 0;
    for (unsigned at = 0; at + 4 <= bytes; at += 4) {
        if ((pairAt(at) & 0xFF) == (language & 0xFFu)) {
            out = pairAt(at);
            return 1;
        }
    }
    return 0;
}

CFileVersionInfo::WORD CFileVersionInfo::GetFileVersion(int part) const {
    switch (part) {
    case 3:
        return static_cast<WORD>(m_block.fileVersionMS >> 16);
    case 2:
        return static_cast<WORD>(m_block.fileVersionMS & 0xFFFF);
    case 1:
        return static_cast<WORD>(m_block.fileVersionLS >> 16);
    case 0:
        return static_cast<WORD>(m_block.fileVersionLS & 0xFFFF);
    default:
        return 0;
    }
}

CFileVersionInfo::WORD CFileVersionInfo::GetProductVersion(int part) const {
    switch (part) {
    case 3:
        return static_cast<WORD>(m_block.productVersionMS >> 16);
    case 2:
        return static_cast<WORD>(m_block.productVersionMS & 0xFFFF);
    case 1:
        return static_cast<WORD>(m_block.productVersionLS >> 16);
    case 0:
        return static_cast<WORD>(m_block.productVersionLS & 0xFFFF);
    default:
        return 0;
    }
}

// The date is a FILETIME: 100 ns ticks since 1601-01-01 UTC.
QDateTime CFileVersionInfo::GetFileDate() const {
    const std::uint64_t ticks = (std::uint64_t{m_block.fileDateMS} << 32) | m_block.fileDateLS;
    constexpr std::uint64_t kTicksTo1970 = 116444736000000000ULL;
    if (ticks > 0x7FFFFFFFFFFFFFFFULL)
        return {};
    const qint64 msecs = static_cast<qint64>(ticks / 10000) - static_cast<qint64>(kTicksTo1970 / 10000);
    QDateTime date = QDateTime::fromMSecsSinceEpoch(msecs, QTimeZone::utc());
    return date.isValid() ? date.toLocalTime() : QDateTime();
}
