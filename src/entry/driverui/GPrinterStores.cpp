#include "entry/driverui/GPrinterStores.h"

#include "model/GAttributeComposite.h"
#include "model/GFeatureIds.h"
#include "printer/GDriverObject.h"
#include "printer/PrinterRecordScope.h"

#include <cstdio>

static_assert(GPrinterStores::kIds[0] == FeatureId::kExtensionData && GPrinterStores::kIds[1] == FeatureId::kPrinterLists &&
                  GPrinterStores::kIds[2] == FeatureId::kDeviceSettings,
              "the stores are written extension data first, device settings last");

// One store as the current call knows it: call 0 means not read in any call. The version
// is that of the printer's data it was read from (0: none known, not kept past the call).
struct GPrinterStores::Kept {
    uint32_t call = 0;
    uint64_t version = 0;
    State state = State::kAbsent;
    std::unique_ptr<GObjectBase> node;
};

namespace {

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
    if (call != 0 && kept.call == call)
        return kept;
    GOSFactory* services = GOSFactory::Instance();
    // A later call takes the store as an earlier one read it while the printer's data is
    // still the same.
    const uint64_t version = call != 0 && services ? services->PrinterDataVersion(&driver_) : 0;
    const bool same = version != 0 && kept.version == version && kept.call != 0;
    kept.call = call;
    if (same)
        return kept;
    kept.version = version;
    kept.node.reset();
    kept.state = State::kUnreadable;
    if (!services)
        return kept;
    GObjectBase* loaded = services->LoadStoredObject(&driver_, ValueName(kIds[index]), kept.state);
    if (loaded && !loaded->IsKindOf(GAttributeComposite::kClassId)) {
        // Read, but not a settings node: as good as none.
        GObjectBase::Drop(loaded);
        loaded = nullptr;
        kept.state = State::kAbsent;
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

void GPrinterStores::PutInto(GObjectBase* tree, GObjectBase* defaults)
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
        else if (kept.state == State::kAbsent && defaults)
            node = CopyOf(defaults->FindById(kIds[i])).release();
        if (node)
            tree->Add(node);
    }
}

int GPrinterStores::Save(const GObjectBase* node)
{
    const int index = node ? IndexOf(node->GetId()) : -1;
    if (index < 0)
        return 0;
    // Without the serial numbers of this process, equal settings store as equal bytes.
    std::unique_ptr<GObjectBase> stored(CopyOf(node));
    if (!stored)
        return 0;
    stored->ClearSerials();
    if (!driver_.SaveObject(ValueName(node->GetId()), stored.get()))
        return 0;
    // What the printer now holds is what the rest of the call reads, and what the bin,
    // paper and two-sided answers follow.
    Kept& kept = kept_[index];
    kept.call = PrinterRecordScope::CurrentCall();
    kept.version = 0;
    kept.state = State::kRead;
    kept.node = kept.call ? CopyOf(node) : nullptr;
    if (node->GetId() == FeatureId::kDeviceSettings)
        driver_.SetInstalledState(node->DeepCopy());
    return 1;
}

int GPrinterStores::Store(GObjectBase* const nodes[kCount])
{
    // A store that is there but does not read keeps its bytes, and the call learns that
    // nothing was stored: what it holds in that store's place came from elsewhere.
    for (int i = 0; i < kCount; ++i)
        if (Read(i).state == State::kUnreadable)
            return 0;
    int result = 1;
    for (int i = 0; i < kCount; ++i)
        if (nodes[i] && !Save(nodes[i]))
            result = 0;
    return result;
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
