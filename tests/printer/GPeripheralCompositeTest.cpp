#include "printer/GPeripheralComposite.h"

#include "pipeline/GErrorCommand.h"
#include "printer/GPeripheralProxy.h"
#include "printer/GState.h"

#include "ChainTestObjects.h"
#include "DeletionCount.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

GPeripheralComposite* AddOnComposite()
{
    GPeripheralComposite* composite = new GPeripheralComposite("chain", nullptr, nullptr, 5, 64, 1, 1);
    composite->SetConfiguration(AddOnConfiguration());
    return composite;
}

class CountedState : public GState {
public:
    explicit CountedState(int* deletions) : count_(deletions) {}

private:
    DeletionCount count_;
};

} // namespace

TEST(GPeripheralCompositeAddOns, WithoutChildrenEveryCommandPassesAndAddOnsComeAndGo)
{
    const AddOnCalls before = AddOnHost();
    std::unique_ptr<GPeripheralComposite> composite(AddOnComposite());
    GDocumentStart start(L"doc", L"FILE:", nullptr, 1);
    GPageStart page(2);
    GDocumentEnd end(3);
    ChainLog().clear();
    EXPECT_EQ(&start, composite->ReceiveCommand(&start));
    ASSERT_EQ(1u, composite->Entries());
    EXPECT_EQ(GPeripheralProxy::kClassId, composite->ChildAt(0)->ClassId());
    EXPECT_EQ(&page, composite->ReceiveCommand(&page));
    EXPECT_EQ(&end, composite->ReceiveCommand(&end));
    EXPECT_EQ(0u, composite->Entries());
    EXPECT_EQ((std::vector<std::string>{"addon 705", "addon 709", "addon 706"}), ChainLog());
    EXPECT_EQ(before.made + 1, AddOnHost().made);
    EXPECT_EQ(before.taken + 1, AddOnHost().taken);
    EXPECT_FALSE(AddOnLoaded());
}

// An end that a child turns into an error leaves the proxies; the next document still
// runs one set of add-ons, in front of the very children the composite had.
TEST(GPeripheralCompositeAddOns, AnErrorEndLeavesProxiesThatTheNextDocumentReplaces)
{
    const AddOnCalls before = AddOnHost();
    std::unique_ptr<GPeripheralComposite> composite(AddOnComposite());
    LoggingPeripheral* child = new LoggingPeripheral("child");
    child->Answer(3, 9);
    composite->Add(child);
    GDocumentStart start(L"doc", L"FILE:", nullptr, 1);
    // Held: the error command holds the failed command too.
    GCountedRef failing(new GDocumentEnd(3));
    GDocumentEnd end(4);
    composite->ReceiveCommand(&start);
    GCountedRef error(composite->ReceiveCommand(static_cast<GCommand*>(failing.Get())));
    EXPECT_EQ(GErrorCommand::kClassId, error->ClassId());
    EXPECT_EQ(2u, composite->Entries());
    ChainLog().clear();
    composite->ReceiveCommand(&start);
    ASSERT_EQ(2u, composite->Entries());
    EXPECT_EQ(child, composite->ChildAt(1));
    EXPECT_EQ(2u, composite->ActiveChildCount());
    composite->ReceiveCommand(&end);
    EXPECT_EQ((std::vector<std::string>{"addon 705", "child 705", "addon 706", "child 706"}), ChainLog());
    ASSERT_EQ(1u, composite->Entries());
    EXPECT_EQ(child, composite->ChildAt(0));
    EXPECT_EQ(0u, composite->ActiveChildCount());
    EXPECT_EQ(before.made + 2, AddOnHost().made);
    EXPECT_EQ(before.taken + 2, AddOnHost().taken);
}

TEST(GPeripheralCompositeChildren, AChildLeavingAtDocumentStartSeesNothingMoreUntilReset)
{
    GPeripheralComposite composite;
    LoggingPeripheral* leaving = new LoggingPeripheral("leaving");
    leaving->leaveAtStart = true;
    composite.Add(leaving);
    composite.Add(new LoggingPeripheral("staying"));
    GDocumentStart start(L"doc", L"FILE:", nullptr, 1);
    GPageStart page(2);
    ChainLog().clear();
    composite.ReceiveCommand(&start);
    composite.ReceiveCommand(&page);
    composite.Reset();
    leaving->leaveAtStart = false;
    composite.ReceiveCommand(&start);
    EXPECT_EQ((std::vector<std::string>{"leaving 705", "staying 705", "staying 709", "leaving 705", "staying 705"}),
              ChainLog());
}

TEST(GPeripheralCompositeChildren, ReadinessAsksEveryChildScaleAndFlagsOnlyActiveOnes)
{
    GPeripheralComposite composite;
    const std::pair<float, float> scales[] = {{2.0f, 0.5f}, {0.5f, 4.0f}, {3.0f, 3.0f}};
    for (uint32_t i = 0; i < 3; ++i) {
        LoggingPeripheral* child = new LoggingPeripheral("c");
        child->scale = scales[i];
        child->flags = 1u << i;
        composite.Add(child);
    }
    EXPECT_TRUE(composite.IsReady());
    static_cast<LoggingPeripheral*>(composite.ChildAt(2))->ready = false;
    composite.ChildAt(2)->Deactivate();
    EXPECT_FALSE(composite.IsReady());
    EXPECT_EQ(std::make_pair(1.0f, 2.0f), composite.GetScale(nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(3u, composite.QueryFlags());
}

TEST(GPeripheralCompositeChildren, AddRefusesStatesAndRebuildsTheConfigurationInOrder)
{
    int deletions = 0;
    GPeripheralComposite composite;
    composite.Add(new CountedState(&deletions));
    EXPECT_EQ(1, deletions);
    EXPECT_EQ(0u, composite.Entries());
    LoggingPeripheral* first = new LoggingPeripheral("a");
    LoggingPeripheral* second = new LoggingPeripheral("b");
    composite.Add(first);
    composite.Add(second);
    GConfiguration* configuration = composite.GetConfiguration();
    ASSERT_EQ(3u, configuration->Entries());
    EXPECT_EQ(composite.GetOwnConfigurationPart(), configuration->At(0));
    EXPECT_EQ(first->GetConfiguration(), configuration->At(1));
    EXPECT_EQ(second->GetConfiguration(), configuration->At(2));
    std::unique_ptr<GObjectBase> removed(composite.Remove(first));
    EXPECT_EQ(first, removed.get());
    EXPECT_EQ(0u, first->ListenerCount());
    EXPECT_EQ(2u, configuration->Entries());
}

TEST(GPeripheralCompositeChildren, ADeepCopyOutlivesItsSource)
{
    std::unique_ptr<GPeripheralComposite> source(new GPeripheralComposite);
    source->Add(new LoggingPeripheral("a"));
    std::unique_ptr<GPeripheralComposite> copy(static_cast<GPeripheralComposite*>(source->DeepCopy()));
    source.reset();
    GPeripheral* child = copy->ChildAt(0);
    ASSERT_NE(nullptr, child);
    ASSERT_EQ(1u, child->ListenerCount());
    EXPECT_EQ(copy.get(), child->ListenerAt(0));
    child->NotifyListeners(child);
    EXPECT_EQ(child->GetConfiguration(), copy->GetConfiguration()->At(1));
}
