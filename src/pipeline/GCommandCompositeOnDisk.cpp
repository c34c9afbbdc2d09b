#include "pipeline/GCommandCompositeOnDisk.h"

#include "graphics/GFontDatabase.h"
#include "model/GObjectIterator.h"
#include "model/GStringAttribute.h"
#include "model/GTextConverter.h"
#include "pipeline/GCommandIterator.h"
#include "pipeline/GCommandProducer.h"
#include "pipeline/GPageFilterLock.h"
#include "printer/GDriverObject.h"
#include "printer/GDriverServer.h"
#include "model/GState.h"

#include <cstdlib>
#include <new>

namespace {

// The inner layer of a page's iterator: it hands every operation to the member store's
// own iterator. Deleting it closes the page's store, which writes the index back into
// the file.
class PageMembers : public GObjectIterator {
public:
    PageMembers(MPersistentCompositeOnDisk& store, GObjectIterator* members) : store_(store), members_(members) {}
    ~PageMembers() override
    {
        delete members_;
        store_.Close();
    }
    PageMembers(const PageMembers&) = delete;
    PageMembers& operator=(const PageMembers&) = delete;

    GObjectBase* Current() override { return members_->Current(); }
    void ReplaceCurrent(GObjectBase* object) override { members_->ReplaceCurrent(object); }
    int Next() override { return members_->Next(); }
    void Reset() override { members_->Reset(); }
    GCountedRef CurrentRef() override { return members_->CurrentRef(); }
    void RemoveCurrent() override { members_->RemoveCurrent(); }
    void ReplaceCurrentRef(const GCountedRef& object) override { members_->ReplaceCurrentRef(object); }
    int Previous() override { return members_->Previous(); }

private:
    MPersistentCompositeOnDisk& store_;
    GObjectIterator* members_;
};

// The text of the state's string attribute with the id; null when there is none or it
// is empty.
const RWCString* Text(GState& state, long id)
{
    const GStringAttribute* attribute = dynamic_cast<const GStringAttribute*>(state.FindById(id));
    return attribute && !attribute->GetString().IsNull() ? &attribute->GetString() : nullptr;
}

// A producer key written as hexadecimal text; false for anything else.
bool ParseKey(const RWCString& text, uint32_t& key)
{
    char* end = nullptr;
    const unsigned long value = std::strtoul(text.Data(), &end, 16);
    if (end != text.Data() + text.Length() || text.Length() > 8)
        return false;
    key = static_cast<uint32_t>(value);
    return true;
}

} // namespace

GCommandCompositeOnDisk::GCommandCompositeOnDisk() { store_.MarkEmbedded(); }

GCommandCompositeOnDisk::GCommandCompositeOnDisk(const RWWString& name, uint32_t deleteFlag, const long& id)
    : GPersistent(id), store_(name, deleteFlag, id)
{
    store_.MarkEmbedded();
}

GCommandCompositeOnDisk::GCommandCompositeOnDisk(const RWWString& name, GState* state, uint32_t deleteFlag,
                                                 const long& id)
    : GPersistent(state, id), store_(name, deleteFlag, id)
{
    store_.MarkEmbedded();
}

GCommandCompositeOnDisk::GCommandCompositeOnDisk(const GCommandCompositeOnDisk& other)
    : GPersistent(other), store_(other.store_)
{
    store_.MarkEmbedded();
}

GCommandCompositeOnDisk& GCommandCompositeOnDisk::operator=(const GCommandCompositeOnDisk& other)
{
    if (this != &other) {
        GCommand::operator=(other);
        store_ = other.store_;
    }
    return *this;
}

GCommandCompositeOnDisk::~GCommandCompositeOnDisk() {}

bool GCommandCompositeOnDisk::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GCommandCompositeOnDisk* page = GSameClass<GCommandCompositeOnDisk>(this, other);
    return page && LikeCommandPart(*page) && store_.IsSame(&page->store_);
}

void GCommandCompositeOnDisk::PeekState(GCountedRef& state) { state = store_.FindPtrById(kStoredStateId); }

void GCommandCompositeOnDisk::AddRecord(GObjectBase* object)
{
    if (object && object->IsKindOf(GCommand::kClassId))
        store_.AddRecord(object);
    else
        Drop(object);
}

GCountedRef GCommandCompositeOnDisk::FindRecordSame(const GObjectBase* object) { return store_.FindRecordSame(object); }
GCountedRef GCommandCompositeOnDisk::FindRecordById(const long& id) { return store_.FindRecordById(id); }
GCountedRef GCommandCompositeOnDisk::FindRecordByClassId(const RWClassID& classId)
{
    return store_.FindRecordByClassId(classId);
}
int GCommandCompositeOnDisk::ReplaceRecordById(const long& id, const GObjectBase* newObject)
{
    return store_.ReplaceRecordById(id, newObject);
}
int GCommandCompositeOnDisk::ReplaceRecordByClassId(const RWClassID& classId, const GObjectBase* newObject)
{
    return store_.ReplaceRecordByClassId(classId, newObject);
}
int GCommandCompositeOnDisk::ReplaceRecordSame(const GObjectBase* object, const GObjectBase* newObject)
{
    return store_.ReplaceRecordSame(object, newObject);
}
GCountedRef GCommandCompositeOnDisk::FindPtrById(const long& id) { return store_.FindPtrById(id); }
GCountedRef GCommandCompositeOnDisk::FindPtrByClassId(const RWClassID& classId)
{
    return store_.FindPtrByClassId(classId);
}
GCountedRef GCommandCompositeOnDisk::FindPtrSame(const GObjectBase* object) { return store_.FindPtrSame(object); }

// The state goes in through the store itself: the page's own AddRecord takes commands only.
void GCommandCompositeOnDisk::SetState(const GCountedRef& state)
{
    GObjectBase* object = state.Get();
    if (object && !object->IsKindOf(GState::kClassId))
        return;
    store_.FindRecordById(kStoredStateId);
    if (!object)
        return;
    object->SetId(kStoredStateId);
    store_.AddRecord(object);
}

void GCommandCompositeOnDisk::GetState(GCountedRef& state) { state = store_.FindRecordById(kStoredStateId); }

int16_t GCommandCompositeOnDisk::Execute(GCommandHandler&) { return 0; }

GObjectIterator* GCommandCompositeOnDisk::CreateIterator()
{
    ReloadFonts();
    GObjectIterator* members = store_.CreateIterator();
    store_.Open();
    if (!members)
        return nullptr;
    PageMembers* inner = new (std::nothrow) PageMembers(store_, members);
    if (!inner) {
        delete members;
        return nullptr;
    }
    GCommandIterator* page = new (std::nothrow) GCommandIterator(inner);
    if (!page)
        delete inner;
    return page;
}

void GCommandCompositeOnDisk::ReloadFonts()
{
    // A page read from bytes has no file of the module's: it names no font file either.
    if (store_.IsFromBytes())
        return;
    GState* state = GCommand::GetState();
    const RWCString* file = state ? Text(*state, kFontFileId) : nullptr;
    const RWCString* keyText = state ? Text(*state, kProducerKeyId) : nullptr;
    uint32_t key = 0;
    if (!file || !keyText || !ParseKey(*keyText, key))
        return;
    GDriverServer* server = GDriverServer::Instance();
    GCommandProducer* producer = server ? dynamic_cast<GCommandProducer*>(server->Find(key)) : nullptr;
    GFontDatabase* fonts = producer ? producer->GetFontPool() : nullptr;
    if (!fonts)
        return;
    RWWString name;
    ToWideString(*file, name);
    GPageFilterGuard guard;
    fonts->LoadFromFile(name);
}
