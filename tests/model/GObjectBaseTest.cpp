#include "model/GObjectBase.h"

#include "model/GCountedPtr.h"
#include "model/GObjectIterator.h"
#include "model/GBookletComposite.h"
#include "model/GConfiguration.h"
#include "model/GDisplayStringAttribute.h"
#include "model/GOptMediaComposite.h"
#include "model/MAssociationList.h"
#include "model/MPersistentComposite.h"
#include "foundation/RWBinaryOutStream.h"
#include "foundation/RWThreadContext.h"
#include "GSerialCounterProbe.h"
#include "ModelTestObjects.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

// Puts a thread onto the context that threads without their own share.
class RWThreadContextProbe {
public:
    static void ShareOnThisThread() { RWThreadContext::ShareOnThisThread(); }
};

TEST(GObjectBaseCount, GoesFromNoHolderToZeroAndIsDeletedWithItsLastHolder)
{
    int deletions = 0;
    TrackedObject* object = new TrackedObject(5, &deletions);
    EXPECT_EQ(-1, object->References());
    EXPECT_EQ(-1, GObjectBase(*object).References());
    {
        GCountedPtr holder(object);
        EXPECT_EQ(0, object->References());
        GCountedPtr second(holder);
        EXPECT_EQ(1, object->References());
    }
    EXPECT_EQ(1, deletions);
}

TEST(GObjectBaseCount, AssignmentNeverCopiesTheCount)
{
    GObjectBase source(3);
    GCountedRef hold(new GObjectBase(4));
    GObjectBase& target = *hold;
    target = source;
    EXPECT_EQ(0, target.References());
    EXPECT_EQ(3, target.GetId());
    EXPECT_EQ(source.GetSerial(), target.GetSerial());
}

TEST(GObjectBaseCount, SixteenThreadsReleasingTogetherDeleteExactlyOnce)
{
    const int kThreads = 16;
    for (int round = 0; round < 20; ++round) {
        int deletions = 0;
        TrackedObject* object = new TrackedObject(1, &deletions);
        std::vector<GCountedRef> refs(kThreads, GCountedRef(object));
        std::atomic<int> ready{0};
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([&, t] {
                GCountedRef mine(std::move(refs[t]));
                ++ready;
                while (ready < kThreads)
                    std::this_thread::yield();
                for (int i = 0; i < 2000; ++i) {
                    GCountedRef churn(mine);
                    GCountedRef other;
                    other = churn;
                }
            });
        }
        for (std::thread& thread : threads)
            thread.join();
        EXPECT_EQ(1, deletions) << "round " << round;
    }
}

// Sixteen threads take and drop holds on one object a million times in all: the count ends
// at the one hold left, which deletes the object once.
TEST(GObjectBaseCount, SixteenThreadsHoldingOneObjectEndAtItsCount)
{
    const int kThreads = 16, kHolds = 1000000 / kThreads;
    int deletions = 0;
    TrackedObject* object = new TrackedObject(1, &deletions);
    GCountedRef kept(object);
    std::atomic<int> ready{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&] {
            GCountedRef mine(kept);
            ++ready;
            while (ready < kThreads)
                std::this_thread::yield();
            for (int i = 0; i < kHolds; ++i) {
                GCountedPtr churn(mine.Get());
                GCountedRef other;
                other = mine;
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(0, object->References());
    EXPECT_EQ(0, deletions);
    kept.Set(nullptr);
    EXPECT_EQ(1, deletions);
}

// Tests that move the process-wide serial counter put it back afterwards.
class GObjectBaseSerial : public testing::Test {
protected:
    void SetUp() override { saved_ = GSerialCounterProbe::Peek(); }
    void TearDown() override { GSerialCounterProbe::Set(saved_); }

private:
    uint32_t saved_ = 0;
};

TEST_F(GObjectBaseSerial, CountsUpFromOneAndCopiesKeepTheirSource)
{
    GSerialCounterProbe::Set(0);
    GObjectBase first;
    GObjectBase second(7);
    EXPECT_EQ(1, first.GetSerial());
    EXPECT_EQ(2, second.GetSerial());
    GObjectBase copy(second);
    EXPECT_EQ(2, copy.GetSerial());
    EXPECT_EQ(7, copy.GetId());
}

TEST_F(GObjectBaseSerial, WrapAroundSkipsZero)
{
    GSerialCounterProbe::Set(0xFFFFFFFFu);
    GObjectBase last;
    GObjectBase next;
    EXPECT_EQ(long(0xFFFFFFFFu), last.GetSerial());
    EXPECT_EQ(1, next.GetSerial());
    EXPECT_EQ(2u, GSerialCounterProbe::Peek());
}

TEST_F(GObjectBaseSerial, ThreadsDrawDistinctNumbers)
{
    GSerialCounterProbe::Set(0xFFFFFF00u);
    std::vector<long> serials[4];
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&serials, t] {
            for (int i = 0; i < 500; ++i)
                serials[t].push_back(GObjectBase().GetSerial());
        });
    for (std::thread& thread : threads)
        thread.join();
    std::vector<long> all;
    for (const auto& s : serials)
        all.insert(all.end(), s.begin(), s.end());
    std::sort(all.begin(), all.end());
    EXPECT_EQ(all.end(), std::adjacent_find(all.begin(), all.end()));
    EXPECT_EQ(0, std::count(all.begin(), all.end(), 0L));
    EXPECT_EQ(2000u, all.size());
}

TEST_F(GObjectBaseSerial, ClearSerialsReachesEveryMember)
{
    MPersistentComposite outer(1);
    MPersistentComposite* inner = new MPersistentComposite(2);
    GObjectBase* leaf = new GObjectBase(3);
    inner->Add(leaf);
    outer.Add(inner);
    outer.ClearSerials();
    EXPECT_EQ(0, outer.GetSerial());
    EXPECT_EQ(0, inner->GetSerial());
    EXPECT_EQ(0, leaf->GetSerial());
    leaf->TakeNextSerial();
    EXPECT_NE(0, leaf->GetSerial());
}

// The bytes an object saves as.
std::string Saved(const GObjectBase& object)
{
    std::stringbuf bytes;
    {
        RWBinaryOutStream out(&bytes);
        out << static_cast<const RWCollectable*>(&object);
    }
    return bytes.str();
}

// A thread's scope that leaves serials out ends with that scope, whatever other threads
// hold open, and on the context that threads share too: after its pack, a thread saves
// its serials again while another thread's scope is still open.
TEST_F(GObjectBaseSerial, OmittingSerialsLastsOnlyForTheThreadsOwnScope)
{
    GObjectBase object(9);
    GObjectBase cleared(9);
    cleared.SetSerial(0);
    ASSERT_NE(Saved(cleared), Saved(object));
    for (bool shared : {false, true}) {
        std::atomic<int> stage{0};
        bool otherOmitted = false;
        std::thread other([&] {
            if (shared)
                RWThreadContextProbe::ShareOnThisThread();
            GObjectBase::SerialsOmitted scope;
            stage = 1;
            while (stage != 2)
                std::this_thread::yield();
            otherOmitted = Saved(object) == Saved(cleared);
        });
        std::thread packing([&] {
            if (shared)
                RWThreadContextProbe::ShareOnThisThread();
            while (stage != 1)
                std::this_thread::yield();
            {
                GObjectBase::SerialsOmitted scope;
                EXPECT_EQ(Saved(cleared), Saved(object)) << shared;
            }
            EXPECT_NE(Saved(cleared), Saved(object)) << shared << ": a later save keeps the serial";
            stage = 2;
        });
        packing.join();
        other.join();
        EXPECT_TRUE(otherOmitted) << shared << ": the other thread's scope still held";
    }
}

TEST(GObjectBaseLeaf, FindsOnlyItselfCountsOneAndIteratesNothing)
{
    GObjectBase leaf(5);
    EXPECT_EQ(&leaf, leaf.FindById(5));
    EXPECT_EQ(nullptr, leaf.FindById(6));
    EXPECT_EQ(&leaf, leaf.FindByClassId(RWCollectable::kClassId));
    EXPECT_EQ(&leaf, leaf.FindKindOf(GObjectBase::kClassId));
    EXPECT_EQ(nullptr, leaf.FindKindOf(752));
    GObjectBase same(5);
    EXPECT_EQ(&leaf, leaf.FindSame(&same));
    EXPECT_EQ(nullptr, leaf.FindSame(nullptr));
    EXPECT_EQ(1u, leaf.Entries());
    EXPECT_EQ(1u, leaf.TotalEntries());
    EXPECT_EQ(nullptr, leaf.AsComposite());
    std::unique_ptr<GObjectIterator> it(leaf.CreateIterator());
    ASSERT_NE(nullptr, it);
    EXPECT_EQ(0, it->Next());
    EXPECT_EQ(nullptr, it->Current());
    EXPECT_TRUE(it->CurrentRef().IsNull());
    EXPECT_EQ(0, it->Previous());
    std::unique_ptr<GObjectBase> copy(leaf.DeepCopy());
    EXPECT_NE(&leaf, copy.get());
    EXPECT_EQ(5, copy->GetId());
    EXPECT_EQ(leaf.GetSerial(), copy->GetSerial());
    EXPECT_EQ(-1, copy->References());
}

TEST(GObjectBaseLeaf, SelectAdoptsAMatchingLeaf)
{
    int deletions = 0;
    TrackedObject* leaf = new TrackedObject(8, &deletions);
    EXPECT_EQ(nullptr, leaf->SelectById(9));
    GObjectBase* selection = leaf->SelectById(8);
    ASSERT_NE(nullptr, selection);
    EXPECT_EQ(MPersistentComposite::kClassId, selection->ClassId());
    EXPECT_EQ(1u, selection->Entries());
    EXPECT_EQ(0, leaf->References());
    EXPECT_EQ(leaf, selection->FindById(8));
    delete selection;
    EXPECT_EQ(1, deletions);
}

TEST(GObjectBaseLeaf, CollectAddsAMatchToTheGivenComposite)
{
    MPersistentComposite tree;
    GObjectBase* leaf = new GObjectBase(4);
    tree.Add(leaf);
    MPersistentComposite into;
    EXPECT_EQ(&into, leaf->CollectById(4, &into));
    EXPECT_EQ(&into, leaf->CollectById(5, &into));
    EXPECT_EQ(1u, into.Entries());
    EXPECT_EQ(1, leaf->References());
    EXPECT_EQ(nullptr, leaf->CollectById(4, nullptr));
}

TEST(GObjectBaseLeaf, FindPtrTakesAReference)
{
    MPersistentComposite tree;
    GObjectBase* leaf = new GObjectBase(4);
    tree.Add(leaf);
    {
        GCountedRef found = leaf->FindPtrById(4);
        EXPECT_EQ(leaf, found.Get());
        EXPECT_EQ(1, leaf->References());
        EXPECT_TRUE(leaf->FindPtrById(3).IsNull());
        EXPECT_TRUE(leaf->FindPtrByClassId(0x1234).IsNull());
    }
    EXPECT_EQ(0, leaf->References());
}

TEST(GObjectBaseCompare, SameMeansSameIdAndOrderIsByAddress)
{
    GObjectBase a(1);
    GObjectBase b(1);
    GObjectBase c(2);
    EXPECT_TRUE(a.IsSame(&b));
    EXPECT_FALSE(a.Differs(&b));
    EXPECT_TRUE(a.Differs(&c));
    EXPECT_FALSE(a.IsSame(nullptr));
    EXPECT_TRUE(a.IsEqual(&b));
    EXPECT_FALSE(a.IsEqual(&c));
    RWCollectable plain;
    EXPECT_FALSE(a.IsEqual(&plain));
    EXPECT_FALSE(a.IsEqual(nullptr));
    GObjectBase objects[2];
    EXPECT_EQ(0, objects[0].CompareTo(&objects[0]));
    EXPECT_EQ(-1, objects[0].CompareTo(&objects[1]));
    EXPECT_EQ(1, objects[1].CompareTo(&objects[0]));
}

// The kind chains of the model classes, the abstract ones through a test subclass.
TEST(GObjectBaseKind, EachClassIsAKindOfItsAncestorsOnly)
{
    const struct {
        std::function<GObjectBase*()> make;
        std::vector<RWClassID> kinds;
        std::vector<RWClassID> notKinds;
    } cases[] = {
        {[] { return new GObjectBase; }, {751}, {752}},
        {[] { return new MPersistentComposite; }, {752, 751}, {753}},
        {[] { return new GValueAttribute; }, {763, 753, 751}, {752, 789}},
        {[] { return new TestGraphic; }, {754, 753, 751}, {752}},
        {[] { return new GDisplayString; }, {786, 751}, {753}},
        {[] { return new GEnumAttribute; }, {764, 757, 753, 751}, {752}},
        {[] { return new GConfiguration; }, {759, 752, 751}, {753}},
        {[] { return new GOptMediaComposite; }, {796, 753, 751}, {794}},
        {[] { return new GBookletComposite; }, {794, 753, 751}, {757, 796}},
        {[] { return new MAssociationList; }, {772, 752, 751}, {753}},
        {[] { return new RecordingPeripheral; }, {760, 753}, {}},
    };
    for (const auto& c : cases) {
        std::unique_ptr<GObjectBase> object(c.make());
        for (RWClassID kind : c.kinds)
            EXPECT_TRUE(object->IsKindOf(kind)) << object->ClassId() << " " << kind;
        for (RWClassID kind : c.notKinds)
            EXPECT_FALSE(object->IsKindOf(kind)) << object->ClassId() << " " << kind;
    }
}

TEST(GObjectBaseOwnership, HandOutGivesTheObjectOrACopy)
{
    int deletions = 0;
    TrackedObject* object = new TrackedObject(2, &deletions);
    GCountedRef other(object);
    object->AddReference();
    GObjectBase* copy = GObjectBase::HandOut(object);
    EXPECT_NE(object, copy);
    EXPECT_EQ(0, object->References());
    delete copy;
    EXPECT_EQ(1, deletions);
    object->AddReference();
    other = GCountedRef();
    GObjectBase* itself = GObjectBase::HandOut(object);
    EXPECT_EQ(object, itself);
    EXPECT_EQ(-1, itself->References());
    delete itself;
    EXPECT_EQ(2, deletions);
}

TEST(GObjectBaseOwnership, DropDeletesOnlyWhatNobodyHoldsAndNeverAnEmbeddedObject)
{
    int deletions = 0;
    TrackedObject* held = new TrackedObject(1, &deletions);
    GCountedRef holder(held);
    GObjectBase::Drop(held);
    EXPECT_EQ(0, deletions);
    EXPECT_EQ(0, held->References());
    GObjectBase::Drop(new TrackedObject(2, &deletions));
    EXPECT_EQ(1, deletions);
    GObjectBase::Drop(nullptr);

    GObjectBase embedded(3);
    embedded.MarkEmbedded();
    {
        GCountedRef embeddedHolder(&embedded);
    }
    EXPECT_EQ(-1, embedded.References());
    GObjectBase::Drop(&embedded);
    EXPECT_EQ(-1, embedded.References());
}

