#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <array>
#include <cstdint>

// The version record of a binary: the fixed block and twelve strings in the best-fitting language.
// Nothing is thrown: every failure is a result of 0 (or an invalid date) and leaves the object reset.
class CFileVersionInfo {
public:
    using WORD = std::uint16_t;
    using DWORD = std::uint32_t;

    CFileVersionInfo();
    virtual ~CFileVersionInfo();
    CFileVersionInfo(const CFileVersionInfo&) = default;
    CFileVersionInfo& operator=(const CFileVersionInfo&) = default;

    // Reads the record of the file at the path, without loading it. 1 when read, 0 when the file has
    // none, cannot be read or is cut short.
    int Create(const QString& path);
    // The record of the binary that holds the address (a function or object of it); null means the
    // executable.
    int Create(const void* addressInModule);

    WORD GetFileVersion(int part) const;
    WORD GetProductVersion(int part) const;
    DWORD GetFileFlagsMask() const { return m_block.flagsMask; }
    DWORD GetFileFlags() const { return m_block.flags; }
    DWORD GetFileOs() const { return m_block.fileOs; }
    DWORD GetFileType() const { return m_block.fileType; }
    DWORD GetFileSubtype() const { return m_block.fileSubtype; }
    // The file date in local time; invalid when the record's date is none a clock can hold.
    QDateTime GetFileDate() const;

    QString GetCompanyName() const { return m_strings[0]; }
    QString GetFileDescription() const { return m_strings[1]; }
    QString GetFileVersion() const { return m_strings[2]; }
    QString GetInternalName() const { return m_strings[3]; }
    QString GetLegalCopyright() const { return m_strings[4]; }
    QString GetOriginalFileName() const { return m_strings[5]; }
    QString GetProductName() const { return m_strings[6]; }
    QString GetProductVersion() const { return m_strings[7]; }
    QString GetComments() const { return m_strings[8]; }
    QString GetLegalTrademarks() const { return m_strings[9]; }
    QString GetPrivateBuild() const { return m_strings[10]; }
    QString GetSpecialBuild() const { return m_strings[11]; }

    // The language the strings are chosen for: the user's, as a Windows language id.
    static WORD UserDefaultLanguage();
    // The record section of an ELF file; empty when there is none or the file is cut short.
    static QByteArray ReadRecordSection(const QString& path);

protected:
    virtual void Reset();
    // The first (language, code page) pair of the table whose language is the given one; with
    // primaryOnly, failing that, the first whose primary language (low byte) matches.
    static int GetTranslationId(const void* table, unsigned bytes, WORD language, DWORD& out,
                                int primaryOnly);
    // Parses a record as the section holds it, choosing the strings for the user language.
    int Parse(const QByteArray& record, WORD userLanguage);

private:
    struct FixedBlock {
        DWORD signature = 0;
        DWORD strucVersion = 0;
        DWORD fileVersionMS = 0;
        DWORD fileVersionLS = 0;
        DWORD productVersionMS = 0;
        DWORD productVersionLS = 0;
        DWORD flagsMask = 0;
        DWORD flags = 0;
        DWORD fileOs = 0;
        DWORD fileType = 0;
        DWORD fileSubtype = 0;
        DWORD fileDateMS = 0;
        DWORD fileDateLS = 0;
    };
    FixedBlock m_block;
    std::array<QString, 12> m_strings;
};
