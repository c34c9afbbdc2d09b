#include "model/GState.h"

#include "../model/ModelTestObjects.h"
#include "../model/StoredForms.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// The members of a state in order, as (id, value) pairs of value attributes.
std::vector<std::pair<long, int>> ValuesOf(const GState& state)
{
    std::vector<std::pair<long, int>> values;
    for (uint32_t i = 0; i < state.Entries(); ++i) {
        const GObjectBase* member = state.At(i);
        const GValueAttribute* value = dynamic_cast<const GValueAttribute*>(member);
        values.emplace_back(member->GetId(), value ? value->GetValue() : -1);
    }
    return values;
}

GValueAttribute* Applied(GValueAttribute* value)
{
    value->SetStateWord(0);
    return value;
}

// A peripheral's current state with two settings already applied, and incoming states
// held as a command holds them.
class GStateMerge : public testing::Test {
protected:
    GStateMerge() : current(new GState(GState::kCurrentStateId))
    {
        copies = Applied(new GValueAttribute(1, 10));
        duplex = Applied(new GValueAttribute(0, 11));
        current->Add(copies);
        current->Add(duplex);
        current->SetStateWord(0);
    }

    // A new state with that id, held for the length of the test.
    GState* Incoming(long id)
    {
        GState* state = new GState(id);
        held_.emplace_back(state);
        return state;
    }

    std::unique_ptr<GState> current;
    GValueAttribute* copies;
    GValueAttribute* duplex;

private:
    std::vector<GCountedRef> held_;
};

} // namespace

TEST(GStateCopy, IsStoredAsAnAttributeComposite)
{
    GState state(243);
    EXPECT_EQ(758, state.ClassId());
    EXPECT_EQ(757, state.StorageClassId());
    EXPECT_TRUE(state.IsKindOf(757));
    EXPECT_FALSE(state.IsKindOf(101));
}

TEST(GStateCopy, CopySharesMembersAndKeepsIdSerialAndMark)
{
    GState state(246);
    GValueAttribute* value = new GValueAttribute(1, 10);
    state.Add(value);
    state.SetStateWord(0);
    std::unique_ptr<GState> copy(state.Copy());
    EXPECT_EQ(758, copy->ClassId());
    EXPECT_EQ(246, copy->GetId());
    EXPECT_EQ(state.GetSerial(), copy->GetSerial());
    EXPECT_EQ(0, copy->GetStateWord());
    EXPECT_EQ(value, copy->At(0));
    EXPECT_EQ(1, value->References());
    std::unique_ptr<GState> fresh(state.CreateNew());
    EXPECT_EQ(758, fresh->ClassId());
    EXPECT_EQ(0u, fresh->Entries());
}

TEST(GStateAdd, NewAttributeAndOtherKindWithTheSameIdJoin)
{
    GState state(243);
    state.Add(new GValueAttribute(1, 10));
    state.Add(new GValueAttribute(2, 11));
    state.Add(new GStringAttribute("a", 10));
    EXPECT_EQ((std::vector<std::pair<long, int>>{{10, 1}, {11, 2}, {10, -1}}), ValuesOf(state));
}

TEST(GStateAdd, ChangedValueTakesTheMembersPlace)
{
    int deletions = 0;
    {
        GState state(243);
        state.Add(new GValueAttribute(7, 9));
        state.Add(new TrackedValue(1, 10, &deletions));
        state.Add(new GValueAttribute(8, 11));
        TrackedValue* replacement = new TrackedValue(2, 10, &deletions);
        state.Add(replacement);
        EXPECT_EQ((std::vector<std::pair<long, int>>{{9, 7}, {10, 2}, {11, 8}}), ValuesOf(state));
        EXPECT_EQ(replacement, state.At(1));
        EXPECT_EQ(1, deletions);
    }
    EXPECT_EQ(2, deletions);
}

TEST(GStateAdd, EqualValueIsDeletedAndTheMemberStays)
{
    int deletions = 0;
    GState state(243);
    TrackedValue* member = new TrackedValue(1, 10, &deletions);
    member->SetStateWord(0);
    state.Add(member);
    state.Add(new GValueAttribute(3, 11));
    state.Add(new TrackedValue(1, 10, &deletions));
    EXPECT_EQ(1, deletions);
    EXPECT_EQ(member, state.At(0));
    EXPECT_EQ(0, member->GetStateWord());
    EXPECT_EQ(2u, state.Entries());
}

TEST(GStateAdd, NonAttributesNullAndHeldMembersChangeNothing)
{
    GState state(243);
    state.Add(nullptr);
    state.Add(new GObjectBase(10));
    EXPECT_EQ(0u, state.Entries());
    GValueAttribute* value = new GValueAttribute(1, 10);
    state.Add(value);
    state.Add(value);
    state.Add(&state);
    EXPECT_EQ(1u, state.Entries());
    EXPECT_EQ(0, value->References());
}

TEST(GStateAdd, StateWithTheSameIdIsMergedIntoTheNestedOne)
{
    GState state(243);
    GState* document = new GState(GState::kDocumentStateId);
    GValueAttribute* kept = Applied(new GValueAttribute(1, 10));
    document->Add(kept);
    document->SetStateWord(0);
    state.Add(document);

    GState* incoming = new GState(GState::kDocumentStateId);
    GValueAttribute* added = new GValueAttribute(5, 12);
    incoming->Add(new GValueAttribute(1, 10));
    incoming->Add(added);
    state.Add(incoming);

    ASSERT_EQ(1u, state.Entries());
    EXPECT_EQ(document, state.At(0));
    EXPECT_EQ(1, document->GetStateWord());
    EXPECT_EQ(kept, document->At(0));
    EXPECT_EQ(added, document->At(1));
    EXPECT_EQ(0, added->References());
}

TEST_F(GStateMerge, DocumentStateJoinsPeripheralStateMarkedChanged)
{
    GState* incoming = Incoming(GState::kDocumentStateId);
    incoming->Add(new GValueAttribute(3, 20));
    incoming->SetStateWord(0);

    EXPECT_EQ(1, current->Assign(incoming));
    ASSERT_EQ(3u, current->Entries());
    EXPECT_EQ(incoming, current->At(2));
    EXPECT_EQ(1, incoming->GetStateWord());
    EXPECT_EQ(0, copies->GetStateWord());
    EXPECT_EQ(0, duplex->GetStateWord());
}

TEST_F(GStateMerge, DocumentStateMergesIntoTheExistingDocumentMember)
{
    GState* document = new GState(GState::kDocumentStateId);
    GValueAttribute* title = Applied(new GValueAttribute(4, 30));
    GValueAttribute* collate = Applied(new GValueAttribute(0, 31));
    document->Add(title);
    document->Add(collate);
    document->SetStateWord(0);
    current->Add(document);

    GState* incoming = Incoming(GState::kDocumentStateId);
    GValueAttribute* newCollate = Applied(new GValueAttribute(1, 31));
    incoming->Add(Applied(new GValueAttribute(4, 30)));
    incoming->Add(newCollate);

    EXPECT_EQ(1, current->Assign(incoming));
    ASSERT_EQ(3u, current->Entries());
    EXPECT_EQ(document, current->At(2));
    EXPECT_EQ(1, document->GetStateWord());
    EXPECT_EQ(title, document->At(0));
    EXPECT_EQ(0, title->GetStateWord());
    EXPECT_EQ(newCollate, document->At(1));
    EXPECT_EQ(1, newCollate->GetStateWord());
    EXPECT_EQ(0, copies->GetStateWord());
}

TEST_F(GStateMerge, SameIdMergesMemberByMemberMarkingOnlyChanges)
{

    GState* incoming = Incoming(GState::kCurrentStateId);
    GValueAttribute* sameCopies = Applied(new GValueAttribute(1, 10));
    GValueAttribute* newDuplex = Applied(new GValueAttribute(2, 11));
    GValueAttribute* newSetting = Applied(new GValueAttribute(9, 12));
    incoming->Add(sameCopies);
    incoming->Add(newDuplex);
    incoming->Add(newSetting);

    EXPECT_EQ(1, current->Assign(incoming));
    EXPECT_EQ((std::vector<std::pair<long, int>>{{10, 1}, {11, 2}, {12, 9}}), ValuesOf(*current));
    // The equal member stays, unmarked; the changed and the new ones are the incoming
    // objects themselves, shared and marked.
    EXPECT_EQ(copies, current->At(0));
    EXPECT_EQ(0, copies->GetStateWord());
    EXPECT_EQ(0, sameCopies->GetStateWord());
    EXPECT_EQ(newDuplex, current->At(1));
    EXPECT_EQ(1, newDuplex->GetStateWord());
    EXPECT_EQ(newSetting, current->At(2));
    EXPECT_EQ(1, newSetting->GetStateWord());
    EXPECT_EQ(1, newSetting->References());
    EXPECT_EQ(0, current->GetStateWord());
}

TEST_F(GStateMerge, EqualStateChangesNothing)
{
    GState* incoming = Incoming(GState::kCurrentStateId);
    incoming->Add(new GValueAttribute(0, 11));
    EXPECT_EQ(0, current->Assign(incoming));
    EXPECT_EQ(duplex, current->At(1));
    EXPECT_EQ(0, duplex->GetStateWord());
    EXPECT_EQ(0, current->Assign(nullptr));
    EXPECT_EQ(0, current->Assign(current.get()));
}

TEST_F(GStateMerge, NestedStatesAreMergedRecursively)
{
    GState* page = new GState(GState::kPageStateId);
    GValueAttribute* orientation = Applied(new GValueAttribute(0, 40));
    page->Add(orientation);
    page->SetStateWord(0);
    current->Add(page);
    GState* document = new GState(GState::kDocumentStateId);
    document->SetStateWord(0);
    current->Add(document);

    // The incoming state repeats the page state unchanged and changes the document's.
    GState* incoming = Incoming(GState::kCurrentStateId);
    GState* samePage = new GState(GState::kPageStateId);
    samePage->Add(new GValueAttribute(0, 40));
    incoming->Add(samePage);
    GState* newDocument = new GState(GState::kDocumentStateId);
    GValueAttribute* pages = new GValueAttribute(3, 41);
    newDocument->Add(pages);
    incoming->Add(newDocument);

    EXPECT_EQ(1, current->Assign(incoming));
    EXPECT_EQ(page, current->At(2));
    EXPECT_EQ(0, page->GetStateWord());
    EXPECT_EQ(orientation, page->At(0));
    EXPECT_EQ(document, current->At(3));
    EXPECT_EQ(1, document->GetStateWord());
    EXPECT_EQ(pages, document->At(0));
    EXPECT_EQ(1, pages->GetStateWord());
    EXPECT_EQ(0, copies->GetStateWord());
}

TEST_F(GStateMerge, AttributeOfAnotherIdIsAddedAndMarked)
{
    GCountedRef changed(Applied(new GValueAttribute(5, 10)));
    EXPECT_EQ(1, current->Assign(static_cast<GAttribute*>(changed.Get())));
    EXPECT_EQ(changed.Get(), current->At(0));
    EXPECT_EQ(1, static_cast<GAttribute*>(changed.Get())->GetStateWord());

    // An equal attribute is neither taken nor marked, and stays with its holder.
    GCountedRef same(Applied(new GValueAttribute(0, 11)));
    EXPECT_EQ(0, current->Assign(static_cast<GAttribute*>(same.Get())));
    EXPECT_EQ(duplex, current->At(1));
    EXPECT_EQ(0, same->References());
}

TEST(GStateStore, VersionWordFollowsTheCompositeForm)
{
    GState state(243);
    GAttributeComposite composite(243);
    composite.SetSerial(state.GetSerial());
    const std::vector<uint8_t> expected = Joined(GutsBytes(composite), {0x01, 0x00, 0x00, 0x00});
    const std::vector<uint8_t> bytes = GutsBytes(state);
    EXPECT_EQ(expected, bytes);

    GState restored;
    EXPECT_EQ(0, RestoreGutsAndMeasure(restored, bytes).left);
    EXPECT_EQ(243, restored.GetId());
}
