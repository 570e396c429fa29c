#pragma once

#include <string>
#include <string_view>

namespace tessavo::test {

// Every printable ASCII character that the key language types as itself: all but its commands
// (Shift, Ctrl, Alt, Enter, groups and key names).
inline std::string printableAsciiOutsideKeyLanguage() {
    constexpr std::string_view kCommands = "+^%~(){}";
    std::string text;
    for (char c = 0x20; c < 0x7F; ++c) {
        if (kCommands.find(c) == std::string_view::npos) text += c;
    }
    return text;
}

}  // namespace tessavo::test
