#pragma once

#include <QString>

// The application profile: sections and entries under "TORVANE TECHNOLOGIES" / "Lumora".
namespace platform {

int GetProfileInt(const QString& section, const QString& entry, int defaultValue);
bool WriteProfileInt(const QString& section, const QString& entry, int value);
QString GetProfileString(const QString& section, const QString& entry,
                         const QString& defaultValue = QString());
bool WriteProfileString(const QString& section, const QString& entry, const QString& value);

// Tests keep their profile in a file of their own; an empty path returns to the user's profile.
void SetProfileFileOverride(const QString& iniPath);

// The profile's file where the profile is kept in an INI file of its own (a test's); empty where it is
// the user's settings store, which stands in for the registry.
QString ProfileFilePath();

} // namespace platform
