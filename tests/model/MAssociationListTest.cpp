#include "model/MAssociationList.h"

#include "ModelTestObjects.h"
#include "model/GPersistableLong.h"
#include "model/GSelectionString.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

MPersistentAssociation* Pair(long key, const char* value, long keyId = 0)
{
    return new MPersistentAssociation(new GPersistableLong(key, keyId), new GSelectionString(value, 0));
}

const char* ValueText(GObjectBase* value)
{
    GSelectionString* text = dynamic_cast<GSelectionString*>(value);
    return text ? text->GetString().Data() : nullptr;
}

} // namespace

// A pair owns its key and value; copies hold copies under a fresh root, assignment
// drops its own and keeps its root part, and self-assignment changes nothing.
TEST(MPersistentAssociationCopy, PairsOwnTheirKeyAndValueAndCopiesHoldCopies)
{
    int deletions = 0;
    TrackedObject* key = new TrackedObject(1, &deletions);
    MPersistentAssociation source(key, nullptr, 4);
    {
        MPersistentAssociation copy(source);
        EXPECT_NE(key, copy.GetKey());
        EXPECT_EQ(1, copy.GetKey()->GetId());
        EXPECT_EQ(nullptr, copy.GetValue());
        EXPECT_EQ(0, copy.GetId());
    }
    EXPECT_EQ(1, deletions);
    MPersistentAssociation& alias = source;
    source = alias;
    EXPECT_EQ(key, source.GetKey());

    MPersistentAssociation target(new TrackedObject(1, &deletions), new TrackedObject(2, &deletions), 3);
    const long serial = target.GetSerial();
    target = MPersistentAssociation(new GObjectBase(5), new GObjectBase(6), 7);
    EXPECT_EQ(3, deletions);
    EXPECT_EQ(5, target.GetKey()->GetId());
    EXPECT_EQ(3, target.GetId());
    EXPECT_EQ(serial, target.GetSerial());
}

TEST(MPersistentAssociationCompare, KeysAndValuesMustNotDiffer)
{
    std::unique_ptr<MPersistentAssociation> a(Pair(1, "x"));
    std::unique_ptr<MPersistentAssociation> b(Pair(1, "x"));
    std::unique_ptr<MPersistentAssociation> otherValue(Pair(1, "y"));
    std::unique_ptr<MPersistentAssociation> otherKey(Pair(2, "x"));
    EXPECT_TRUE(a->IsSame(b.get()));
    EXPECT_FALSE(a->IsSame(otherValue.get()));
    EXPECT_FALSE(a->IsSame(otherKey.get()));
    MPersistentAssociation empty;
    MPersistentAssociation alsoEmpty;
    EXPECT_TRUE(empty.IsSame(&alsoEmpty));
    EXPECT_FALSE(empty.IsSame(a.get()));
    EXPECT_FALSE(a->IsSame(&empty));
}

// A pair with an equal key (same value and id) replaces the old one at the end.
TEST(MAssociationListAdd, EqualKeyReplacesTheOldPairAtTheEnd)
{
    int deletions = 0;
    MAssociationList list;
    list.Add(new MPersistentAssociation(new GPersistableLong(1), new TrackedObject(0, &deletions)));
    list.Add(Pair(2, "two"));
    list.Add(Pair(1, "other id", 11));
    MPersistentAssociation* replacement = Pair(1, "one again");
    list.Add(replacement);
    EXPECT_EQ(1, deletions);
    ASSERT_EQ(3u, list.Entries());
    EXPECT_EQ(replacement, list.At(2));
    EXPECT_STREQ("one again", ValueText(list.GetValue(replacement->GetKey())));
    GPersistableLong key(1, 11);
    EXPECT_STREQ("other id", ValueText(list.GetValue(&key)));
}

TEST(MAssociationListAdd, GenericAddTakesOnlyAssociationsAndKeepsAMemberAddedAgain)
{
    MAssociationList list;
    GObjectBase& composite = list;
    std::unique_ptr<GObjectBase> other(new GPersistableLong(3));
    composite.Add(other.get());
    EXPECT_EQ(0u, list.Entries());
    EXPECT_EQ(-1, other->References());
    MPersistentAssociation* pair = Pair(3, "c");
    composite.Add(pair);
    list.Add(pair);
    list.Add(static_cast<MPersistentAssociation*>(nullptr));
    ASSERT_EQ(1u, list.Entries());
    EXPECT_EQ(pair, list.At(0));
    EXPECT_STREQ("c", ValueText(pair->GetValue()));
}

TEST(MAssociationListNullKeys, NullKeysAreSkipped)
{
    MAssociationList list;
    list.Add(new MPersistentAssociation(nullptr, new GSelectionString("none", 0)));
    list.Add(new MPersistentAssociation(nullptr, new GSelectionString("none again", 0)));
    list.Add(Pair(1, "one"));
    EXPECT_EQ(3u, list.Entries());
    EXPECT_EQ(nullptr, list.Find(nullptr));
    EXPECT_EQ(nullptr, list.GetValue(nullptr));
    EXPECT_EQ(nullptr, list.RemoveByKey(nullptr));
    MPersistentAssociation keyless;
    EXPECT_EQ(nullptr, list.RemoveLike(&keyless));
    EXPECT_EQ(nullptr, list.RemoveLike(nullptr));
    GPersistableLong one(1);
    EXPECT_STREQ("one", ValueText(list.GetValue(&one)));
    EXPECT_EQ(3u, list.Entries());
}

TEST(MAssociationListFind, FirstAssociationMatchInListOrder)
{
    MAssociationList list;
    MPersistentComposite& composite = list;
    composite.MPersistentComposite::Add(new GPersistableLong(2));
    list.Add(Pair(1, "one"));
    list.Add(Pair(2, "two"));
    GPersistableLong two(2);
    GPersistableLong three(3);
    ASSERT_NE(nullptr, list.Find(&two));
    EXPECT_STREQ("two", ValueText(list.Find(&two)->GetValue()));
    EXPECT_EQ(nullptr, list.Find(&three));
    EXPECT_EQ(nullptr, list.GetValue(&three));
}

TEST(MAssociationListRemove, RemovedPairGoesToTheCaller)
{
    MAssociationList list;
    MPersistentAssociation* pair = Pair(1, "one");
    list.Add(pair);
    list.Add(Pair(2, "two"));
    GPersistableLong one(1);
    std::unique_ptr<MPersistentAssociation> removed(list.RemoveByKey(&one));
    EXPECT_EQ(pair, removed.get());
    EXPECT_EQ(-1, removed->References());
    EXPECT_EQ(1u, list.Entries());
    EXPECT_EQ(nullptr, list.RemoveByKey(&one));
    std::unique_ptr<MPersistentAssociation> like(Pair(2, "anything"));
    std::unique_ptr<MPersistentAssociation> second(list.RemoveLike(like.get()));
    ASSERT_TRUE(second);
    EXPECT_STREQ("two", ValueText(second->GetValue()));
    EXPECT_EQ(0u, list.Entries());
}

TEST(MAssociationListCompare, SameClassAndMembers)
{
    MAssociationList a(4);
    MAssociationList b(4);
    a.Add(Pair(1, "x"));
    b.Add(Pair(1, "x"));
    EXPECT_TRUE(a.IsSame(&b));
    EXPECT_TRUE(a.IsSame(&a));
    b.Add(Pair(2, "y"));
    EXPECT_FALSE(a.IsSame(&b));
    MPersistentComposite plain(4);
    plain.Add(Pair(1, "x"));
    EXPECT_FALSE(a.IsSame(&plain));
}
