#include "model/GRecordComposite.h"

#include "foundation/RWFactory.h"
#include "model/GObjectBase.h"
#include "model/GStoredCounts.h"
#include "model/GStoredFields.h"
#include "model/MPersistentCompositeOnDiskImp.h"

namespace {

RWCollectable* CreateComposite() { return new GRecordComposite; }
const RWFactoryRegistration g_registration(&CreateComposite, GRecordComposite::kClassId, "GRecordComposite",
                                           &RWKindOfClass<GRecordComposite>);

// The least a stored object reference can take.
const uint32_t kMinReference = 2;

} // namespace

GRecordComposite::GRecordComposite() {}

GRecordComposite::GRecordComposite(const GObjectBase& object) : GRecord(object) {}

RWClassID GRecordComposite::ClassId() const { return kClassId; }

uint32_t GRecordComposite::BinaryStoreSize() const
{
    uint32_t size = GRecord::BinaryStoreSize() + 8;
    for (const GRecordRef& member : members_)
        size += member->RecursiveStoreSize();
    return size;
}

// Members are read only while the data can hold them, and only records are kept: a
// damaged index can neither make the reader allocate for a count it cannot supply nor
// smuggle other objects into the store.
template <class In>
void GRecordComposite::ReadFields(In& in)
{
    members_.clear();
    uint32_t version = 0;
    uint32_t count = 0;
    if (!GReadField(in, version) || version != kGStoredVersion || !GReadField(in, count) ||
        !GCheckStoredCount(in, count, kMinReference))
        return;
    for (uint32_t i = 0; i < count && !GObjectBase::RestoreStopped(in); ++i) {
        RWCollectable* read =
            RWCollectable::RestoreKindOf(in, GIsHoldableRecord, GRecord::kClassId, RWHolding::Counted);
        if (GRecord* record = dynamic_cast<GRecord*>(read))
            members_.emplace_back(record);
    }
}

template <class Out>
void GRecordComposite::WriteFields(Out& out) const
{
    GWriteField(out, kGStoredVersion);
    GWriteField(out, uint32_t(members_.size()));
    for (const GRecordRef& member : members_)
        out << static_cast<const RWCollectable*>(member.Get());
}

void GRecordComposite::RestoreGuts(RWDataInStream& stream)
{
    GRecord::RestoreGuts(stream);
    ReadFields(stream);
}

void GRecordComposite::RestoreGuts(RWBinaryFile& file)
{
    GRecord::RestoreGuts(file);
    ReadFields(file);
}

void GRecordComposite::SaveGuts(RWDataOutStream& stream) const
{
    GRecord::SaveGuts(stream);
    WriteFields(stream);
}

void GRecordComposite::SaveGuts(RWBinaryFile& file) const
{
    GRecord::SaveGuts(file);
    WriteFields(file);
}

void GRecordComposite::AddMember(GRecord* record)
{
    if (record)
        members_.emplace_back(record);
}

void GRecordComposite::RemoveMemberAt(uint32_t index)
{
    if (index < members_.size())
        members_.erase(members_.begin() + index);
}

uint32_t GRecordComposite::LeafCount() const
{
    uint32_t count = 0;
    for (const GRecordRef& member : members_)
        count += member->LeafCount();
    return count;
}

GCountedRef GRecordComposite::SearchBelow(const GRecordKey& key, bool take, MPersistentCompositeOnDiskImp& store)
{
    for (uint32_t i = 0; i < members_.size(); ++i) {
        // Held, so that a forwarded search that changes this list cannot free it.
        const GRecordRef member = members_[i];
        if (key.Matches(*member.Get())) {
            GCountedRef found = store.ReadObject(*member.Get(), take);
            if (found) {
                if (take && i < members_.size() && members_[i].Get() == member.Get())
                    RemoveMemberAt(i);
                return found;
            }
        }
        GCountedRef found = member->SearchBelow(key, take, store);
        if (found)
            return found;
    }
    return GCountedRef();
}

int GRecordComposite::Replace(const GRecordKey& key, const GObjectBase* newObject, MPersistentCompositeOnDiskImp& store)
{
    for (uint32_t i = 0; i < members_.size(); ++i) {
        const GRecordRef member = members_[i];
        if (key.Matches(*member.Get())) {
            // The new record takes the old one's place; when the write made none, the
            // list stays as it was.
            GRecordRef made;
            if (store.ReplaceObject(*member.Get(), newObject, made)) {
                if (i < members_.size() && members_[i].Get() == member.Get())
                    members_[i] = made;
                return 1;
            }
        }
        if (member->Replace(key, newObject, store))
            return 1;
    }
    return 0;
}
