#include "entry/driverui/GPrinterStores.h"

#include "model/GAttributeComposite.h"
#include "model/GFeatureIds.h"
#include "model/GStreamHolder.h"
#include "printer/GDriverObject.h"
#include "printer/GPrinterSnapshot.h"
#include "printer/PrinterRecordScope.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>
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
    // The stored bytes the node was read from.
    std::vector<uint8_t> bytes;
    // Read only in the form an older version stored it, which the current form could not
    // give back whole: it reads, and is never written but in the current form.
    bool olderForm = false;
    // Read from this version's published copy, its chunked form finished to match: a
    // commit or an upgrade has nothing to bring up.
    bool published = false;
    // Read from the published copy, its chunked form not finished (a commit stopped
    // midway): the next commit writes the chunks again.
    bool chunksBehind = false;
    // Read from chunks another writer finished after this version's last commit: the
    // store's newest, which the next commit stores in this version's form.
    bool fromChunks = false;
    // The published copy the record named when the store was read (its length and
    // CRC-32): bytes equal to it are not written again.
    bool copyNamed = false;
    uint32_t copyLength = 0;
    uint32_t copyCrc = 0;
};

// The commit record, in the machine's (little-endian) order: the tag, the commit's number
// and, by kIds' order, each store's published copy: the commit that wrote it (0: none,
// the store is read from its chunks alone), its length and CRC-32 (zlib's, from 0), and
// the copy it replaced, which the commit removes after the record's write.
struct GPrinterStores::Record {
    struct Entry {
        uint32_t commit;
        uint32_t length;
        uint32_t crc;
        uint32_t retired;
    };
    uint32_t tag;
    uint32_t commit;
    Entry stores[kCount];
};

// What one read of a store found: the bytes that answer, and the published copy (else
// whole chunks) where chunks of another writer's answer in its place, or in place of
// the store as last read.
struct GPrinterStores::Found {
    State state = State::kUnreadable;
    std::vector<uint8_t> bytes;
    std::vector<uint8_t> fallback;
    bool published = false;
    bool chunksBehind = false;
    // The bytes are chunks, not a published copy.
    bool fromChunks = false;
    // Chunks another writer is on now: the store as last read answers, else the fallback.
    bool lastRead = false;
    // The record's entry named the copy read.
    bool copyNamed = false;
    uint32_t copyLength = 0;
    uint32_t copyCrc = 0;
};

namespace {

// "QZSC".
const uint32_t kRecordTag = 0x43535A51u;
// A store's bytes longer than this are not a store's.
const uint32_t kLargestStore = 1u << 20;
// The value read in the form an older version of the driver stored it.
const int kOlderForm = 3;
// How long a read goes on reading the record and the copies it names again while later
// commits remove them under it, in milliseconds; the pauses between its attempts.
const uint32_t kSettleTime = 1000;
const DWORD kSettlePauses[] = {0, 1, 2, 5, 10};
// A reader finding another writer on a store's chunks, with neither a copy nor a store
// read before to answer, looks again for this long, in milliseconds.
const uint32_t kWriterTime = 100;

RWWString ValueName(long id)
{
    char text[32];
    std::snprintf(text, sizeof text, "%ld", id);
    return RWWString(text);
}

std::unique_ptr<GObjectBase> CopyOf(const GObjectBase* node)
{
    return std::unique_ptr<GObjectBase>(node ? node->DeepCopy() : nullptr);
}

uint32_t CrcOf(const std::vector<uint8_t>& bytes)
{
    return uint32_t(crc32(0, bytes.data(), uInt(bytes.size())));
}

// The node in the older, portable object form without serial numbers: two nodes holding
// the same settings give the same bytes. Empty when it cannot be written.
std::vector<uint8_t> PortableBytes(const GObjectBase* node)
{
    std::unique_ptr<GObjectBase> copy(CopyOf(node));
    if (!copy)
        return {};
    copy->ClearSerials();
    const uint32_t capacity = std::min<uint32_t>(kLargestStore, 2 * copy->BinaryStoreSize() + 4096);
    std::vector<uint8_t> buffer(capacity);
    GOutStreamHolder out(buffer.data(), capacity, 0);
    if (!out.GetStream())
        return {};
    *out.GetStream() << static_cast<const GObjectBase*>(copy.get());
    out.GetStream()->Flush();
    if (!out.GetStream()->Good() || out.Tell() < 0)
        return {};
    buffer.resize(size_t(out.Tell()));
    return buffer;
}

} // namespace

uint32_t GPrinterStores::WaitForLock() { return GOSFactory::LockWait(); }

uint32_t GPrinterStores::SetLockWaitForTesting(uint32_t wait) { return GOSFactory::SetLockWaitForTesting(wait); }

GPrinterStores::Change::Change(GPrinterStores& stores, uint32_t wait)
    : stores_(stores), owned_(false), outer_(false), refused_(false)
{
    if (stores_.HeldHere()) {
        ++stores_.depth_;
        owned_ = true;
        return;
    }
    GOSFactory* services = GOSFactory::Instance();
    void* held = nullptr;
    const int had = services ? services->LockPrinterStores(&stores_.driver_, wait, held) : GOSFactory::kStoresLockBusy;
    owned_ = had == GOSFactory::kStoresLockOwned;
    refused_ = had == GOSFactory::kStoresLockRefused;
    stores_.refused_ = refused_;
    if (!owned_) {
        stores_.busy_ = !refused_;
        return;
    }
    outer_ = true;
    stores_.holder_ = GetCurrentThreadId();
    stores_.depth_ = 1;
    stores_.held_ = held;
    // Another writer may have committed up to the moment the lock was had: what the
    // change reads is read again, as the printer holds it now.
    services->ForgetKeptPrinterData(&stores_.driver_);
    for (int i = 0; i < kCount; ++i)
        stores_.kept_[i].call = 0;
}

GPrinterStores::Change::~Change()
{
    if (!owned_)
        return;
    if (!outer_) {
        --stores_.depth_;
        return;
    }
    void* held = stores_.held_;
    stores_.held_ = nullptr;
    stores_.depth_ = 0;
    stores_.holder_ = 0;
    if (GOSFactory* services = GOSFactory::Instance())
        services->UnlockPrinterStores(held);
}

bool GPrinterStores::HeldHere() const { return holder_.load() == GetCurrentThreadId(); }

GPrinterStores::GPrinterStores(GDriverObject& driver) : driver_(driver), kept_(new Kept[kCount]) {}

GPrinterStores::~GPrinterStores() = default;

bool GPrinterStores::IsStoreId(long id)
{
    for (long store : kIds)
        if (store == id)
            return true;
    return false;
}

RWWString GPrinterStores::CopyName(long id, uint32_t commit)
{
    char text[48];
    std::snprintf(text, sizeof text, "%ld@%lu", id, static_cast<unsigned long>(commit));
    return RWWString(text);
}

int GPrinterStores::IndexOf(long id) const
{
    for (int i = 0; i < kCount; ++i)
        if (kIds[i] == id)
            return i;
    return -1;
}

bool GPrinterStores::Current(const Kept& kept, uint32_t call, const GSourceStamp& now)
{
    // The call takes the three as it read or wrote them until it writes the printer's data
    // (a write through the services moves the version; a read never does, whatever it
    // met); a later call takes them only under a version known to be the same.
    return call != 0 && kept.call != 0 &&
           (kept.call == call ? kept.source.Version() == now.Version() : kept.source.Answers(now));
}

GPrinterStores::Kept& GPrinterStores::Read(int index)
{
    // Outside an entry call nothing is kept: the printer's data may change between calls.
    const uint32_t call = PrinterRecordScope::CurrentCall();
    const GSourceStamp now = call != 0 ? GPrinterSnapshot::PrinterData(driver_) : GSourceStamp();
    // The three are one commit's: when the call may not take one as kept, all three are
    // read again, under one record. Outside a call nothing is kept for a later read, and
    // the store asked for is read alone.
    bool current = true;
    for (int i = 0; i < kCount && current; ++i)
        current = Current(kept_[i], call, now);
    if (!current)
        ReadAll(call, now, call != 0 ? -1 : index);
    for (int i = 0; i < kCount; ++i)
        kept_[i].call = call != 0 || i == index ? call : kept_[i].call;
    return kept_[index];
}

bool GPrinterStores::ReadRecord(Record& record, bool afresh)
{
    static_assert(sizeof(Record) == 8 + 16 * kCount, "the record's layout is stored");
    GOSFactory* services = GOSFactory::Instance();
    std::vector<uint8_t> bytes;
    if (!services || services->GetPrinterDataWhole(&driver_, kCommitRecord, 1024, bytes, afresh) != State::kRead ||
        bytes.size() != sizeof record)
        return false;
    std::memcpy(&record, bytes.data(), sizeof record);
    return record.tag == kRecordTag && record.commit != 0;
}

bool GPrinterStores::ReadCopy(int index, const Record& record, bool afresh, std::vector<uint8_t>& copy)
{
    GOSFactory* services = GOSFactory::Instance();
    const Record::Entry& entry = record.stores[index];
    const RWWString name = CopyName(kIds[index], entry.commit);
    auto named = [&](bool fresh) {
        return services->GetPrinterDataWhole(&driver_, name, kLargestStore, copy, fresh) == State::kRead &&
               copy.size() == entry.length && CrcOf(copy) == entry.crc;
    };
    // A copy kept from before under the same name may be one a stopped commit left and a
    // later one wrote over: what does not match the record is read again, afresh.
    if (named(afresh) || (!afresh && named(true)))
        return true;
    copy.clear();
    return false;
}

void GPrinterStores::ReadAll(uint32_t call, const GSourceStamp& now, int only)
{
    GOSFactory* services = GOSFactory::Instance();
    Found found[kCount];
    bool settled[kCount] = {};
    // The copy of each store the last record read named, as last read whole.
    std::vector<uint8_t> lastCopy[kCount];
    const uint32_t began = GetTickCount();
    Record previous = {};
    bool recordedBefore = false;
    for (int attempt = 0; services; ++attempt) {
        const bool afresh = attempt > 0;
        Record record = {};
        const bool recorded = ReadRecord(record, afresh);
        // A record read again as it was: a copy it names that is not there was not removed
        // by a later commit (that one would have published another record first), but is
        // gone for good, and the store is read from its chunks alone.
        const bool steady = recorded && recordedBefore && std::memcmp(&previous, &record, sizeof record) == 0;
        previous = record;
        recordedBefore = recorded;
        bool all = true, chunksRead = false;
        for (int i = 0; i < kCount; ++i) {
            if (only >= 0 && i != only)
                continue;
            found[i] = Found();
            settled[i] = ReadOne(i, recorded ? &record : nullptr, afresh, steady,
                                 GetTickCount() - began >= kWriterTime, found[i]);
            if (found[i].copyNamed)
                lastCopy[i] = found[i].fromChunks || found[i].lastRead ? found[i].fallback : found[i].bytes;
            all = all && settled[i];
            chunksRead = chunksRead || found[i].fromChunks;
        }
        // Stores read from their chunks are another writer's, and one commit's with the
        // copies read, only while no commit published a record meanwhile: the record is
        // looked at again as the printer holds it now.
        if (all && chunksRead) {
            Record again = {};
            const bool still = ReadRecord(again, true);
            all = still == recorded && (!still || std::memcmp(&again, &record, sizeof again) == 0);
        }
        if (all)
            break;
        if (GetTickCount() - began >= kSettleTime) {
            // Commits kept removing what the records read named: each store that did not
            // settle answers as this object last read it, else the last copy read whole.
            for (int i = 0; i < kCount; ++i) {
                if (settled[i] || (only >= 0 && i != only))
                    continue;
                found[i] = Found();
                found[i].state = State::kRead;
                found[i].lastRead = true;
                found[i].fallback = std::move(lastCopy[i]);
            }
            break;
        }
        const size_t pauses = sizeof kSettlePauses / sizeof *kSettlePauses;
        Sleep(kSettlePauses[size_t(attempt) < pauses ? attempt : pauses - 1]);
    }
    for (int i = 0; i < kCount; ++i)
        if (only < 0 || i == only)
            Settle(i, found[i], call, now);
}

bool GPrinterStores::ReadOne(int index, const Record* record, bool afresh, bool steady, bool late, Found& found)
{
    using Check = GOSFactory::ChunkedValue::Check;
    GOSFactory* services = GOSFactory::Instance();
    GOSFactory::ChunkedValue chunks;
    services->ReadChunkedValue(&driver_, ValueName(kIds[index]), kLargestStore, chunks, afresh);
    const Kept& kept = kept_[index];
    const bool lastRead = kept.state == State::kRead && kept.node;
    std::vector<uint8_t> copy;
    const bool named = record && record->stores[index].commit;
    // Gone, or not as the record names it: a later commit removed it meanwhile, unless the
    // record read steady.
    const bool haveCopy = named && ReadCopy(index, *record, afresh, copy);
    if (named && !haveCopy && !steady)
        return false;
    if (haveCopy) {
        const Record::Entry& entry = record->stores[index];
        found.state = State::kRead;
        found.copyNamed = true;
        found.copyLength = entry.length;
        found.copyCrc = entry.crc;
        // What answers: the copy; chunks another writer finished since (its newest); or,
        // while another writer is on the chunks, the store as last read.
        enum { kCopy, kChunks, kLast } answer = kCopy;
        if (chunks.check == Check::kNone || chunks.check == Check::kDone) {
            // Chunks with no check, or a done one they do not match (a version that never
            // writes the check), or one they match that is not this copy's (a version that
            // keeps the check and not the record), were finished after the copy.
            found.published = chunks.matches && chunks.check == Check::kDone && chunks.checkCrc == entry.crc;
            answer = found.published || !chunks.present ? kCopy : chunks.whole ? kChunks : kLast;
        } else if (chunks.check == Check::kWriting && chunks.checkCrc != entry.crc && !chunks.matches) {
            // A mark of a commit the record does not name (it stopped before its record,
            // or is about to publish it): the chunks it found are the store's newest when
            // it says so, and chunks matching neither it nor them are another writer's
            // whole rewrite since; a commit that names its copy is the only one of this
            // version to write chunks, and only after its record.
            answer = chunks.matchesFormer ? (chunks.formerNewest ? kChunks : kCopy)
                     : !chunks.marked     ? kCopy
                     : chunks.whole       ? kChunks
                                          : kLast;
        }
        // Any other check is this version's commit of this copy, under way or stopped
        // midway, or of a form this version does not write: the copy, whose chunks the
        // next commit writes again.
        found.chunksBehind = answer == kCopy && !found.published;
        found.fromChunks = answer == kChunks;
        found.lastRead = answer == kLast;
        if (answer == kCopy) {
            found.bytes = std::move(copy);
        } else {
            found.bytes = std::move(chunks.bytes);
            found.fallback = std::move(copy);
        }
        return true;
    }
    if (!chunks.present) {
        found.state = State::kAbsent;
        return true;
    }
    // With no copy named, whole chunks are the store where no write of this version is
    // under way on them: with no check, a done one or one of the earlier form, or a mark
    // they match the former bytes of or (another writer's since) neither. A commit of this
    // version touches chunks only after its record names their copy, which the record's
    // second look tells.
    const bool unmarkedWrite = chunks.check == Check::kWriting && !chunks.marked && !chunks.matches;
    if (chunks.whole && chunks.check != Check::kDamaged && !unmarkedWrite) {
        found.state = State::kRead;
        found.fromChunks = true;
        found.bytes = std::move(chunks.bytes);
        return true;
    }
    // A writer is on the chunks: the store as last read answers; with none, the chunks
    // are looked at again for a while, and then taken whole where they are (that writer
    // stopped), else the store does not read.
    found.state = State::kUnreadable;
    found.lastRead = lastRead;
    if (late && chunks.whole && chunks.check != Check::kDamaged) {
        found.fromChunks = true;
        found.fallback = std::move(chunks.bytes);
    }
    return lastRead || late;
}

void GPrinterStores::Settle(int index, Found& found, uint32_t call, const GSourceStamp& now)
{
    Kept& kept = kept_[index];
    const bool keepLast = found.lastRead && kept.state == State::kRead && kept.node;
    kept.call = call;
    kept.source = now;
    // Another writer on the chunks: the store as this object last read it, else the
    // published copy.
    if (keepLast) {
        kept.published = kept.chunksBehind = false;
        return;
    }
    if (found.lastRead) {
        found.bytes.swap(found.fallback);
        found.fallback.clear();
        found.state = found.bytes.empty() ? State::kUnreadable : State::kRead;
        found.fromChunks = found.fromChunks && !found.copyNamed;
    }
    kept.node.reset();
    kept.bytes.clear();
    kept.state = found.state;
    kept.olderForm = false;
    kept.published = found.published;
    kept.chunksBehind = found.chunksBehind;
    kept.fromChunks = found.fromChunks;
    kept.copyNamed = found.copyNamed;
    kept.copyLength = found.copyLength;
    kept.copyCrc = found.copyCrc;
    if (found.state != State::kRead)
        return;
    GOSFactory* services = GOSFactory::Instance();
    const RWWString name = ValueName(kIds[index]);
    // The bytes in the current form; else in the form an older version stored them, as a
    // store an upgrade could not bring into the current form reads.
    auto settle = [&](const std::vector<uint8_t>& bytes) -> GObjectBase* {
        std::unique_ptr<GObjectBase> node(services->UnpackPrinterData(&driver_, name, bytes, 0));
        if (node && node->IsKindOf(GAttributeComposite::kClassId))
            return node.release();
        node.reset(services->UnpackPrinterData(&driver_, name, bytes, kOlderForm));
        if (!node || !node->IsKindOf(GAttributeComposite::kClassId) || node->GetId() != kIds[index])
            return nullptr;
        kept.olderForm = true;
        return node.release();
    };
    GObjectBase* node = settle(found.bytes);
    if (!node && !found.fallback.empty()) {
        // Another writer's chunks that do not read as settings: the published copy.
        found.bytes.swap(found.fallback);
        kept.fromChunks = false;
        kept.chunksBehind = kept.copyNamed;
        node = settle(found.bytes);
    }
    if (!node) {
        kept.state = State::kUnreadable;
        return;
    }
    kept.node.reset(node);
    kept.bytes.swap(found.bytes);
}

GObjectBase* GPrinterStores::LoadSettingsNode(GDriverObject* driver, const RWWString& name, State& state)
{
    GOSFactory* services = GOSFactory::Instance();
    state = State::kUnreadable;
    GObjectBase* loaded = services ? services->LoadStoredObject(driver, name, state) : nullptr;
    if (loaded && !loaded->IsKindOf(GAttributeComposite::kClassId)) {
        // Read, but not a settings node (a newer version's, say): what the printer holds
        // is not understood here, and is kept as it is.
        GObjectBase::Drop(loaded);
        loaded = nullptr;
        state = State::kUnreadable;
    }
    return loaded;
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
    if (index < 0)
        return nullptr;
    Read(index);
    return Take(index);
}

GObjectBase* GPrinterStores::Take(int index)
{
    Kept& kept = kept_[index];
    // What the node handed out was read from: a commit that packs it as those bytes
    // again has nothing to write of it.
    handed_[index] = {kept.node != nullptr, uint32_t(kept.bytes.size()), CrcOf(kept.bytes)};
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
            node = Take(i);
        else if (defaults)
            node = CopyOf(defaults->FindById(kIds[i])).release();
        if (node)
            tree->Add(node);
    }
}

bool GPrinterStores::Pack(int index, const GObjectBase* node, std::vector<uint8_t>& bytes)
{
    // Without the serial numbers of this process, equal settings store as equal bytes.
    std::unique_ptr<GObjectBase> stored(CopyOf(node));
    GOSFactory* services = GOSFactory::Instance();
    if (!stored || !services)
        return false;
    stored->ClearSerials();
    return services->PackForPrinterData(&driver_, ValueName(kIds[index]), stored.get(), bytes) && !bytes.empty() &&
           bytes.size() <= kLargestStore;
}

bool GPrinterStores::BroughtUp(int index, const GObjectBase* node, std::unique_ptr<GObjectBase>& current)
{
    current.reset();
    const Kept& kept = kept_[index];
    // The store as read needs nothing stored: it keeps its older form until an upgrade.
    const std::vector<uint8_t> given = PortableBytes(node);
    if (!given.empty() && given == PortableBytes(kept.node.get()))
        return true;
    // A change: stored in the current form, when that gives every member back.
    current.reset(driver_.ToCurrentStoredForm(node->DeepCopy(), ValueName(kIds[index])));
    if (current && current->IsKindOf(GAttributeComposite::kClassId))
        return true;
    current.reset();
    return false;
}

GPrinterStores::Outcome GPrinterStores::Commit(const std::vector<uint8_t>* const bytes[kCount])
{
    GOSFactory* services = GOSFactory::Instance();
    if (!services)
        return Outcome::kNotStored;
    Record before = {};
    const bool recorded = ReadRecord(before, true);
    Record after = recorded ? before : Record{kRecordTag, 0, {}};
    after.commit = recorded && before.commit + 1 != 0 ? before.commit + 1 : 1;
    // A store not written keeps its copy; one written names the copy it replaces, which
    // stays until the next commit, for readers that read the record before this one.
    for (int i = 0; i < kCount; ++i) {
        after.stores[i].retired = bytes[i] && recorded ? before.stores[i].commit : 0;
        // A copy the store was not read from (it was gone) is named no more.
        if (!bytes[i] && !kept_[i].copyNamed)
            after.stores[i] = {};
    }
    // Each new store's copy aside, under a name no record names: a commit that stops
    // before its record leaves them unnamed, and the next commit removes them.
    auto removeCopies = [&] {
        for (int i = 0; i < kCount; ++i)
            if (bytes[i])
                services->DeletePrinterDriverDataValue(&driver_, CopyName(kIds[i], after.commit));
    };
    for (int i = 0; i < kCount; ++i) {
        if (!bytes[i])
            continue;
        const std::vector<uint8_t>& store = *bytes[i];
        if (!services->SetPrinterDataWhole(&driver_, CopyName(kIds[i], after.commit), store.data(),
                                           uint32_t(store.size()))) {
            removeCopies();
            return Outcome::kNotStored;
        }
        after.stores[i].commit = after.commit;
        after.stores[i].length = uint32_t(store.size());
        after.stores[i].crc = CrcOf(store);
    }
    // Each store's chunks marked in progress before the record names its copy, the mark
    // saying what the chunks held and whether that was the store's newest (another
    // writer's), so that those chunks, left as they were by a commit that stops after its
    // record, are never taken for newer ones, and another writer's later rewrite is told
    // from them. A commit that stores nothing puts the marks back, so that the chunks read
    // as they did.
    std::vector<uint8_t> formerChecks[kCount];
    bool marked[kCount] = {};
    auto unmark = [&] {
        for (int i = 0; i < kCount; ++i)
            if (marked[i])
                services->RestorePrinterDataCheck(&driver_, ValueName(kIds[i]), formerChecks[i]);
    };
    for (int i = 0; i < kCount; ++i) {
        if (!bytes[i])
            continue;
        marked[i] = services->MarkPrinterDataWriting(&driver_, ValueName(kIds[i]), bytes[i]->data(),
                                                     uint32_t(bytes[i]->size()), kept_[i].fromChunks,
                                                     formerChecks[i]) == 1;
        if (!marked[i]) {
            unmark();
            removeCopies();
            return Outcome::kNotStored;
        }
    }
    // Published by one write: before it the old copies are named, after it the new. A
    // write refused may still have landed: what the printer then holds decides, and where
    // that cannot be told the copies and the marks stay (a reader takes whichever copy
    // the record names), and nothing is said stored.
    if (!services->SetPrinterDataWhole(&driver_, kCommitRecord, &after, sizeof after)) {
        std::vector<uint8_t> now;
        const State read = services->GetPrinterDataWhole(&driver_, kCommitRecord, 1024, now, true);
        const bool landed = read == State::kRead && now.size() == sizeof after &&
                            std::memcmp(now.data(), &after, sizeof after) == 0;
        if (!landed) {
            if (read != State::kUnreadable) {
                unmark();
                removeCopies();
            }
            return Outcome::kNotStored;
        }
    }
    // What older versions read follows in the chunked form; chunks a stopped commit left
    // unfinished are written again from their copy. One refused here is written again
    // by the next commit: this version reads the copies.
    for (int i = 0; i < kCount; ++i) {
        // A store kept is written again only from the copy the record still names.
        const bool behind = !bytes[i] && kept_[i].chunksBehind && after.stores[i].commit &&
                            kept_[i].bytes.size() == after.stores[i].length && CrcOf(kept_[i].bytes) == after.stores[i].crc;
        const std::vector<uint8_t>* store = bytes[i] ? bytes[i] : behind ? &kept_[i].bytes : nullptr;
        if (store)
            services->SetPrinterDataChunks(&driver_, ValueName(kIds[i]), store->data(), uint32_t(store->size()));
    }
    RemoveUnnamedCopies(after, recorded ? &before : nullptr, bytes);
    // What the call keeps of the stores is what the printer now holds.
    const uint32_t call = PrinterRecordScope::CurrentCall();
    const GSourceStamp now = call != 0 ? GPrinterSnapshot::PrinterData(driver_) : GSourceStamp();
    for (int i = 0; i < kCount; ++i) {
        kept_[i].source = now;
        if (!bytes[i])
            continue;
        kept_[i].copyNamed = true;
        kept_[i].copyLength = after.stores[i].length;
        kept_[i].copyCrc = after.stores[i].crc;
    }
    return Outcome::kStored;
}

void GPrinterStores::RemoveUnnamedCopies(const Record& after, const Record* before,
                                         const std::vector<uint8_t>* const bytes[kCount])
{
    GOSFactory* services = GOSFactory::Instance();
    // Every copy the record does not name goes, however old: the printer's data does not
    // grow with the commits. Where the spooler cannot list the values, the copies the
    // last two records replaced, and any a stopped commit left under this commit's number.
    std::vector<RWWString> names;
    if (services->ListPrinterDataNames(&driver_, names)) {
        for (const RWWString& name : names) {
            int index = -1;
            uint32_t commit = 0;
            if (ParseCopyName(name, index, commit) && commit != after.stores[index].commit &&
                commit != after.stores[index].retired)
                services->DeletePrinterDriverDataValue(&driver_, name);
        }
        return;
    }
    for (int i = 0; i < kCount; ++i) {
        const uint32_t unnamed[] = {before ? before->stores[i].retired : 0, bytes[i] ? 0 : after.commit};
        for (uint32_t commit : unnamed)
            if (commit != 0 && commit != after.stores[i].commit && commit != after.stores[i].retired)
                services->DeletePrinterDriverDataValue(&driver_, CopyName(kIds[i], commit));
    }
}

bool GPrinterStores::ParseCopyName(const RWWString& name, int& index, uint32_t& commit)
{
    // The commit's digits after the '@', then the whole name as CopyName writes it.
    const std::wstring text(name.IsNull() ? L"" : name.Data(), name.Length());
    const size_t at = text.find(L'@');
    const std::wstring digits = at == std::wstring::npos ? std::wstring() : text.substr(at + 1);
    if (digits.empty() || digits.size() > 10 || digits.find_first_not_of(L"0123456789") != std::wstring::npos)
        return false;
    const uint64_t number = std::wcstoull(digits.c_str(), nullptr, 10);
    for (int i = 0; i < kCount && number != 0 && number <= 0xFFFFFFFFu; ++i) {
        if (CopyName(kIds[i], uint32_t(number)) == name) {
            index = i;
            commit = uint32_t(number);
            return true;
        }
    }
    return false;
}

bool GPrinterStores::HandedOut(int index, const std::vector<uint8_t>& bytes) const
{
    // Bytes equal to those the store was handed out from: nothing was changed in it.
    return handed_[index].valid && handed_[index].length == bytes.size() && handed_[index].crc == CrcOf(bytes);
}

bool GPrinterStores::Published(int index, const std::vector<uint8_t>& bytes) const
{
    // Bytes equal to the published copy as last read, but for another writer's newest,
    // which the next commit stores.
    const Kept& kept = kept_[index];
    return kept.copyNamed && !kept.fromChunks && kept.copyLength == bytes.size() && kept.copyCrc == CrcOf(bytes);
}

GPrinterStores::Outcome GPrinterStores::StoreNodes(const GObjectBase* const nodes[kCount])
{
    std::vector<uint8_t> bytes[kCount];
    const std::vector<uint8_t>* given[kCount] = {};
    std::unique_ptr<GObjectBase> current[kCount];
    const GObjectBase* written[kCount] = {};
    bool refused = false;
    for (int i = 0; i < kCount; ++i) {
        const GObjectBase* node = nodes[i];
        const Kept& kept = Read(i);
        if (node && kept.olderForm) {
            // A store kept in an older form: stored in the current one, or not at all.
            if (!BroughtUp(i, node, current[i])) {
                olderFormRefused_[i] = refused = true;
                continue;
            }
            node = current[i].get();
        }
        if (node) {
            if (!Pack(i, node, bytes[i]))
                return Outcome::kNotStored;
            // What the printer publishes already is not written again.
            if (Published(i, bytes[i]))
                continue;
            given[i] = &bytes[i];
            written[i] = node;
        } else if (kept.fromChunks && kept.state == State::kRead && !kept.olderForm) {
            // Another writer's newest, stored in this version's form as it reads.
            given[i] = &kept.bytes;
        }
    }
    if (refused)
        return Outcome::kNotStored;
    if (std::none_of(given, given + kCount, [](const std::vector<uint8_t>* store) { return store; }))
        return Outcome::kStored;
    const Outcome outcome = Commit(given);
    if (outcome != Outcome::kStored)
        return outcome;
    // What the printer now holds is what the rest of the call reads, and what the bin,
    // paper and two-sided answers follow.
    const uint32_t call = PrinterRecordScope::CurrentCall();
    for (int i = 0; i < kCount; ++i) {
        if (!given[i])
            continue;
        Kept& kept = kept_[i];
        kept.fromChunks = kept.chunksBehind = false;
        kept.published = true;
        if (!written[i])
            continue;
        kept.call = call;
        kept.state = State::kRead;
        kept.olderForm = false;
        kept.node = call ? CopyOf(written[i]) : nullptr;
        kept.bytes.swap(bytes[i]);
        if (kIds[i] == FeatureId::kDeviceSettings)
            driver_.SetInstalledState(written[i]->DeepCopy());
    }
    return outcome;
}

GPrinterStores::Outcome GPrinterStores::NotStorable()
{
    for (int i = 0; i < kCount; ++i)
        unreadable_[i] = Read(i).state == State::kUnreadable;
    return Outcome::kNotStored;
}

void GPrinterStores::ClearOutcome()
{
    busy_ = refused_ = false;
    std::fill(olderFormRefused_, olderFormRefused_ + kCount, false);
    std::fill(readAgain_, readAgain_ + kCount, false);
    std::fill(unreadable_, unreadable_ + kCount, false);
}

int GPrinterStores::Save(const GObjectBase* node)
{
    const int index = node ? IndexOf(node->GetId()) : -1;
    if (index < 0)
        return 0;
    ClearOutcome();
    Change change(*this);
    if (!change.Owned())
        return 0;
    if (Read(index).state == State::kUnreadable)
        return unreadable_[index] = true, 0;
    const GObjectBase* nodes[kCount] = {};
    nodes[index] = node;
    return StoreNodes(nodes) == Outcome::kStored ? 1 : 0;
}

GPrinterStores::Outcome GPrinterStores::Store(GObjectBase* const nodes[kCount])
{
    ClearOutcome();
    // Whether anything changed is decided first, without the lock: nodes that pack as the
    // stores they were handed out from, or as their published copies, need nothing
    // written, and with nothing changed nothing is written and no lock is asked. Under the
    // lock the nodes the user left as handed out stay out (what another process committed
    // since is not written over), and the others are weighed against the copies the
    // printer publishes then. A store that does not read holds everything back all the
    // same.
    if (!Storable())
        return NotStorable();
    const GObjectBase* changed[kCount] = {};
    bool any = false;
    for (int i = 0; i < kCount; ++i) {
        std::vector<uint8_t> bytes;
        const bool packed = nodes[i] && !Read(i).olderForm && Pack(i, nodes[i], bytes);
        if (nodes[i] && !(packed && HandedOut(i, bytes)))
            changed[i] = nodes[i];
        any = any || (changed[i] && !(packed && Published(i, bytes)));
    }
    if (!any)
        return Outcome::kStored;
    Change change(*this);
    if (!change.Owned())
        return change.NotOwned();
    // A store that is there but does not read keeps its bytes, and the call learns that
    // nothing was stored: what it holds in that store's place came from elsewhere.
    if (!Storable())
        return NotStorable();
    return StoreNodes(changed);
}

GPrinterStores::Outcome GPrinterStores::Replace(GObjectBase* const nodes[kCount], const bool replaceable[kCount])
{
    ClearOutcome();
    Change change(*this);
    if (!change.Owned())
        return change.NotOwned();
    // Decided on the stores as the printer holds them under the lock: one that reads
    // again keeps its bytes, and nothing is stored; one that no longer reads is never
    // written over by what was shown of it.
    bool again = false;
    for (int i = 0; i < kCount; ++i) {
        const State state = Read(i).state;
        if (replaceable[i] && state == State::kRead)
            readAgain_[i] = again = true;
        if (!replaceable[i] && state == State::kUnreadable && nodes[i])
            return unreadable_[i] = true, Outcome::kNotStored;
    }
    if (again)
        return Outcome::kNotStored;
    return StoreNodes(nodes);
}

void GPrinterStores::StoreMissing(GObjectBase* defaults)
{
    // Only a lock to be had at once: a store left missing is made again by the next
    // call, and none waits on a lock held elsewhere for it. Under the lock the stores
    // are read again: one another writer made meanwhile is kept.
    if (!defaults || !AnyAbsent())
        return;
    Change change(*this, 0);
    if (!change.Owned())
        return;
    const GObjectBase* nodes[kCount] = {};
    bool any = false;
    for (int i = 0; i < kCount; ++i)
        if (Read(i).state == State::kAbsent && (nodes[i] = defaults->FindById(kIds[i])) != nullptr)
            any = true;
    if (any)
        StoreNodes(nodes);
}

GObjectBase* GPrinterStores::UpgradedNode(int index, int& result)
{
    GOSFactory* services = GOSFactory::Instance();
    const long id = kIds[index];
    result = 0;
    const Kept& kept = Read(index);
    if (!services || kept.state != State::kRead)
        return nullptr;
    // Bytes that read in the form an older version stored them are brought up; a store
    // that reads only in the current form is kept as it is.
    std::unique_ptr<GObjectBase> node(services->UnpackPrinterData(&driver_, ValueName(id), kept.bytes, kOlderForm));
    if (!node) {
        result = kept.olderForm ? kNotBroughtUp : 1;
        return nullptr;
    }
    // Only a settings node of the store's id is one this version may write again.
    if (!node->IsKindOf(GAttributeComposite::kClassId) || node->GetId() != id) {
        result = kept.olderForm ? 0 : 1;
        return nullptr;
    }
    // Every member it holds comes through, completed from the factory's node; one the
    // current form cannot hold keeps the older bytes as they are, and the upgrade fails.
    std::unique_ptr<GObjectBase> current(driver_.ToCurrentStoredForm(node.release(), ValueName(id)));
    if (!current || !current->IsKindOf(GAttributeComposite::kClassId)) {
        result = kNotBroughtUp;
        return nullptr;
    }
    result = 1;
    return current.release();
}

GPrinterStores::Outcome GPrinterStores::Upgrade(int upgraded[kCount])
{
    std::unique_ptr<GObjectBase> nodes[kCount];
    std::fill(upgraded, upgraded + kCount, 0);
    ClearOutcome();
    Change change(*this);
    if (!change.Owned())
        return change.NotOwned();
    // The device settings first: without them the others are left as they are.
    nodes[kCount - 1].reset(UpgradedNode(kCount - 1, upgraded[kCount - 1]));
    if (upgraded[kCount - 1] == 1)
        for (int i = 0; i < kCount - 1; ++i)
            nodes[i].reset(UpgradedNode(i, upgraded[i]));
    // Device settings the current form cannot hold whole keep every store as it is; any
    // other such store alone is left in its older form, where it still reads.
    if (upgraded[kCount - 1] == kNotBroughtUp) {
        std::fill(upgraded, upgraded + kCount, 0);
        upgraded[kCount - 1] = kNotBroughtUp;
        return Outcome::kNotStored;
    }
    // A store kept as it reads, but not as this version publishes it (an older version's
    // chunks), is stored again byte for byte, so that a write of this version stopped
    // midway is told from it from now on.
    std::vector<uint8_t> bytes[kCount];
    const std::vector<uint8_t>* given[kCount] = {};
    for (int i = 0; i < kCount; ++i) {
        if (nodes[i]) {
            if (!Pack(i, nodes[i].get(), bytes[i])) {
                std::fill(upgraded, upgraded + kCount, 0);
                return Outcome::kNotStored;
            }
            given[i] = &bytes[i];
        } else if (upgraded[i] == 1 && !kept_[i].published) {
            given[i] = &kept_[i].bytes;
        }
    }
    const bool any = std::any_of(given, given + kCount, [](const std::vector<uint8_t>* store) { return store; });
    const Outcome outcome = any ? Commit(given) : Outcome::kStored;
    if (outcome != Outcome::kStored) {
        for (int i = 0; i < kCount; ++i)
            upgraded[i] = upgraded[i] == kNotBroughtUp ? kNotBroughtUp : 0;
        return outcome;
    }
    for (int i = 0; i < kCount; ++i) {
        if (!given[i])
            continue;
        // Read afresh by whoever asks next.
        kept_[i].call = 0;
        if (nodes[i] && kIds[i] == FeatureId::kDeviceSettings)
            driver_.SetInstalledState(nodes[i]->DeepCopy());
    }
    return outcome;
}
