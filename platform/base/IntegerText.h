#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tessavo::platform {

// Reads a whole text as a 32-bit integer the way the settings file and the key language's
// repeat counts expect: leading blanks, then an optional sign, then decimal digits, or
// hexadecimal digits after a "$", "x", "X", "0x" or "0X" prefix. Nothing may follow the
// digits. Decimal values must fit into 32 signed bits; hexadecimal ones may use all 32 bits
// ($FFFFFFFF is -1). Anything else, the empty text included, is not an integer.
std::optional<std::int32_t> parseInteger(std::string_view text);

}  // namespace tessavo::platform
