#include "foundation/RWRefCount.h"

#include "foundation/RWCString.h"
#include "foundation/RWCriticalSection.h"
#include "foundation/RWWString.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

TEST(RWRefCount, RemoveAnswersTheCountBeforeTheDecrement)
{
    std::atomic<uint32_t> count{0};
    RWRefCount::AddReference(count);
    RWRefCount::AddReference(count);
    EXPECT_EQ(2u, count.load());
    EXPECT_EQ(2u, RWRefCount::RemoveReference(count));
    EXPECT_EQ(1u, RWRefCount::RemoveReference(count));
    // 0 tells the caller that it held the last reference.
    EXPECT_EQ(0u, RWRefCount::RemoveReference(count));
    // Signed counts (owners minus one) go below zero.
    std::atomic<int32_t> owners{0};
    EXPECT_EQ(0, RWRefCount::RemoveReference(owners));
    EXPECT_EQ(-1, owners.load());
}

TEST(RWCriticalSection, ThreadsRacingToTheFirstUseShareOneLock)
{
    for (int round = 0; round < 20; ++round) {
        RWCriticalSection lock;
        uint32_t count = 0;
        auto work = [&lock, &count] {
            for (int i = 0; i < 5000; ++i) {
                RWCriticalSectionGuard guard(lock);
                ++count;
            }
        };
        std::thread threads[] = {std::thread(work), std::thread(work), std::thread(work)};
        for (std::thread& t : threads)
            t.join();
        EXPECT_EQ(15000u, count) << "round " << round;
    }
}

namespace {

// The count word in front of a string's characters.
template <class String>
uint32_t CountOf(const String& s)
{
    typedef RWStringRepOf<typename std::remove_const<typename std::remove_pointer<decltype(s.Data())>::type>::type> Rep;
    return (reinterpret_cast<const Rep*>(s.Data()) - 1)->refs.load();
}

template <class String>
class RWRefCountShared : public testing::Test {};

typedef testing::Types<RWCString, RWWString> StringTypes;
TYPED_TEST_SUITE(RWRefCountShared, StringTypes);

} // namespace

// Sixteen threads take and drop copies of one string a million times in all, while each
// keeps one copy of its own: the count ends where it began, and the text is intact.
TYPED_TEST(RWRefCountShared, SixteenThreadsCopyingOneStringEndAtItsCount)
{
    const int kThreads = 16, kCopies = 1000000 / kThreads;
    TypeParam shared("a shared text");
    std::atomic<int> ready{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&] {
            const TypeParam mine(shared);
            ++ready;
            while (ready < kThreads)
                std::this_thread::yield();
            for (int i = 0; i < kCopies; ++i) {
                TypeParam copy(mine);
                TypeParam other;
                other = copy;
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(0u, CountOf(shared)) << "one owner left";
    EXPECT_EQ(TypeParam("a shared text"), shared);
    TypeParam last(shared);
    EXPECT_EQ(1u, CountOf(last));
}

// Every thread holds one copy and they let go together: the first write after that finds
// the one owner left alone and changes its text in place.
TYPED_TEST(RWRefCountShared, TheLastHolderOwnsTheTextAlone)
{
    for (int round = 0; round < 20; ++round) {
        TypeParam* shared = new TypeParam("text");
        std::vector<TypeParam> copies(16, *shared);
        std::vector<std::thread> threads;
        for (int t = 0; t < 16; ++t)
            threads.emplace_back([&copies, t] { copies[t] = TypeParam(); });
        for (std::thread& thread : threads)
            thread.join();
        EXPECT_EQ(0u, CountOf(*shared)) << "round " << round;
        const auto* before = shared->Data();
        (*shared)[0] = 'n';
        EXPECT_EQ(before, shared->Data()) << "a sole owner writes in place; round " << round;
        delete shared;
    }
}
