// libFuzzer target for the stored form of result fields: any text, split from the input at each
// 0xFF byte, is written in its stored form within the room promised for it, read back to exactly
// its text, and two texts have equal stored forms exactly when they are equal.
#include <QString>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store/StoredFields.h"

namespace {

using tessavo::store::StoredField;

void require(bool condition) {
    if (!condition) __builtin_trap();
}

std::vector<std::string_view> fieldsOf(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string_view> fields;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::size_t start = 0;
    for (std::size_t end = input.find('\xFF'); end != std::string_view::npos; end = input.find('\xFF', start)) {
        fields.push_back(input.substr(start, end - start));
        start = end + 1;
    }
    fields.push_back(input.substr(start));
    return fields;
}

// The stored form of the text, checked as it is read back.
std::string storedFormOf(std::string_view text) {
    std::string room(StoredField::mostSize(text.size()), '\0');
    const char* const end = StoredField::write(room.data(), text);
    require(end >= room.data() && end <= room.data() + room.size());
    room.resize(static_cast<std::size_t>(end - room.data()));

    std::string_view stored;
    bool isReference = true;
    std::uint32_t shared = 0;
    require(StoredField::next(room.data(), stored, isReference, shared) == room.data() + room.size());
    require(!isReference && stored == room);
    require(StoredField::text(stored) == QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    return room;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string_view> texts = fieldsOf(data, size);
    std::vector<std::string> stored;
    for (const std::string_view text : texts) stored.push_back(storedFormOf(text));
    for (std::size_t one = 0; one < texts.size(); ++one)
        for (std::size_t other = one + 1; other < texts.size(); ++other)
            require((stored[one] == stored[other]) == (texts[one] == texts[other]));
    return 0;
}
