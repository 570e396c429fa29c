#include "platform/base/IntegerText.h"

namespace tessavo::platform {
namespace {

int digitValue(char c, int base) {
    int value = -1;
    if (c >= '0' && c <= '9')
        value = c - '0';
    else if (c >= 'a' && c <= 'f')
        value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        value = c - 'A' + 10;
    return value < base ? value : -1;
}

// Strips a hexadecimal prefix and reports whether there was one.
bool takeHexPrefix(std::string_view& text) {
    if (text.starts_with('$') || text.starts_with('x') || text.starts_with('X')) {
        text.remove_prefix(1);
        return true;
    }
    if (text.starts_with("0x") || text.starts_with("0X")) {
        text.remove_prefix(2);
        return true;
    }
    return false;
}

}  // namespace

std::optional<std::int32_t> parseInteger(std::string_view text) {
    while (text.starts_with(' ')) text.remove_prefix(1);
    bool negative = false;
    if (text.starts_with('-') || text.starts_with('+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    const bool hex = takeHexPrefix(text);
    const int base = hex ? 16 : 10;
    const std::uint64_t limit = hex ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    if (text.empty()) return std::nullopt;
    std::uint64_t magnitude = 0;
    for (const char c : text) {
        const int digit = digitValue(c, base);
        if (digit < 0) return std::nullopt;
        magnitude = magnitude * base + static_cast<std::uint64_t>(digit);
        if (magnitude > limit) return std::nullopt;
    }
    const auto bits = static_cast<std::uint32_t>(magnitude);
    const auto value = static_cast<std::int32_t>(negative ? 0u - bits : bits);
    return value;
}

}  // namespace tessavo::platform
