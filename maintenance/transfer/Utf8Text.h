#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace tessavo::maintenance::transfer {

// The offset of the first byte that does not belong to well-formed UTF-8 (no overlong forms,
// no surrogates, nothing above U+10FFFF); none when the whole text is well-formed.
std::optional<std::size_t> firstInvalidUtf8(std::string_view text);

}  // namespace tessavo::maintenance::transfer
