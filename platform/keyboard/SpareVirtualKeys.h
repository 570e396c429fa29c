#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>

namespace tessavo::platform {

// Virtual-key codes Windows leaves unassigned: handed out, for one burst of typing, to what no
// US key code types.
inline constexpr std::uint8_t kSpareVirtualKeys[] = {
    0x3A, 0x3B, 0x3C, 0x3D, 0x3E, 0x3F, 0x40, 0x88, 0x89, 0x8A, 0x8B, 0x8C, 0x8D, 0x8E, 0x8F, 0x97,
    0x98, 0x99, 0x9A, 0x9B, 0x9C, 0x9D, 0x9E, 0x9F, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8,
    0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xCF, 0xD0, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xD8,
    0xD9, 0xDA, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0xEF, 0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5,
};

// Binds values to spare virtual keys in a table of bindings by virtual key: a value already
// bound keeps its key. A burst binds far fewer values than there are spare keys; when they run
// out, the oldest binding goes (each key is pressed right after it is handed out).
class SpareVirtualKeyCursor {
public:
    template <typename Binding>
    std::uint8_t bind(std::array<Binding, 256>& bound, const Binding& value) {
        for (const std::uint8_t spare : kSpareVirtualKeys) {
            if (bound[spare] == value) return spare;
        }
        const std::uint8_t spare = kSpareVirtualKeys[next_++ % std::size(kSpareVirtualKeys)];
        bound[spare] = value;
        return spare;
    }
    void reset() { next_ = 0; }

private:
    std::size_t next_ = 0;
};

}  // namespace tessavo::platform
