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
    // The stored form of a text, ready to be written.
    static StoredField of(std::string_view text);

    std::size_t size() const { return size_; }
    // Writes the stored form at `at` (size() bytes) and returns the byte after it.
    char* write(char* at) const;

    // The length of a reference to the shared field with this number, and writing it.
    static std::size_t referenceSize(std::uint32_t shared);
    static char* writeReference(char* at, std::uint32_t shared);

    // Reading a row: the field at `at` is a stored form, or a reference (its number in `shared`);
    // returns the byte after it.
    static const char* next(const char* at, std::string_view& stored, bool& isReference, std::uint32_t& shared);
    // The text of a stored form.
    static QString text(std::string_view stored);

private:
    std::string_view text_;
    std::size_t header_ = 0;
    std::uint8_t scheme_ = 0;  // 0: none; otherwise the number of the scheme, which text_ follows
    bool packed_ = false;
    std::size_t size_ = 0;
};

}  // namespace tessavo::store
