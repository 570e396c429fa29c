#include "platform/keyboard/KeyboardLayout.h"

#include <array>
#include <cstddef>

namespace tessavo::platform {
namespace {

// The entry at index in a comma-separated list; empty past its end.
std::string_view entryOf(std::string_view list, unsigned index) {
    for (; index > 0; --index) {
        const std::size_t comma = list.find(',');
        if (comma == std::string_view::npos) return {};
        list.remove_prefix(comma + 1);
    }
    return list.substr(0, list.find(','));
}

}  // namespace

KeyboardLayout layoutOfGroup(std::string_view rulesNames, unsigned group) {
    enum Field : std::size_t { Rules, Model, Layouts, Variants, Options, FieldCount };
    std::array<std::string_view, FieldCount> fields{};
    for (std::string_view& field : fields) {
        const std::size_t end = rulesNames.find('\0');
        field = rulesNames.substr(0, end);
        if (end == std::string_view::npos) break;
        rulesNames.remove_prefix(end + 1);
    }
    return {std::string(entryOf(fields[Layouts], group)), std::string(entryOf(fields[Variants], group))};
}

}  // namespace tessavo::platform
