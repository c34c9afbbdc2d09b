#include "printer/GPeripheral.h"

#include "graphics/GOutputChannel.h"
#include "graphics/GTransformAttribute.h"
#include "model/GConfiguration.h"
#include "model/GCommandComposite.h"
#include "model/GErrorCommand.h"
#include "pipeline/GJobAbort.h"
#include "pipeline/GNoCommand.h"
#include "model/GState.h"

#include "../model/ModelTestObjects.h"
#include "../model/StoredForms.h"
#include "TestErrorCapture.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// A peripheral the factory can make, so that graphs holding it can be read back; it
// records transforms too.
class StoredPeripheral : public GPersistent<StoredPeripheral, RecordingPeripheral, 0x7760> {
public:
    static constexpr const char* kClassName = "StoredPeripheral";
    auto StoredForm() { return GNoFields(); }
    StoredPeripheral* CreateNew() const override { return new StoredPeripheral; }
    StoredPeripheral* Copy() const override { return new StoredPeripheral(*this); }
    int16_t ApplyTransform(GTransformAttribute& attribute) override { return Visit("ApplyTransform", attribute); }
};

// Puts a page end with id 101 in place of every command with id 1.
class ReplacingPeripheral : public RecordingPeripheral {
public:
    GCountedRef ProcessCommand(const GCountedRef& command) override
    {
        if (command->GetId() == 1)
            return GCountedRef(new GPageEnd(101));
        return RecordingPeripheral::ProcessCommand(command);
    }
};

// A channel that counts its deletions and answers a chosen abort status.
class RecordingChannel : public GOutputChannel {
public:
    RecordingChannel(int* deletions, int16_t abortStatus)
        : GOutputChannel("port"), deletions_(deletions), abortStatus_(abortStatus)
    {
    }
    ~RecordingChannel() override { ++*deletions_; }
    int16_t WriteBytes(const void*, uint32_t) override { return 0; }
    int16_t Finish() override
    {
        GOutputChannel::Finish();
        return abortStatus_;
    }
    int16_t PageBoundary() override { return 0; }
    bool IsOpen() const override { return true; }

private:
    int* deletions_;
    int16_t abortStatus_;
};

GState* StateWith(long id, std::initializer_list<GAttribute*> members)
{
    GState* state = new GState(id);
    for (GAttribute* member : members)
        state->Add(member);
    return state;
}

// Where the listener marker lies in the saved form of a peripheral without listeners:
// the name and the three add-on words follow it.
size_t MarkerOffset(const std::vector<uint8_t>& bytes, size_t nameLength) { return bytes.size() - 12 - 4 - nameLength - 5; }

} // namespace

TEST(GPeripheralReceive, PassesNullInactiveErrorAndNoCommandsUntouchedAndAppliesCarriedStates)
{
    RecordingPeripheral peripheral;
    EXPECT_EQ(nullptr, peripheral.ReceiveCommand(nullptr));

    std::unique_ptr<GPageStart> page(new GPageStart(StateWith(0, {new GValueAttribute(4, 30)}), 5));
    page->SetModified();
    peripheral.Deactivate();
    EXPECT_EQ(page.get(), peripheral.ReceiveCommand(page.get()));
    EXPECT_EQ(1u, page->GetModified());
    EXPECT_EQ(nullptr, peripheral.FindState(256)->FindById(30));

    peripheral.Activate();
    std::unique_ptr<GErrorCommand> error(new GErrorCommand(5, nullptr, 7));
    error->AdoptState(StateWith(256, {new GValueAttribute(4, 31)}));
    std::unique_ptr<GNoCommand> none(new GNoCommand(8));
    EXPECT_EQ(error.get(), peripheral.ReceiveCommand(error.get()));
    EXPECT_EQ(none.get(), peripheral.ReceiveCommand(none.get()));
    EXPECT_EQ(nullptr, peripheral.FindState(256)->FindById(31));
    EXPECT_TRUE(peripheral.visits.empty());

    EXPECT_EQ(page.get(), peripheral.ReceiveCommand(page.get()));
    EXPECT_EQ(0u, page->GetModified());
    EXPECT_NE(nullptr, peripheral.FindState(256)->FindById(30));
    EXPECT_EQ((std::vector<std::string>{"ApplyValue 30", "OnPageStart 5"}), peripheral.visits);
    EXPECT_TRUE(peripheral.InPage());
}

TEST(GPeripheralReceive, CompositeStopsAtTheFailingMemberAndKeepsItsErrorInPlace)
{
    ReplacingPeripheral peripheral;
    peripheral.Answer(2, 9);
    GCommandComposite* composite = new GCommandComposite(0);
    for (long id : {1, 2, 3})
        composite->Add(new GPageStart(id));
    ASSERT_EQ(composite, peripheral.ReceiveCommand(composite));
    std::unique_ptr<GCommandComposite> owned(composite);

    ASSERT_EQ(3u, composite->Entries());
    EXPECT_EQ(101, composite->At(0)->GetId());
    GErrorCommand* error = dynamic_cast<GErrorCommand*>(composite->FindByClassId(714));
    ASSERT_NE(nullptr, error);
    EXPECT_EQ(error, composite->At(1));
    EXPECT_EQ(9, error->GetCode());
    EXPECT_EQ(2, error->GetFailedCommand()->GetId());
    EXPECT_EQ(3, composite->At(2)->GetId());
    EXPECT_EQ(1u, composite->GetModified());
    EXPECT_EQ((std::vector<std::string>{"OnPageStart 2"}), peripheral.visits);
}

TEST(GPeripheralApply, ApplyToAppliesEveryMemberAndApplyStateRenewsTheGraphicState)
{
    RecordingPeripheral source;
    for (long id = 1; id <= 5; ++id)
        source.GetCurrentState()->Add(new GValueAttribute(uint16_t(id), id));
    RecordingPeripheral target;
    target.Answer(2, 7);
    target.Answer(4, 8);
    EXPECT_EQ(8, source.ApplyTo(target));
    EXPECT_EQ(5u, target.visits.size());

    StoredPeripheral peripheral;
    GState* graphic = peripheral.FindState(244);
    GTransformAttribute* transform = new GTransformAttribute(50);
    transform->SetStateWord(1);
    graphic->Add(new GValueAttribute(1, 51));
    graphic->Add(transform);
    graphic->Add(new GValueAttribute(2, 52));
    graphic->MarkAllApplied();
    transform->SetStateWord(1);
    peripheral.ApplyState(244);
    EXPECT_EQ((std::vector<std::string>{"ApplyTransform 50", "ApplyValue 51", "ApplyValue 52"}), peripheral.visits);
    EXPECT_EQ(0, transform->GetStateWord());
}

TEST(GPeripheralStates, SubStatesAreFoundAfreshWhereverTheCurrentStateChanged)
{
    RecordingPeripheral peripheral;
    GState* page = peripheral.FindState(256);
    ASSERT_NE(nullptr, page);
    EXPECT_EQ(256, page->GetId());
    EXPECT_EQ(page, peripheral.FindState(256));
    EXPECT_EQ(1u, peripheral.GetCurrentState()->Entries());

    // Each old current state stays alive, so that a stale pointer cannot match by chance.
    std::vector<GCountedRef> old;
    auto expectFresh = [&](const char* step) {
        SCOPED_TRACE(step);
        GState* found = peripheral.FindState(256);
        ASSERT_NE(nullptr, found);
        EXPECT_NE(page, found);
        EXPECT_EQ(found, peripheral.GetCurrentState()->FindById(256));
        page = found;
    };
    old.emplace_back(peripheral.GetCurrentState());
    peripheral.SetCurrentState(new GState);
    expectFresh("SetCurrentState");
    old.emplace_back(peripheral.GetCurrentState());
    delete peripheral.NewCurrentState();
    expectFresh("NewCurrentState");
    old.emplace_back(peripheral.GetCurrentState());
    peripheral.Reset();
    expectFresh("Reset");
    GCountedRef replaced(page);
    GState replacement(256);
    peripheral.GetCurrentState()->ReplaceById(256, &replacement);
    expectFresh("replaced");
    // Another class under the id is never taken for the sub-state.
    peripheral.GetCurrentState()->RemoveAll();
    peripheral.GetCurrentState()->Add(new GValueAttribute(1, 256));
    EXPECT_TRUE(peripheral.FindState(256)->IsKindOf(GState::kClassId));
}

TEST(GPeripheralStates, NewInitialStateOfASharedStateHandsBackACopy)
{
    RecordingPeripheral first;
    RecordingPeripheral second(first);
    GState* shared = first.GetInitialState();
    std::unique_ptr<GState> handed(first.NewInitialState());
    EXPECT_NE(shared, handed.get());
    EXPECT_EQ(shared, second.GetInitialState());
    EXPECT_NE(shared, first.GetInitialState());

    GState* own = second.GetInitialState();
    std::unique_ptr<GState> alone(second.NewInitialState());
    EXPECT_EQ(own, alone.get());
}

TEST(GPeripheralChannel, ResetForgetsAnUnownedChannelAndDeletesAnOwnedOneWhichAnswersAborts)
{
    int deletions = 0;
    RecordingChannel unowned(&deletions, 4);
    RecordingPeripheral peripheral;
    GJobAbort abort(0);
    peripheral.SetOutputChannel(&unowned, false);
    peripheral.EnterPage();
    EXPECT_EQ(0, peripheral.OnJobAbort(abort));
    EXPECT_EQ(0u, peripheral.GetPhase());
    peripheral.Reset();
    EXPECT_EQ(nullptr, peripheral.GetOutputChannel());

    peripheral.SetOutputChannel(new RecordingChannel(&deletions, 6), true);
    EXPECT_EQ(6, peripheral.OnJobAbort(abort));
    EXPECT_EQ(0, deletions);
    peripheral.Reset();
    EXPECT_EQ(1, deletions);
    EXPECT_EQ(nullptr, peripheral.GetOutputChannel());
}

TEST(GPeripheralStore, RoundTripsSharedStatesAndAListenerCycleOnEveryMedium)
{
    StoredPeripheral writer;
    StoredPeripheral filter;
    writer.SetName("writer");
    GState* shared = StateWith(0, {new GValueAttribute(3, 40)});
    writer.SetInitialState(shared);
    writer.SetCurrentState(shared);
    writer.AddListener(&filter);
    filter.AddListener(&writer);
    writer.NotifyListeners(&writer);
    EXPECT_EQ(writer.RecursiveStoreSize(), SavedBytes(&writer).size());

    for (Medium medium : kAllMedia) {
        SCOPED_TRACE(medium);
        std::unique_ptr<GObjectBase> back = GraphRoundTrip(medium, &writer);
        StoredPeripheral* restored = dynamic_cast<StoredPeripheral*>(back.get());
        ASSERT_NE(nullptr, restored);
        EXPECT_EQ(RWCString("writer"), restored->GetName());
        EXPECT_EQ(restored->GetCurrentState(), restored->GetInitialState());
        EXPECT_NE(nullptr, restored->GetCurrentState()->FindById(40));
        ASSERT_EQ(1u, restored->ListenerCount());
        std::unique_ptr<GPeripheral> listener(restored->ListenerAt(0));
        ASSERT_EQ(1u, listener->ListenerCount());
        EXPECT_EQ(restored, listener->ListenerAt(0));
        EXPECT_EQ(64u, restored->GetAddOnListId());
    }
}

TEST(GPeripheralStore, CraftedMarkersAndForeignListenersFailTheRestoreCleanly)
{
    StoredPeripheral sample;
    sample.SetName("w");
    const std::vector<uint8_t> bytes = SavedBytes(&sample);
    const size_t marker = MarkerOffset(bytes, 1);
    ASSERT_EQ(':', bytes[marker]);
    const std::vector<uint8_t> tail(bytes.begin() + std::ptrdiff_t(marker) + 5, bytes.end());
    const GValueAttribute value(1, 2);
    std::vector<uint8_t> foreign = SavedBytes(&value);
    foreign.erase(foreign.begin(), foreign.begin() + 4);

    // A listener of another class is refused at its reference, before it is made.
    const struct {
        std::vector<uint8_t> form;
        const char* report;
    } crafted[] = {
        {StoredBytes().Raw(Prefix(bytes, marker)).U8('x').U32(0).Raw(tail), "[REF]"},
        {StoredBytes().Raw(Prefix(bytes, marker)).U8('@').U32(0).Raw(tail), "[REF]"},
        {StoredBytes().Raw(Prefix(bytes, marker)).U8(':').U32(1).Raw(foreign).Raw(tail), "[ID]"},
    };
    for (const auto& c : crafted) {
        TestErrorCapture capture;
        std::unique_ptr<GObjectBase> back = AsModel(RestoredFromBytes(c.form));
        ASSERT_FALSE(capture.Empty());
        EXPECT_NE(std::string::npos, capture.Last().find(c.report)) << capture.Last();
        if (StoredPeripheral* restored = dynamic_cast<StoredPeripheral*>(back.get())) {
            EXPECT_EQ(0u, restored->ListenerCount());
            EXPECT_EQ(RWCString(), restored->GetName());
        }
    }
}
