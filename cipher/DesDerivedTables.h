#pragma once

#include <array>
#include <cstdint>

#include "cipher/DesStandardTables.h"

// Tables the block cipher works with, computed at compile time from the standard's tables so
// that no value is typed twice.
namespace tessavo::cipher {

// Entry [i - 1][j - 1] is the position (1 to 56) in C0||D0 of the bit that PC-2's j-th
// selection takes from C_i||D_i: the rotations of C and D are folded into the table, so the
// key schedule never rotates anything.
using DesScheduleTableType = std::array<std::array<std::uint8_t, 48>, des::kIterations>;

// Entry [b - 1][k - 1][x] is bit b (1 = most significant) of the value in row x / 16 and
// column x % 16 of S-box k; stored output-bit-major.
using DesSboxBitTablesType = std::array<std::array<std::array<std::uint8_t, 64>, 8>, 4>;

namespace des {

constexpr DesScheduleTableType makeScheduleTable() {
    DesScheduleTableType table{};
    int shift = 0;
    for (int i = 0; i < kIterations; ++i) {
        shift += kLeftShifts[i];
        for (int j = 0; j < 48; ++j) {
            const int p = kPermutedChoice2[j];
            const int half = p <= kHalfKeyBits ? 0 : kHalfKeyBits;  // C or D
            table[i][j] = static_cast<std::uint8_t>(half + (p - half - 1 + shift) % kHalfKeyBits + 1);
        }
    }
    return table;
}

constexpr DesSboxBitTablesType makeSboxBitTables() {
    DesSboxBitTablesType tables{};
    for (int b = 0; b < 4; ++b)
        for (int k = 0; k < 8; ++k)
            for (int x = 0; x < 64; ++x)
                tables[b][k][x] = static_cast<std::uint8_t>((kSboxes[k][x / 16][x % 16] >> (3 - b)) & 1);
    return tables;
}

// Entry [t - 1] is the position q - 1 in the right half with P[q] = t: where S-box output bit t
// lands, so that P is applied while the S-boxes are read.
constexpr std::array<std::uint8_t, 32> makeSboxOutputPositions() {
    std::array<std::uint8_t, 32> positions{};
    for (int q = 0; q < 32; ++q) positions[kPermutation[q] - 1] = static_cast<std::uint8_t>(q);
    return positions;
}

inline constexpr std::array<std::uint8_t, 32> kSboxOutputPositions = makeSboxOutputPositions();

}  // namespace des

inline constexpr DesScheduleTableType DesScheduleTable = des::makeScheduleTable();
inline constexpr DesSboxBitTablesType DesSboxBitTables = des::makeSboxBitTables();

}  // namespace tessavo::cipher
