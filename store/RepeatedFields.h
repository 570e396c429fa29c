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

    // The number of the shared copy of an earlier field of this column with the same stored
    // bytes. When there is none, the field is remembered in its place, so `stored` must stay
    // where it is (in the result's rows) for as long as this finder lives.
    std::optional<std::uint32_t> repeatOf(int column, std::string_view stored);

private:
    struct Slot {
        const char* field = nullptr;  // stored bytes of the remembered field, in the result's rows
        // The field's size in the low byte, and bits of its hash the slot's number does not hold
        // above it: a field that differs is mostly told by this alone, without reading the
        // remembered field's bytes far back in the rows.
        std::uint32_t sizeAndHash = 0;
        std::uint32_t shared = kNotShared;
    };
    static constexpr std::uint32_t kNotShared = 0xFFFFFFFF;

    struct Column {
        bool watched = true;
        std::uint32_t looks = 0;
        std::uint32_t repeats = 0;
    };

    static constexpr int kSlotBits = 12;
    static constexpr std::size_t kSlotsPerColumn = std::size_t{1} << kSlotBits;
    static void judge(Column& column);

    std::vector<Column> columns_;
    std::vector<Slot> slots_;
    std::vector<const char*>& shared_;
};

}  // namespace tessavo::store
