#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tessavo::store {

// How one field of a result is kept in memory. Every text has one stored form, so two fields
// are equal exactly when their stored forms are:
//   - plain: a header (twice the length) and the UTF-8 bytes;
//   - packed: a text of upper-case hexadecimal digits (the cipher texts), kept as the bytes it
//     spells, half its size; its header is twice that size plus one;
//   - a web address behind a common scheme ("https://", "http://www."...): the marker, the
//     number of the scheme, and the rest as a plain field.
// A header is written 7 bits a byte, lowest first, the high bit set on every byte but the last.
// A packed field is never empty, so the header 1 is free: it is the marker, and the number that
// follows tells the schemes (odd numbers) from references to a field kept once for a whole
// result (even numbers), which stand in rows instead of a stored form.
class StoredField {
public:
    // The most room the stored form of a text of `size` UTF-8 bytes takes, and writing it at `at`,
    // which returns the byte after it.
    static std::size_t mostSize(std::size_t size) { return size + kMostOverhead; }
    static char* write(char* at, std::string_view text);

    // The length of a reference to the shared field with this number, and writing it.
    static std::size_t referenceSize(std::uint32_t shared);
    static char* writeReference(char* at, std::uint32_t shared);

    // Reading a row: the field at `at` is a stored form, or a reference (its number in `shared`);
    // returns the byte after it.
    static const char* next(const char* at, std::string_view& stored, bool& isReference, std::uint32_t& shared);
    // The text of a stored form.
    static QString text(std::string_view stored);

private:
    // A header of up to ten bytes, and a scheme's marker and number; a reference takes no more.
    static constexpr std::size_t kMostOverhead = 16;
};

}  // namespace tessavo::store
