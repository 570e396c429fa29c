#pragma once

#include <string>

namespace tessavo::cipher {

// The block cipher these routines are built on is declared in cipher/DesBlockCipher.h.

// The text cipher: DES in electronic-codebook mode over the bytes of an 8-bit string,
// written as upper-case hexadecimal digits, the last block zero-filled.
std::string DesEncryptToHex(const std::string& plain, const std::string& key);
// Any failure (empty or non-hexadecimal text) gives the empty string; the plain bytes end
// at the first zero byte.
std::string DesDecryptFromHex(const std::string& cipher, const std::string& key);

// The fixed key of the management password.
const std::string& LoginKey();
// The text of the key of every record's password and notes: the main window's creation sets
// AccountKey() to it, and programs without that window pass it by this name.
inline constexpr char kAccountKeyText[] = "40618253";
// The key of every record's password and notes; the main window's creation sets it. Reading
// it before throws std::logic_error, so an early caller fails instead of decrypting garbage.
const std::string& AccountKey();
void setAccountKey(const std::string& key);

}  // namespace tessavo::cipher
