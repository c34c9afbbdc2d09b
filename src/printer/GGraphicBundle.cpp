#include "printer/GGraphicBundle.h"

#include "foundation/RWFactory.h"
#include "model/GGraphicAttribute.h"
#include "model/GStoredFields.h"

namespace {

const RWFactoryRegistration kRegistration(RWCreateInstance<GGraphicBundle>, GGraphicBundle::kClassId, "GGraphicBundle");

} // namespace

GGraphicBundle::GGraphicBundle() : GState(kGraphicStateId) {}
GGraphicBundle::GGraphicBundle(const long&) : GState(kGraphicStateId) {}
GGraphicBundle::GGraphicBundle(const GGraphicBundle& other) : GState(other) {}

GGraphicBundle& GGraphicBundle::operator=(const GGraphicBundle& other)
{
    GState::operator=(other);
    return *this;
}

GGraphicBundle::~GGraphicBundle() {}

GGraphicBundle* GGraphicBundle::CreateNew() const { return new GGraphicBundle; }
GGraphicBundle* GGraphicBundle::Copy() const { return new GGraphicBundle(*this); }
RWClassID GGraphicBundle::ClassId() const { return kClassId; }
uint32_t GGraphicBundle::BinaryStoreSize() const { return GState::BinaryStoreSize() + 4; }

// Nothing follows the version word: it is read back and not used. The stored id is not
// taken: a graphic bundle's id is always 244, whatever the data says.
void GGraphicBundle::RestoreGuts(RWDataInStream& stream)
{
    GState::RestoreGuts(stream);
    SetId(kGraphicStateId);
    GReadFields(stream);
}

void GGraphicBundle::RestoreGuts(RWBinaryFile& file)
{
    GState::RestoreGuts(file);
    SetId(kGraphicStateId);
    GReadFields(file);
}

void GGraphicBundle::SaveGuts(RWDataOutStream& stream) const
{
    GState::SaveGuts(stream);
    GWriteFields(stream);
}

void GGraphicBundle::SaveGuts(RWBinaryFile& file) const
{
    GState::SaveGuts(file);
    GWriteFields(file);
}

bool GGraphicBundle::IsKindOf(RWClassID classId) const { return classId == kClassId || GState::IsKindOf(classId); }

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
