#include "TestGraphs.h"

#include "TestErrorCapture.h"
#include "foundation/RWBinaryInStream.h"
#include "foundation/RWBinaryOutStream.h"
#include "foundation/RWClassList.h"
#include "foundation/RWErrorCapture.h"
#include "foundation/RWThreadContext.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <sstream>
#include <string>
#include <thread>

// Counts the contexts made and not yet freed, and puts a thread onto the shared context.
class RWThreadContextProbe {
public:
    static long Alive() { return RWThreadContext::Alive(); }
    static void ShareOnThisThread() { RWThreadContext::ShareOnThisThread(); }
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

// A thread without a context of its own shares one with other such threads: a class-list
// scope there fails the read at once, even of a listed class, and leaves no list behind;
// a slot kept only per thread reads null there and ignores writes.
TEST(RWThreadContext, AClassListScopeOnTheSharedContextFailsTheRead)
{
    std::stringbuf saved;
    {
        RWBinaryOutStream out(&saved);
        Leaf leaf(7);
        out << static_cast<const RWCollectable*>(&leaf);
    }
    auto read = [&]() {
        std::stringbuf buffer(saved.str());
        RWBinaryInStream in(&buffer);
        RWCollectable* object = nullptr;
        in >> object;
        return std::unique_ptr<RWCollectable>(object);
    };
    static const RWThreadSlot<int> ownOnly(true);
    int value = 5;
    const RWClassList leaves = {Leaf::kClassId};
    std::thread other([&] {
        RWThreadContextProbe::ShareOnThisThread();
        ASSERT_TRUE(RWThreadContext::Current().IsShared());
        {
            TestErrorCapture capture;
            RWClassListScope scope(leaves);
            EXPECT_EQ(nullptr, read());
            EXPECT_FALSE(capture.Empty());
        }
        EXPECT_EQ(nullptr, RWClassList::Current());
        EXPECT_NE(nullptr, read()) << "no scope, no list";
        ownOnly.Set(&value);
        EXPECT_EQ(nullptr, ownOnly.Get());
    });
    other.join();
    RWClassListScope scope(leaves);
    EXPECT_NE(nullptr, read()) << "a thread with its own context reads the listed class";
    ownOnly.Set(&value);
    EXPECT_EQ(&value, ownOnly.Get());
    ownOnly.Set(nullptr);
}

// The context is reached while an operation's answer waits in the last error: reading it
// leaves that error as it was.
TEST(RWThreadContext, ReachingTheContextKeepsTheLastError)
{
    RWThreadContext::Current();
    SetLastError(1234);
    RWThreadContext::Current();
    RWThreadContext::Peek();
    EXPECT_EQ(1234u, GetLastError());
}
