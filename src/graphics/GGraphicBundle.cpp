#include "graphics/GGraphicBundle.h"

#include "model/GGraphicAttribute.h"

GGraphicBundle::GGraphicBundle() : GPersistent(kGraphicStateId) {}
GGraphicBundle::GGraphicBundle(const long&) : GPersistent(kGraphicStateId) {}
GGraphicBundle::GGraphicBundle(const GGraphicBundle& other) : GPersistent(other) {}

GGraphicBundle& GGraphicBundle::operator=(const GGraphicBundle& other)
{
    GState::operator=(other);
    return *this;
}

GGraphicBundle::~GGraphicBundle() {}

void GGraphicBundle::SetBrush(GGraphicAttribute* attribute) { SetSlot(kBrushId, attribute); }
void GGraphicBundle::SetCap(GGraphicAttribute* attribute) { SetSlot(kCapId, attribute); }
void GGraphicBundle::SetClip(GGraphicAttribute* attribute) { SetSlot(kClipId, attribute); }
void GGraphicBundle::SetFillMode(GGraphicAttribute* attribute) { SetSlot(kFillModeId, attribute); }
void GGraphicBundle::SetJoint(GGraphicAttribute* attribute) { SetSlot(kJointId, attribute); }
void GGraphicBundle::SetPen(GGraphicAttribute* attribute) { SetSlot(kPenId, attribute); }
void GGraphicBundle::SetRasterOperation(GGraphicAttribute* attribute) { SetSlot(kRasterOperationId, attribute); }

GObjectBase* GGraphicBundle::RemoveBrush() { return RemoveSlot(kBrushId); }
GObjectBase* GGraphicBundle::RemoveCap() { return RemoveSlot(kCapId); }
GObjectBase* GGraphicBundle::RemoveClip() { return RemoveSlot(kClipId); }
GObjectBase* GGraphicBundle::RemoveFillMode() { return RemoveSlot(kFillModeId); }
GObjectBase* GGraphicBundle::RemoveJoint() { return RemoveSlot(kJointId); }
GObjectBase* GGraphicBundle::RemovePen() { return RemoveSlot(kPenId); }
GObjectBase* GGraphicBundle::RemoveRasterOperation() { return RemoveSlot(kRasterOperationId); }

GAttribute* GGraphicBundle::GetBrush() const { return MemberWithId(kBrushId); }
GAttribute* GGraphicBundle::GetCap() const { return MemberWithId(kCapId); }
GAttribute* GGraphicBundle::GetClip() const { return MemberWithId(kClipId); }
GAttribute* GGraphicBundle::GetFillMode() const { return MemberWithId(kFillModeId); }
GAttribute* GGraphicBundle::GetJoint() const { return MemberWithId(kJointId); }
GAttribute* GGraphicBundle::GetPen() const { return MemberWithId(kPenId); }
GAttribute* GGraphicBundle::GetRasterOperation() const { return MemberWithId(kRasterOperationId); }

void GGraphicBundle::SetSlot(const long& slotId, GGraphicAttribute* attribute)
{
    if (!attribute)
        return;
    attribute->SetId(slotId);
    Add(attribute);
}

GObjectBase* GGraphicBundle::RemoveSlot(const long& slotId)
{
    GAttribute* member = MemberWithId(slotId);
    return member ? Remove(member) : nullptr;
}
