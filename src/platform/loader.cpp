#include "platform/loader.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace platform {

CLoader::~CLoader() {
    Unload();
}

bool CLoader::Load(const QString& fullPath, std::uintptr_t startArgument, bool callStart) {
    Unload();
    if (fullPath.isEmpty())
        return false;
#if defined(_WIN32)
    m_handle =
        LoadLibraryExW(reinterpret_cast<LPCWSTR>(fullPath.utf16()), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
#else
    // The product's libraries find their own dependencies through their $ORIGIN run path.
    m_handle = dlopen(fullPath.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
#endif
    if (!m_handle)
        return false;
    if (!callStart)
        return true;
    using Start = std::int32_t (*)(std::uintptr_t);
    auto start = reinterpret_cast<Start>(Symbol("_ZRUN_Initialize"));
    if (!start)
        return false;
    return start(startArgument) != 0;
}

void* CLoader::Symbol(const char* name) const {
    if (!m_handle || !name)
        return nullptr;
#if defined(_WIN32)
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(m_handle), name));
#else
    return dlsym(m_handle, name);
#endif
}

bool CLoader::Unload() {
    if (!m_handle)
        return false;
    using Stop = std::int32_t (*)();
    if (auto stop = reinterpret_cast<Stop>(Symbol("_ZRUN_Uninitialize")))
        stop();
#if defined(_WIN32)
    const bool freed = FreeLibrary(static_cast<HMODULE>(m_handle)) != 0;
#else
    const bool freed = dlclose(m_handle) == 0;
#endif
    m_handle = nullptr;
    return freed;
}

} // namespace platform
