#include "foundation/RWErrorHandler.h"

#include "TestMain.h"
#include "TestErrorCapture.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace {

bool g_seenBounds = false;
std::string g_seenText;

void Remember(const RWException* error)
{
    g_seenBounds = dynamic_cast<const RWBoundsError*>(error) != nullptr;
    g_seenText = error->Why();
}

} // namespace

TEST(RWMessageCatalogue, PlaceholdersAreFilledInOrder)
{
    EXPECT_STREQ("[INDEXERR] Illegal Index (7) for collection or string with 3 elements",
                 RWMessageText(RWMessageIndexError(), 7u, 3u).Text());
    EXPECT_STREQ("[NOCREATE] RWFactory: no create function for class with ID 36869 (0x9005)",
                 RWMessageText(RWMessageNoCreate(), 0x9005, 0x9005).Text());
    EXPECT_STREQ("[MAGIC] Bad magic number: -5 (should be 48879)",
                 RWMessageText(RWMessageBadMagic(), -5L, 48879L).Text());
}

TEST(RWMessageCatalogue, OverlongFormattingIsCutAtTheWorkBuffer)
{
    const std::string huge(5000, 'x');
    const RWMessageText text(RWMessageNoPersist(), huge.c_str());
    EXPECT_EQ(RWMessageText::kWorkBufferSize - 1, std::string(text.Text()).size());
    EXPECT_EQ(0u, std::string(text.Text()).find("[NOPERSIST] Persistence not implemented for type xxx"));
}

TEST(RWException, OwnsItsTextOnlyWhenCopied)
{
    static const char fixed[] = "fixed text";
    RWException shared(fixed, false);
    EXPECT_EQ(fixed, RWException(shared).Why());
    RWException owned(fixed, true);
    RWException copyOfOwned(owned);
    EXPECT_NE(owned.Why(), copyOfOwned.Why());
    EXPECT_STREQ(fixed, copyOfOwned.Why());
}

TEST(RWErrorHandler, SetReturnsThePreviousHandlerTheDefaultOneFirst)
{
    EXPECT_EQ(&RWDefaultErrorHandler, HandlerBeforeTestMain());
    // The test main installed its recording handler over the default one.
    RWErrorHandler testHandler = RWSetErrorHandler(Remember);
    EXPECT_NE(nullptr, testHandler);
    EXPECT_NE(&RWDefaultErrorHandler, testHandler);
    RWRaise(RWBoundsError(RWMessageText(RWMessageIndex(), 4u, 2u)));
    EXPECT_EQ("[INDEX] Index (4) out of range [0->2]", g_seenText);
    EXPECT_TRUE(g_seenBounds);
    EXPECT_EQ(&Remember, RWSetErrorHandler(testHandler));
}

TEST(RWErrorCapture, RecordsOnItsThreadAndReturns)
{
    TestErrorCapture capture;
    RWRaiseIndexError(7, 3);
    RWRaiseIndexError(static_cast<size_t>(-1), 3);
    RWRaise(RWFileError(RWMessageText(RWMessageReadError()), nullptr, 1));
    ASSERT_EQ(3u, capture.Count());
    EXPECT_EQ("[INDEXERR] Illegal Index (7) for collection or string with 3 elements", capture.Messages()[0]);
    EXPECT_EQ("[NPOSINDEX] The value RW_NPOS cannot be used as an index.", capture.Messages()[1]);
    EXPECT_TRUE(capture.LastIs<RWFileError>());
    EXPECT_FALSE(capture.LastIs<RWExternalError>());
}

TEST(RWErrorCapture, NestsAndLeavesOtherThreadsAlone)
{
    TestErrorCapture outer;
    {
        TestErrorCapture inner;
        RWRaiseInternal(RWMessageNotAllowed());
        EXPECT_EQ(1u, inner.Count());
    }
    EXPECT_TRUE(outer.Empty());
    std::thread other([] { EXPECT_EQ(nullptr, RWErrorCapture::Current()); });
    other.join();
    RWRaiseExternal(RWMessageBadStream());
    EXPECT_EQ("[STREAM] Bad input stream", outer.Last());
    EXPECT_TRUE(outer.LastIs<RWExternalError>());
}
