#include "model/MPersistentComposite.h"

#include "model/GObjectIterator.h"
#include "ModelTestObjects.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

std::vector<long> MemberIds(GObjectBase& composite)
{
    std::vector<long> ids;
    GObjectIterator* it = composite.CreateIterator();
    while (it->Next())
        ids.push_back(it->Current()->GetId());
    delete it;
    return ids;
}

MPersistentComposite* CompositeOf(long id, std::initializer_list<GObjectBase*> members)
{
    MPersistentComposite* composite = new MPersistentComposite(id);
    for (GObjectBase* member : members)
        composite->Add(member);
    return composite;
}

} // namespace

TEST(MPersistentCompositeSearch, NeverTestsItselfAndADirectMatchComesAfterEarlierSubtrees)
{
    MPersistentComposite tree(7);
    GObjectBase* first = new GObjectBase(5);
    tree.Add(first);
    tree.Add(CompositeOf(6, {new GObjectBase(6)}));
    EXPECT_EQ(nullptr, tree.FindById(7));
    EXPECT_EQ(first, tree.FindById(5));
    EXPECT_EQ(tree.At(1), tree.FindById(6));
    EXPECT_EQ(tree.At(1), tree.FindByClassId(MPersistentComposite::kClassId));
}

TEST(MPersistentCompositeSearch, GoesDepthFirstInMemberOrder)
{
    GObjectBase* deep = new GObjectBase(7);
    GObjectBase* later = new GObjectBase(7);
    MPersistentComposite tree(1);
    tree.Add(CompositeOf(2, {new GObjectBase(3), CompositeOf(4, {deep})}));
    tree.Add(later);
    EXPECT_EQ(deep, tree.FindById(7));
    EXPECT_EQ(tree.FindById(2), tree.FindByClassId(MPersistentComposite::kClassId));
    EXPECT_EQ(tree.FindById(2), tree.FindKindOf(MPersistentComposite::kClassId));
    GObjectBase probe(7);
    EXPECT_EQ(deep, tree.FindSame(&probe));
    EXPECT_EQ(nullptr, tree.FindById(99));
}

TEST(MPersistentCompositeOwnership, AddTakesOwnershipAndIgnoresNullItselfAndEmbeddedObjects)
{
    int deletions = 0;
    GObjectBase embedded(3);
    embedded.MarkEmbedded();
    {
        MPersistentComposite tree;
        tree.Add(new TrackedObject(1, &deletions));
        tree.Add(nullptr);
        tree.Add(&tree);
        tree.Prepend(&tree);
        tree.Add(&embedded);
        tree.Prepend(new TrackedObject(0, &deletions));
        EXPECT_EQ((std::vector<long>{0, 1}), MemberIds(tree));
        EXPECT_EQ(0, tree.At(0)->References());
        EXPECT_EQ(-1, tree.References());
        EXPECT_EQ(-1, embedded.References());
    }
    EXPECT_EQ(2, deletions);
}

TEST(MPersistentCompositeOwnership, ItsIteratorNeverPutsItOrAnEmbeddedObjectInASlot)
{
    MPersistentComposite* tree = new MPersistentComposite;
    tree->Add(new GObjectBase(1));
    GObjectBase embedded(3);
    embedded.MarkEmbedded();
    std::unique_ptr<GObjectIterator> it(tree->CreateIterator());
    it->ReplaceCurrent(tree);
    it->ReplaceCurrent(&embedded);
    ASSERT_TRUE(it->Next());
    it->ReplaceCurrent(tree);
    it->ReplaceCurrent(&embedded);
    EXPECT_EQ((std::vector<long>{1}), MemberIds(*tree));
    EXPECT_EQ(-1, tree->References());
    EXPECT_EQ(-1, embedded.References());
    it.reset();
    delete tree;
}

// The last holder gets the object itself, a sharer a copy; an absent object changes nothing.
TEST(MPersistentCompositeOwnership, RemoveHandsBackTheObjectOrACopyOfAShared)
{
    int deletions = 0;
    MPersistentComposite a;
    MPersistentComposite b;
    TrackedObject* object = new TrackedObject(4, &deletions);
    TrackedObject* shared = new TrackedObject(5, &deletions);
    a.Add(new GObjectBase(1));
    a.Add(object);
    a.Add(shared);
    b.Add(shared);
    std::unique_ptr<GObjectBase> removed(a.Remove(object));
    EXPECT_EQ(object, removed.get());
    EXPECT_EQ(-1, object->References());
    EXPECT_EQ(0, deletions);
    std::unique_ptr<GObjectBase> copy(a.RemoveById(5));
    ASSERT_NE(nullptr, copy);
    EXPECT_NE(shared, copy.get());
    EXPECT_EQ(5, copy->GetId());
    EXPECT_EQ(-1, copy->References());
    EXPECT_EQ(0, shared->References());
    EXPECT_EQ(shared, b.FindById(5));
    GObjectBase outside(1);
    EXPECT_EQ(nullptr, a.Remove(&outside));
    EXPECT_EQ(nullptr, a.Remove(nullptr));
    EXPECT_EQ(nullptr, a.RemoveById(2));
    EXPECT_EQ(1u, a.Entries());
    removed.reset();
    copy.reset();
    EXPECT_EQ(2, deletions);
}

TEST(MPersistentCompositeOwnership, RemoveReachesIntoMembers)
{
    MPersistentComposite tree;
    GObjectBase* inner = new GObjectBase(9);
    tree.Add(CompositeOf(2, {new GObjectBase(8), inner}));
    GObjectBase* removed = tree.RemoveByClassId(RWCollectable::kClassId);
    ASSERT_NE(nullptr, removed);
    EXPECT_EQ(8, removed->GetId());
    delete removed;
    removed = tree.Remove(inner);
    EXPECT_EQ(inner, removed);
    delete removed;
    EXPECT_EQ(1u, tree.TotalEntries() - 1);
}

TEST(MPersistentCompositeOwnership, ReplaceStoresADeepCopy)
{
    int deletions = 0;
    MPersistentComposite tree;
    tree.Add(new TrackedObject(1, &deletions));
    tree.Add(new GObjectBase(2));
    MPersistentComposite replacement(1);
    replacement.Add(new GObjectBase(10));
    EXPECT_EQ(1, tree.ReplaceById(1, &replacement));
    EXPECT_EQ(1, deletions);
    EXPECT_EQ(-1, replacement.References());
    GObjectBase* stored = tree.At(0);
    EXPECT_NE(&replacement, stored);
    EXPECT_NE(replacement.At(0), stored->FindById(10));
    replacement.Add(new GObjectBase(11));
    EXPECT_EQ(nullptr, tree.FindById(11));
    EXPECT_EQ(0, tree.ReplaceById(42, &replacement));
    EXPECT_EQ(0, tree.ReplaceById(2, nullptr));
}

TEST(MPersistentCompositeOwnership, ReplaceFindsTheMemberByEveryKey)
{
    MPersistentComposite tree;
    GObjectBase* leaf = new GObjectBase(3);
    tree.Add(CompositeOf(2, {leaf}));
    GObjectBase by(30);
    EXPECT_EQ(1, tree.Replace(leaf, &by));
    EXPECT_NE(nullptr, tree.FindById(30));
    EXPECT_EQ(1, tree.ReplaceByClassId(RWCollectable::kClassId, &by));
    EXPECT_EQ(1, tree.ReplaceKindOf(MPersistentComposite::kClassId, &by));
    EXPECT_EQ((std::vector<long>{30}), MemberIds(tree));
}

TEST(MPersistentCompositeOwnership, RemoveAllReleasesEveryMember)
{
    int deletions = 0;
    MPersistentComposite tree;
    for (long i = 0; i < 80; ++i)
        tree.Add(new TrackedObject(i, &deletions));
    tree.RemoveAll();
    EXPECT_EQ(80, deletions);
    EXPECT_EQ(0u, tree.Entries());
}

TEST(MPersistentCompositeCounts, CountsItselfInTheTotal)
{
    MPersistentComposite tree;
    EXPECT_EQ(1u, tree.TotalEntries());
    tree.Add(new GObjectBase(1));
    tree.Add(new GObjectBase(2));
    EXPECT_EQ(3u, tree.TotalEntries());
    tree.Add(CompositeOf(3, {new GObjectBase(4)}));
    EXPECT_EQ(3u, tree.Entries());
    EXPECT_EQ(5u, tree.TotalEntries());
    EXPECT_EQ(&tree, tree.AsComposite());
}

TEST(MPersistentCompositeSelect, SharesEveryMatchInOrderAndNeverHandsOutAnEmptySelection)
{
    MPersistentComposite tree;
    GObjectBase* a = new GObjectBase(5);
    GObjectBase* b = new GObjectBase(5);
    tree.Add(a);
    tree.Add(CompositeOf(1, {b, new GObjectBase(6)}));
    EXPECT_EQ(nullptr, tree.SelectById(2));
    EXPECT_EQ(nullptr, MPersistentComposite().SelectKindOf(751));
    std::unique_ptr<GObjectBase> selection(tree.SelectById(5));
    ASSERT_NE(nullptr, selection);
    EXPECT_EQ(MPersistentComposite::kClassId, selection->ClassId());
    EXPECT_EQ(2u, selection->Entries());
    EXPECT_EQ(a, static_cast<MPersistentComposite*>(selection.get())->At(0));
    EXPECT_EQ(b, static_cast<MPersistentComposite*>(selection.get())->At(1));
    EXPECT_EQ(1, a->References());
    selection.reset();
    EXPECT_EQ(0, a->References());
    // Composites collect their members, never themselves.
    EXPECT_EQ(nullptr, tree.SelectKindOf(MPersistentComposite::kClassId));
    std::unique_ptr<GObjectBase> leaves(tree.SelectKindOf(GObjectBase::kClassId));
    ASSERT_NE(nullptr, leaves);
    EXPECT_EQ((std::vector<long>{5, 5, 6}), MemberIds(*leaves));
}

TEST(MPersistentCompositeCompare, SameMeansSameIdAndMembers)
{
    MPersistentComposite a(1);
    MPersistentComposite b(1);
    a.Add(new GObjectBase(2));
    a.Add(new GObjectBase(3));
    b.Add(new GObjectBase(2));
    EXPECT_TRUE(a.Differs(&b));
    b.Add(new GObjectBase(3));
    EXPECT_TRUE(a.IsSame(&b));
    MPersistentComposite c(1);
    c.Add(new GObjectBase(3));
    c.Add(new GObjectBase(2));
    EXPECT_TRUE(a.Differs(&c));
    EXPECT_FALSE(a.IsSame(nullptr));
    GObjectBase leaf(1);
    EXPECT_FALSE(a.IsSame(&leaf));
}

TEST(MPersistentCompositeCopy, CopiesShareAndDeepCopiesDoNot)
{
    MPersistentComposite tree(1);
    tree.Add(new GObjectBase(2));
    tree.Add(CompositeOf(3, {new GObjectBase(4)}));
    MPersistentComposite* copy = tree.Copy();
    EXPECT_EQ(tree.At(0), copy->At(0));
    EXPECT_EQ(tree.GetSerial(), copy->GetSerial());
    delete copy;
    GObjectBase* deep = tree.DeepCopy();
    EXPECT_EQ(MPersistentComposite::kClassId, deep->ClassId());
    EXPECT_EQ(1, deep->GetId());
    EXPECT_NE(tree.GetSerial(), deep->GetSerial());
    EXPECT_TRUE(deep->IsSame(&tree));
    EXPECT_NE(tree.FindById(4), deep->FindById(4));
    EXPECT_EQ(0, tree.At(0)->References());
    delete deep;
}

TEST(MPersistentCompositeCopy, AssignmentTakesTheOthersMembers)
{
    int deletions = 0;
    MPersistentComposite target(1);
    target.Add(new TrackedObject(9, &deletions));
    MPersistentComposite source(2);
    source.Add(new GObjectBase(5));
    target = source;
    EXPECT_EQ(1, deletions);
    EXPECT_EQ(2, target.GetId());
    EXPECT_EQ(source.At(0), target.At(0));
    MPersistentComposite same(2);
    same.Add(new GObjectBase(5));
    const long serial = same.GetSerial();
    same = source;
    EXPECT_EQ(serial, same.GetSerial());
    EXPECT_NE(source.At(0), same.At(0));
}

TEST(MPersistentCompositeVisit, ForEachAndFirstThatSeeEverySlot)
{
    MPersistentComposite tree;
    for (long i = 1; i <= 4; ++i)
        tree.Add(new GObjectBase(i));
    long sum = 0;
    tree.ForEach([](GCountedPtr* slot, void* context) {
        *static_cast<long*>(context) += slot->Get()->GetId();
        return 0;
    }, &sum);
    EXPECT_EQ(10, sum);
    long wanted = 3;
    GObjectBase* found = tree.FirstThat([](GCountedPtr* slot, void* context) {
        return int(slot->Get()->GetId() == *static_cast<long*>(context));
    }, &wanted);
    EXPECT_EQ(tree.At(2), found);
    wanted = 7;
    EXPECT_EQ(nullptr, tree.FirstThat([](GCountedPtr* slot, void* context) {
        return int(slot->Get()->GetId() == *static_cast<long*>(context));
    }, &wanted));
}

