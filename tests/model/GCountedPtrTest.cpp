#include "model/GCountedPtr.h"

#include "model/MPersistentComposite.h"
#include "ModelTestObjects.h"

#include <gtest/gtest.h>

TEST(GCountedPtr, HoldsOneReferenceWhilePointing)
{
    int deletions = 0;
    TrackedObject* object = new TrackedObject(1, &deletions);
    GCountedPtr a(object);
    {
        GCountedPtr b(a);
        EXPECT_EQ(1, object->References());
        EXPECT_EQ(object, b.Get());
        a = b;
        a = object;
        EXPECT_EQ(1, object->References());
    }
    EXPECT_EQ(0, object->References());
    a = nullptr;
    EXPECT_EQ(1, deletions);
    EXPECT_TRUE(a.IsNull());
}

TEST(GCountedPtr, AssignmentTakesTheNewReferenceFirst)
{
    // p is the only holder of the composite, and the composite the only holder of its
    // member: releasing the old object first would delete the new one.
    int deletions = 0;
    MPersistentComposite* holder = new MPersistentComposite;
    TrackedObject* member = new TrackedObject(2, &deletions);
    holder->Add(member);
    GCountedPtr p(holder);
    p = member;
    EXPECT_EQ(0, deletions);
    EXPECT_EQ(0, member->References());
    GCountedPtr q(new MPersistentComposite);
    static_cast<MPersistentComposite*>(q.Get())->Add(p.Get());
    p = nullptr;
    GCountedPtr r(q.Get()->FindById(2));
    q = r;
    EXPECT_EQ(0, deletions);
    EXPECT_EQ(1, member->References());
    q = nullptr;
    r = nullptr;
    EXPECT_EQ(1, deletions);
}

TEST(GCountedPtr, CopyObjectIsADeepCopyOwnedByTheCaller)
{
    MPersistentComposite* tree = new MPersistentComposite(1);
    tree->Add(new GObjectBase(2));
    GCountedPtr p(tree);
    GObjectBase* copy = p.CopyObject();
    ASSERT_NE(nullptr, copy);
    EXPECT_EQ(-1, copy->References());
    EXPECT_EQ(1u, copy->Entries());
    EXPECT_NE(tree->FindById(2), copy->FindById(2));
    delete copy;
    EXPECT_EQ(nullptr, GCountedPtr().CopyObject());
}

TEST(GCountedRef, MovesAndDetachesWithoutCountChanges)
{
    GCountedRef a(new GObjectBase);
    GObjectBase* object = a.Get();
    GCountedRef b(std::move(a));
    GCountedRef c;
    c = std::move(b);
    EXPECT_EQ(0, object->References());
    EXPECT_EQ(object, c.Get());
    GObjectBase* detached = c.Detach();
    EXPECT_TRUE(c.IsNull());
    EXPECT_EQ(0, detached->References());
    GObjectBase::Release(detached);
}

