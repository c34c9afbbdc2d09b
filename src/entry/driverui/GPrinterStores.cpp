#include "entry/driverui/GPrinterStores.h"

#include "model/GAttributeComposite.h"
#include "model/GFeatureIds.h"
#include "printer/GDriverObject.h"
#include "printer/GPrinterSnapshot.h"
#include "printer/PrinterRecordScope.h"

#include <cstdio>
#include <vector>

static_assert(GPrinterStores::kIds[0] == FeatureId::kExtensionData && GPrinterStores::kIds[1] == FeatureId::kPrinterLists &&
                  GPrinterStores::kIds[2] == FeatureId::kDeviceSettings,
              "the stores are written extension data first, device settings last");

// One store as the current call knows it: call 0 means not read in any call. The source
// is the printer's data as it was read or written (unknown: not kept past the call).
struct GPrinterStores::Kept {
    uint32_t call = 0;
    GSourceStamp source;
    State state = State::kAbsent;
    std::unique_ptr<GObjectBase> node;
};

namespace {

// A store's bytes longer than this are not a store's: they are not kept to be put back.
const uint32_t kLargestStore = 1u << 20;
const uint32_t kFirstReadSize = 4096;
// The value read in the form an older version of the driver stored it.
const int kOlderForm = 3;

RWWString ValueName(long id)
{
    char text[100];
    std::snprintf(text, sizeof text, "%ld", id);
    return RWWString(text);
}

std::unique_ptr<GObjectBase> CopyOf(const GObjectBase* node)
{
    return std::unique_ptr<GObjectBase>(node ? node->DeepCopy() : nullptr);
}

} // namespace

GPrinterStores::GPrinterStores(GDriverObject& driver) : driver_(driver), kept_(new Kept[kCount]) {}

GPrinterStores::~GPrinterStores() = default;

bool GPrinterStores::IsStoreId(long id)
{
    for (long store : kIds)
        if (store == id)
            return true;
    return false;
}

int GPrinterStores::IndexOf(long id) const
{
    for (int i = 0; i < kCount; ++i)
        if (kIds[i] == id)
            return i;
    return -1;
}

GPrinterStores::Kept& GPrinterStores::Read(int index)
{
    Kept& kept = kept_[index];
    // Outside an entry call nothing is kept: the printer's data may change between calls.
    const uint32_t call = PrinterRecordScope::CurrentCall();
    GOSFactory* services = GOSFactory::Instance();
    const GSourceStamp now = call != 0 ? GPrinterSnapshot::PrinterData(driver_) : GSourceStamp();
    // The call takes the store as it read or wrote it while the printer's data is at the
    // version it had then (a write through the services moves it); a later call takes it
    // only under a version known to be the same.
    const bool same = call != 0 && kept.call != 0 &&
                      (kept.call == call ? kept.source.Version() == now.Version() : kept.source.Answers(now));
    kept.call = call;
    if (same)
        return kept;
    kept.source = now;
    kept.node.reset();
    kept.state = State::kUnreadable;
    if (!services)
        return kept;
    GObjectBase* loaded = services->LoadStoredObject(&driver_, ValueName(kIds[index]), kept.state);
    if (loaded && !loaded->IsKindOf(GAttributeComposite::kClassId)) {
        // Read, but not a settings node (a newer version's, say): what the printer holds
        // is not understood here, and is kept as it is.
        GObjectBase::Drop(loaded);
        loaded = nullptr;
        kept.state = State::kUnreadable;
    }
    kept.node.reset(loaded);
    return kept;
}

GPrinterStores::State GPrinterStores::StateOf(long id)
{
    const int index = IndexOf(id);
    return index < 0 ? State::kAbsent : Read(index).state;
}

bool GPrinterStores::AnyAbsent()
{
    for (int i = 0; i < kCount; ++i)
        if (Read(i).state == State::kAbsent)
            return true;
    return false;
}

bool GPrinterStores::Storable()
{
    for (int i = 0; i < kCount; ++i)
        if (Read(i).state == State::kUnreadable)
            return false;
    return true;
}

GObjectBase* GPrinterStores::Load(long id)
{
    const int index = IndexOf(id);
    return index < 0 ? nullptr : Take(Read(index));
}

GObjectBase* GPrinterStores::Take(Kept& kept)
{
    // Kept for the call: a copy; read outside a call: the node itself.
    return kept.call ? CopyOf(kept.node.get()).release() : kept.node.release();
}

void GPrinterStores::PutInto(GObjectBase* tree, GObjectBase* defaults, bool standIns)
{
    if (!tree)
        return;
    for (long id : kIds)
        while (GObjectBase* removed = tree->RemoveById(id))
            delete removed;
    for (int i = 0; i < kCount; ++i) {
        Kept& kept = Read(i);
        GObjectBase* node = nullptr;
        if (kept.state == State::kRead)
            node = Take(kept);
        else if ((kept.state == State::kAbsent || standIns) && defaults)
            node = CopyOf(defaults->FindById(kIds[i])).release();
        if (node)
            tree->Add(node);
    }
}

int GPrinterStores::Save(const GObjectBase* node)
{
    const int index = node ? IndexOf(node->GetId()) : -1;
    if (index < 0 || Read(index).state == State::kUnreadable)
        return 0;
    return Write(index, node);
}

int GPrinterStores::Write(int index, const GObjectBase* node)
{
    // Without the serial numbers of this process, equal settings store as equal bytes.
    std::unique_ptr<GObjectBase> stored(CopyOf(node));
    if (!stored)
        return 0;
    stored->ClearSerials();
    if (!driver_.SaveObject(ValueName(kIds[index]), stored.get()))
        return 0;
    // What the printer now holds is what the rest of the call reads, and what the bin,
    // paper and two-sided answers follow.
    Kept& kept = kept_[index];
    kept.call = PrinterRecordScope::CurrentCall();
    kept.source = kept.call ? GPrinterSnapshot::PrinterData(driver_) : GSourceStamp();
    kept.state = State::kRead;
    kept.node = kept.call ? CopyOf(node) : nullptr;
    if (kIds[index] == FeatureId::kDeviceSettings)
        driver_.SetInstalledState(node->DeepCopy());
    return 1;
}

bool GPrinterStores::ReadBytes(int index, std::vector<uint8_t>& bytes)
{
    GOSFactory* services = GOSFactory::Instance();
    if (!services)
        return false;
    const RWWString name = ValueName(kIds[index]);
    std::vector<uint8_t> room(kFirstReadSize);
    uint32_t length = 0;
    int read = services->GetPrinterDataBinary(&driver_, name, room.data(), uint32_t(room.size()), length);
    if (read != 1 && length > room.size()) {
        // The length is the printer's: bounded before it sizes the buffer.
        if (length > kLargestStore)
            return false;
        room.resize(length);
        read = services->GetPrinterDataBinary(&driver_, name, room.data(), uint32_t(room.size()), length);
    }
    if (read != 1 || length > room.size())
        return false;
    room.resize(length);
    bytes.swap(room);
    return true;
}

void GPrinterStores::PutBack(int index, bool had, const std::vector<uint8_t>& bytes)
{
    GOSFactory* services = GOSFactory::Instance();
    if (!services)
        return;
    const RWWString name = ValueName(kIds[index]);
    if (had)
        services->SetPrinterDataBinary(&driver_, name, bytes.data(), uint32_t(bytes.size()));
    else
        services->DeletePrinterDriverDataValue(&driver_, name);
    // The store is read afresh by whoever asks next.
    kept_[index].call = 0;
    kept_[index].node.reset();
}

int GPrinterStores::Store(GObjectBase* const nodes[kCount])
{
    // A store that is there but does not read keeps its bytes, and the call learns that
    // nothing was stored: what it holds in that store's place came from elsewhere.
    if (!Storable())
        return 0;
    // What each store to be written holds now, to be put back should a later write
    // fail: the caller then learns that nothing was stored, and nothing was.
    struct Before {
        bool had = false;
        std::vector<uint8_t> bytes;
    } before[kCount];
    for (int i = 0; i < kCount; ++i) {
        if (!nodes[i])
            continue;
        before[i].had = Read(i).state == State::kRead;
        if (before[i].had && !ReadBytes(i, before[i].bytes))
            return 0;
    }
    for (int i = 0; i < kCount; ++i) {
        if (!nodes[i] || Write(i, nodes[i]))
            continue;
        for (int j = 0; j < i; ++j)
            if (nodes[j])
                PutBack(j, before[j].had, before[j].bytes);
        return 0;
    }
    return 1;
}
void GPrinterStores::StoreMissing(GObjectBase* defaults)
{
    if (!defaults)
        return;
    for (int i = 0; i < kCount; ++i)
        if (Read(i).state == State::kAbsent)
            if (const GObjectBase* node = defaults->FindById(kIds[i]))
                Save(node);
}

int GPrinterStores::Upgrade(long id)
{
    const int index = IndexOf(id);
    GOSFactory* services = GOSFactory::Instance();
    if (index < 0 || !services)
        return 0;
    std::unique_ptr<GObjectBase> node(services->LoadObjectFromPrinterData(&driver_, ValueName(id), kOlderForm));
    // A store that reads in the current form is kept as it is.
    if (!node)
        return Read(index).state == State::kRead ? 1 : 0;
    // Only a settings node of the store's id is one this version may write again.
    if (!node->IsKindOf(GAttributeComposite::kClassId) || node->GetId() != id)
        return 0;
    std::unique_ptr<GObjectBase> current(driver_.ToCurrentStoredForm(node.release()));
    if (!current || !current->IsKindOf(GAttributeComposite::kClassId))
        return 0;
    return Write(index, current.get());
}
