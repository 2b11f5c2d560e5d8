// Forced into every GoogleTest compilation of the win32 tree. GoogleTest's
// Notification is built on std::mutex and std::condition_variable, which the
// toolchain's win32 thread model does not have; this one waits on an atomic
// flag instead. Only GoogleTest's own thread helpers use it.
#pragma once

#include <atomic>
#include <thread>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing {
namespace internal {

class Notification {
public:
  Notification() : bNotified(false) {}
  Notification(const Notification &) = delete;
  Notification &operator=(const Notification &) = delete;

  void Notify() { bNotified.store(true); }
  void WaitForNotification() {
    while (!bNotified.load())
      std::this_thread::yield();
  }

private:
  std::atomic<bool> bNotified;
};

} // namespace internal
} // namespace testing
