#pragma once

#include "platform/platformapi.h"

#include <QString>
#include <cstdint>

namespace platform {

// Holds one product library open. Loading may start the library through its
// _ZRUN_Initialize; unloading stops it through _ZRUN_Uninitialize and frees it.
class ZRUN_PLATFORM_API CLoader final {
public:
    CLoader() = default;
    ~CLoader();
    CLoader(const CLoader&) = delete;
    CLoader& operator=(const CLoader&) = delete;

    // Opens the library by its full path, its own dependencies resolved from its folder.
    // With callStart, true only when _ZRUN_Initialize exists and returned non-zero; the
    // library stays open either way once opened.
    bool Load(const QString& fullPath, std::uintptr_t startArgument, bool callStart);
    // The native module handle (dlopen result or HMODULE), or null.
    void* Handle() const { return m_handle; }
    void* Symbol(const char* name) const;
    // False when nothing was loaded or freeing failed.
    bool Unload();

private:
    void* m_handle = nullptr;
};

} // namespace platform
