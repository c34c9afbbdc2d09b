#include "foundation/RWErrorCapture.h"
#include "foundation/RWThreadContext.h"

#include <gtest/gtest.h>

#include <thread>

// Counts the contexts made and not yet freed.
class RWThreadContextProbe {
public:
    static long Alive() { return RWThreadContext::Alive(); }
};

TEST(RWThreadContext, EachThreadHasItsOwnAndItIsFreedWhenTheThreadEnds)
{
    RWThreadContext* mine = &RWThreadContext::Current();
    const long before = RWThreadContextProbe::Alive();
    long during = 0;
    RWThreadContext* theirs = nullptr;
    std::thread other([&] {
        RWErrorCapture capture;
        theirs = &RWThreadContext::Current();
        during = RWThreadContextProbe::Alive();
    });
    other.join();
    EXPECT_NE(mine, theirs);
    EXPECT_EQ(before + 1, during);
    EXPECT_EQ(before, RWThreadContextProbe::Alive());
}
