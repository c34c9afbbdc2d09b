#include "model/GAttributeComposite.h"

#include "model/GDisplayString.h"
#include "model/MPersistentComposite.h"
#include "ModelTestObjects.h"

#include <gtest/gtest.h>

namespace {

GValueAttribute* Pending(uint16_t value, long id, int32_t state = 1)
{
    GValueAttribute* attribute = new GValueAttribute(value, id);
    attribute->SetStateWord(state);
    return attribute;
}

} // namespace

// Only attributes join; a refused object is deleted unless others hold it. Prepend adds nothing.
TEST(GAttributeCompositeAdd, RefusesNonAttributesDeletingOnlyThoseNobodyHolds)
{
    int deletions = 0;
    MPersistentComposite other;
    TrackedObject* shared = new TrackedObject(2, &deletions);
    other.Add(shared);
    GAttributeComposite composite(1);
    composite.Add(new TrackedObject(2, &deletions));
    EXPECT_EQ(1, deletions);
    composite.Add(shared);
    EXPECT_EQ(1, deletions);
    EXPECT_EQ(0, shared->References());
    composite.Add(new GDisplayString(1, "a", "b"));
    GValueAttribute value(1, 1);
    composite.Prepend(&value);
    EXPECT_EQ(0u, composite.Entries());
    EXPECT_EQ(-1, value.References());
    composite.Add(new GValueAttribute(1, 3));
    EXPECT_EQ(1u, composite.Entries());
}

TEST(GAttributeCompositeApply, AppliesOnlyPendingMembers)
{
    RecordingPeripheral peripheral;
    GAttributeComposite composite(1);
    composite.Add(Pending(1, 10, 0));
    composite.Add(Pending(1, 11, 0));
    EXPECT_EQ(0, composite.ApplyTo(peripheral));
    EXPECT_TRUE(peripheral.visits.empty());
    EXPECT_EQ(0, composite.GetStateWord());
}

TEST(GAttributeCompositeApply, AnswersTheLastFailure)
{
    RecordingPeripheral peripheral;
    peripheral.Answer(2, 5);
    peripheral.Answer(4, 9);
    GAttributeComposite composite(1);
    for (long id = 1; id <= 5; ++id)
        composite.Add(Pending(0, id));
    EXPECT_EQ(9, composite.ApplyTo(peripheral));
    EXPECT_EQ(5u, peripheral.visits.size());
    EXPECT_EQ("ApplyValue 5", peripheral.visits.back());
    EXPECT_EQ(0, composite.GetStateWord());
    EXPECT_EQ(1, static_cast<GAttribute*>(composite.FindById(3))->GetStateWord());
}

TEST(GAttributeCompositeApply, NestedCompositesApplyTheirOwnPendingMembers)
{
    RecordingPeripheral peripheral;
    GAttributeComposite outer(1);
    GAttributeComposite* inner = new GAttributeComposite(2);
    inner->Add(Pending(0, 20));
    inner->Add(Pending(0, 21, 0));
    outer.Add(Pending(0, 10));
    outer.Add(inner);
    outer.ApplyTo(peripheral);
    EXPECT_EQ((std::vector<std::string>{"ApplyValue 10", "ApplyValue 20"}), peripheral.visits);
    EXPECT_EQ(0, inner->GetStateWord());
    peripheral.visits.clear();
    outer.SetStateWord(1);
    outer.ApplyTo(peripheral);
    EXPECT_EQ((std::vector<std::string>{"ApplyValue 10"}), peripheral.visits);
}

TEST(GAttributeCompositeMark, MarksDirectMembersOnly)
{
    GAttributeComposite outer(1);
    GAttributeComposite* inner = new GAttributeComposite(2);
    GValueAttribute* deep = Pending(0, 20, 0);
    GValueAttribute* direct = Pending(0, 10, 0);
    inner->Add(deep);
    outer.Add(direct);
    outer.Add(inner);
    inner->SetStateWord(0);
    outer.MarkAllPending();
    EXPECT_EQ(1, outer.GetStateWord());
    EXPECT_EQ(1, direct->GetStateWord());
    EXPECT_EQ(1, inner->GetStateWord());
    EXPECT_EQ(0, deep->GetStateWord());
    deep->SetStateWord(1);
    outer.MarkAllApplied();
    EXPECT_EQ(0, outer.GetStateWord());
    EXPECT_EQ(0, direct->GetStateWord());
    EXPECT_EQ(0, inner->GetStateWord());
    EXPECT_EQ(1, deep->GetStateWord());
}

TEST(GAttributeCompositeAssign, TakesCopiesOfTheMembersOfTheSameSetting)
{
    GAttributeComposite target(5);
    target.Add(new GValueAttribute(1, 1));
    GAttributeComposite source(5);
    source.Add(new GValueAttribute(2, 2));
    source.Add(new GValueAttribute(3, 3));
    EXPECT_EQ(1, target.Assign(&source));
    ASSERT_EQ(3u, target.Entries());
    EXPECT_NE(source.At(0), target.At(1));
    EXPECT_TRUE(target.At(1)->IsSame(source.At(0)));
    EXPECT_EQ(0, target.At(2)->References());
}

TEST(GAttributeCompositeAssign, TakesACopyOfAnyOtherAttribute)
{
    GAttributeComposite target(5);
    GAttributeComposite other(6);
    other.Add(new GValueAttribute(2, 2));
    GValueAttribute value(7, 7);
    EXPECT_EQ(1, target.Assign(&other));
    EXPECT_EQ(1, target.Assign(&value));
    ASSERT_EQ(2u, target.Entries());
    EXPECT_EQ(6, target.At(0)->GetId());
    EXPECT_EQ(1u, target.At(0)->Entries());
    EXPECT_EQ(7, target.At(1)->GetId());
    EXPECT_EQ(0, target.Assign(nullptr));
}

TEST(GAttributeCompositeAssign, WithItselfEndsAndChangesNothing)
{
    GAttributeComposite composite(5);
    composite.Add(new GValueAttribute(2, 2));
    EXPECT_EQ(0, composite.Assign(&composite));
    EXPECT_EQ(1u, composite.Entries());
}

TEST(GAttributeCompositeSelect, SelectionsAreAttributeComposites)
{
    GAttributeComposite composite;
    composite.Add(new GValueAttribute(1, 4));
    composite.Add(new GStringAttribute("x", 4));
    GObjectBase* selection = composite.SelectById(4);
    ASSERT_NE(nullptr, selection);
    EXPECT_EQ(GAttributeComposite::kClassId, selection->ClassId());
    EXPECT_EQ(2u, selection->Entries());
    delete selection;
    EXPECT_EQ(nullptr, composite.SelectByClassId(789));
    GObjectBase* values = composite.SelectByClassId(763);
    ASSERT_NE(nullptr, values);
    EXPECT_EQ(1u, values->Entries());
    delete values;
}

TEST(GAttributeCompositeCompare, TheStateWordDoesNotCount)
{
    GAttributeComposite a(1);
    GAttributeComposite b(1);
    a.Add(new GValueAttribute(1, 2));
    b.Add(new GValueAttribute(1, 2));
    b.SetStateWord(0);
    EXPECT_TRUE(a.IsSame(&b));
    static_cast<GValueAttribute*>(b.At(0))->SetValue(3);
    EXPECT_TRUE(a.Differs(&b));
    MPersistentComposite plain(1);
    plain.Add(new GValueAttribute(1, 2));
    EXPECT_TRUE(a.Differs(&plain));
}

TEST(GAttributeCompositeCopy, SharesMembersAndKeepsTheStateWord)
{
    GAttributeComposite composite(3);
    composite.Add(new GValueAttribute(1, 2));
    composite.SetStateWord(0);
    GAttributeComposite* copy = composite.Copy();
    EXPECT_EQ(0, copy->GetStateWord());
    EXPECT_EQ(composite.At(0), copy->At(0));
    EXPECT_EQ(composite.GetSerial(), copy->GetSerial());
    delete copy;
    GObjectBase* deep = composite.DeepCopy();
    EXPECT_EQ(GAttributeComposite::kClassId, deep->ClassId());
    EXPECT_NE(composite.At(0), deep->FindById(2));
    EXPECT_TRUE(deep->IsSame(&composite));
    delete deep;
}

TEST(GAttributeCompositeSearch, RemovesAndReplacesAsEveryComposite)
{
    GAttributeComposite composite;
    GAttributeComposite* inner = new GAttributeComposite(1);
    inner->Add(new GValueAttribute(5, 2));
    composite.Add(inner);
    composite.Add(new GValueAttribute(6, 2));
    GValueAttribute replacement(9, 2);
    EXPECT_EQ(1, composite.ReplaceById(2, &replacement));
    EXPECT_EQ(9, static_cast<GValueAttribute*>(inner->At(0))->GetValue());
    GObjectBase* removed = composite.RemoveById(2);
    ASSERT_NE(nullptr, removed);
    EXPECT_EQ(0u, inner->Entries());
    delete removed;
    EXPECT_EQ(3u, composite.TotalEntries());
}
