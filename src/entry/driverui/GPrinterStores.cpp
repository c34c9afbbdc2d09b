#include "entry/driverui/GPrinterStores.h"

#include "model/GAttributeComposite.h"
#include "model/GFeatureIds.h"
#include "printer/GDriverObject.h"
#include "printer/GPrinterSnapshot.h"
#include "printer/PrinterRecordScope.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
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
    // Read only in the form an older version stored it, which the current form could not
    // give back whole: it reads, and is never written but by an upgrade that brings it up.
    bool olderForm = false;
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

// How long the stores lock is waited for.
std::atomic<uint32_t> g_lockWait{GPrinterStores::kLockWait};

} // namespace

uint32_t GPrinterStores::WaitForLock() { return g_lockWait.load(); }

uint32_t GPrinterStores::SetLockWaitForTesting(uint32_t wait) { return g_lockWait.exchange(wait); }

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
    stores_.committing_ = false;
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
    if (stores_.committing_) {
        stores_.EndCommit();
        // The record's write moved the printer's data on: what this change read and wrote
        // under the lock is what the printer holds at the version it has now.
        const uint32_t call = PrinterRecordScope::CurrentCall();
        if (call != 0) {
            const GSourceStamp now = GPrinterSnapshot::PrinterData(stores_.driver_);
            for (int i = 0; i < kCount; ++i)
                if (stores_.kept_[i].call == call)
                    stores_.kept_[i].source = now;
        }
    }
    void* held = stores_.held_;
    stores_.held_ = nullptr;
    stores_.depth_ = 0;
    stores_.holder_ = 0;
    if (GOSFactory* services = GOSFactory::Instance())
        services->UnlockPrinterStores(held);
}

bool GPrinterStores::HeldHere() const { return holder_.load() == GetCurrentThreadId(); }

RWWString GPrinterStores::CommitRecord()
{
    RWWString record;
    if (GOSFactory* services = GOSFactory::Instance())
        services->GetPrinterDataStringNow(record, &driver_, kCommitRecord, RWWString());
    return record;
}

namespace {

const wchar_t kWriting[] = L"writing ";
const wchar_t kDone[] = L"done ";

bool MarkedWriting(const RWWString& record)
{
    return record.Length() >= 8 && std::wcsncmp(record.Data(), kWriting, 8) == 0;
}

// The commit number a record ends with; 0 when it ends with none (or one out of range).
uint32_t CommitNumber(const RWWString& record)
{
    const wchar_t* text = record.IsNull() ? L"" : record.Data();
    size_t at = record.Length();
    while (at > 0 && text[at - 1] >= L'0' && text[at - 1] <= L'9')
        --at;
    uint64_t number = 0;
    for (size_t i = at; i < record.Length(); ++i) {
        number = number * 10 + uint64_t(text[i] - L'0');
        if (number > 0xFFFFFFFFu)
            return 0;
    }
    return uint32_t(number);
}

RWWString RecordText(const wchar_t* state, uint32_t number)
{
    wchar_t text[32];
    std::swprintf(text, 32, L"%ls%lu", state, static_cast<unsigned long>(number));
    return RWWString(text);
}

} // namespace

void GPrinterStores::BeginCommit()
{
    GOSFactory* services = GOSFactory::Instance();
    if (committing_ || !services || !HeldHere())
        return;
    commit_ = CommitNumber(CommitRecord()) + 1;
    committing_ = true;
    services->SetPrinterDataString(&driver_, kCommitRecord, RecordText(kWriting, commit_));
}

void GPrinterStores::EndCommit()
{
    committing_ = false;
    if (GOSFactory* services = GOSFactory::Instance())
        services->SetPrinterDataString(&driver_, kCommitRecord, RecordText(kDone, commit_));
}

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

bool GPrinterStores::Current(const Kept& kept, uint32_t call, const GSourceStamp& now)
{
    // The call takes the store as it read or wrote it while the printer's data is at the
    // version it had then (a write through the services moves it); a later call takes it
    // only under a version known to be the same.
    return call != 0 && kept.call != 0 &&
           (kept.call == call ? kept.source.Version() == now.Version() : kept.source.Answers(now));
}

GPrinterStores::Kept& GPrinterStores::Read(int index)
{
    Kept& kept = kept_[index];
    // Outside an entry call nothing is kept: the printer's data may change between calls.
    const uint32_t call = PrinterRecordScope::CurrentCall();
    const GSourceStamp now = call != 0 ? GPrinterSnapshot::PrinterData(driver_) : GSourceStamp();
    if (Current(kept, call, now)) {
        kept.call = call;
        return kept;
    }
    // Every store the call may not take as kept is read now. Stores read from the printer
    // (not all kept by the services for the call's version) are read between two looks at
    // the commit record, so that the three are as one commit left them; a change holding
    // the lock on this thread reads them as they are.
    GOSFactory* services = GOSFactory::Instance();
    bool stale[kCount] = {};
    bool fromPrinter = call == 0;
    for (int i = 0; i < kCount; ++i) {
        stale[i] = i == index || (call != 0 && !Current(kept_[i], call, now));
        if (stale[i] && !fromPrinter)
            fromPrinter = !services || !services->IsPrinterDataKept(&driver_, ValueName(kIds[i]));
    }
    static const DWORD kPauses[] = {2, 20};
    const size_t kAttempts = sizeof kPauses / sizeof *kPauses;
    const bool looked = fromPrinter && services && !HeldHere();
    for (size_t attempt = 0;; ++attempt) {
        const bool last = !looked || attempt == kAttempts;
        const RWWString before = looked ? CommitRecord() : RWWString();
        const bool writing = MarkedWriting(before);
        if (!writing || last) {
            for (int i = 0; i < kCount; ++i)
                if (stale[i])
                    ReadAfresh(i, call, now);
            if (last || (!writing && CommitRecord() == before))
                break;
        }
        // The stores are read again past what the call keeps of them.
        Sleep(kPauses[attempt]);
        services->ForgetKeptPrinterData(&driver_);
    }
    return kept;
}

void GPrinterStores::ReadAfresh(int index, uint32_t call, const GSourceStamp& now)
{
    Kept& kept = kept_[index];
    GOSFactory* services = GOSFactory::Instance();
    kept.call = call;
    kept.source = now;
    kept.node.reset();
    kept.state = State::kUnreadable;
    kept.olderForm = false;
    if (!services)
        return;
    GObjectBase* loaded = LoadSettingsNode(&driver_, ValueName(kIds[index]), kept.state);
    if (kept.state == State::kUnreadable) {
        // A store an upgrade could not bring into the current form reads as before the
        // update, in the form the older version stored it.
        loaded = services->LoadObjectFromPrinterData(&driver_, ValueName(kIds[index]), kOlderForm);
        if (loaded && (!loaded->IsKindOf(GAttributeComposite::kClassId) || loaded->GetId() != kIds[index])) {
            GObjectBase::Drop(loaded);
            loaded = nullptr;
        }
        if (loaded) {
            kept.state = State::kRead;
            kept.olderForm = true;
        }
    }
    kept.node.reset(loaded);
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
        else if (defaults)
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
    busy_ = false;
    Change change(*this);
    if (!change.Owned() || Read(index).state == State::kUnreadable || kept_[index].olderForm)
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
    BeginCommit();
    if (!driver_.SaveObject(ValueName(kIds[index]), stored.get()))
        return 0;
    // What the printer now holds is what the rest of the call reads, and what the bin,
    // paper and two-sided answers follow.
    Kept& kept = kept_[index];
    kept.call = PrinterRecordScope::CurrentCall();
    kept.source = kept.call ? GPrinterSnapshot::PrinterData(driver_) : GSourceStamp();
    kept.state = State::kRead;
    kept.olderForm = false;
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

bool GPrinterStores::PutBack(int index, const Former& former)
{
    GOSFactory* services = GOSFactory::Instance();
    if (!services)
        return false;
    const RWWString name = ValueName(kIds[index]);
    // A store that had no value is removed, chunks and all: never left empty.
    const bool written = former.had ? services->SetPrinterDataBinary(&driver_, name, former.bytes.data(),
                                                                     uint32_t(former.bytes.size())) == 1
                                    : services->RemovePrinterDataBinary(&driver_, name) == 1;
    // The store is read afresh by whoever asks next.
    kept_[index].call = 0;
    kept_[index].node.reset();
    bool back = written;
    if (!back) {
        // A write refused before it changed anything leaves the store as it was: only
        // a store that no longer reads so is one not put back.
        std::vector<uint8_t> now;
        back = former.had ? ReadBytes(index, now) && now == former.bytes : services->IsPrinterDataAbsent(&driver_, name);
    }
    return back;
}

GPrinterStores::Outcome GPrinterStores::WriteAll(const GObjectBase* const nodes[kCount], const Former former[kCount])
{
    // The device settings go last: the installed options, which follow a written 365,
    // never follow one that is put back.
    for (int i = 0; i < kCount; ++i) {
        if (!nodes[i] || Write(i, nodes[i]))
            continue;
        // The failing store too: its write may have changed it before it failed.
        bool allBack = true;
        for (int j = 0; j <= i; ++j)
            if (nodes[j] && !PutBack(j, former[j]))
                allBack = false;
        return allBack ? Outcome::kNotStored : Outcome::kNotPutBack;
    }
    return Outcome::kStored;
}

bool GPrinterStores::Remember(int index, Former& former)
{
    // The bytes as the printer holds them, in whatever form they read; a store whose
    // bytes cannot be had is not written.
    former.had = Read(index).state != State::kAbsent;
    return !former.had || ReadBytes(index, former.bytes);
}

GPrinterStores::Outcome GPrinterStores::Store(GObjectBase* const nodes[kCount])
{
    busy_ = false;
    Change change(*this);
    if (!change.Owned())
        return change.NotOwned();
    // A store that is there but does not read keeps its bytes, and the call learns that
    // nothing was stored: what it holds in that store's place came from elsewhere.
    if (!Storable())
        return Outcome::kNotStored;
    // What each store to be written holds now, to be put back should a write fail: the
    // caller then learns that nothing was stored, and nothing was. A store read only in
    // an older form keeps its bytes: storing is off for it alone.
    const GObjectBase* written[kCount] = {};
    Former former[kCount];
    for (int i = 0; i < kCount; ++i) {
        written[i] = kept_[i].olderForm ? nullptr : nodes[i];
        if (written[i] && !Remember(i, former[i]))
            return Outcome::kNotStored;
    }
    return WriteAll(written, former);
}

GPrinterStores::Outcome GPrinterStores::Replace(GObjectBase* const nodes[kCount])
{
    busy_ = false;
    Change change(*this);
    if (!change.Owned())
        return change.NotOwned();
    const GObjectBase* written[kCount] = {};
    Former former[kCount];
    for (int i = 0; i < kCount; ++i) {
        written[i] = Read(i).olderForm ? nullptr : nodes[i];
        if (!written[i] || Remember(i, former[i]))
            continue;
        if (Read(i).state != State::kUnreadable)
            return Outcome::kNotStored;
        former[i] = Former();
    }
    return WriteAll(written, former);
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
    for (int i = 0; i < kCount; ++i)
        if (Read(i).state == State::kAbsent)
            if (const GObjectBase* node = defaults->FindById(kIds[i]))
                Save(node);
}

GObjectBase* GPrinterStores::UpgradedNode(int index, int& result)
{
    GOSFactory* services = GOSFactory::Instance();
    const long id = kIds[index];
    result = 0;
    std::unique_ptr<GObjectBase> node(services ? services->LoadObjectFromPrinterData(&driver_, ValueName(id), kOlderForm)
                                               : nullptr);
    // A store that reads in the current form is kept as it is.
    if (!node) {
        result = services && Read(index).state == State::kRead && !kept_[index].olderForm ? 1 : 0;
        return nullptr;
    }
    // Only a settings node of the store's id is one this version may write again.
    if (!node->IsKindOf(GAttributeComposite::kClassId) || node->GetId() != id)
        return nullptr;
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
    for (int i = 0; i < kCount; ++i)
        upgraded[i] = 0;
    busy_ = false;
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
    // A store kept as it reads, but without this version's check of its bytes (an older
    // version's whole write), is written again as it is, so that a write stopped midway
    // is told from it from now on.
    GOSFactory* services = GOSFactory::Instance();
    for (int i = 0; i < kCount; ++i) {
        if (upgraded[i] != 1 || nodes[i] || !services || services->HasCurrentCheck(&driver_, ValueName(kIds[i])))
            continue;
        std::vector<uint8_t> bytes;
        if (!ReadBytes(i, bytes) ||
            !services->SetPrinterDataBinary(&driver_, ValueName(kIds[i]), bytes.data(), uint32_t(bytes.size()))) {
            std::fill(upgraded, upgraded + kCount, 0);
            return Outcome::kNotStored;
        }
    }
    const GObjectBase* written[kCount] = {};
    Former former[kCount];
    for (int i = 0; i < kCount; ++i) {
        written[i] = nodes[i].get();
        if (written[i] && !Remember(i, former[i])) {
            for (int j = 0; j < kCount; ++j)
                upgraded[j] = 0;
            return Outcome::kNotStored;
        }
    }
    const Outcome outcome = WriteAll(written, former);
    if (outcome != Outcome::kStored)
        for (int i = 0; i < kCount; ++i)
            upgraded[i] = upgraded[i] == kNotBroughtUp ? kNotBroughtUp : 0;
    return outcome;
}
