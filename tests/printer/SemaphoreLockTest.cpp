// The services' lock: a binary lock that any thread may release, waited on only when busy.
#include "printer/GSemaphoreLock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

TEST(GSemaphoreLock, TakesFreeRefusesBusyAndReleasesOnlyWhatIsHeld)
{
    GSemaphoreLock lock;
    EXPECT_EQ(-2, lock.Release()) << "a free lock cannot be released";
    EXPECT_EQ(0, lock.Acquire());
    EXPECT_EQ(-1, lock.TryAcquire()) << "not re-entrant";
    EXPECT_EQ(0, lock.Release());
    EXPECT_EQ(0, lock.TryAcquire());
    EXPECT_EQ(0, lock.Release());
    EXPECT_EQ(-2, lock.Release());
}

// A lock taken on one thread is released on another, which lets the waiter in.
TEST(GSemaphoreLock, AnotherThreadReleasesWhatOneTook)
{
    GSemaphoreLock lock;
    ASSERT_EQ(0, lock.Acquire());
    std::thread releaser([&] { EXPECT_EQ(0, lock.Release()); });
    releaser.join();
    EXPECT_EQ(0, lock.TryAcquire());
    std::atomic<bool> in{false};
    std::thread waiter([&] {
        EXPECT_EQ(0, lock.Acquire());
        in = true;
        EXPECT_EQ(0, lock.Release());
    });
    EXPECT_EQ(0, lock.Release());
    waiter.join();
    EXPECT_TRUE(in);
}

// Threads that contend keep each other out: a count changed only under the lock ends
// exact.
TEST(GSemaphoreLock, ContendingThreadsKeepEachOtherOut)
{
    GSemaphoreLock lock;
    long count = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 20000; ++i) {
                ASSERT_EQ(0, lock.Acquire());
                const long seen = count;
                if (i % 1000 == 0)
                    std::this_thread::yield();
                count = seen + 1;
                ASSERT_EQ(0, lock.Release());
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(80000, count);
    EXPECT_EQ(0, lock.TryAcquire());
    EXPECT_EQ(0, lock.Release());
}
