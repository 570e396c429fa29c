#pragma once

#include <string.h>
#include <cstddef>
#include <type_traits>

namespace tessavo::platform {

// Overwrites memory that held a secret (key material, a password, plain text) with zeros.
// explicit_bzero is the C library's wipe that the compiler never drops, even when the buffer is
// about to be freed; with fortified builds a wipe of a buffer of known size is also bounds-checked.
inline void wipe(void* data, std::size_t size) {
    if (size != 0) explicit_bzero(data, size);
}

// The whole contents of a contiguous buffer (std::string, QByteArray, QString, arrays); its size
// stays, so the caller decides when it goes. A QString or QByteArray that shares its buffer is
// detached by data(): wipe the last holder.
template <typename Buffer>
requires requires(Buffer& buffer) {
    buffer.data();
    buffer.size();
}
void wipe(Buffer& buffer) {
    wipe(static_cast<void*>(buffer.data()), static_cast<std::size_t>(buffer.size()) * sizeof(*buffer.data()));
}

// Zeroes a plain value (an array of bytes, a block) when the scope that owns it ends.
template <typename T>
class WipeOnExit {
    static_assert(std::is_trivially_copyable_v<T>, "only plain values can be wiped in place");

public:
    explicit WipeOnExit(T& value) : value_(value) {}
    ~WipeOnExit() { wipe(&value_, sizeof value_); }
    WipeOnExit(const WipeOnExit&) = delete;
    WipeOnExit& operator=(const WipeOnExit&) = delete;

private:
    T& value_;
};

}  // namespace tessavo::platform
