#pragma once

#include <cstdint>
#include <cstring>

namespace tessavo::store::words {

// Unaligned machine words of stored fields, read and written through memcpy, which compilers
// turn into single loads and stores.
inline std::uint64_t load64(const char* at) {
    std::uint64_t word = 0;
    std::memcpy(&word, at, sizeof word);
    return word;
}

inline std::uint32_t load32(const char* at) {
    std::uint32_t word = 0;
    std::memcpy(&word, at, sizeof word);
    return word;
}

inline void store32(char* at, std::uint32_t word) { std::memcpy(at, &word, sizeof word); }

// Whether two byte runs of the same size are equal; for the short fields compared while a result
// is read, cheaper than a call to memcmp. `size` is at least 4.
inline bool sameBytes(const char* one, const char* other, std::size_t size) {
    if (size < 8) return load32(one) == load32(other) && load32(one + size - 4) == load32(other + size - 4);
    for (std::size_t at = 0; at + 8 < size; at += 8)
        if (load64(one + at) != load64(other + at)) return false;
    return load64(one + size - 8) == load64(other + size - 8);
}

}  // namespace tessavo::store::words
