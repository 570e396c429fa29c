#include "store/RepeatedFields.h"

#include "store/Words.h"

namespace tessavo::store {

namespace {

using words::load32;
using words::load64;

// After this many looks a column is judged once: it stays watched only when at least one field
// in kRepeatShare repeated an earlier one.
constexpr std::uint32_t kLooksBeforeJudging = 4096;
constexpr std::uint32_t kRepeatShare = 8;

// A hash of a watched field (kShortest to kLongest bytes), eight bytes at a time with the last
// word overlapping the one before; its high bits are the best mixed. A slot's field is compared
// byte for byte before it is used, so a collision only costs a missed repeat.
std::uint64_t hashOf(std::string_view bytes) {
    constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15u;
    const char* at = bytes.data();
    const std::size_t size = bytes.size();
    std::uint64_t hash = size * kMultiplier;
    if (size < 8) return (hash ^ load32(at) ^ (std::uint64_t{load32(at + size - 4)} << 32)) * kMultiplier;
    for (const char* const last = at + size - 8; at < last; at += 8) hash = (hash ^ load64(at)) * kMultiplier;
    return (hash ^ load64(bytes.data() + size - 8)) * kMultiplier;
}

}  // namespace

RepeatedFields::RepeatedFields(int columns, std::vector<const char*>& shared)
    : columns_(static_cast<std::size_t>(columns)),
      slots_(static_cast<std::size_t>(columns) * kSlotsPerColumn),
      shared_(shared) {}

std::optional<std::uint32_t> RepeatedFields::repeatOf(int columnIndex, std::string_view stored) {
    Column& column = columns_[static_cast<std::size_t>(columnIndex)];
    const std::uint64_t hash = hashOf(stored);
    Slot& slot = slots_[static_cast<std::size_t>(columnIndex) * kSlotsPerColumn + (hash >> (64 - kSlotBits))];
    static_assert(kLongest < 0x100, "a watched field's size fits the low byte");
    const auto sizeAndHash = static_cast<std::uint32_t>((hash >> 16) << 8 | stored.size());
    const bool repeat = slot.sizeAndHash == sizeAndHash && words::sameBytes(slot.field, stored.data(), stored.size());
    ++column.looks;
    column.repeats += repeat ? 1 : 0;
    if (column.looks == kLooksBeforeJudging) judge(column);
    if (!repeat) {
        slot = Slot{stored.data(), sizeAndHash, kNotShared};
        return std::nullopt;
    }
    if (slot.shared == kNotShared) {
        slot.shared = static_cast<std::uint32_t>(shared_.size());
        shared_.push_back(slot.field);
    }
    return slot.shared;
}

void RepeatedFields::judge(Column& column) { column.watched = column.repeats * kRepeatShare >= column.looks; }

}  // namespace tessavo::store
