// The exported face of the resource library: lookups by type name and number over the table of
// embedded pictures. The bytes live in the library's read-only data for as long as it is loaded.

#include "resourcetable.h"

#include <cstdint>
#include <string_view>

#if defined(_WIN32)
#define ZRUN_RESOURCES_EXPORT __declspec(dllexport)
#else
#define ZRUN_RESOURCES_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {

ZRUN_RESOURCES_EXPORT int32_t ZRUN_FindResource(const char16_t* type, uint32_t number, const void** data,
                                                uint32_t* size) {
    if (type == nullptr || data == nullptr || size == nullptr) {
        return 0;
    }
    const std::u16string_view wanted(type);
    for (std::size_t i = 0; i < zrun::resources::kResourceEntryCount; ++i) {
        const auto& entry = zrun::resources::kResourceEntries[i];
        if (entry.number == number && wanted == std::u16string_view(entry.type)) {
            *data = entry.data;
            *size = entry.size;
            return 1;
        }
    }
    return 0;
}

// The product loader calls these around every use of a library; the table needs no set-up.
ZRUN_RESOURCES_EXPORT int32_t _ZRUN_Initialize(uintptr_t /*launchContext*/) {
    return 1;
}

ZRUN_RESOURCES_EXPORT int32_t _ZRUN_Uninitialize(void) {
    return 1;
}

} // extern "C"
