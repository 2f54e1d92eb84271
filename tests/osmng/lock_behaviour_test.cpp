// What both lock classes promise through the common interface, and the ownership a CMutex
// inherits from a thread that ended while holding it.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "critical_section.h"
#include "kernel_mutex.h"

namespace {

// trylock on another thread; a lock it gets is released there. A trylock that blocked would
// hang the test until its time-out.
bool TrylockElsewhere(OsMng::CSuperMutex& lock) {
  bool got = false;
  std::thread([&] {
    got = lock.trylock();
    if (got) lock.unlock();
  }).join();
  return got;
}

template <typename Lock>
class LockBehaviour : public ::testing::Test {
 protected:
  Lock concrete;
  OsMng::CSuperMutex& lock = concrete;
};

using LockTypes = ::testing::Types<OsMng::CMutex, OsMng::CCriticalSection>;
TYPED_TEST_SUITE(LockBehaviour, LockTypes);

TYPED_TEST(LockBehaviour, ReentrantForItsOwnerAndTrylockNeverBlocks) {
  OsMng::CSuperMutex& lock = this->lock;
  ASSERT_TRUE(lock.trylock());
  lock.lock();
  EXPECT_TRUE(lock.trylock()) << "the owner re-enters";
  EXPECT_FALSE(TrylockElsewhere(lock));
  lock.unlock();
  lock.unlock();
  EXPECT_FALSE(TrylockElsewhere(lock)) << "released before the last unlock";
  lock.unlock();
  EXPECT_TRUE(TrylockElsewhere(lock));
}

TYPED_TEST(LockBehaviour, ExcludesOtherThreads) {
  OsMng::CSuperMutex& lock = this->lock;
  constexpr int kThreads = 4, kRounds = 2000;
  int counter = 0;  // plain on purpose: ThreadSanitizer reports it if exclusion fails
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kRounds; ++i) {
        while (t % 2 && !lock.trylock()) std::this_thread::yield();
        if (t % 2 == 0) lock.lock();
        int seen = counter;
        std::this_thread::yield();
        counter = seen + 1;
        lock.unlock();
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(counter, kThreads * kRounds);
}

TEST(CMutex, AbandonedMutexPassesToTheNextCaller) {
  OsMng::CMutex mutex;
  auto endWhileHolding = [&] {
    std::thread([&] {
      mutex.lock();
      mutex.lock();
    }).join();
  };
  endWhileHolding();
  ASSERT_TRUE(mutex.trylock()) << "the kernel granted ownership with the abandoned result";
  EXPECT_FALSE(TrylockElsewhere(mutex));
  mutex.unlock();  // once, whatever the ended owner's count was
  EXPECT_TRUE(TrylockElsewhere(mutex)) << "a caller that was told false would still hold it";

  endWhileHolding();
  mutex.lock();
  mutex.unlock();
  EXPECT_TRUE(TrylockElsewhere(mutex));
}

}  // namespace
