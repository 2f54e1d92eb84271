// The kernel mutex CMutex stands on, run against Windows' kernel in the windows build and the
// host's stand-in natively, which must answer the same: the abandonment that reaches a waiter
// already blocked (CMutex's own test sees the one a later caller meets).
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "WindowsDefines.h"

TEST(Win32Mutex, OwnerEndingWakesABlockedWaiter) {
  HANDLE mutex = CreateMutexW(nullptr, FALSE, nullptr);
  std::promise<void> held, end;
  std::thread owner([&] {
    WaitForSingleObject(mutex, INFINITE);
    held.set_value();
    end.get_future().wait();
  });
  held.get_future().wait();
  auto waiter = std::async(std::launch::async, [&] {
    DWORD result = WaitForSingleObject(mutex, INFINITE);
    ReleaseMutex(mutex);
    return result;
  });
  // Most likely blocked by now; the result is the same if it is not.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  end.set_value();
  owner.join();
  EXPECT_EQ(waiter.get(), WAIT_ABANDONED);
  EXPECT_TRUE(CloseHandle(mutex));

  // The only handle closed by the owner: the mutex lives on until its owner ends.
  std::thread([] { CloseHandle(CreateMutexW(nullptr, TRUE, nullptr)); }).join();
}
