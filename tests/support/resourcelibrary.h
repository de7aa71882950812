#pragma once

// The built resource library, opened by path as the host opens it. Header-only: ZRUN_BIN_DIR is
// defined for each test executable, not for the support library.

#include <QString>
#include <dlfcn.h>

class ResourceLibrary final {
public:
    explicit ResourceLibrary(const QString& path = DefaultPath()) {
        m_handle = dlopen(path.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
    }
    ~ResourceLibrary() {
        if (m_handle)
            dlclose(m_handle);
    }
    ResourceLibrary(const ResourceLibrary&) = delete;
    ResourceLibrary& operator=(const ResourceLibrary&) = delete;

    void* Handle() const { return m_handle; }

    static QString DefaultPath() {
#if defined(ZRUN_BIN_DIR)
        return QStringLiteral(ZRUN_BIN_DIR "/ZRUNResources.so");
#else
        return QString();
#endif
    }

private:
    void* m_handle = nullptr;
};
