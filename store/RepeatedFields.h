#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace tessavo::store {

// Finds, while a result is read row by row, a short field whose stored bytes repeat a field read
// a little earlier in the same column: the same category on hundreds of accounts, the same login
// name on many sites, the cipher text of an empty note. The result then keeps the bytes once and
// refers to them by a small number.
//
// Each column has a fixed table of recently seen fields, one per hash slot, so the memory is
// bounded whatever the result's size; a column whose fields hardly ever repeat (numbers, web
// addresses) is no longer looked at after its first rows, so it costs next to nothing.
class RepeatedFields {
public:
    // Shorter fields take no more room than a reference to them; longer ones seldom repeat.
    static constexpr std::size_t kShortest = 4;
    static constexpr std::size_t kLongest = 64;

    // `shared` collects the fields referred to: entry n is where the n-th shared field's stored
    // bytes begin. It must outlive this finder; the bytes it points to must not move.
    RepeatedFields(int columns, std::vector<const char*>& shared);

    // Whether a field of this column and stored size (header and bytes) is looked at.
    bool watches(int column, std::size_t size) const {
        return size >= kShortest && size <= kLongest && columns_[static_cast<std::size_t>(column)].watched;
    }

    // What a watched field of this column and these stored bytes is: a repeat (the number of its shared
    // copy) or new. A new field that is worth remembering is remembered by `remember` once it has
    // been written.
    struct Seen {
        std::optional<std::uint32_t> shared;
        bool worthRemembering = false;
    };
    Seen look(int column, std::string_view stored);
    // The field last looked up in this column, new, now written at `at` (its stored bytes).
    void remember(int column, const char* at);

private:
    struct Slot {
        const char* field = nullptr;  // stored bytes of the remembered field, in the result's rows
        std::uint32_t size = 0;
        std::uint32_t shared = kNotShared;
    };
    static constexpr std::uint32_t kNotShared = 0xFFFFFFFF;

    struct Column {
        bool watched = true;
        std::uint32_t looks = 0;
        std::uint32_t repeats = 0;
        Slot* pending = nullptr;  // where the field last found new goes once written
        std::uint32_t pendingSize = 0;
    };

    Slot* slotsOf(std::size_t column) { return slots_.data() + column * kSlotsPerColumn; }
    void judge(Column& column);

    static constexpr std::size_t kSlotsPerColumn = 4096;
    std::vector<Column> columns_;
    std::vector<Slot> slots_;
    std::vector<const char*>& shared_;
};

}  // namespace tessavo::store
