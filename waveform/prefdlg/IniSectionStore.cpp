#include "waveform/prefdlg/IniSectionStore.h"

#include "platform/Profile.h"
#include "platform/ReplaceFile.h"

#include <QFile>
#include <QStringList>
#include <algorithm>

CIniSectionStore::CIniSectionStore() : CIniSectionStore(platform::ProfileFilePath()) {}

CIniSectionStore::CIniSectionStore(const QString& path) : m_path(path) {
    if (InUse())
        Read();
}

void CIniSectionStore::Read() {
    // A missing, unreadable or oversized file gives an empty store.
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileBytes)
        return;
    const QByteArray bytes = file.read(kMaxFileBytes + 1);
    if (bytes.size() > kMaxFileBytes)
        return;
    INISECTION* section = nullptr;
    const QStringList lines = QString::fromUtf8(bytes).split(u'\n');
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        if (line.isEmpty())
            continue;
        if (line.startsWith(u'[')) {
            const QString name = line.mid(1, line.size() - 2);
            section = FindSection(name);
            if (section == nullptr) {
                m_sections.push_back({name, {}});
                section = &m_sections.back();
            }
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (section == nullptr || equals < 0)
            continue;
        QString key = line.left(equals);
        while (!key.isEmpty() && key.back().isSpace())
            key.chop(1);
        if (key.isEmpty())
            continue;
        QString value = line.mid(equals + 1);
        const qsizetype first =
            std::find_if(value.cbegin(), value.cend(), [](QChar c) { return !c.isSpace(); }) - value.cbegin();
        value = value.mid(first).remove(u'"');
        section->Entries[key.toUpper()] = {key, value};
    }
}

INISECTION* CIniSectionStore::FindSection(const QString& name) {
    auto it = std::find_if(m_sections.begin(), m_sections.end(), [&](const INISECTION& s) {
        return s.Name.compare(name, Qt::CaseInsensitive) == 0;
    });
    return it == m_sections.end() ? nullptr : &*it;
}

const INISECTION* CIniSectionStore::FindSection(const QString& name) const {
    return const_cast<CIniSectionStore*>(this)->FindSection(name);
}

QString CIniSectionStore::GetValue(const QString& section, const QString& key,
                                   const QString& fallback) const {
    const INISECTION* s = FindSection(section);
    if (s == nullptr)
        return fallback;
    auto it = s->Entries.find(key.toUpper());
    return it == s->Entries.end() ? fallback : it->second.Value;
}

void CIniSectionStore::SetValue(const QString& section, const QString& key, const QString& value) {
    if (!InUse() || key.isEmpty())
        return;
    INISECTION* s = FindSection(section);
    if (s == nullptr) {
        m_sections.push_back({section, {}});
        s = &m_sections.back();
    }
    s->Entries[key.toUpper()] = {key, value};
    m_changed = true;
}

bool CIniSectionStore::WriteIfChanged(QString* error) {
    if (!m_changed || !InUse())
        return true;
    QByteArray text;
    for (const INISECTION& s : m_sections) {
        text += "[" + s.Name.toUtf8() + "]\n";
        for (const auto& [upper, entry] : s.Entries)
            text += entry.Key.toUtf8() + "=" + entry.Value.toUtf8() + "\n";
    }
    if (!platform::ReplaceFileContents(m_path, text, error))
        return false;
    m_changed = false;
    return true;
}
