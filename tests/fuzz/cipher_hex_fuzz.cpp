// libFuzzer target for the text cipher: decryption of arbitrary cipher texts and the
// encrypt-then-decrypt round trip. The first input byte splits the rest into a key text and a
// text; the same text is tried both as cipher text and as plain text.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "cipher/Unit_Orvel_DESCrypt.h"

namespace {

void require(bool condition) {
    if (!condition) __builtin_trap();
}

bool isUpperHex(const std::string& text) {
    for (const char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
    return true;
}

std::size_t roundedToBlocks(std::size_t bytes) { return (bytes + 7) / 8 * 8; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t keyLength = data[0] % 17;
    const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string key = rest.substr(0, keyLength);
    const std::string text = rest.substr(std::min(keyLength, rest.size()));

    // Any text decrypts without a crash, to bytes without a zero, no longer than its blocks.
    const std::string decrypted = tessavo::cipher::DesDecryptFromHex(text, key);
    require(decrypted.find('\0') == std::string::npos);
    require(decrypted.size() <= roundedToBlocks((text.size() + 1) / 2));

    // Encryption writes 16 upper-case digits per started block (at least one), and decryption
    // gives back the text up to its first zero byte.
    const std::string cipher = tessavo::cipher::DesEncryptToHex(text, key);
    require(cipher.size() == 2 * roundedToBlocks(text.empty() ? 1 : text.size()));
    require(isUpperHex(cipher));
    require(tessavo::cipher::DesDecryptFromHex(cipher, key) == text.substr(0, text.find('\0')));
    return 0;
}
