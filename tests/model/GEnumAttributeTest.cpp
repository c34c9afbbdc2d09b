#include "model/GEnumAttribute.h"

#include "model/GObjectIterator.h"
#include "model/MPersistentComposite.h"
#include "ModelTestObjects.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

// An enumeration of value choices 0 to n - 1, all with the id of the enumeration.
GEnumAttribute* Choices(long id, uint16_t n)
{
    GEnumAttribute* enumeration = new GEnumAttribute(id);
    for (uint16_t v = 0; v < n; ++v)
        enumeration->Add(new GValueAttribute(v, id));
    return enumeration;
}

// The value of the current choice, -1 when there is none.
int CurrentValue(const GEnumAttribute& enumeration)
{
    const GObjectBase* current = enumeration.GetCurrent();
    return current ? static_cast<const GValueAttribute*>(current)->GetValue() : -1;
}

} // namespace

TEST(GEnumAttributeAdd, TheFirstChoiceBecomesCurrentAndFixesTheClass)
{
    GEnumAttribute enumeration(1);
    EXPECT_EQ(nullptr, enumeration.GetCurrent());
    GValueAttribute* first = new GValueAttribute(0, 1);
    enumeration.Add(first);
    EXPECT_EQ(first, enumeration.GetCurrent());
    EXPECT_EQ(GValueAttribute::kClassId, enumeration.GetChoiceClassId());
    enumeration.Add(new GValueAttribute(1, 1));
    EXPECT_EQ(first, enumeration.GetCurrent());
    EXPECT_EQ(2u, enumeration.Entries());
}

TEST(GEnumAttributeAdd, RefusedChoicesAreDeletedAndNeverMadeCurrent)
{
    int deletions = 0;
    GEnumAttribute enumeration(1);
    enumeration.Add(new TrackedObject(1, &deletions));
    EXPECT_EQ(1, deletions);
    EXPECT_EQ(nullptr, enumeration.GetCurrent());
    EXPECT_EQ(0, enumeration.GetChoiceClassId());
    enumeration.Add(new GValueAttribute(0, 1));
    enumeration.Add(new TrackedValue(0, 1, &deletions));
    EXPECT_EQ(2, deletions);
    enumeration.Add(new GStringAttribute("x", 1));
    enumeration.Add(new TrackedObject(1, &deletions));
    EXPECT_EQ(3, deletions);
    EXPECT_EQ(1u, enumeration.Entries());
}

TEST(GEnumAttributeAdd, NeverDeletesARefusedChoiceThatOthersHold)
{
    int deletions = 0;
    MPersistentComposite other;
    TrackedValue* shared = new TrackedValue(0, 1, &deletions);
    other.Add(shared);
    GEnumAttribute enumeration(1);
    enumeration.Add(new GValueAttribute(0, 1));
    enumeration.Add(shared);
    EXPECT_EQ(0, deletions);
    EXPECT_EQ(0, shared->References());
    enumeration.Add(&enumeration);
    EXPECT_EQ(1u, enumeration.Entries());
}

// Whichever way the current choice leaves, the first remaining choice becomes current;
// another choice leaving changes nothing. A shared choice leaves as a copy.
TEST(GEnumAttributeRemove, RemovingTheCurrentChoiceMakesTheFirstCurrent)
{
    const struct {
        const char* how;
        int selected; // choice made current before the removal
        std::function<GObjectBase*(GEnumAttribute&)> remove;
        int current; // -1: none
    } cases[] = {
        {"the current one", 2, [](GEnumAttribute& e) { return e.Remove(e.GetCurrent()); }, 0},
        {"another one", 0, [](GEnumAttribute& e) { return e.Remove(e.At(1)); }, 0},
        {"by id", 0, [](GEnumAttribute& e) { return e.RemoveById(1); }, 1},
        {"by class id", 0, [](GEnumAttribute& e) { return e.RemoveByClassId(GValueAttribute::kClassId); }, 1},
        {"all", 1, [](GEnumAttribute& e) { return e.RemoveAll(), nullptr; }, -1},
        {"a shared current one", 1,
         [](GEnumAttribute& e) {
             MPersistentComposite other;
             GObjectBase* current = e.GetCurrent();
             other.Add(current);
             GObjectBase* removed = e.Remove(current);
             EXPECT_NE(current, removed);
             return removed;
         },
         0},
    };
    for (const auto& c : cases) {
        std::unique_ptr<GEnumAttribute> enumeration(Choices(1, 3));
        for (int i = 0; i < c.selected; ++i)
            enumeration->SelectNext();
        std::unique_ptr<GObjectBase> removed(c.remove(*enumeration));
        EXPECT_EQ(c.current, CurrentValue(*enumeration)) << c.how;
    }
    GEnumAttribute* last = Choices(1, 1);
    delete last->Remove(last->GetCurrent());
    EXPECT_EQ(nullptr, last->GetCurrent());
    EXPECT_EQ(nullptr, last->Remove(nullptr));
    delete last;
}

TEST(GEnumAttributeReplace, AReplacedCurrentChoiceIsFollowed)
{
    GEnumAttribute* enumeration = Choices(1, 3);
    enumeration->SelectNext();
    GValueAttribute replacement(7, 1);
    EXPECT_EQ(1, enumeration->Replace(enumeration->GetCurrent(), &replacement));
    EXPECT_EQ(7, CurrentValue(*enumeration));
    EXPECT_EQ(enumeration->At(1), enumeration->GetCurrent());
    EXPECT_EQ(1, enumeration->ReplaceById(1, &replacement));
    EXPECT_EQ(7, CurrentValue(*enumeration));
    EXPECT_EQ(enumeration->At(1), enumeration->GetCurrent());
    delete enumeration;
}

namespace {

// An enumeration of value choices 0 to n - 1 whose deletions are counted.
GEnumAttribute* TrackedChoices(long id, uint16_t n, int* deletions)
{
    GEnumAttribute* enumeration = new GEnumAttribute(id);
    for (uint16_t v = 0; v < n; ++v)
        enumeration->Add(new TrackedValue(v, id, deletions));
    return enumeration;
}

// Puts a new value choice 9 in place of the slot that holds the context's object.
int ReplaceHeld(GCountedPtr* slot, void* context)
{
    if (slot->Get() != context)
        return 0;
    *slot = new GValueAttribute(9, 1);
    return 1;
}

} // namespace

TEST(GEnumAttributeIterator, ReplacingTheCurrentChoiceMakesTheReplacementCurrent)
{
    int deletions = 0;
    std::unique_ptr<GEnumAttribute> enumeration(TrackedChoices(1, 3, &deletions));
    enumeration->SelectNext();
    std::unique_ptr<GObjectIterator> it(enumeration->CreateIterator());
    ASSERT_TRUE(it->Next());
    ASSERT_TRUE(it->Next());
    GValueAttribute* replacement = new GValueAttribute(7, 1);
    it->ReplaceCurrent(replacement);
    EXPECT_EQ(1, deletions);
    EXPECT_EQ(replacement, enumeration->GetCurrent());
    EXPECT_EQ(enumeration->At(1), enumeration->GetCurrent());
    GValueAttribute* again = new GValueAttribute(8, 1);
    it->ReplaceCurrentRef(GCountedRef(again));
    EXPECT_EQ(again, enumeration->GetCurrent());
    // Another slot, or an append before Next, leaves the current choice alone.
    ASSERT_TRUE(it->Next());
    it->ReplaceCurrent(new GValueAttribute(9, 1));
    EXPECT_EQ(again, enumeration->GetCurrent());
    it->Reset();
    it->ReplaceCurrent(new GValueAttribute(10, 1));
    EXPECT_EQ(4u, enumeration->Entries());
    EXPECT_EQ(again, enumeration->GetCurrent());
}

TEST(GEnumAttributeIterator, NeverPutsTheEnumerationInItsOwnSlots)
{
    std::unique_ptr<GEnumAttribute> enumeration(Choices(1, 2));
    GObjectBase* current = enumeration->GetCurrent();
    std::unique_ptr<GObjectIterator> it(enumeration->CreateIterator());
    ASSERT_TRUE(it->Next());
    it->ReplaceCurrent(enumeration.get());
    EXPECT_EQ(current, enumeration->At(0));
    EXPECT_EQ(current, enumeration->GetCurrent());
    EXPECT_EQ(2u, enumeration->Entries());
    EXPECT_EQ(-1, enumeration->References());
}

TEST(GEnumAttributeIterator, RemovingTheCurrentChoiceMakesTheFirstCurrent)
{
    int deletions = 0;
    std::unique_ptr<GEnumAttribute> enumeration(TrackedChoices(1, 4, &deletions));
    enumeration->SelectNext();
    enumeration->SelectNext();
    std::unique_ptr<GObjectIterator> it(enumeration->CreateIterator());
    ASSERT_TRUE(it->Next());
    it->RemoveCurrent();
    EXPECT_EQ(2, CurrentValue(*enumeration)) << "another choice removed";
    while (it->Next() && it->Current() != enumeration->GetCurrent()) {
    }
    it->RemoveCurrent();
    EXPECT_EQ(2, deletions);
    EXPECT_EQ(1, CurrentValue(*enumeration));
    it->Reset();
    while (it->Next())
        it->RemoveCurrent();
    EXPECT_EQ(4, deletions);
    EXPECT_EQ(nullptr, enumeration->GetCurrent());
}

TEST(GEnumAttributeIterator, TheIteratorOfTheCompositeTypeFollowsToo)
{
    int deletions = 0;
    std::unique_ptr<GEnumAttribute> enumeration(TrackedChoices(1, 2, &deletions));
    GObjectBase& asObject = *enumeration;
    std::unique_ptr<GObjectIterator> it(asObject.CreateIterator());
    ASSERT_TRUE(it->Next());
    it->RemoveCurrent();
    EXPECT_EQ(1, deletions);
    EXPECT_EQ(1, CurrentValue(*enumeration));
}

TEST(GEnumAttributeVisit, ACallbackThatReplacesTheCurrentChoiceMakesTheNewOneCurrent)
{
    int deletions = 0;
    std::unique_ptr<GEnumAttribute> enumeration(TrackedChoices(1, 4, &deletions));
    enumeration->SelectNext();
    GAttributeComposite& composite = *enumeration;
    composite.ForEach(ReplaceHeld, enumeration->GetCurrent());
    EXPECT_EQ(1, deletions);
    EXPECT_EQ(9, CurrentValue(*enumeration));
    EXPECT_EQ(enumeration->At(1), enumeration->GetCurrent());

    enumeration->SelectNext();
    GObjectBase* found = composite.FirstThat(ReplaceHeld, enumeration->GetCurrent());
    EXPECT_EQ(2, deletions);
    EXPECT_EQ(enumeration->At(2), found);
    EXPECT_EQ(found, enumeration->GetCurrent());

    // Replacing another choice keeps the current one.
    enumeration->ForEach(ReplaceHeld, enumeration->At(3));
    EXPECT_EQ(9, static_cast<GValueAttribute*>(enumeration->At(3))->GetValue());
    EXPECT_EQ(found, enumeration->GetCurrent());
}

TEST(GEnumAttributeSelect, StepsStopAtTheEndsAndSetCurrentFindsAnEqualChoice)
{
    std::unique_ptr<GEnumAttribute> enumeration(Choices(1, 3));
    enumeration->SelectPrevious();
    EXPECT_EQ(0, CurrentValue(*enumeration));
    enumeration->SelectNext();
    enumeration->SelectNext();
    enumeration->SelectNext();
    EXPECT_EQ(2, CurrentValue(*enumeration));
    enumeration->SelectPrevious();
    EXPECT_EQ(1, CurrentValue(*enumeration));
    GEnumAttribute empty;
    empty.SelectNext();
    empty.SelectPrevious();
    EXPECT_EQ(nullptr, empty.GetCurrent());

    GValueAttribute probe(2, 1);
    EXPECT_EQ(enumeration->At(2), enumeration->SetCurrent(&probe));
    EXPECT_EQ(2, CurrentValue(*enumeration));
    GValueAttribute absent(9, 1);
    EXPECT_EQ(nullptr, enumeration->SetCurrent(&absent));
    EXPECT_EQ(nullptr, enumeration->SetCurrent(nullptr));
    EXPECT_EQ(2, CurrentValue(*enumeration));
}

TEST(GEnumAttributeCopy, CopiesAndDeepCopiesKeepTheSelection)
{
    std::unique_ptr<GEnumAttribute> enumeration(Choices(1, 3));
    enumeration->SelectNext();
    std::unique_ptr<GEnumAttribute> copy(enumeration->Copy());
    EXPECT_EQ(enumeration->GetCurrent(), copy->GetCurrent());
    EXPECT_EQ(enumeration->GetChoiceClassId(), copy->GetChoiceClassId());
    EXPECT_TRUE(copy->IsSame(enumeration.get()));

    enumeration->SelectNext();
    std::unique_ptr<GObjectBase> deep(enumeration->DeepCopy());
    ASSERT_EQ(GEnumAttribute::kClassId, deep->ClassId());
    GEnumAttribute* deepCopy = static_cast<GEnumAttribute*>(deep.get());
    EXPECT_EQ(2, CurrentValue(*deepCopy));
    EXPECT_EQ(deepCopy->At(2), deepCopy->GetCurrent());
    EXPECT_TRUE(deepCopy->IsSame(enumeration.get()));

    // Without a current choice.
    GEnumAttribute empty(4);
    EXPECT_EQ(nullptr, GEnumAttribute(empty).GetCurrent());
    std::unique_ptr<GEnumAttribute> emptyDeep(empty.DeepCopy());
    EXPECT_EQ(nullptr, emptyDeep->GetCurrent());
}

TEST(GEnumAttributeCompare, TheCurrentChoiceCounts)
{
    GEnumAttribute* a = Choices(1, 3);
    GEnumAttribute* b = Choices(1, 3);
    EXPECT_TRUE(a->IsSame(b));
    b->SelectNext();
    EXPECT_TRUE(a->Differs(b));
    GEnumAttribute emptyA(1);
    GEnumAttribute emptyB(1);
    EXPECT_TRUE(emptyA.IsSame(&emptyB));
    EXPECT_TRUE(emptyA.Differs(a));
    delete a;
    delete b;
}

TEST(GEnumAttributeApply, CallsApplyEnumAndMarksItselfAppliedButAssignsNothing)
{
    RecordingPeripheral peripheral;
    peripheral.Answer(6, 33);
    std::unique_ptr<GEnumAttribute> enumeration(Choices(6, 2));
    EXPECT_EQ(33, enumeration->ApplyTo(peripheral));
    EXPECT_EQ((std::vector<std::string>{"ApplyEnum 6"}), peripheral.visits);
    EXPECT_EQ(0, enumeration->GetStateWord());
    std::unique_ptr<GEnumAttribute> other(Choices(6, 3));
    EXPECT_EQ(0, enumeration->Assign(other.get()));
    EXPECT_EQ(2u, enumeration->Entries());
}

