#pragma once

#include <cstddef>
#include <cstdint>

namespace zrun::resources {

// One embedded picture: a complete image file, found by its type name and number.
struct ResourceEntry {
    const char16_t* type;
    std::uint32_t number;
    const unsigned char* data;
    std::uint32_t size;
};

// Filled by the file that EmbedImages.cmake writes at build time.
extern const ResourceEntry kResourceEntries[];
extern const std::size_t kResourceEntryCount;

} // namespace zrun::resources
