#include "printer/GDriverServer.h"

#include "printer/PrinterIdentity.h"
#include "foundation/RWForeignRead.h"
#include "graphics/GFontOwner.h"
#include "model/GResourceMappingList.h"
#include "model/GStreamHolder.h"
#include "model/GCriticalError.h"
#include "printer/GDriverObject.h"
#include "model/GLock.h"
#include "printer/GOSFactory.h"
#include "printer/GPeripheral.h"
#include "printer/GPrinterSnapshot.h"

#include <algorithm>
#include <memory>
#include <new>

struct GDriverServer::Entry {
    uint32_t ticket;
    GDriverObject* object;
    Entry* next;
};

namespace {

std::atomic<GDriverServer*> g_instance{nullptr};
std::atomic<void (*)()> g_fontFileCloser{nullptr};

// A restored font reference finds the job that owns its font among the server's
// driver objects, by the key it was saved under.
GFontOwner* FindFontOwner(uint32_t key)
{
    GDriverServer* server = g_instance.load();
    return server ? dynamic_cast<GFontOwner*>(server->Find(key)) : nullptr;
}

const bool g_fontOwnerFinder = (GFontOwner::SetFinder(&FindFontOwner), true);

// Deletes the registered server once, at module unload.
struct InstanceOwner {
    ~InstanceOwner() { delete g_instance.load(); }
} g_owner;

const char kSource[] = "drvrsrvr";
const uint32_t kBuckets = 64;
// Spares per table: twice the processors, so that every thread of a busy host finds one,
// within these bounds.
const uint32_t kFewestSpares = 2;
const uint32_t kMostSpares = 128;

uint32_t SpareBoundFor(GOSFactory* services)
{
    const uint32_t processors = std::min(services ? services->ProcessorCount() : 1u, kMostSpares / 2);
    return std::max(2 * processors, kFewestSpares);
}

// Root members of the driver's data file.
const long kPrinterId = 353;
const long kIdPoolId = 191;
const long kSubObject3Id = 84;
const long kIdMapId = 194;

// One locked section of a table; the line numbers are those its failures report.
class TableGuard {
public:
    TableGuard(GLock* lock, int32_t acquireLine, int32_t releaseLine) : lock_(lock), releaseLine_(releaseLine)
    {
        if (lock_ && lock_->Acquire() != 0)
            ReportCriticalError(2, 301, kSource, acquireLine, "");
    }
    ~TableGuard()
    {
        if (lock_ && lock_->Release() == -2)
            ReportCriticalError(2, 302, kSource, releaseLine_, "");
    }
    TableGuard(const TableGuard&) = delete;
    TableGuard& operator=(const TableGuard&) = delete;

private:
    GLock* lock_;
    int32_t releaseLine_;
};

void HookBeginShutdown()
{
    if (GDriverServer* server = g_instance.load())
        server->BeginShutdown();
}

int HookFreeMemory()
{
    GDriverServer* server = g_instance.load();
    return server ? server->FreeMemory() : 0;
}

// Takes a root member out; false when it is there but not of the expected kind.
template <class T>
bool TakeMember(GObjectBase& root, long id, RWClassID kind, std::unique_ptr<T>& out)
{
    std::unique_ptr<GObjectBase> member(root.RemoveById(id));
    if (!member)
        return true;
    T* typed = member->IsKindOf(kind) ? dynamic_cast<T*>(member.get()) : nullptr;
    if (!typed)
        return false;
    member.release();
    out.reset(typed);
    return true;
}

} // namespace

bool LoadDriverModel(GDriverObject& object)
{
    GOSFactory* services = GOSFactory::Instance();
    if (!services)
        return false;
    RWWString path;
    services->GetDriverDataFile(path, &object);
    if (path.IsNull())
        return false;
    // Taken before the read: a file that changes while it is read is read again by the
    // next call, which sees another stamp.
    const GSourceStamp source = GPrinterSnapshot::File(path);
    // A damaged file is a failed load, never a fatal error: the capture is open before
    // the holder checks the stream's header.
    std::unique_ptr<GObjectBase> root(RWForeignRead::Make<GObjectBase>([&]() -> GObjectBase* {
        std::shared_ptr<const void> bytes;
        std::unique_ptr<GInStreamHolder> holder(services->OpenDriverDataStream(path, bytes));
        RWDataInStream* stream = holder ? holder->GetStream() : nullptr;
        if (!stream || !stream->Good())
            return nullptr;
        GObjectBase* read = nullptr;
        *stream >> read;
        std::unique_ptr<GObjectBase> made(read);
        return stream->Fail() ? nullptr : made.release();
    }));
    if (!root)
        return false;

    std::unique_ptr<GObjectBase> printer;
    std::unique_ptr<GResourceMappingList> idPool, subObject3, idMap;
    if (!TakeMember(*root, kPrinterId, GPeripheral::kClassId, printer) || !printer ||
        !TakeMember(*root, kIdPoolId, GResourceMappingList::kClassId, idPool) ||
        !TakeMember(*root, kSubObject3Id, GResourceMappingList::kClassId, subObject3) ||
        !TakeMember(*root, kIdMapId, GResourceMappingList::kClassId, idMap))
        return false;
    if (!idMap)
        idMap.reset(new GResourceMappingList(kIdMapId));
    object.SetPrinter(printer.release());
    object.SetIdPool(idPool.release());
    object.SetSubObject3(subObject3.release());
    object.SetIdMap(idMap.release());
    object.SetModelSource(source);
    return true;
}

bool IsModelCurrent(GDriverObject& object)
{
    return object.GetModelSource().Answers(GPrinterSnapshot::DataFile(object));
}

GDriverServer::GDriverServer() : spareBound_(0), shuttingDown_(0)
{
    secondary_.secondary = true;
    GOSFactory* services = GOSFactory::Instance();
    if (services) {
        services->EnsureLock(&primary_.lock);
        services->EnsureLock(&secondary_.lock);
    }
    const uint32_t bound = SpareBoundFor(services);
    primary_.spares.reset(new (std::nothrow) Spare[bound]);
    secondary_.spares.reset(new (std::nothrow) Spare[bound]);
    // Without room for spares every release deletes its object.
    if (primary_.spares && secondary_.spares)
        spareBound_ = bound;
    delete g_instance.exchange(nullptr);
    g_instance = this;
    SetDriverServerHooks({&HookBeginShutdown, &HookFreeMemory});
}

GDriverServer::~GDriverServer()
{
    Shutdown();
    FlushKept();
    GDriverServer* self = this;
    if (g_instance.compare_exchange_strong(self, nullptr))
        SetDriverServerHooks({nullptr, nullptr});
    delete primary_.lock;
    delete secondary_.lock;
}

GDriverServer* GDriverServer::Instance() { return g_instance.load(); }

void GDriverServer::Abandon() { g_instance = nullptr; }

bool GDriverServer::IsUsable() const { return primary_.lock && secondary_.lock; }

void GDriverServer::SetFontFileCloser(void (*closer)()) { g_fontFileCloser = closer; }

GDriverObject* GDriverServer::InterfaceOf(const Table& table, GDriverObject* object)
{
    return table.secondary ? object->GetSecondaryInterface() : object->GetInterface();
}

GDriverServer::Entry* GDriverServer::FindEntry(Table& table, uint32_t ticket)
{
    for (Entry* entry = table.buckets[ticket % kBuckets]; entry; entry = entry->next)
        if (entry->ticket == ticket)
            return entry;
    return nullptr;
}

GDriverServer::Entry* GDriverServer::Unlink(Table& table, uint32_t ticket)
{
    for (Entry** link = &table.buckets[ticket % kBuckets]; *link; link = &(*link)->next) {
        if ((*link)->ticket == ticket) {
            Entry* entry = *link;
            *link = entry->next;
            --table.count;
            return entry;
        }
    }
    return nullptr;
}

// The newest spare released with the same identity, else the newest that serves the same
// printer through another handle (an application opens a new one for each use), taken
// out of the spares.
GDriverObject* GDriverServer::TakeSpareIfSame(Table& table, const GCacheKey& identity, bool& sameIdentity)
{
    sameIdentity = false;
    Spare taken = {nullptr, nullptr};
    {
        TableGuard guard(table.lock, table.secondary ? 952 : 687, table.secondary ? 969 : 704);
        Spare* const spares = table.spares.get();
        uint32_t found = table.spareCount;
        for (uint32_t i = table.spareCount; i-- > 0 && found == table.spareCount;)
            if (spares[i].identity->Equals(identity))
                found = i;
        sameIdentity = found != table.spareCount;
        for (uint32_t i = table.spareCount; i-- > 0 && found == table.spareCount;)
            if (spares[i].identity->SamePrinter(identity))
                found = i;
        if (found != table.spareCount) {
            taken = spares[found];
            std::copy(spares + found + 1, spares + table.spareCount, spares + found);
            --table.spareCount;
        }
    }
    delete taken.identity;
    return taken.object;
}

GDriverServer::Spare GDriverServer::KeepSpare(Table& table, Spare spare)
{
    if (!spare.identity || spareBound_ == 0)
        return spare;
    TableGuard guard(table.lock, 369, 410);
    if (IsShuttingDown())
        return spare;
    Spare* const spares = table.spares.get();
    Spare oldest = {nullptr, nullptr};
    if (table.spareCount == spareBound_) {
        oldest = spares[0];
        std::copy(spares + 1, spares + table.spareCount, spares);
        --table.spareCount;
    }
    spares[table.spareCount++] = spare;
    return oldest;
}

GDriverServer::Spare GDriverServer::TakeNewestSpare(Table& table, bool wait)
{
    const int32_t releaseLine = table.secondary ? 610 : 601;
    Spare spare = {nullptr, nullptr};
    if (wait) {
        TableGuard guard(table.lock, table.secondary ? 603 : 594, releaseLine);
        if (table.spareCount)
            spare = table.spares[--table.spareCount];
        return spare;
    }
    if (!table.lock || table.lock->TryAcquire() != 0)
        return spare;
    if (table.spareCount)
        spare = table.spares[--table.spareCount];
    if (table.lock->Release() == -2)
        ReportCriticalError(2, 302, kSource, releaseLine, "");
    return spare;
}

void GDriverServer::Delete(const Spare& spare)
{
    delete spare.object;
    delete spare.identity;
}

int GDriverServer::DeleteSpares(bool wait)
{
    int deleted = 0;
    for (Table* table : {&primary_, &secondary_}) {
        for (Spare spare = TakeNewestSpare(*table, wait); spare.object; spare = TakeNewestSpare(*table, wait)) {
            Delete(spare);
            deleted = 1;
        }
    }
    return deleted;
}

GDriverObject* GDriverServer::AcquireIn(Table& table, PrinterIdentity* identity, uint32_t& ticket)
{
    ticket = 0;
    std::unique_ptr<GCacheKey> key(identity);
    if (!key)
        return nullptr;
    // Everything the table needs is allocated before its lock is taken.
    std::unique_ptr<Entry> entry(new (std::nothrow) Entry{0, nullptr, nullptr});
    if (!entry)
        return nullptr;
    // A spare of the same identity is the caller's own object again, unless the object
    // finds that a handle of the same value is another open handle; then, as one
    // released under another handle, it gives only its model to an object made afresh
    // for this one. Either serves only while its model's data file is the one the
    // driver names now.
    bool sameIdentity = false;
    std::unique_ptr<GDriverObject> spare(TakeSpareIfSame(table, *key, sameIdentity));
    GDriverObject* object = nullptr;
    if (spare && sameIdentity) {
        spare->ResetForReuse(*key);
        if (!IsModelCurrent(*spare))
            spare.reset();
        else if (spare->KeepsCaller())
            object = spare.release();
    }
    if (!object) {
        GOSFactory* services = GOSFactory::Instance();
        std::unique_ptr<GDriverObject> made;
        if (services)
            made.reset(table.secondary ? services->CreateSecondaryDriverObject(*identity)
                                       : services->CreateDriverObject(*identity));
        if (!made)
            return nullptr;
        if (spare && spare->GetModelSource().Answers(GPrinterSnapshot::DataFile(*made))) {
            GDriverModel model;
            spare->ExchangeModel(model);
            made->ExchangeModel(model);
        } else if (!LoadDriverModel(*made)) {
            return nullptr;
        }
        object = made.release();
    }
    spare.reset();
    key.reset();

    entry->object = object;
    {
        TableGuard guard(table.lock, 307, 325);
        const uint32_t address = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(object));
        uint32_t candidate = address ^ (address >> 16);
        if (!candidate)
            candidate = 1;
        while (FindEntry(table, candidate))
            candidate = candidate == 0xFFFFFFFFu ? 1 : candidate + 1;
        entry->ticket = candidate;
        entry->next = table.buckets[candidate % kBuckets];
        table.buckets[candidate % kBuckets] = entry.get();
        ++table.count;
        ticket = candidate;
    }
    entry.release();
    return InterfaceOf(table, object);
}

bool GDriverServer::ReleaseIn(Table& table, uint32_t ticket)
{
    Entry* entry;
    {
        TableGuard guard(table.lock, 369, 410);
        entry = Unlink(table, ticket);
    }
    if (!entry) {
        if (!IsShuttingDown())
            ReportCriticalError(1, 501, kSource, 432, "");
        return false;
    }
    GDriverObject* released = entry->object;
    delete entry;
    Spare doomed = {released, nullptr};
    if (!IsShuttingDown()) {
        released->OnRelease();
        doomed = KeepSpare(table, {released, released->GetIdentity()});
    }
    Delete(doomed);
    return true;
}

GDriverObject* GDriverServer::Acquire(PrinterIdentity* identity, uint32_t& ticket)
{
    return AcquireIn(primary_, identity, ticket);
}

GDriverObject* GDriverServer::AcquireSecondary(PrinterIdentity* identity, uint32_t& ticket)
{
    return AcquireIn(secondary_, identity, ticket);
}

void GDriverServer::Release(uint32_t ticket) { ReleaseIn(primary_, ticket); }

void GDriverServer::ReleaseSecondary(uint32_t ticket)
{
    ReleaseIn(secondary_, ticket);
    TableGuard guard(secondary_.lock, 1165, 1176);
    if (secondary_.count == 0) {
        if (void (*closer)() = g_fontFileCloser.load())
            closer();
        shuttingDown_ = 0;
    }
}

GDriverObject* GDriverServer::LookUp(uint32_t ticket)
{
    Entry* entry;
    {
        TableGuard guard(primary_.lock, 832, 834);
        entry = FindEntry(primary_, ticket);
    }
    // The object is the ticket holder's: it cannot go away while the holder asks.
    return entry ? entry->object->GetInterface() : nullptr;
}

GDriverObject* GDriverServer::Find(uint32_t ticket)
{
    GDriverObject* object = nullptr;
    {
        TableGuard guard(secondary_.lock, 1097, 1099);
        if (Entry* entry = FindEntry(secondary_, ticket))
            object = entry->object;
    }
    return object ? object->GetSecondaryInterface() : nullptr;
}

int GDriverServer::FindTicketIn(Table& table, uint32_t& ticket, const GDriverObject* object, int line301,
                                int line302)
{
    TableGuard guard(table.lock, line301, line302);
    for (Entry* bucket : table.buckets)
        for (Entry* entry = bucket; entry; entry = entry->next)
            if (entry->object == object) {
                ticket = entry->ticket;
                return 1;
            }
    return 0;
}

int GDriverServer::FindTicket(uint32_t& ticket, const GDriverObject* object)
{
    return FindTicketIn(primary_, ticket, object, 484, 500);
}

int GDriverServer::FindSecondaryTicket(uint32_t& ticket, const GDriverObject* object)
{
    return FindTicketIn(secondary_, ticket, object, 484, 500);
}

GDriverServer::Entry* GDriverServer::DetachAll(Table& table)
{
    TableGuard guard(table.lock, table.secondary ? 547 : 533, table.secondary ? 567 : 544);
    Entry* all = nullptr;
    for (Entry*& bucket : table.buckets) {
        while (Entry* entry = bucket) {
            bucket = entry->next;
            entry->next = all;
            all = entry;
        }
    }
    table.count = 0;
    return all;
}

void GDriverServer::Shutdown()
{
    for (Table* table : {&primary_, &secondary_}) {
        Entry* entry = DetachAll(*table);
        while (entry) {
            Entry* next = entry->next;
            delete entry->object;
            delete entry;
            entry = next;
        }
    }
}

int GDriverServer::FlushKept() { return DeleteSpares(true); }

void GDriverServer::BeginShutdown()
{
    shuttingDown_ = 1;
    FlushKept();
}

// Asks the live objects of a table, in bucket order, until one frees something; a busy
// table is passed over.
int GDriverServer::FreeLiveObjects(Table& table)
{
    if (!table.lock || table.lock->TryAcquire() != 0)
        return 0;
    int freed = 0;
    for (Entry* bucket : table.buckets)
        for (Entry* entry = bucket; entry && !freed; entry = entry->next)
            freed = entry->object->FreeMemory() != 0;
    if (table.lock->Release() == -2)
        ReportCriticalError(2, 302, kSource, table.secondary ? 1651 : 1624, "");
    return freed;
}

int GDriverServer::FreeMemory()
{
    if (DeleteSpares(false))
        return 1;
    return FreeLiveObjects(primary_) || FreeLiveObjects(secondary_);
}
