#include "Library.h"

#include "LibraryFolder.h"

#include <dlfcn.h>

namespace platform {

CLibrary::~CLibrary() {
    Free();
}

QString CLibrary::FileNameFor(const QString& name) {
    QString base = name;
    if (base.endsWith(QStringLiteral(".dll"), Qt::CaseInsensitive))
        base.chop(4);
    if (base.endsWith(QStringLiteral(".so")))
        return base;
    if (!base.startsWith(QStringLiteral("lib")))
        base.prepend(QStringLiteral("lib"));
    return base + QStringLiteral(".so");
}

bool CLibrary::Load(const QString& name) {
    Free();
    const QString path = LibraryFolder() + FileNameFor(name);
    m_handle = dlopen(path.toUtf8().constData(), RTLD_NOW | RTLD_LOCAL);
    if (m_handle == nullptr) {
        const char* why = dlerror();
        m_error = why ? QString::fromUtf8(why) : path;
        return false;
    }
    m_error.clear();
    return true;
}

void CLibrary::Free() {
    if (m_handle != nullptr) {
        dlclose(m_handle);
        m_handle = nullptr;
    }
}

void* CLibrary::Resolve(const char* symbol) const {
    return m_handle ? dlsym(m_handle, symbol) : nullptr;
}

} // namespace platform
