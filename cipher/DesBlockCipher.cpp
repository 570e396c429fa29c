#include "cipher/DesBlockCipher.h"

#include <cstring>

#include "platform/base/Wipe.h"

namespace tessavo::cipher {
namespace {

using des::Byte;

// Bit `number` (1 to 64, most significant bit of byte 0 first) of an 8-byte block.
Byte blockBit(const Byte* block, int number) {
    const int index = number - 1;
    return static_cast<Byte>((block[index / 8] >> (7 - index % 8)) & 1);
}

// The two halves of a block during the iterations, one bit per byte.
struct Halves {
    std::array<Byte, 32> left;
    std::array<Byte, 32> right;
};

Halves unpackThroughInitialPermutation(const Byte* input) {
    Halves halves;
    for (int m = 0; m < 32; ++m) {
        halves.left[m] = blockBit(input, des::kInitialPermutation[m]);
        halves.right[m] = blockBit(input, des::kInitialPermutation[32 + m]);
    }
    return halves;
}

// One iteration: new R = L xor P(S(E(R) xor K)), with P folded into the S-box stage, then the
// halves change places.
void iterate(Halves& halves, const std::array<Byte, 48>& subkey) {
    std::array<Byte, 32> newRight;
    for (int k = 0; k < 8; ++k) {
        const Byte* selection = &des::kExpansion[6 * k];
        const Byte* key = &subkey[6 * k];
        Byte e[6];
        for (int t = 0; t < 6; ++t) e[t] = halves.right[selection[t] - 1] ^ key[t];
        const int x = 32 * e[0] + 16 * e[5] + 8 * e[1] + 4 * e[2] + 2 * e[3] + e[4];
        for (int b = 0; b < 4; ++b) {
            const int q = des::kSboxOutputPositions[4 * k + b];
            newRight[q] = DesSboxBitTables[b][k][x] ^ halves.left[q];
        }
    }
    halves.left = halves.right;
    halves.right = newRight;
    platform::wipe(&newRight, sizeof newRight);
}

// The preoutput is R16 followed by L16; the output is the preoutput through IP^-1.
void packThroughFinalPermutation(const Halves& halves, Byte* output) {
    std::memset(output, 0, 8);
    for (int m = 0; m < 64; ++m) {
        const int p = des::kFinalPermutation[m] - 1;
        const Byte bit = p < 32 ? halves.right[p] : halves.left[p - 32];
        output[m / 8] = static_cast<Byte>(output[m / 8] | bit << (7 - m % 8));
    }
}

}  // namespace

DesSubkeys::~DesSubkeys() { platform::wipe(&slots, sizeof slots); }

DesBlock DesKeyBlockFromText(std::string_view keyText) {
    DesBlock keyBlock{};
    for (std::size_t i = 1; i <= keyText.size(); ++i)
        keyBlock[i % 8] = static_cast<Byte>(keyBlock[i % 8] + static_cast<Byte>(keyText[i - 1]));
    return keyBlock;
}

void DesKeySchedule(const DesBlock& keyBlock, std::uint8_t encryptionOrder, DesSubkeys& subkeys) {
    std::array<Byte, 56> cd;  // C0 || D0
    platform::WipeOnExit wipeCd(cd);
    for (int m = 0; m < 56; ++m) cd[m] = blockBit(keyBlock.data(), des::kPermutedChoice1[m]);
    for (int i = 0; i < des::kIterations; ++i) {
        auto& slot = subkeys.slots[encryptionOrder != 0 ? i : des::kIterations - 1 - i];
        for (int j = 0; j < 48; ++j) slot[j] = cd[DesScheduleTable[i][j] - 1];
    }
}

void DesCryptBlock(const DesSubkeys& subkeys, const std::uint8_t* input, std::uint8_t* output) {
    Halves halves = unpackThroughInitialPermutation(input);
    platform::WipeOnExit wipeHalves(halves);
    for (const auto& subkey : subkeys.slots) iterate(halves, subkey);
    packThroughFinalPermutation(halves, output);
}

}  // namespace tessavo::cipher
