// The kernel mutex calls CMutex stands on. They run against Windows' kernel in the windows
// build and against the host's stand-in natively, which must answer the same.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "WindowsDefines.h"

TEST(Win32Mutex, WaitResults) {
  HANDLE mutex = CreateMutexW(nullptr, TRUE, nullptr);
  ASSERT_NE(mutex, nullptr);
  DWORD other = 0;
  std::thread([&] { other = WaitForSingleObject(mutex, 50); }).join();
  EXPECT_EQ(other, WAIT_TIMEOUT) << "created owned by this thread";
  std::thread([&] { other = DWORD(ReleaseMutex(mutex)); }).join();
  EXPECT_EQ(other, DWORD(FALSE)) << "only the owner releases";
  EXPECT_TRUE(ReleaseMutex(mutex));
  EXPECT_FALSE(ReleaseMutex(mutex)) << "released more often than acquired";

  std::thread([&] { WaitForSingleObject(mutex, INFINITE); }).join();
  EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_ABANDONED);
  EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0) << "abandonment is reported once";
  EXPECT_TRUE(ReleaseMutex(mutex));
  EXPECT_TRUE(ReleaseMutex(mutex));
  EXPECT_TRUE(CloseHandle(mutex));
  EXPECT_EQ(WaitForSingleObject(nullptr, 0), WAIT_FAILED);
}

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
