#include "model/GResourceMappingList.h"

#include "ModelTestObjects.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// A mapping whose deletion, and its copies', is counted.
class TrackedMapping : public GResourceMapping {
public:
    TrackedMapping(uint32_t resource, uint16_t first, int16_t second, int* deletions)
        : GResourceMapping(resource, first, second, 0), count_(deletions)
    {
    }
    TrackedMapping(const TrackedMapping& other) : GResourceMapping(other), count_(other.count_.Counter()) {}
    TrackedMapping* Copy() const override { return new TrackedMapping(*this); }

private:
    DeletionCount count_;
};

} // namespace

TEST(GResourceMappingListAdd, RefusesATakenResourceOrSecondCodeButFirstCodesMayRepeat)
{
    GResourceMappingList list;
    EXPECT_EQ(1, list.Add(new GResourceMapping(5, 9, 9)));
    std::unique_ptr<GResourceMapping> sameResource(new GResourceMapping(5, 1, 2));
    EXPECT_EQ(0, list.Add(sameResource.get()));
    std::unique_ptr<GResourceMapping> sameSecond(new GResourceMapping(6, 1, 9));
    EXPECT_EQ(0, list.Add(sameSecond.get()));
    EXPECT_EQ(1u, list.Entries());
    // A refused mapping stays the caller's: it has no holder.
    EXPECT_EQ(-1, sameResource->References());

    GResourceMappingList repeated;
    EXPECT_EQ(1, repeated.Add(new GResourceMapping(7, 1, 3)));
    EXPECT_EQ(1, repeated.Add(new GResourceMapping(5, 1, 2)));
    EXPECT_EQ(2u, repeated.Entries());
}

TEST(GResourceMappingListAdd, SecondCodeTestAloneAllowsARepeatedResource)
{
    GResourceMappingList list;
    EXPECT_EQ(1, list.AddIfSecondCodeFree(new GResourceMapping(0, 16690, 50)));
    EXPECT_EQ(1, list.AddIfSecondCodeFree(new GResourceMapping(0, 16691, 51)));
    std::unique_ptr<GResourceMapping> taken(new GResourceMapping(1, 1, 51));
    EXPECT_EQ(0, list.AddIfSecondCodeFree(taken.get()));
    EXPECT_EQ(0, list.AddIfSecondCodeFree(nullptr));
    EXPECT_EQ(0, list.Add(static_cast<GResourceMapping*>(nullptr)));
    EXPECT_EQ(2u, list.Entries());
}

TEST(GResourceMappingListAdd, NegativeSecondCodesAreNeverTaken)
{
    GResourceMappingList list;
    EXPECT_EQ(1, list.Add(new GResourceMapping(1, 1, -1)));
    EXPECT_EQ(1, list.Add(new GResourceMapping(2, 2, -1)));
    EXPECT_EQ(nullptr, list.FindBySecondCode(0xFFFF));
    EXPECT_EQ(2u, list.Entries());
}

TEST(GResourceMappingListAdd, GenericAddAndPrependLeaveTheListUnchanged)
{
    GResourceMappingList list;
    GObjectBase* list_as_composite = &list;
    std::unique_ptr<GResourceMapping> mapping(new GResourceMapping(1, 2, 3));
    list_as_composite->Add(mapping.get());
    list_as_composite->Prepend(mapping.get());
    EXPECT_EQ(0u, list.Entries());
    EXPECT_EQ(-1, mapping->References());
}

TEST(GResourceMappingListCopy, DeepCopyCopiesEveryMappingInOrder)
{
    GResourceMappingList list(7);
    ASSERT_EQ(1, list.Add(new GResourceMapping(5, 1, 2)));
    ASSERT_EQ(1, list.Add(new GResourceMapping(6, 1, 3)));
    std::unique_ptr<GResourceMappingList> copy(list.DeepCopy());
    ASSERT_EQ(2u, copy->Entries());
    EXPECT_EQ(7, copy->GetId());
    EXPECT_TRUE(copy->IsSame(&list));
    EXPECT_NE(list.At(0), copy->At(0));
    EXPECT_EQ(6u, copy->FindBySecondCode(3)->GetResource());
}

TEST(GResourceMappingListFind, EachFieldFindsTheFirstMappingInOrder)
{
    GResourceMappingList list;
    MPersistentComposite& composite = list;
    composite.MPersistentComposite::Add(new GObjectBase(100));
    GResourceMapping* first = new GResourceMapping(10, 100, 1);
    GResourceMapping* second = new GResourceMapping(20, 100, 2);
    list.Add(first);
    list.Add(second);
    EXPECT_EQ(first, list.FindByFirstCode(100));
    EXPECT_EQ(second, list.FindBySecondCode(2));
    EXPECT_EQ(second, list.FindByResource(20));
    EXPECT_EQ(nullptr, list.FindByFirstCode(101));
    EXPECT_EQ(nullptr, list.FindBySecondCode(3));
    EXPECT_EQ(nullptr, list.FindByResource(30));
}

TEST(GResourceMappingListRemove, RemovedMappingGoesToTheCaller)
{
    GResourceMappingList list;
    GResourceMapping* mapping = new GResourceMapping(10, 100, 1);
    list.Add(mapping);
    list.Add(new GResourceMapping(20, 200, 2));
    std::unique_ptr<GResourceMapping> removed(list.RemoveByFirstCode(100));
    EXPECT_EQ(mapping, removed.get());
    EXPECT_EQ(-1, removed->References());
    EXPECT_EQ(1u, list.Entries());
    EXPECT_EQ(nullptr, list.RemoveByFirstCode(100));
    std::unique_ptr<GResourceMapping> bySecond(list.RemoveBySecondCode(2));
    ASSERT_TRUE(bySecond);
    EXPECT_EQ(20u, bySecond->GetResource());
    EXPECT_EQ(nullptr, list.RemoveByResource(20));
    EXPECT_EQ(0u, list.Entries());
}

TEST(GResourceMappingListRemove, SharedMappingComesBackAsACopy)
{
    GResourceMappingList list;
    GResourceMapping* mapping = new GResourceMapping(10, 100, 1);
    list.Add(mapping);
    GCountedRef elsewhere(mapping);
    std::unique_ptr<GResourceMapping> removed(list.RemoveByResource(10));
    ASSERT_TRUE(removed);
    EXPECT_NE(mapping, removed.get());
    EXPECT_TRUE(removed->IsSame(mapping));
}

TEST(GResourceMappingListCompare, SameMembersInOrderAreSame)
{
    GResourceMappingList a(1);
    GResourceMappingList b(1);
    a.Add(new GResourceMapping(1, 2, 3));
    b.Add(new GResourceMapping(1, 2, 3));
    EXPECT_TRUE(a.IsSame(&b));
    b.Add(new GResourceMapping(4, 5, 6));
    EXPECT_FALSE(a.IsSame(&b));
    MPersistentComposite plain(1);
    plain.Add(new GResourceMapping(1, 2, 3));
    EXPECT_FALSE(a.IsSame(&plain));
}
