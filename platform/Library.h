#pragma once

#include <QString>

namespace platform {

// A shared library loaded by name from the library folder (the executable's): "supplydrv.dll" and
// "supplydrv" both load "<library folder>/libsupplydrv.so".
class CLibrary {
public:
    CLibrary() = default;
    ~CLibrary();
    CLibrary(const CLibrary&) = delete;
    CLibrary& operator=(const CLibrary&) = delete;

    bool Load(const QString& name);
    void Free();
    bool IsLoaded() const { return m_handle != nullptr; }
    // The address of an exported symbol, null when missing or not loaded.
    void* Resolve(const char* symbol) const;
    // Why the last Load failed.
    QString ErrorText() const { return m_error; }

    static QString FileNameFor(const QString& name);

private:
    void* m_handle = nullptr;
    QString m_error;
};

} // namespace platform
