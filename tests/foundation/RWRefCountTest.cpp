#include "foundation/RWRefCount.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <thread>

TEST(RWRefCount, RemoveAnswersTheCountBeforeTheDecrement)
{
    RWCriticalSection lock;
    uint32_t count = 0;
    RWRefCount::AddReference(count, lock);
    RWRefCount::AddReference(count, lock);
    EXPECT_EQ(2u, count);
    EXPECT_EQ(2u, RWRefCount::RemoveReference(count, lock));
    EXPECT_EQ(1u, RWRefCount::RemoveReference(count, lock));
    // 0 tells the caller that it held the last reference.
    EXPECT_EQ(0u, RWRefCount::RemoveReference(count, lock));
    // Signed counts (owners minus one) go below zero.
    int32_t owners = 0;
    EXPECT_EQ(0, RWRefCount::RemoveReference(owners, lock));
    EXPECT_EQ(-1, owners);
}

TEST(RWCriticalSection, ThreadsRacingToTheFirstUseShareOneLock)
{
    for (int round = 0; round < 20; ++round) {
        RWCriticalSection lock;
        uint32_t count = 0;
        auto work = [&lock, &count] {
            for (int i = 0; i < 5000; ++i)
                RWRefCount::AddReference(count, lock);
        };
        std::thread threads[] = {std::thread(work), std::thread(work), std::thread(work)};
        for (std::thread& t : threads)
            t.join();
        EXPECT_EQ(15000u, count) << "round " << round;
    }
}
