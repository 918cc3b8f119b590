#pragma once
// GoogleTest's Notification (gtest-port.h) where the standard library has no std::mutex: the
// win32 thread model of MinGW-w64's GCC 12. Only GoogleTest's own thread helpers use it; our
// tests run on one thread.
#include <atomic>

namespace testing::internal {

class Notification {
public:
    Notification() = default;
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    void Notify() { m_notified.store(true); }
    void WaitForNotification() {
        while (!m_notified.load()) {
        }
    }

private:
    std::atomic<bool> m_notified{false};
};

}  // namespace testing::internal
