// The agent provider: its link to a really running agent stand-in, the query it opens,
// its stored form, and the module making and registering it.
#include "entry/agent/GNRAProvider.h"

#include "../../model/StoredForms.h"
#include "AgentStandin.h"
#include "TestPrinter.h"
#include "entry/agent/GNRADeviceQuery.h"
#include "entry/driverui/GDriverUI.h"
#include "entry/module/ModuleLifetime.h"
#include "model/GAttributeComposite.h"
#include "model/GCountedRef.h"
#include "model/GFeatureIds.h"
#include "model/GProviderRegistry.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "printer/GDriverObject.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace {

const uint32_t kAgent = GNRAProvider::kAgentCapability;

// A provider whose two lists hold one member each.
void Fill(GNRAProvider& provider, const char* text, uint16_t value)
{
    provider.FirstList().Add(new GStringAttribute(text, 1));
    provider.SecondList().Add(new GValueAttribute(value, 2));
}

TEST(GNRAProviderLink, WithoutAnAgentNothingIsSupportedOrCounted)
{
    ASSERT_EQ(nullptr, FindWindowW(L"qznra", nullptr)) << "an agent is left running";
    GNRAProvider provider;
    GProviderRegistry registry;
    ASSERT_EQ(0, registry.Register(&provider, GNRAProvider::kRegisteredName));
    EXPECT_EQ(kAgent, provider.GetCapabilities());
    EXPECT_FALSE(provider.Supports(kAgent));
    EXPECT_EQ(0u, registry.Count(kAgent));
    EXPECT_FALSE(provider.Connect());
    EXPECT_FALSE(provider.Request(6));
    EXPECT_EQ(nullptr, provider.GetAgentWindow());
}

TEST(GNRAProviderLink, ARunningAgentIsFoundCountedAndAnswers)
{
    AgentStandin agent({});
    ASSERT_TRUE(agent.Running());
    GNRAProvider provider;
    GProviderRegistry registry;
    registry.Register(&provider, GNRAProvider::kRegisteredName);
    EXPECT_TRUE(provider.Supports(kAgent));
    EXPECT_EQ(1u, registry.Count(kAgent));
    EXPECT_EQ(agent.Window(), provider.GetAgentWindow());
    EXPECT_EQ(RegisterWindowMessageW(L"QZNRA_CLIENT_REQUEST"), provider.GetRequestMessage());
    EXPECT_TRUE(provider.Request(6));
    // An error left from before the request is not the request's.
    SetLastError(0xdeadbeef);
    EXPECT_TRUE(provider.Request(1));
    EXPECT_EQ(2, agent.Requests());
    // Any other mask is no service of this provider, agent or not.
    for (uint32_t mask : {0u, 1u, 0x10001u, 0x20000u})
        EXPECT_FALSE(provider.Supports(mask)) << mask;
}

TEST(GNRAProviderLink, TheUIContextSaysWhetherAnAgentAnswers)
{
    GNRAProvider provider;
    ASSERT_EQ(0, GProviderRegistry::Instance().Register(&provider, "QZNRA test"));
    GAttributeComposite settings(0);
    GValueAttribute* state = new GValueAttribute(7, FeatureId::kAgentUpdateState);
    settings.Add(state);
    GDriverUI::NoteAgentAvailability(&settings);
    EXPECT_EQ(0, state->GetValue()) << "no agent";
    {
        AgentStandin agent({});
        ASSERT_TRUE(agent.Running());
        GDriverUI::NoteAgentAvailability(&settings);
        EXPECT_EQ(1, state->GetValue());
    }
    GProviderRegistry::Instance().Unregister("QZNRA test");
    GDriverUI::NoteAgentAvailability(nullptr);
}

TEST(GNRAProviderLink, AnAgentAnsweringOtherThanZeroFailsTheRequest)
{
    AgentStandin agent({}, 5);
    ASSERT_TRUE(agent.Running());
    GNRAProvider provider;
    EXPECT_FALSE(provider.Request(6));
    agent.SetAnswer(0);
    EXPECT_TRUE(provider.Request(6));
    agent.SetAnswer(5);
    EXPECT_FALSE(provider.Request(6));
    EXPECT_EQ(3, agent.Requests());
}

// The one provider serves every thread of the module: threads connecting at once store
// the same link, and each request reaches the agent.
TEST(GNRAProviderLink, ThreadsShareTheLink)
{
    AgentStandin agent({});
    ASSERT_TRUE(agent.Running());
    GNRAProvider provider;
    std::atomic<int> answered(0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 10; ++i)
                answered += provider.Request(1) ? 1 : 0;
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(40, answered.load());
    EXPECT_EQ(40, agent.Requests());
    EXPECT_EQ(agent.Window(), provider.GetAgentWindow());
}

TEST(GNRAProviderLink, DisconnectForgetsWindowAndMessage)
{
    AgentStandin agent({});
    ASSERT_TRUE(agent.Running());
    GNRAProvider provider;
    ASSERT_TRUE(provider.Connect());
    EXPECT_EQ(1, provider.Disconnect());
    EXPECT_EQ(nullptr, provider.GetAgentWindow());
    EXPECT_EQ(0u, provider.GetRequestMessage());
}

TEST(GNRAProviderLink, AnAgentClosedWhileConnectedFailsTheRequest)
{
    AgentStandin agent({});
    ASSERT_TRUE(agent.Running());
    GNRAProvider provider;
    ASSERT_TRUE(provider.Connect());
    ASSERT_TRUE(agent.Close());
    EXPECT_FALSE(provider.Request(6));
    provider.Disconnect();
    EXPECT_FALSE(provider.Connect());
}

TEST(GNRAProviderQueries, OpensAQueryOnlyForTheAgentMaskAndADriverObject)
{
    TestPrinter& printer = TestPrinter::Shared();
    ASSERT_TRUE(printer.Installed()) << printer.Failure();
    GDriverObject driver(RWWString(printer.Name().c_str()));
    GNRAProvider provider;
    void* service = provider.OpenSecondary(RWWString(L"channel"), RWCString(GNRAProvider::kRegisteredName), kAgent,
                                           &driver);
    std::unique_ptr<GNRADeviceQuery> query(GNRADeviceQuery::FromService(service));
    ASSERT_TRUE(query);
    EXPECT_TRUE(query->GetName() == RWWString(printer.Name().c_str()));
    EXPECT_TRUE(query->GetFirstText() == RWCString("channel"));
    EXPECT_NE(nullptr, query->GetPrinterHandle());
    EXPECT_EQ(nullptr, provider.OpenSecondary(RWWString(L"channel"), RWCString(), 1, &driver));
    EXPECT_EQ(nullptr, provider.OpenSecondary(RWWString(L"channel"), RWCString(), 0x10001, &driver));
    EXPECT_EQ(nullptr, provider.OpenSecondary(RWWString(L"channel"), RWCString(), kAgent, nullptr));
}

TEST(GNRAProviderStore, ACopySharesTheListsAndIsTheSame)
{
    GNRAProvider provider;
    Fill(provider, "one", 2);
    std::unique_ptr<GNRAProvider> copy(provider.Copy());
    EXPECT_TRUE(copy->IsSame(&provider));
    EXPECT_EQ(provider.FirstList().At(0), copy->FirstList().At(0));
    copy->SecondList().Add(new GValueAttribute(3, 4));
    EXPECT_FALSE(copy->IsSame(&provider));
    // The lists live inside the provider and its copy: only their owner deletes them.
    for (MPersistentComposite* list :
         {&provider.FirstList(), &provider.SecondList(), &copy->FirstList(), &copy->SecondList()}) {
        ASSERT_TRUE(list->IsEmbedded());
        { GCountedRef holder(list); }
        EXPECT_EQ(-1, list->References());
    }
}

// The provider's own version word follows the root part (12 bytes) and the provider
// base's version word (4 bytes).
const size_t kOwnVersionAt = 16;

TEST(GNRAProviderStore, AnotherVersionAnswersOneAndLeavesTheListsAlone)
{
    GNRAProvider stored;
    Fill(stored, "stored", 7);
    std::vector<uint8_t> bytes = GutsBytes(stored);
    ASSERT_EQ(1u, bytes[kOwnVersionAt]);
    bytes[kOwnVersionAt] = 2;

    GNRAProvider provider;
    Fill(provider, "kept", 9);
    std::unique_ptr<GNRAProvider> before(provider.Copy());
    RestoreGutsFrom(provider, bytes);
    EXPECT_TRUE(provider.IsSame(before.get()));

    {
        BytesFile version2(StoredBytes().U32(2));
        EXPECT_EQ(1, provider.ReadFields(version2.File()));
    }
    for (StreamKind kind : kAllStreamKinds) {
        int result = -1;
        ReadStreamText(kind, StreamTextOf(kind, [](RWDataOutStream& s) { s << 2u; }),
                       [&](RWDataInStream& in) { result = provider.ReadFields(in); });
        EXPECT_EQ(1, result) << int(kind);
    }
    EXPECT_TRUE(provider.IsSame(before.get()));

    // Version 1 reads both lists.
    std::vector<uint8_t> own(bytes.begin() + kOwnVersionAt, bytes.end());
    own[0] = 1;
    BytesFile current(own);
    EXPECT_EQ(0, provider.ReadFields(current.File()));
    EXPECT_TRUE(provider.FirstList().IsSame(&stored.FirstList()));
    EXPECT_TRUE(provider.SecondList().IsSame(&stored.SecondList()));
}

TEST(GNRAProviderStore, ARestoreForgetsTheAgentLink)
{
    AgentStandin agent({});
    ASSERT_TRUE(agent.Running());
    GNRAProvider stored;
    GNRAProvider provider;
    ASSERT_TRUE(provider.Connect());
    RestoreGutsFrom(provider, GutsBytes(stored));
    EXPECT_EQ(nullptr, provider.GetAgentWindow());
    EXPECT_EQ(0u, provider.GetRequestMessage());
}

TEST(GNRAProviderModule, AttachRegistersTheProviderAndDetachRemovesIt)
{
    ASSERT_TRUE(ModuleLifetime::Attach(GetModuleHandleW(nullptr), false));
    GProvider* provider = ModuleLifetime::AgentProvider();
    ASSERT_NE(nullptr, dynamic_cast<GNRAProvider*>(provider));
    EXPECT_EQ(provider, GProviderRegistry::Instance().FindByName(GNRAProvider::kRegisteredName));
    // A second attach keeps the one provider.
    ASSERT_TRUE(ModuleLifetime::Attach(GetModuleHandleW(nullptr), false));
    EXPECT_EQ(provider, ModuleLifetime::AgentProvider());
    EXPECT_TRUE(ModuleLifetime::Detach(false));
    EXPECT_EQ(nullptr, ModuleLifetime::AgentProvider());
    EXPECT_EQ(nullptr, GProviderRegistry::Instance().FindByName(GNRAProvider::kRegisteredName));
    EXPECT_EQ(0u, GProviderRegistry::Instance().Count(kAgent));
}

} // namespace
