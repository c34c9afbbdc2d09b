// The registry of live extension hosts when memory runs out inside an entry: the
// out-of-memory handler deletes spare driver objects, whose hosts leave the registry.
#include "entry/extensions/ExtensionContextRegistry.h"

#include "FailingAllocation.h"

#include <gtest/gtest.h>

#include <atomic>
#include <new>

namespace {

const int g_spareHost = 0;
std::atomic<int> g_handled{0};

// What a spare's deletion does from the handler: its host leaves the registry.
void SpareHostLeaves()
{
    ++g_handled;
    ExtensionContextRegistry::Leave(&g_spareHost);
}

} // namespace

TEST(ExtensionContextRegistry, OutOfMemoryInsideAnEntryRunsTheHandlerOutsideTheRegistry)
{
    const int host = 0;
    const std::new_handler previous = std::set_new_handler(SpareHostLeaves);
    g_handled = 0;
    for (long failAfter = 0; failAfter < 4; ++failAfter) {
        ExtensionContextRegistry::Enter(&g_spareHost, ExtensionContextRegistry::kUIHost);
        ASSERT_TRUE(FailingAllocation::RunFailingOnce(
            failAfter, [&] { ExtensionContextRegistry::Enter(&host, ExtensionContextRegistry::kRenderingHost); }))
            << failAfter << ": the entry never returned";
        EXPECT_TRUE(ExtensionContextRegistry::IsLive(&host, ExtensionContextRegistry::kRenderingHost)) << failAfter;
        ExtensionContextRegistry::Leave(&host);
        ExtensionContextRegistry::Leave(&g_spareHost);
    }
    std::set_new_handler(previous);
    EXPECT_GT(g_handled.load(), 0) << "no allocation of an entry failed";
}
