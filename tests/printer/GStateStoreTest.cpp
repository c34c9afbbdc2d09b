// The states as parts of stored object graphs: registered classes, whole trees saved
// and read back on a binary file and on every typed stream.
#include "foundation/RWErrorHandler.h"
#include "foundation/RWFactory.h"
#include "model/MPersistentComposite.h"
#include "printer/GGraphicBundle.h"

#include "../model/ModelTestObjects.h"
#include "../model/Registered.h"
#include "../model/StoredForms.h"
#include "TestErrorCapture.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// A peripheral's state: two settings, a document state with one, a graphic bundle.
GState* SampleState()
{
    GState* state = new GState(GState::kCurrentStateId);
    state->Add(new GValueAttribute(2, 10));
    state->Add(new GStringAttribute("tray", 11));
    GState* document = new GState(GState::kDocumentStateId);
    document->Add(new GValueAttribute(1, 30));
    document->SetStateWord(0);
    state->Add(document);
    GGraphicBundle* graphic = new GGraphicBundle;
    graphic->Add(new GValueAttribute(7, 160));
    state->Add(graphic);
    return state;
}

} // namespace

TEST(GStateRegistration, FactoryMakesStatesByIdAndName)
{
    EXPECT_TRUE(IsRegistered(758, "GState"));
    EXPECT_TRUE(IsRegistered(101, "GGraphicBundle"));
    std::unique_ptr<RWCollectable> bundle(RWFactoryCreate(101));
    EXPECT_EQ(244, static_cast<GGraphicBundle*>(bundle.get())->GetId());
}

TEST(GStateStore, PredictedSizesMatchWhatIsWritten)
{
    std::unique_ptr<GState> state(SampleState());
    EXPECT_TRUE(StoreSizeMatches(*state));
    EXPECT_TRUE(StoreSizeMatches(GGraphicBundle()));
}

TEST(GStateStore, TreeRoundTripsOnEveryMedium)
{
    std::unique_ptr<GState> state(SampleState());
    for (Medium medium : kAllMedia) {
        SCOPED_TRACE(medium);
        std::unique_ptr<GObjectBase> restored = GraphRoundTrip(medium, state.get());
        GState* copy = dynamic_cast<GState*>(restored.get());
        ASSERT_NE(nullptr, copy);
        EXPECT_EQ(758, copy->ClassId());
        EXPECT_TRUE(copy->IsSame(state.get()));
        EXPECT_EQ(state->GetSerial(), copy->GetSerial());
        ASSERT_EQ(4u, copy->Entries());
        EXPECT_EQ(0, static_cast<GAttribute*>(copy->At(2))->GetStateWord());
        GObjectBase* graphic = copy->At(3);
        EXPECT_EQ(101, graphic->ClassId());
        EXPECT_EQ(244, graphic->GetId());
        EXPECT_NE(nullptr, static_cast<GGraphicBundle*>(graphic)->GetPen());
    }
}

TEST(GStateStore, SharedMemberIsReadBackShared)
{
    MPersistentComposite pair;
    GState* first = new GState(GState::kPageStateId);
    GState* second = new GState(GState::kPageStateId);
    GValueAttribute* shared = new GValueAttribute(3, 40);
    first->Add(shared);
    second->Add(shared);
    pair.Add(first);
    pair.Add(second);
    std::unique_ptr<RWCollectable> restored(RestoredFromBytes(SavedBytes(&pair)));
    MPersistentComposite* copy = dynamic_cast<MPersistentComposite*>(restored.get());
    ASSERT_NE(nullptr, copy);
    ASSERT_EQ(2u, copy->Entries());
    GObjectBase* a = static_cast<GState*>(copy->At(0))->At(0);
    GObjectBase* b = static_cast<GState*>(copy->At(1))->At(0);
    EXPECT_EQ(a, b);
    EXPECT_EQ(1, a->References());
}

// Every cut ends the read without a crash: nothing, or a state with what arrived.
TEST(GStateStore, TruncatedTreesFailCleanly)
{
    std::unique_ptr<GState> state(SampleState());
    const std::vector<uint8_t> whole = SavedBytes(state.get());
    for (size_t size = 0; size < whole.size(); ++size) {
        TestErrorCapture capture;
        std::unique_ptr<RWCollectable> restored(
            RestoredFromBytes(std::vector<uint8_t>(whole.begin(), whole.begin() + size)));
        if (GState* copy = dynamic_cast<GState*>(restored.get())) {
            EXPECT_LE(copy->Entries(), 4u) << size;
        }
    }
}
