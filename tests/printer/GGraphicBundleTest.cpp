#include "graphics/GGraphicBundle.h"

#include "model/GGraphicAttribute.h"
#include "model/GStoredFields.h"
#include "model/GValueAttribute.h"

#include "../model/StoredForms.h"
#include "DeletionCount.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// A graphic attribute with one value, equal when class, id and value are; its deletion,
// and its copies', is counted.
class TestGraphic : public GGraphicAttribute {
public:
    explicit TestGraphic(int value, int* deletions = nullptr) : value_(value), count_(deletions) {}
    TestGraphic(const TestGraphic& other)
        : GGraphicAttribute(other), value_(other.value_), count_(other.count_.Counter())
    {
    }
    TestGraphic* CreateNew() const override { return new TestGraphic(0); }
    TestGraphic* Copy() const override { return new TestGraphic(*this); }
    RWClassID ClassId() const override { return 0x7101; }
    bool IsSame(const GObjectBase* other) const override
    {
        const TestGraphic* graphic = GSameClass<TestGraphic>(this, other);
        return graphic && graphic->GetId() == GetId() && graphic->value_ == value_;
    }
    int16_t ApplyTo(GAttributeVisitor&) override { return 0; }

private:
    int value_;
    DeletionCount count_;
};

typedef void (GGraphicBundle::*Setter)(GGraphicAttribute*);
typedef GObjectBase* (GGraphicBundle::*Remover)();
typedef GAttribute* (GGraphicBundle::*Getter)() const;

struct Slot {
    long id;
    Setter set;
    Remover remove;
    Getter get;
};

// The seven slots in the order of the bundle's operations.
const Slot kSlots[] = {
    {154, &GGraphicBundle::SetBrush, &GGraphicBundle::RemoveBrush, &GGraphicBundle::GetBrush},
    {166, &GGraphicBundle::SetCap, &GGraphicBundle::RemoveCap, &GGraphicBundle::GetCap},
    {177, &GGraphicBundle::SetClip, &GGraphicBundle::RemoveClip, &GGraphicBundle::GetClip},
    {182, &GGraphicBundle::SetFillMode, &GGraphicBundle::RemoveFillMode, &GGraphicBundle::GetFillMode},
    {172, &GGraphicBundle::SetJoint, &GGraphicBundle::RemoveJoint, &GGraphicBundle::GetJoint},
    {160, &GGraphicBundle::SetPen, &GGraphicBundle::RemovePen, &GGraphicBundle::GetPen},
    {183, &GGraphicBundle::SetRasterOperation, &GGraphicBundle::RemoveRasterOperation,
     &GGraphicBundle::GetRasterOperation},
};

} // namespace

TEST(GGraphicBundleId, IdIsAlways244)
{
    EXPECT_EQ(244, GGraphicBundle().GetId());
    EXPECT_EQ(244, GGraphicBundle(17).GetId());
    std::unique_ptr<GGraphicBundle> fresh(GGraphicBundle(5).CreateNew());
    ASSERT_NE(nullptr, fresh);
    EXPECT_EQ(244, fresh->GetId());
    GGraphicBundle bundle;
    EXPECT_EQ(101, bundle.ClassId());
    EXPECT_TRUE(bundle.IsKindOf(758));
}

TEST(GGraphicBundleSlots, EachSetterFillsItsSlotIdAndUnsetSlotsAnswerNull)
{
    GGraphicBundle empty;
    for (const Slot& slot : kSlots) {
        EXPECT_EQ(nullptr, (empty.*slot.get)()) << slot.id;
        EXPECT_EQ(nullptr, (empty.*slot.remove)()) << slot.id;
    }
    empty.SetBrush(nullptr);
    EXPECT_EQ(0u, empty.Entries());
    for (const Slot& slot : kSlots) {
        GGraphicBundle bundle;
        TestGraphic* graphic = new TestGraphic(1);
        (bundle.*slot.set)(graphic);
        EXPECT_EQ(slot.id, graphic->GetId());
        EXPECT_EQ(graphic, (bundle.*slot.get)()) << slot.id;
        for (const Slot& other : kSlots) {
            if (other.id != slot.id) {
                EXPECT_EQ(nullptr, (bundle.*other.get)()) << slot.id << " " << other.id;
            }
        }
    }
}

// A second brush with another value takes the first one's place; an equal one is deleted.
TEST(GGraphicBundleSlots, SecondBrushWithAnotherValueWinsAndAnEqualOneIsDeleted)
{
    int deletions = 0;
    {
        GGraphicBundle bundle;
        bundle.SetPen(new TestGraphic(9, &deletions));
        bundle.SetBrush(new TestGraphic(1, &deletions));
        TestGraphic* second = new TestGraphic(2, &deletions);
        bundle.SetBrush(second);
        EXPECT_EQ(second, bundle.GetBrush());
        EXPECT_EQ(2u, bundle.Entries());
        EXPECT_EQ(second, bundle.At(1));
        EXPECT_EQ(1, deletions);
        bundle.SetBrush(new TestGraphic(2, &deletions));
        EXPECT_EQ(second, bundle.GetBrush());
        EXPECT_EQ(2, deletions);
    }
    EXPECT_EQ(4, deletions);
}

TEST(GGraphicBundleSlots, RemoverHandsTheMemberToTheCaller)
{
    GGraphicBundle bundle;
    TestGraphic* clip = new TestGraphic(3);
    bundle.SetClip(clip);
    bundle.SetPen(new TestGraphic(4));
    std::unique_ptr<GObjectBase> removed(bundle.RemoveClip());
    EXPECT_EQ(clip, removed.get());
    EXPECT_EQ(-1, removed->References());
    EXPECT_EQ(nullptr, bundle.GetClip());
    EXPECT_EQ(1u, bundle.Entries());
}

TEST(GGraphicBundleCopy, CopyIsABundleSharingMembers)
{
    GGraphicBundle bundle;
    TestGraphic* pen = new TestGraphic(4);
    bundle.SetPen(pen);
    std::unique_ptr<GGraphicBundle> copy(bundle.Copy());
    EXPECT_EQ(101, copy->ClassId());
    EXPECT_EQ(244, copy->GetId());
    EXPECT_EQ(pen, copy->GetPen());
    EXPECT_EQ(1, pen->References());
}

TEST(GGraphicBundleMerge, BundleMergesIntoAGraphicState)
{
    GState current(GState::kCurrentStateId);
    GState* graphic = new GState(GState::kGraphicStateId);
    TestGraphic* pen = new TestGraphic(4);
    pen->SetId(GGraphicBundle::kPenId);
    pen->SetStateWord(0);
    graphic->Add(pen);
    current.Add(graphic);

    GCountedRef held(new GGraphicBundle);
    GGraphicBundle* bundle = static_cast<GGraphicBundle*>(held.Get());
    TestGraphic* brush = new TestGraphic(6);
    bundle->SetPen(new TestGraphic(4));
    bundle->SetBrush(brush);
    EXPECT_EQ(1, graphic->Assign(bundle));
    EXPECT_EQ(pen, graphic->FindById(160));
    EXPECT_EQ(0, pen->GetStateWord());
    EXPECT_EQ(brush, graphic->FindById(154));
    EXPECT_EQ(1, brush->GetStateWord());
}

TEST(GGraphicBundleStore, VersionWordFollowsTheStateForm)
{
    GGraphicBundle bundle;
    GState state(244);
    state.SetSerial(bundle.GetSerial());
    const std::vector<uint8_t> expected = Joined(GutsBytes(state), {0x01, 0x00, 0x00, 0x00});
    const std::vector<uint8_t> bytes = GutsBytes(bundle);
    EXPECT_EQ(expected, bytes);
}

TEST(GGraphicBundleStore, ARestoredBundleKeepsId244WhateverIdIsStored)
{
    GGraphicBundle cut;
    RestoreGutsFrom(cut, GutsBytes(GState(17)));
    EXPECT_EQ(244, cut.GetId());

    GState stored(17);
    stored.Add(new GValueAttribute(1, GGraphicBundle::kPenId));
    GGraphicBundle bundle;
    RestoreGutsFrom(bundle, Joined(GutsBytes(stored), {0x01, 0x00, 0x00, 0x00}));
    EXPECT_EQ(244, bundle.GetId());
    EXPECT_EQ(1u, bundle.Entries());
    EXPECT_EQ(stored.GetSerial(), bundle.GetSerial());

    for (StreamKind kind : kAllStreamKinds) {
        GGraphicBundle streamed;
        const std::string text = StreamTextOf(kind, [&](RWDataOutStream& s) {
            stored.SaveGuts(s);
            GWriteFields(s);
        });
        EXPECT_TRUE(RestoreStreamForm(kind, streamed, text)) << kind;
        EXPECT_EQ(244, streamed.GetId()) << kind;
        EXPECT_EQ(1u, streamed.Entries()) << kind;
    }
}

