#include "Profile.h"

#include <QSettings>
#include <memory>
#include <mutex>

namespace platform {
namespace {

std::mutex g_mutex;
QString g_overridePath;

std::unique_ptr<QSettings> OpenProfile() {
    if (!g_overridePath.isEmpty())
        return std::make_unique<QSettings>(g_overridePath, QSettings::IniFormat);
    return std::make_unique<QSettings>(QStringLiteral("TORVANE TECHNOLOGIES"), QStringLiteral("Lumora"));
}

QString Key(const QString& section, const QString& entry) {
    return section + u'/' + entry;
}

} // namespace

int GetProfileInt(const QString& section, const QString& entry, int defaultValue) {
    std::lock_guard lock(g_mutex);
    bool ok = false;
    const int value = OpenProfile()->value(Key(section, entry)).toInt(&ok);
    return ok ? value : defaultValue;
}

bool WriteProfileInt(const QString& section, const QString& entry, int value) {
    std::lock_guard lock(g_mutex);
    auto profile = OpenProfile();
    profile->setValue(Key(section, entry), value);
    profile->sync();
    return profile->status() == QSettings::NoError;
}

QString GetProfileString(const QString& section, const QString& entry, const QString& defaultValue) {
    std::lock_guard lock(g_mutex);
    return OpenProfile()->value(Key(section, entry), defaultValue).toString();
}

bool WriteProfileString(const QString& section, const QString& entry, const QString& value) {
    std::lock_guard lock(g_mutex);
    auto profile = OpenProfile();
    profile->setValue(Key(section, entry), value);
    profile->sync();
    return profile->status() == QSettings::NoError;
}

void SetProfileFileOverride(const QString& iniPath) {
    std::lock_guard lock(g_mutex);
    g_overridePath = iniPath;
}

QString ProfileFilePath() {
    std::lock_guard lock(g_mutex);
    return g_overridePath;
}

} // namespace platform
