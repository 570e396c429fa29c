#pragma once

#include <cstddef>
#include <cstring>
#include <type_traits>

namespace tessavo::cipher {

// Overwrites memory that held key material or plain text. The empty assembly statement that
// takes the address tells the compiler the zeros are read afterwards, so the stores are kept
// even when the buffer is about to go out of scope.
inline void secureZero(void* data, std::size_t size) {
    std::memset(data, 0, size);
    asm volatile("" : : "r"(data) : "memory");
}

// Zeroes a plain value (an array of bytes, a block) when the scope that owns it ends.
template <typename T>
class WipeOnExit {
    static_assert(std::is_trivially_copyable_v<T>, "only plain values can be wiped in place");

public:
    explicit WipeOnExit(T& value) : value_(value) {}
    ~WipeOnExit() { secureZero(&value_, sizeof value_); }
    WipeOnExit(const WipeOnExit&) = delete;
    WipeOnExit& operator=(const WipeOnExit&) = delete;

private:
    T& value_;
};

}  // namespace tessavo::cipher
