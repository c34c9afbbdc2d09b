#include "graphics/GFontList.h"

#include "foundation/RWErrorHandler.h"
#include "foundation/RWReadTable.h"
#include "model/GStoredCounts.h"
#include "model/GStoredFields.h"

namespace {

// The least a pair can take: its key and the nil object.
const uint32_t kMinPairBytes = 4 + 6;

bool IsModelObject(const RWCollectable* object) { return dynamic_cast<const GObjectBase*>(object) != nullptr; }

bool Stopped(RWDataInStream& in) { return !in.Good(); }
bool Stopped(RWBinaryFile& in) { return in.Eof() || in.Error(); }
bool Failed(RWDataOutStream& out) { return !out.Good(); }
bool Failed(RWBinaryFile& out) { return out.Error(); }

} // namespace

GFontList::GFontList(GFontListMessage message, RWClassID kind, RWCollectable::KindTest accept)
    : message_(message), kind_(kind), accept_(accept)
{
}

GFontList::~GFontList() { Clear(); }

int GFontList::Add(uint32_t key, GObjectBase* object)
{
    if (!object || objects_.count(key))
        return 0;
    objects_[key] = object;
    return 1;
}

GObjectBase* GFontList::Find(uint32_t key) const
{
    auto at = objects_.find(key);
    return at == objects_.end() ? nullptr : at->second;
}

GObjectBase* GFontList::Take(uint32_t key)
{
    auto at = objects_.find(key);
    if (at == objects_.end())
        return nullptr;
    GObjectBase* object = at->second;
    objects_.erase(at);
    return object;
}

void GFontList::GetKeys(std::vector<uint32_t>& keys) const
{
    keys.clear();
    for (const auto& entry : objects_)
        keys.push_back(entry.first);
}

void GFontList::Visit()
{
    for (auto at = objects_.begin(); at != objects_.end();) {
        if (Send(at->second, kFontListWriteOrRelease) == 1) {
            GObjectBase* object = at->second;
            at = objects_.erase(at);
            delete object;
        } else {
            ++at;
        }
    }
}

void GFontList::Clear()
{
    std::map<uint32_t, GObjectBase*> objects;
    objects.swap(objects_);
    for (auto& entry : objects)
        delete entry.second;
}

template <class Out>
void GFontList::WriteTo(Out& out, GFontListMessage message, uintptr_t argument)
{
    auto send = [&](GObjectBase* object, GFontListMessageCode m) { return message ? message(object, m, argument) : 1; };
    uint32_t count = 0;
    for (auto& entry : objects_)
        count += send(entry.second, kFontListCount) == 1;
    GWriteField(out, count);
    for (auto& entry : objects_) {
        if (send(entry.second, kFontListWriteOrRelease) != 1)
            continue;
        GWriteField(out, entry.first);
        out << static_cast<const RWCollectable*>(entry.second);
        send(entry.second, kFontListWritten);
        if (Failed(out))
            break;
    }
}

void GFontList::Write(RWDataOutStream& out, GFontListMessage message, uintptr_t argument)
{
    WriteTo(out, message, argument);
}

void GFontList::Write(RWBinaryFile& out, GFontListMessage message, uintptr_t argument)
{
    WriteTo(out, message, argument);
}

void GFontList::Insert(uint32_t key, GObjectBase* object)
{
    auto at = objects_.find(key);
    if (at == objects_.end()) {
        objects_[key] = object;
        Send(object, kFontListInserted);
        return;
    }
    if (!message_ || Send(object, kFontListReplace, reinterpret_cast<uintptr_t>(at->second)) == 1) {
        delete at->second;
        at->second = object;
    } else {
        delete object;
    }
}

template <class In>
bool GFontList::ReadFrom(In& in)
{
    uint32_t count = 0;
    if (!GReadField(in, count) || !GCheckStoredCount(in, count, kMinPairBytes))
        return false;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t key = 0;
        if (!GReadField(in, key))
            return false;
        // The list owns what it keeps: only a new object of the kind, never one that a
        // back-reference names (its owner is elsewhere in the data).
        const RWReadTable* table = RWReadTable::Current();
        const uint32_t number = table ? table->Entries() : 1;
        const uint32_t raised = RWErrorsRaised();
        RWCollectable* read = RWCollectable::RestoreKindOf(in, accept_ ? accept_ : IsModelObject, kind_, RWHolding::Owned);
        // A refusal leaves the object's bytes unread: nothing after it is in step.
        if (!read && RWErrorsRaised() != raised)
            return false;
        RWCollectable* entry = nullptr;
        const bool fresh = read && (!table || (table->ObjectAt(number, entry) && entry == read));
        GObjectBase* object = static_cast<GObjectBase*>(read);
        // Data that ended inside the object leaves one that is not the one stored.
        if (fresh && Stopped(in)) {
            delete object;
            return false;
        }
        if (!fresh || !object->IsKindOf(kind_)) {
            if (fresh)
                delete object;
            if (Stopped(in) || (read && !fresh))
                return false;
            continue;
        }
        Insert(key, object);
    }
    return true;
}

bool GFontList::Read(RWDataInStream& in) { return ReadFrom(in); }
bool GFontList::Read(RWBinaryFile& in) { return ReadFrom(in); }
