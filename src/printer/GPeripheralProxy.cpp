#include "printer/GPeripheralProxy.h"

#include "foundation/RWErrorCapture.h"
#include "model/GTextConverter.h"
#include "model/GCommand.h"
#include "printer/GOSFactory.h"

namespace {

struct EntryNames {
    const wchar_t* create;
    const wchar_t* destroy;
};

// The entry names by kind.
const EntryNames kEntryNames[] = {
    {L"_C_GENERIC_ADDON", L"_D_GENERIC_ADDON"},
    {L"_C_PCLXL_ADDON", L"_D_PCLXL_ADDON"},
    {L"_C_PCL_ADDON", L"_D_PCL_ADDON"},
    {L"_C_PS_ADDON", L"_D_PS_ADDON"},
    {L"_C_PJL_ADDON", L"_D_PJL_ADDON"},
};

const EntryNames* NamesOf(int32_t kind)
{
    return kind >= 0 && size_t(kind) < sizeof kEntryNames / sizeof kEntryNames[0] ? &kEntryNames[kind] : nullptr;
}

RWCString Narrow(const RWWString& wide)
{
    RWCString narrow;
    ToNarrowString(wide, narrow);
    return narrow;
}

} // namespace

RWWString GPeripheralProxy::CreateEntryOf(int32_t kind)
{
    const EntryNames* names = NamesOf(kind);
    return names ? RWWString(names->create) : RWWString();
}

RWWString GPeripheralProxy::DestroyEntryOf(int32_t kind)
{
    const EntryNames* names = NamesOf(kind);
    return names ? RWWString(names->destroy) : RWWString();
}

GPeripheralProxy::GPeripheralProxy() : kind_(6), mode_(kNever), made_(false), asked_(false), refused_(false)
{
    library_.MarkEmbedded();
}

GPeripheralProxy::GPeripheralProxy(GPeripheral* addOn)
    : addOn_(addOn), kind_(6), mode_(kNever), made_(false), asked_(false), refused_(false)
{
    library_.MarkEmbedded();
}

GPeripheralProxy::GPeripheralProxy(const RWWString& libraryPath, int32_t kind, int32_t mode)
    : createEntry_(CreateEntryOf(kind)), destroyEntry_(DestroyEntryOf(kind)), kind_(kind), mode_(mode),
      library_(libraryPath), made_(false), asked_(false), refused_(false)
{
    library_.MarkEmbedded();
    if (mode_ == kKept)
        HoldCreated();
}

GPeripheralProxy::GPeripheralProxy(const GPeripheralProxy& other)
    : GPersistent(other), addOn_(other.addOn_), createEntry_(other.createEntry_),
      destroyEntry_(other.destroyEntry_), kind_(other.kind_), mode_(other.mode_), library_(other.library_),
      made_(other.made_), asked_(other.asked_), refused_(other.refused_)
{
    library_.MarkEmbedded();
}

GPeripheralProxy::~GPeripheralProxy() { DestroyAddOn(); }

bool GPeripheralProxy::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GPeripheralProxy* proxy = GSameClass<GPeripheralProxy>(this, other);
    return proxy && GPeripheral::IsSame(proxy) && library_.IsSame(&proxy->library_) &&
           createEntry_.Length() == proxy->createEntry_.Length() && createEntry_.CompareTo(proxy->createEntry_) == 0 &&
           destroyEntry_.Length() == proxy->destroyEntry_.Length() &&
           destroyEntry_.CompareTo(proxy->destroyEntry_) == 0 && kind_ == proxy->kind_ && mode_ == proxy->mode_ &&
           addOn_.Get() == proxy->addOn_.Get();
}

GPeripheral* GPeripheralProxy::CreateAddOn()
{
    GOSFactory* services = GOSFactory::Instance();
    if (!library_.IsLoaded() && !(services && services->IsTrustedLibraryPath(library_.GetPath()))) {
        refused_ = true;
        return nullptr;
    }
    if (!library_.Load())
        return nullptr;
    const int32_t made = library_.Call(Narrow(createEntry_).Data(), 0, 0);
    return reinterpret_cast<GPeripheral*>(intptr_t(made));
}

void GPeripheralProxy::HoldCreated()
{
    asked_ = true;
    addOn_.Set(CreateAddOn());
    made_ = !addOn_.IsNull();
}

// A made add-on that other proxies (copies of this one) still share goes back to the
// destroy entry from the last of them; this one only lets go of its reference. Without
// a destroy entry the add-on is released here.
void GPeripheralProxy::DestroyAddOn()
{
    if (addOn_.IsNull())
        return;
    const RWCString entry = Narrow(destroyEntry_);
    const bool made = made_;
    made_ = false;
    GObjectBase* addOn = addOn_.Detach();
    if (made && addOn->References() == 0 && library_.HasExport(entry.Data())) {
        addOn->RemoveReference();
        library_.Call(entry.Data(), int32_t(intptr_t(addOn)));
    } else {
        GObjectBase::Release(addOn);
    }
    library_.Unload();
}

GCommand* GPeripheralProxy::ReceiveCommand(GCommand* command)
{
    if (HasAddOn() && library_.IsLoaded())
        return GetAddOn()->ReceiveCommand(command);
    if (mode_ == kKept && !asked_) {
        HoldCreated();
        return HasAddOn() && library_.IsLoaded() ? GetAddOn()->ReceiveCommand(command) : command;
    }
    if (mode_ != kPerCommand)
        return command;
    DestroyAddOn();
    HoldCreated();
    if (HasAddOn() && library_.IsLoaded())
        command = GetAddOn()->ReceiveCommand(command);
    DestroyAddOn();
    return command;
}

// A restore loads nothing: a kept add-on is made on first use, from a trusted path only.
// The stored add-on reference is read and dropped, so that only what a create entry
// made ever reaches the destroy entry. The stored add-on may be of a class this module
// does not know: its read fails under a capture of its own instead of reaching the
// error handler.
template <class In>
bool GPeripheralProxy::ReadStored(In& in)
{
    DestroyAddOn();
    auto library = GEmbedded(library_);
    if (!GFormRead(in, library))
        return false;
    RWWString create;
    RWWString destroy;
    int32_t mode = 0;
    int32_t kind = 0;
    if (!GReadField(in, create) || !GReadField(in, destroy) || !GReadField(in, mode) || !GReadField(in, kind))
        return false;
    createEntry_ = create;
    destroyEntry_ = destroy;
    mode_ = mode;
    kind_ = kind;
    asked_ = false;
    refused_ = false;
    GCountedRef stored;
    {
        RWErrorCapture capture;
        if (!GFormRead(in, stored))
            return false;
    }
    return true;
}

template <class Out>
void GPeripheralProxy::WriteStored(Out& out) const
{
    GFormWrite(out, GEmbedded(const_cast<GDynamicLibrary&>(library_)));
    GWriteField(out, createEntry_);
    GWriteField(out, destroyEntry_);
    GWriteField(out, mode_);
    GWriteField(out, kind_);
    GFormWrite(out, addOn_);
}

uint32_t GPeripheralProxy::StoredSize() const
{
    return library_.RecursiveStoreSize() + GFieldSize(createEntry_) + GFieldSize(destroyEntry_) + 8 +
           GFieldSize(addOn_);
}

template bool GPeripheralProxy::ReadStored(RWBinaryFile&);
template bool GPeripheralProxy::ReadStored(RWDataInStream&);
template void GPeripheralProxy::WriteStored(RWBinaryFile&) const;
template void GPeripheralProxy::WriteStored(RWDataOutStream&) const;
