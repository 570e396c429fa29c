#pragma once

#include <string>
#include <string_view>

namespace tessavo::platform {

// A keyboard layout by its xkb names, as setxkbmap takes them ("de" with the variant "neo");
// an empty layout stands for one that cannot be told.
struct KeyboardLayout {
    std::string layout;
    std::string variant;
    bool operator==(const KeyboardLayout&) const = default;
};

// The layout of one group out of the X server's rules names (the root window's
// _XKB_RULES_NAMES: rules, model, layouts, variants and options, each ended by a NUL; layouts
// and variants are lists with one entry per group, split by commas).
KeyboardLayout layoutOfGroup(std::string_view rulesNames, unsigned group);

}  // namespace tessavo::platform
