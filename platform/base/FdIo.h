#pragma once

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <string_view>

namespace tessavo::platform {

// Waits until the descriptor is ready for `events` (POLLIN, POLLOUT), at most `timeoutMs` (-1:
// without limit); a wait a signal interrupts goes on. False when the time ran out or it failed.
inline bool waitUntilReady(int fd, short events, int timeoutMs) {
    pollfd ready{fd, events, 0};
    int result = 0;
    do result = ::poll(&ready, 1, timeoutMs);
    while (result < 0 && errno == EINTR);
    return result > 0 && (ready.revents & events) != 0;
}

// Writes all of `bytes`, going on after a signal. With `readyWaitMs` of 0 or more, each write
// first waits that long at most for the descriptor to take more (a pipe whose reader is slow).
// False when a write fails or a wait runs out.
inline bool writeAll(int fd, std::string_view bytes, int readyWaitMs = -1) {
    while (!bytes.empty()) {
        if (readyWaitMs >= 0 && !waitUntilReady(fd, POLLOUT, readyWaitMs)) return false;
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace tessavo::platform
