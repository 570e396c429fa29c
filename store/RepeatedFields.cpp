#include "store/RepeatedFields.h"

#include <cstring>

namespace tessavo::store {

namespace {

// After this many looks a column is judged once: it stays watched only when at least one field
// in kRepeatShare repeated an earlier one.
constexpr std::uint32_t kLooksBeforeJudging = 4096;
constexpr std::uint32_t kRepeatShare = 8;

// FNV-1a: the fields are short, and a slot's field is compared byte for byte before it is used.
std::uint32_t hashOf(std::string_view bytes) {
    std::uint32_t hash = 2166136261u;
    for (const char byte : bytes) hash = (hash ^ static_cast<unsigned char>(byte)) * 16777619u;
    return hash;
}

}  // namespace

RepeatedFields::RepeatedFields(int columns, std::vector<const char*>& shared)
    : columns_(static_cast<std::size_t>(columns)),
      slots_(static_cast<std::size_t>(columns) * kSlotsPerColumn),
      shared_(shared) {}

RepeatedFields::Seen RepeatedFields::look(int columnIndex, std::string_view stored) {
    Column& column = columns_[static_cast<std::size_t>(columnIndex)];
    column.pending = nullptr;

    Slot& slot = slotsOf(static_cast<std::size_t>(columnIndex))[hashOf(stored) % kSlotsPerColumn];
    ++column.looks;
    const bool repeat = slot.field != nullptr && slot.size == stored.size() &&
                        std::memcmp(slot.field, stored.data(), stored.size()) == 0;
    if (column.looks == kLooksBeforeJudging) judge(column);
    if (!repeat) {
        column.pending = &slot;
        column.pendingSize = static_cast<std::uint32_t>(stored.size());
        return {std::nullopt, true};
    }
    ++column.repeats;
    if (slot.shared == kNotShared) {
        slot.shared = static_cast<std::uint32_t>(shared_.size());
        shared_.push_back(slot.field);
    }
    return {slot.shared, false};
}

void RepeatedFields::remember(int columnIndex, const char* at) {
    Column& column = columns_[static_cast<std::size_t>(columnIndex)];
    if (column.pending == nullptr) return;
    *column.pending = Slot{at, column.pendingSize, kNotShared};
    column.pending = nullptr;
}

void RepeatedFields::judge(Column& column) { column.watched = column.repeats * kRepeatShare >= column.looks; }

}  // namespace tessavo::store
