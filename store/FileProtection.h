#pragma once

#include <QString>
#include <array>
#include <optional>

// The database file under the management password. A protected file is keyed with a raw
// 256-bit key that Argon2id derives from the management password and the file's salt, so
// SQLCipher runs no key derivation of its own. Its salt (the file's first 16 bytes, stored in
// the clear) marks it: 8 random bytes, then 8 bytes of a hash of them under a fixed label.
// A file keyed with the fixed database password has a salt of 16 random bytes, which carries
// that mark by chance once in 2^64. The mark travels with the file: backups and copies of a
// protected file are recognised as protected.
namespace tessavo::store {

using FileSalt = std::array<unsigned char, 16>;

// A new salt for a protected file, with the mark.
FileSalt newProtectedSalt();
bool isProtectedSalt(const FileSalt& salt);

// The salt of the file at `path`; nothing when it cannot be read or is shorter than a salt.
std::optional<FileSalt> readFileSalt(const QString& path);
// True when the file at `path` carries the mark. Reads the salt only, never the database.
bool isProtectedFile(const QString& path);

// The key text of a protected file: "x'" + 64 hex digits of the derived key + 32 of the salt +
// "'", which SQLCipher takes as a raw key, and which gives a file it creates this salt. Throws
// tessavo::Error when the key cannot be derived.
QString protectedFileKey(const QString& password, const FileSalt& salt);
// The same for the salt of the file at `path`; throws tessavo::Error when it cannot be read.
QString protectedFileKey(const QString& password, const QString& path);

// Overwrites the characters of a text that held a password or a key.
void wipeText(QString& text);

}  // namespace tessavo::store
