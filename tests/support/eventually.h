#pragma once
// Polls a condition until it holds or the time is up: how tests wait for an
// X server or window manager, never with a fixed sleep.

#include <chrono>
#include <thread>

namespace quenlow::testing {

template <class Condition>
bool eventually(Condition condition, std::chrono::milliseconds timeout = std::chrono::seconds(5))
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
        if (condition()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

}  // namespace quenlow::testing
