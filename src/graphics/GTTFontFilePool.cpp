#include "graphics/GTTFontFilePool.h"

#include "foundation/RWForeignRead.h"
#include "graphics/GTTFontFile.h"
#include "graphics/GTTWin32FontFileReader.h"
#include "model/GStreamHolder.h"
#include "model/GCriticalError.h"
#include "model/GLock.h"
#include "model/GCoreServices.h"

#include <algorithm>
#include <atomic>
#include <new>

namespace {

std::atomic<GTTFontFilePool*> g_pool{nullptr};

// The one reader class a spool stream holds: a read refuses any other before making it,
// so no other class's code runs under the pool lock.
const RWClassID kStoredReader = GTTWin32FontFileReader::kClassId;

// The job whose readers are being read back, and the one being released; both change
// only under the pool lock.
uint32_t g_readingJob = 0;
uint32_t g_releasingJob = 0;

// Deletes the pool once, when the module unloads.
struct PoolOwner {
    ~PoolOwner() { GTTFontFilePool::Discard(); }
} g_owner;

GTTFontFileReader* AsReader(GObjectBase* object) { return static_cast<GTTFontFileReader*>(object); }

// Both readers locked, each once, in a fixed order, for the two-reader messages.
void LockPair(GTTFontFileReader* first, GTTFontFileReader* second)
{
    first->Lock();
    if (second != first)
        second->Lock();
}

void UnlockPair(GTTFontFileReader* first, GTTFontFileReader* second)
{
    if (second != first)
        second->Unlock();
    first->Unlock();
}

} // namespace

// The pool lock for one operation, reported at the operation's own lines.
class GTTFontFilePool::Held {
public:
    Held(GTTFontFilePool* pool, int32_t acquireLine, int32_t releaseLine) : lock_(pool->lock_), line_(releaseLine)
    {
        if (lock_ && lock_->Acquire() != 0)
            ReportCriticalError(2, 301, "ttflpool", acquireLine, "");
    }
    ~Held()
    {
        if (lock_ && lock_->Release() == -2)
            ReportCriticalError(2, 302, "ttflpool", line_, "");
    }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;

private:
    GLock* lock_;
    int32_t line_;
};

GTTFontFilePool::GTTFontFilePool()
    : lock_(nullptr), readers_(new GFontList(&ReaderRule, kStoredReader)), setting_(0)
{
    if (GCoreServices* services = GCoreServices::Instance())
        lock_ = services->CreateLock();
}

GTTFontFilePool::~GTTFontFilePool()
{
    auxiliary_.clear();
    readers_.reset();
    delete lock_;
}

GTTFontFilePool* GTTFontFilePool::Instance()
{
    if (GTTFontFilePool* pool = g_pool.load())
        return pool;
    GTTFontFilePool* made = new (std::nothrow) GTTFontFilePool;
    GTTFontFilePool* expected = nullptr;
    if (!g_pool.compare_exchange_strong(expected, made)) {
        delete made;
        return expected;
    }
    return made;
}

GTTFontFilePool* GTTFontFilePool::Existing() { return g_pool.load(); }

void GTTFontFilePool::Discard() { delete g_pool.exchange(nullptr); }

GTTFontFile* GTTFontFilePool::NewHandle(GTTFontFileReader* reader)
{
    return new (std::nothrow) GTTFontFile(reader, this);
}

void GTTFontFilePool::Reset()
{
    Held held(this, 527, 580);
    auxiliary_.clear();
    readers_.reset(new GFontList(&ReaderRule, kStoredReader));
    setting_ = 0;
}

void GTTFontFilePool::AddAuxiliary(uint32_t key, GObjectBase* object, const GTTFontFileReader* reader)
{
    auxiliary_.push_back({key, std::unique_ptr<GObjectBase>(object), reader});
}

GObjectBase* GTTFontFilePool::FindAuxiliary(uint32_t key)
{
    for (Auxiliary& entry : auxiliary_)
        if (entry.key == key)
            return entry.object.get();
    return nullptr;
}

void GTTFontFilePool::DropAuxiliary(const GTTFontFileReader* reader)
{
    auxiliary_.erase(std::remove_if(auxiliary_.begin(), auxiliary_.end(),
                                    [reader](const Auxiliary& entry) { return entry.reader == reader; }),
                     auxiliary_.end());
}

void GTTFontFilePool::ReleaseJob(uint32_t jobId)
{
    Held held(this, 609, 616);
    g_releasingJob = jobId;
    readers_->Visit();
    g_releasingJob = 0;
}

void GTTFontFilePool::Visit()
{
    Held held(this, 645, 650);
    readers_->Visit();
}

int GTTFontFilePool::Release(GTTFontFileReader* reader)
{
    if (!reader)
        return 0;
    Held held(this, 723, 777);
    reader->Lock();
    const int32_t users = reader->GetUserCount();
    if (users == 1) {
        DropAuxiliary(reader);
        reader->SetUserCount(0);
        if (readers_->Find(reader->GetFileKey()) == reader)
            readers_->Take(reader->GetFileKey());
        reader->Unlock();
        delete reader;
        return 1;
    }
    if (users == 2 && readers_->Contains(reader->GetFileKey()))
        DropAuxiliary(reader);
    reader->SetUserCount(users - 1);
    reader->Unlock();
    return 0;
}

void GTTFontFilePool::ReleaseTaken(GTTFontFileReader* reader)
{
    reader->Lock();
    const int32_t users = reader->GetUserCount() - 1;
    reader->SetUserCount(users);
    reader->Unlock();
    if (users <= 0) {
        DropAuxiliary(reader);
        delete reader;
    }
}

int GTTFontFilePool::ReleaseByKey(uint32_t fileKey)
{
    Held held(this, 1303, 1327);
    GTTFontFileReader* reader = AsReader(readers_->Take(fileKey));
    if (reader)
        ReleaseTaken(reader);
    return reader != nullptr;
}

void GTTFontFilePool::ReleaseAll()
{
    Held held(this, 1095, 1130);
    std::vector<uint32_t> keys;
    readers_->GetKeys(keys);
    for (uint32_t key : keys)
        if (GTTFontFileReader* reader = AsReader(readers_->Take(key)))
            ReleaseTaken(reader);
}

int GTTFontFilePool::RegisterLocked(GTTFontFileReader* reader, bool withJob, uint32_t jobId)
{
    reader->Lock();
    if (withJob)
        reader->AddUserA(jobId);
    const int added = readers_->Add(reader->GetFileKey(), reader);
    if (added)
        reader->SetUserCount(reader->GetUserCount() + 1);
    reader->Unlock();
    return added;
}

int GTTFontFilePool::Register(GTTFontFileReader* reader)
{
    if (!reader)
        return 0;
    Held held(this, 1163, 1181);
    return RegisterLocked(reader, false, 0);
}

int GTTFontFilePool::RegisterForJob(GTTFontFileReader* reader, uint32_t jobId)
{
    if (!reader)
        return 0;
    Held held(this, 1163, 1181);
    return RegisterLocked(reader, true, jobId);
}

GTTFontFileReader* GTTFontFilePool::Acquire(uint32_t fileKey, uint32_t minChangeCount)
{
    Held held(this, 1220, 1244);
    GTTFontFileReader* reader = AsReader(readers_->Find(fileKey));
    if (!reader)
        return nullptr;
    reader->Lock();
    const bool fresh = reader->GetChangeCount() >= minChangeCount;
    if (fresh)
        reader->SetUserCount(reader->GetUserCount() + 1);
    reader->Unlock();
    return fresh ? reader : nullptr;
}

GTTFontFileReader* GTTFontFilePool::Take(uint32_t fileKey)
{
    Held held(this, 1272, 1274);
    return AsReader(readers_->Take(fileKey));
}

int GTTFontFilePool::Contains(uint32_t fileKey)
{
    Held held(this, 1409, 1411);
    return readers_->Contains(fileKey);
}

void GTTFontFilePool::WriteJob(RWDataOutStream& out, uint32_t jobId)
{
    Held held(this, 949, 953);
    readers_->Write(out, &JobRule, jobId);
}

void GTTFontFilePool::WriteJob(RWBinaryFile& out, uint32_t jobId)
{
    Held held(this, 989, 993);
    readers_->Write(out, &JobRule, jobId);
}

template <class In>
bool GTTFontFilePool::ReadLocked(In& in, uint32_t jobId)
{
    g_readingJob = jobId;
    const bool read = readers_->Read(in);
    g_readingJob = 0;
    return read;
}

// The bytes are foreign: read under a capture, with the pool lock held only around the
// list's read. Nothing the read makes calls back into the pool (a handle binds to its
// reader on first use).
bool GTTFontFilePool::ReadJob(RWDataInStream& in, uint32_t jobId)
{
    return RWForeignRead::Run([&] {
        Held held(this, 894, 913);
        return ReadLocked(in, jobId);
    });
}

bool GTTFontFilePool::ReadJob(RWBinaryFile& in, uint32_t jobId)
{
    return RWForeignRead::Run([&] {
        Held held(this, 894, 913);
        return ReadLocked(in, jobId);
    });
}

uint32_t GTTFontFilePool::SaveToStream(void* buffer, uint32_t capacity, uint32_t jobId)
{
    GCoreServices* services = GCoreServices::Instance();
    std::unique_ptr<GOutStreamHolder> holder(services ? services->OpenMemoryOutputStream(buffer, capacity, 2)
                                                      : new (std::nothrow) GOutStreamHolder(buffer, capacity, 2));
    RWDataOutStream* out = holder ? holder->GetStream() : nullptr;
    if (!out)
        return 0;
    {
        Held held(this, 844, 864);
        readers_->Write(*out, &JobRule, jobId);
    }
    const std::streamoff written = holder->Tell();
    return out->Good() && written > 0 ? uint32_t(written) : 0;
}

bool GTTFontFilePool::LoadFromStream(const void* data, uint32_t length, uint32_t jobId)
{
    // The capture is open before the holder checks the stream's header.
    return RWForeignRead::Run([&] {
        GCoreServices* services = GCoreServices::Instance();
        std::unique_ptr<GInStreamHolder> holder(services ? services->OpenMemoryInputStream(data, length, 2)
                                                         : new (std::nothrow) GInStreamHolder(data, length, 2));
        RWDataInStream* in = holder ? holder->GetStream() : nullptr;
        if (!in || !in->Good())
            return false;
        Held held(this, 894, 913);
        return ReadLocked(*in, jobId);
    });
}

// The reader list's message function: a is the new or visited reader, b the stored one.
int GTTFontFilePool::ReaderRule(GObjectBase* object, uint32_t message, uintptr_t argument)
{
    GTTFontFileReader* a = AsReader(object);
    GTTFontFileReader* b = argument ? reinterpret_cast<GTTFontFileReader*>(argument) : a;
    switch (message) {
    case 1: {
        b->Lock();
        if (g_releasingJob)
            b->RemoveUserB(g_releasingJob);
        const bool unheld = b->GetJobCount() == 0 && b->GetUserCount() == 1;
        if (unheld)
            b->SetUserCount(0);
        b->Unlock();
        return unheld;
    }
    case 3:
        a->Lock();
        a->SetUserCount(1);
        if (g_readingJob)
            a->AddUserB(g_readingJob);
        a->Unlock();
        return 1;
    case 5: {
        LockPair(b, a);
        int replaces = 0;
        GTTFontFileReader* keeper = b;
        if (a->GetChangeCount() > b->GetChangeCount()) {
            if (b->GetUserCount() < 2) {
                b->SetUserCount(b->GetUserCount() - 1);
                a->SetUserCount(1);
                keeper = a;
                replaces = 1;
            } else {
                b->MergeFrom(a);
                b->SetChangeCount(a->GetChangeCount());
            }
        }
        if (g_readingJob)
            keeper->AddUserB(g_readingJob);
        UnlockPair(b, a);
        return replaces;
    }
    case 6: {
        LockPair(a, b);
        const bool equal = a->GetChangeCount() == b->GetChangeCount() && a->IsEqual(b);
        UnlockPair(a, b);
        return equal;
    }
    default:
        return 1;
    }
}

// The writes' message function: the readers that the job (the argument) used. A reader
// accepted for writing stays locked until its write is done.
int GTTFontFilePool::JobRule(GObjectBase* object, uint32_t message, uintptr_t argument)
{
    GTTFontFileReader* reader = AsReader(object);
    const uint32_t job = uint32_t(argument);
    switch (message) {
    case 0:
    case 1: {
        reader->Lock();
        const int holds = reader->ContainsJob(job);
        if (message == 0 || !holds)
            reader->Unlock();
        return holds;
    }
    case 2:
        reader->RemoveUserA(job);
        reader->Unlock();
        return 1;
    default:
        return 1;
    }
}
