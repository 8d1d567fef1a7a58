#pragma once
// How a test waits for what it then asserts: for the condition itself, polled, never for a
// time. The bound is only a guard against a hang. A loaded machine runs the sanitizer build
// tens of times slower than a quiet one, so it stands far above any wait a test means to make,
// and below ctest's limit per test (180 s), so that a hang fails as itself.

#include <chrono>
#include <thread>

namespace testsupport {

inline constexpr std::chrono::seconds kHangGuard{120};
// The same, for QTest::qWaitFor.
inline constexpr int kHangGuardMs = static_cast<int>(kHangGuard.count() * 1000);

// Polls `done` until it holds or the guard runs out; whether it holds.
template <typename Done> bool WaitUntil(Done&& done) {
    const auto until = std::chrono::steady_clock::now() + kHangGuard;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

} // namespace testsupport
