#pragma once

#include <QString>
#include <map>
#include <vector>

// One entry of a section: the key as the file spells it, and its value.
struct INIENTRY {
    QString Key;
    QString Value;
};

// A section of the profile file: its name as first read, its entries by upper-cased key.
struct INISECTION {
    QString Name;
    std::map<QString, INIENTRY> Entries;
};

// The sections of the application's profile, as the preference dialogs hand them to their pages when
// the dialog is made and again after OK. It is in use only where the application keeps its profile in
// a file of its own; otherwise it is empty and never written. Sections and keys are found whatever
// their case.
class CIniSectionStore {
public:
    // Profile files beyond this size are not read: the store is then empty.
    static constexpr qint64 kMaxFileBytes = qint64{16} << 20;

    // The application's profile file (platform::ProfileFilePath), read now when there is one.
    CIniSectionStore();
    // The given file, read now; an empty path gives a store not in use.
    explicit CIniSectionStore(const QString& path);

    bool InUse() const { return !m_path.isEmpty(); }
    bool IsChanged() const { return m_changed; }
    const std::vector<INISECTION>& Sections() const { return m_sections; }

    // The value of the key in the section; fallback when either is missing.
    QString GetValue(const QString& section, const QString& key, const QString& fallback = QString()) const;
    // Sets the value (the section is added when missing) and marks the store changed; nothing when the
    // store is not in use or the key is empty.
    void SetValue(const QString& section, const QString& key, const QString& value);

    // When changed, writes the file anew: each section as "[name]", then "key=value" per entry. True when
    // there was nothing to write or it was written; false with the reason in error.
    bool WriteIfChanged(QString* error = nullptr);

private:
    void Read();
    INISECTION* FindSection(const QString& name);
    const INISECTION* FindSection(const QString& name) const;

    QString m_path;
    std::vector<INISECTION> m_sections;
    bool m_changed = false;
};
