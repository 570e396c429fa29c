#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace tessavo::cipher {

// The cost of one Argon2id derivation. The file key's parameters are fixed: a protected file
// records no parameters, so a change here needs a new mark for protected files.
struct Argon2Parameters {
    std::uint32_t passes;
    std::uint32_t memoryKiB;
    std::uint32_t lanes;
};

// About half a second on a small desktop machine (measured by scripts/bench).
inline constexpr Argon2Parameters kFileKeyParameters{6, 64 * 1024, 1};

using RawKey = std::array<unsigned char, 32>;

// A 256-bit key derived from a password and a salt with Argon2id; nothing when the library
// refuses (no memory for the parameters).
std::optional<RawKey> deriveArgon2idKey(std::string_view password, std::span<const unsigned char> salt,
                                        const Argon2Parameters& parameters = kFileKeyParameters);

}  // namespace tessavo::cipher
