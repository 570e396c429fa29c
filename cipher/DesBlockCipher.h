#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "cipher/DesDerivedTables.h"

// The single-block Data Encryption Standard (FIPS 46-3). Bits of blocks and key blocks are
// numbered 1 to 64 in memory order, most significant bit first.
namespace tessavo::cipher {

using DesBlock = std::array<std::uint8_t, 8>;

inline constexpr std::uint8_t kDesEncryptionOrder = 1;
inline constexpr std::uint8_t kDesDecryptionOrder = 0;

// The 16 subkeys of one operation, one bit (0 or 1) per byte; slot n - 1 is the subkey of
// iteration n. They are key material, so they are wiped when the operation ends.
struct DesSubkeys {
    std::array<std::array<std::uint8_t, 48>, des::kIterations> slots{};

    DesSubkeys() = default;
    ~DesSubkeys();
    DesSubkeys(const DesSubkeys&) = delete;
    DesSubkeys& operator=(const DesSubkeys&) = delete;
};

// The key block of a key text: text byte i (counted from 1) is added, modulo 256, to key byte
// i mod 8. Stored cipher texts depend on this mapping; it never fails.
DesBlock DesKeyBlockFromText(std::string_view keyText);

// Fills `subkeys` from the key block: in iteration order when `encryptionOrder` is non-zero
// (encryption), in reverse order otherwise (decryption). The parity bits (the least
// significant bit of each byte) are never read.
void DesKeySchedule(const DesBlock& keyBlock, std::uint8_t encryptionOrder, DesSubkeys& subkeys);

// Encrypts or decrypts one 8-byte block, as the order of `subkeys` says. The input is read in
// full before any output byte is written, so `input` and `output` may be the same buffer.
void DesCryptBlock(const DesSubkeys& subkeys, const std::uint8_t* input, std::uint8_t* output);

}  // namespace tessavo::cipher
