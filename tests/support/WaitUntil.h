#pragma once

#include <chrono>
#include <thread>

namespace tessavo::test {

// How long the end-to-end tier waits for something a user would see at once. Generous, because
// the tier runs on loaded machines; every wait ends as soon as its condition holds.
inline constexpr std::chrono::milliseconds kPatience{30000};

// Polls the condition until it holds or the time is up; the result is the condition's last value.
template <class Condition>
bool waitUntil(Condition&& condition, std::chrono::milliseconds timeout = kPatience) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return true;
}

}  // namespace tessavo::test
