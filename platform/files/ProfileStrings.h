#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>

// Profile-string files ("ini" files) with the behaviour the settings file relies on:
// "[section]" lines and "key=value" lines; sections and keys compared without regard to case;
// blanks around keys and values (and one pair of enclosing quotes of a value) dropped on read;
// the first matching section and key win. A file that begins with a UTF-16 (little-endian)
// byte-order mark is UTF-16, one with a UTF-8 byte-order mark is UTF-8, any other file holds
// its text in the ANSI code page (GB18030). Lines may end in CRLF or LF.
namespace tessavo::platform::profile {

// Larger files are not read: a settings file is a few lines long.
inline constexpr std::size_t kMaxFileSize = 1024 * 1024;

// The value of the key, or `defaultValue` when the file, section or key is missing or the file
// cannot be read (a directory, a device, more than kMaxFileSize bytes).
QString readString(const QString& file, const QString& section, const QString& key, const QString& defaultValue);

// The value read as an integer (platform::parseInteger); `defaultValue` when it is missing or
// not an integer.
std::int32_t readInteger(const QString& file, const QString& section, const QString& key, std::int32_t defaultValue);

// True for any integer other than 0; `defaultValue` as for readInteger.
bool readBool(const QString& file, const QString& section, const QString& key, bool defaultValue);

// Writes "key=value" at once: in place of the key's line, else after the last line of its
// section, else in a new section at the end of the file (creating the file in the ANSI code
// page with CRLF line ends). The file keeps its encoding, its line ends and every other line.
// The file is replaced as a whole, never left half written. A section name holding "]" or a
// line break, a key holding "=" or a line break, or a value holding a line break cannot be
// stored and is refused like a failed write: tessavo::Error "Unable to write to <full path>".
void writeString(const QString& file, const QString& section, const QString& key, const QString& value);

}  // namespace tessavo::platform::profile
