#include "printer/GSemaphoreLock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

// One row per step on a fresh lock: what each operation answers.
TEST(SemaphoreLock, AnswersOfEachStep)
{
    enum Step { kAcquire, kRelease, kTry };
    const struct {
        const char* name;
        std::vector<Step> steps;
        std::vector<int32_t> answers;
    } cases[] = {
        {"take and give back", {kAcquire, kRelease}, {0, 0}},
        {"give back what nobody holds", {kRelease}, {-2}},
        {"give back twice", {kAcquire, kRelease, kRelease}, {0, 0, -2}},
        {"try on a free lock", {kTry, kRelease}, {0, 0}},
        {"try on a held lock", {kAcquire, kTry, kRelease, kTry, kRelease}, {0, -1, 0, 0, 0}},
        {"taken again after a refused release", {kRelease, kAcquire, kTry, kRelease}, {-2, 0, -1, 0}},
    };
    for (const auto& c : cases) {
        GSemaphoreLock lock;
        for (size_t i = 0; i < c.steps.size(); ++i) {
            const int32_t answer = c.steps[i] == kAcquire   ? lock.Acquire()
                                   : c.steps[i] == kRelease ? lock.Release()
                                                            : lock.TryAcquire();
            EXPECT_EQ(c.answers[i], answer) << c.name << ", step " << i;
        }
    }
}

TEST(SemaphoreLock, AnotherThreadMayReleaseWhatOneTook)
{
    GSemaphoreLock lock;
    ASSERT_EQ(0, lock.Acquire());
    int32_t released = 1;
    std::thread([&] { released = lock.Release(); }).join();
    EXPECT_EQ(0, released);
    EXPECT_EQ(0, lock.TryAcquire()) << "free again";
    EXPECT_EQ(0, lock.Release());
}

TEST(SemaphoreLock, AWaiterRunsOnlyOnceTheHolderReleases)
{
    GSemaphoreLock lock;
    ASSERT_EQ(0, lock.Acquire());
    std::atomic<bool> entered{false};
    std::thread waiter([&] {
        EXPECT_EQ(0, lock.Acquire());
        entered = true;
        EXPECT_EQ(0, lock.Release());
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(entered) << "the holder still holds it";
    EXPECT_EQ(0, lock.Release());
    waiter.join();
    EXPECT_TRUE(entered);
    EXPECT_EQ(0, lock.TryAcquire()) << "nothing left held or counted";
    EXPECT_EQ(0, lock.Release());
    EXPECT_EQ(-2, lock.Release());
}

// Sixteen threads counting under the lock, most of the time against each other: every
// increment lands and only one thread is ever inside.
TEST(SemaphoreLock, ExcludesUnderContention)
{
    GSemaphoreLock lock;
    long counter = 0;
    std::atomic<int> inside{0}, most{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 16; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 2000; ++i) {
                ASSERT_EQ(0, lock.Acquire());
                const int now = ++inside;
                if (now > most)
                    most = now;
                ++counter;
                --inside;
                ASSERT_EQ(0, lock.Release());
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(16 * 2000, counter);
    EXPECT_EQ(1, most.load());
    EXPECT_EQ(0, lock.TryAcquire());
    EXPECT_EQ(0, lock.Release());
}
