#pragma once

#include "lumora/core/MainPreferences.h"

#include <QString>

// Reads and writes the main configuration file "Config/MainApp.xml" (root LumoraSuite).
class CParserParameters {
public:
    virtual ~CParserParameters() = default;

    // 1 when the root element was found (fields of missing elements keep their values), 0 otherwise.
    int Load(const QString& path, MainPreferences* preferences);

    // 1 when the file was written, 0 otherwise. The folder must exist.
    int Save(const QString& path, const MainPreferences* preferences);
};
