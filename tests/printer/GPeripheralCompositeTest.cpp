#include "printer/GPeripheralComposite.h"

#include "model/GErrorCommand.h"
#include "printer/GPeripheralProxy.h"
#include "model/GState.h"

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

struct CountedState : GState { explicit CountedState(int* deletions) : count(deletions) {} DeletionCount count; };

} // namespace

TEST(GPeripheralCompositeAddOns, WithoutChildrenEveryCommandPassesAndAddOnsComeAndGo)
{
    const AddOnCalls before = AddOnHost();
    std::unique_ptr<GPeripheralComposite> composite(AddOnComposite());
    GDocumentStart start(L"doc", L"FILE:", nullptr, 1);
    GPageStart page(2);
    GDocumentEnd end(3);
    ChainLog().clear();
    for (GCommand* command : std::vector<GCommand*>{&start, &page, &end})
        EXPECT_EQ(command, composite->ReceiveCommand(command));
    EXPECT_EQ(0u, composite->Entries());
    EXPECT_EQ((std::vector<std::string>{"addon 705", "addon 709", "addon 706"}), ChainLog());
    EXPECT_EQ(before.made + 1, AddOnHost().made);
    EXPECT_EQ(before.taken + 1, AddOnHost().taken);
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
    static_cast<LoggingPeripheral*>(composite.ChildAt(2))->ready = false;
    composite.ChildAt(2)->Deactivate();
    EXPECT_FALSE(composite.IsReady());
    EXPECT_EQ(std::make_pair(1.0f, 2.0f), composite.GetScale(nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(3u, composite.QueryFlags());
}

// The configuration lists the own part, then each child's; a deep copy's children
// listen to the copy alone, so that it outlives its source.
TEST(GPeripheralCompositeChildren, AddRefusesStatesRebuildsInOrderAndADeepCopyOutlivesItsSource)
{
    int deletions = 0;
    std::unique_ptr<GPeripheralComposite> source(new GPeripheralComposite);
    source->Add(new CountedState(&deletions));
    EXPECT_EQ(1, deletions);
    source->Add(new LoggingPeripheral("a"));
    source->Add(new LoggingPeripheral("b"));
    std::unique_ptr<GPeripheralComposite> copy(static_cast<GPeripheralComposite*>(source->DeepCopy()));
    source.reset();
    ASSERT_EQ(2u, copy->Entries());
    copy->ChildAt(1)->NotifyListeners(copy->ChildAt(1));
    GConfiguration* configuration = copy->GetConfiguration();
    ASSERT_EQ(3u, configuration->Entries());
    EXPECT_EQ(copy->GetOwnConfigurationPart(), configuration->At(0));
    for (uint32_t i = 0; i < 2; ++i) {
        EXPECT_EQ(copy->ChildAt(i)->GetConfiguration(), configuration->At(i + 1));
        ASSERT_EQ(1u, copy->ChildAt(i)->ListenerCount());
        EXPECT_EQ(copy.get(), copy->ChildAt(i)->ListenerAt(0));
    }
}
