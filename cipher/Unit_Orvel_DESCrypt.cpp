#include "cipher/Unit_Orvel_DESCrypt.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <stdexcept>

#include "cipher/DesBlockCipher.h"
#include "platform/base/Wipe.h"

namespace tessavo::cipher {
namespace {

constexpr std::size_t kBlockBytes = 8;
constexpr std::size_t kDigitsPerBlock = 2 * kBlockBytes;
constexpr char kUpperHexDigits[] = "0123456789ABCDEF";
constexpr std::uint8_t kNotHex = 0xFF;

// The value of each hexadecimal digit, upper and lower case alike; kNotHex for anything else.
constexpr std::array<std::uint8_t, 256> makeHexValues() {
    std::array<std::uint8_t, 256> values{};
    values.fill(kNotHex);
    for (int d = 0; d < 10; ++d) values['0' + d] = static_cast<std::uint8_t>(d);
    for (int d = 0; d < 6; ++d) {
        values['A' + d] = static_cast<std::uint8_t>(10 + d);
        values['a' + d] = static_cast<std::uint8_t>(10 + d);
    }
    return values;
}
constexpr std::array<std::uint8_t, 256> kHexValues = makeHexValues();

std::uint8_t hexValue(char digit) { return kHexValues[static_cast<unsigned char>(digit)]; }

bool isHexText(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return hexValue(c) != kNotHex; });
}

// Byte `index` of a hexadecimal text of valid digits: two digits, or the last digit alone when
// the text has an odd length.
std::uint8_t hexByte(const std::string& text, std::size_t index) {
    const std::size_t first = 2 * index;
    if (first + 1 == text.size()) return hexValue(text[first]);
    return static_cast<std::uint8_t>(hexValue(text[first]) << 4 | hexValue(text[first + 1]));
}

void appendHex(std::string& text, const DesBlock& block) {
    for (const std::uint8_t byte : block) {
        text.push_back(kUpperHexDigits[byte >> 4]);
        text.push_back(kUpperHexDigits[byte & 0x0F]);
    }
}

// Every text operation runs its own key schedule; the key block is wiped as soon as the
// subkeys exist, and the subkeys wipe themselves when the operation ends.
void scheduleFromKeyText(const std::string& keyText, std::uint8_t order, DesSubkeys& subkeys) {
    DesBlock keyBlock = DesKeyBlockFromText(keyText);
    platform::WipeOnExit wipeKeyBlock(keyBlock);
    DesKeySchedule(keyBlock, order, subkeys);
}

std::size_t blocksFor(std::size_t byteCount) { return (byteCount + kBlockBytes - 1) / kBlockBytes; }

std::string& accountKeyText() {
    static std::string key;
    return key;
}

}  // namespace

std::string DesEncryptToHex(const std::string& plain, const std::string& key) {
    DesSubkeys subkeys;
    scheduleFromKeyText(key, kDesEncryptionOrder, subkeys);
    // An empty text still makes one block of eight zero bytes.
    const std::size_t blocks = std::max<std::size_t>(1, blocksFor(plain.size()));
    std::string cipher;
    cipher.reserve(blocks * kDigitsPerBlock);
    DesBlock block;
    platform::WipeOnExit wipeBlock(block);
    DesBlock encrypted;
    for (std::size_t b = 0; b < blocks; ++b) {
        const std::size_t offset = b * kBlockBytes;
        const std::size_t count = std::min(kBlockBytes, plain.size() - offset);
        block.fill(0);
        if (count > 0) std::memcpy(block.data(), plain.data() + offset, count);
        DesCryptBlock(subkeys, block.data(), encrypted.data());
        appendHex(cipher, encrypted);
    }
    return cipher;
}

std::string DesDecryptFromHex(const std::string& cipher, const std::string& key) {
    // A failure of any kind gives the empty text, indistinguishable from an empty secret.
    if (cipher.empty() || !isHexText(cipher)) return {};
    DesSubkeys subkeys;
    scheduleFromKeyText(key, kDesDecryptionOrder, subkeys);
    const std::size_t byteCount = (cipher.size() + 1) / 2;
    const std::size_t blocks = blocksFor(byteCount);
    std::string plain;
    // Room for every block up front: a growing string would leave copies of the plain bytes
    // behind in the buffers it frees.
    plain.reserve(blocks * kBlockBytes);
    DesBlock block;
    DesBlock decrypted;
    platform::WipeOnExit wipeDecrypted(decrypted);
    for (std::size_t b = 0; b < blocks; ++b) {
        block.fill(0);
        for (std::size_t i = 0; i < kBlockBytes && b * kBlockBytes + i < byteCount; ++i)
            block[i] = hexByte(cipher, b * kBlockBytes + i);
        DesCryptBlock(subkeys, block.data(), decrypted.data());
        // The plain text ends at the first zero byte, which removes the fill of the last block.
        const auto end = std::find(decrypted.begin(), decrypted.end(), 0);
        plain.append(decrypted.begin(), end);
        if (end != decrypted.end()) break;
    }
    return plain;
}

const std::string& LoginKey() {
    static const std::string key = "kfz";
    return key;
}

const std::string& AccountKey() {
    // Read before the main window set it, the key would be empty and every secret garbage.
    if (accountKeyText().empty()) throw std::logic_error("the account key is read before it was set");
    return accountKeyText();
}

void setAccountKey(const std::string& key) { accountKeyText() = key; }

}  // namespace tessavo::cipher
