#include "printer/GOSFactory.h"

#include "foundation/RWErrorCapture.h"
#include "foundation/RWForeignRead.h"
#include "foundation/RWThreadContext.h"
#include "model/GConfiguration.h"
#include "model/GCoreServices.h"
#include "model/GDynamicLibrary.h"
#include "model/GStreamHolder.h"
#include "model/GValueAttribute.h"
#include "model/OSVersionRecord.h"
#include "model/GCriticalError.h"
#include "printer/GDriverObject.h"
#include "printer/GPlatformCalls.h"
#include "printer/GSettingsClasses.h"
#include "printer/GObjectSerializer.h"
#include "model/GLock.h"

#include <zlib.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>

namespace {

GOSFactory* g_instance = nullptr;
GLock* g_globalLock = nullptr;

// Unique names give up after this many taken or uncreatable candidates.
const int kUniqueNameAttempts = 512;
const size_t kMaxTemplate = 259;

// Deletes the registered instance once, at module unload.
struct InstanceOwner {
    ~InstanceOwner() { delete g_instance; }
} g_owner;

// Whether the runtime's random source was seeded on this thread (the runtime keeps one
// per thread): set to a marker once seeded.
const bool kSeeded = true;
const RWThreadSlot<const bool> t_randomSeeded;

wchar_t Base36Digit(int value)
{
    const int digit = value % 36;
    return static_cast<wchar_t>(digit < 10 ? L'0' + digit : L'A' + digit - 10);
}

// The lower folders' view of the live services: every call goes to the live instance.
class CoreServicesOfInstance : public GCoreServices {
public:
    GLock* CreateLock() override { return g_instance->CreateLock(); }
    void EnsureLock(GLock** lock) override { g_instance->EnsureLock(lock); }
    void GetOSVersion(uint32_t& kind, uint32_t& version, uint32_t& build) override
    {
        g_instance->GetOSVersion(kind, version, build);
    }
    GInStreamHolder* OpenMemoryInputStream(const void* data, uint32_t length, int kind) override
    {
        return g_instance->OpenMemoryInputStream(data, length, kind);
    }
    GOutStreamHolder* OpenMemoryOutputStream(void* buffer, uint32_t size, int kind) override
    {
        return g_instance->OpenMemoryOutputStream(buffer, size, kind);
    }
    GGlyphSource* CreateGlyphSource() override { return g_instance->CreateGlyphSource(); }
};

CoreServicesOfInstance g_coreServices;

} // namespace

GOSFactory::GOSFactory() : moduleHandle_(0), storedForm_(0xFFFF), serializer_(GObjectSerializer::Make())
{
    delete g_instance;
    g_instance = this;
    GCoreServices::Install(&g_coreServices);
}

GOSFactory::~GOSFactory()
{
    if (g_instance == this) {
        g_instance = nullptr;
        GCoreServices::Install(nullptr);
        delete g_globalLock;
        g_globalLock = nullptr;
    }
    delete serializer_;
}

GOSFactory* GOSFactory::Instance() { return g_instance; }
GLock* GOSFactory::GlobalLock() { return g_globalLock; }

void GOSFactory::SetGlobalLock(GLock* lock)
{
    if (lock != g_globalLock)
        delete g_globalLock;
    g_globalLock = lock;
}

uint32_t GOSFactory::ThreadSeed(uint32_t time)
{
    return time ^ (GetTickCount() * 2654435761u) ^ (GetCurrentThreadId() << 16) ^ GetCurrentThreadId();
}

GDriverObject* GOSFactory::AdaptSecondaryObject(GDriverObject* object) { return object; }
void GOSFactory::SetTimeBias(int16_t) {}

void GOSFactory::GetOSVersion(uint32_t& kind, uint32_t& version, uint32_t& build)
{
    OSVersionRecord record = {0, 0, 0};
    if (!DetectOSVersion(record))
        record = {0, 0, 0};
    kind = record.kind;
    version = record.version;
    build = record.build;
}

void GOSFactory::EnsureLock(GLock** lock)
{
    if (!lock || *lock)
        return;
    GLock* global = g_globalLock;
    if (global && global->Acquire() != 0)
        ReportCriticalError(2, 301, "osfactry", 591, "");
    if (!*lock)
        *lock = CreateLock();
    if (global && global->Release() == -2)
        ReportCriticalError(2, 302, "osfactry", 600, "");
}

void GOSFactory::SetModuleHandle(uint32_t handle) { moduleHandle_ = handle; }
uint32_t GOSFactory::GetModuleHandle() { return moduleHandle_; }

GGlyphSource* GOSFactory::CreateGlyphSource() { return nullptr; }
void GOSFactory::GetDriverDirectory(RWWString& path) { path = RWWString(); }

int GOSFactory::IsTrustedLibraryPath(const RWWString& path)
{
    RWWString module;
    RWWString drivers;
    GetModuleDirectory(module);
    GetDriverDirectory(drivers);
    return GDynamicLibrary::IsInsideFolder(path, module) || GDynamicLibrary::IsInsideFolder(path, drivers);
}

GPrinterLibrary* GOSFactory::CreateMiniInstaller(const RWWString&, uint32_t, uint32_t) { return nullptr; }

void GOSFactory::MakeUniqueFile(RWWString& name, const RWWString& folder, const RWWString& nameTemplate, int create)
{
    RWWString pattern = nameTemplate;
    if (pattern.IsNull())
        UniqueNameTemplate(pattern);
    if (pattern.Length() > kMaxTemplate)
        pattern.Resize(kMaxTemplate);
    RWWString base = folder;
    const wchar_t separator = PathSeparator();
    if (!base.IsNull() && base[base.Length() - 1] != separator)
        base.Append(separator);

    // Seeding once per thread keeps the sequence going: seeding on every call from a
    // clock of whole seconds would repeat the names of an earlier call.
    if (!t_randomSeeded.Get()) {
        SeedRandom();
        t_randomSeeded.Set(&kSeeded);
    }
    for (int attempt = 0; attempt < kUniqueNameAttempts; ++attempt) {
        RWWString candidate = base;
        for (size_t i = 0; i < pattern.Length(); ++i)
            candidate.Append(pattern[i] == L'&' ? Base36Digit(Random() & 0x7FFFFFFF) : pattern[i]);
        if (FileExists(candidate) == 1)
            continue;
        if (!create || CreateNewFile(candidate) == 1) {
            name = candidate;
            return;
        }
    }
    name = RWWString();
}

wchar_t GOSFactory::PathSeparator() { return L'\\'; }
void GOSFactory::UniqueNameTemplate(RWWString& nameTemplate) { nameTemplate = L"&&&&&&&&.&&&"; }
void* GOSFactory::Allocate(size_t size) { return std::malloc(size); }
void GOSFactory::Free(void* block) { std::free(block); }
void GOSFactory::Reserved3(uint32_t) {}

namespace {

// The bin pool is read by code that predates the compact form: always the object graph.
bool AlwaysObjectGraph(const RWWString& name) { return name == RWWString(L"DEKBinPool"); }

// A first read of this size gets most stored objects in one go.
const uint32_t kFirstReadSize = 1024;
// A stored object larger than this is damaged, not read.
const uint32_t kMaxStoredObject = 16u << 20;
const int kSaveAttempts = 3;

} // namespace

// Only a found value is kept: a first caller without a configuration answers the
// object-graph form for itself and leaves the choice to a caller that has one.
uint16_t GOSFactory::StoredFormFor(GDriverObject* driver)
{
    if (storedForm_ != 0xFFFF)
        return storedForm_;
    bool found = false;
    const uint16_t choice = driver ? driver->GetStoredFormChoice(&found) : 0;
    if (found)
        storedForm_ = choice;
    return choice;
}

int GOSFactory::SaveObjectToPrinterData(GDriverObject* driver, const RWWString& name, const GObjectBase* object)
{
    std::unique_ptr<uint8_t[]> buffer;
    uint32_t length = 0;
    if (!PackStoredObject(driver, name, object, buffer, length))
        return 0;
    return SetPrinterDataBinary(driver, name, buffer.get(), length);
}

int GOSFactory::PackStoredObject(GDriverObject* driver, const RWWString& name, const GObjectBase* object,
                                 std::unique_ptr<uint8_t[]>& packed, uint32_t& length)
{
    if (!object)
        return 0;
    const uint32_t stored = object->BinaryStoreSize();
    uint32_t size = stored + stored / 2;
    for (int attempt = 0; attempt < kSaveAttempts; ++attempt, size *= 2) {
        std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[size ? size : 1]);
        if (!buffer)
            return 0;
        std::unique_ptr<GOutStreamHolder> holder(OpenMemoryOutputStream(buffer.get(), size, 1));
        RWDataOutStream* stream = holder ? holder->GetStream() : nullptr;
        if (!stream || !stream->Good())
            return 0;
        const bool compact = StoredFormFor(driver) == 1 && !AlwaysObjectGraph(name);
        const std::streamoff start = holder->Tell();
        int written = 1;
        {
            // A buffer that proves too small is a retry, never a reported error.
            RWErrorCapture capture;
            if (compact)
                written = serializer_->Save(object, *stream, holder.get(), 1);
            else
                *stream << object;
            stream->Flush();
        }
        // The compact form refuses what it cannot hold (a record too long, nesting too
        // deep) with room to spare: a partial tree is never stored.
        if (!written && stream->Good())
            return 0;
        if (stream->Good()) {
            const std::streamoff end = holder->Tell();
            if (end < start)
                return 0;
            packed = std::move(buffer);
            length = static_cast<uint32_t>(end - start);
            return 1;
        }
    }
    return 0;
}

GObjectBase* GOSFactory::LoadObjectFromPrinterData(GDriverObject* driver, const RWWString& name, int portable)
{
    std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[kFirstReadSize]);
    if (!buffer)
        return nullptr;
    uint32_t capacity = kFirstReadSize;
    uint32_t length = 0;
    int read = GetPrinterDataBinary(driver, name, buffer.get(), capacity, length);
    if (read != 1 && length > kFirstReadSize) {
        // The reported length is foreign: bounded before it sizes an allocation.
        if (length > kMaxStoredObject)
            return nullptr;
        capacity = length;
        buffer.reset(new (std::nothrow) uint8_t[capacity]);
        if (!buffer)
            return nullptr;
        read = GetPrinterDataBinary(driver, name, buffer.get(), capacity, length);
    }
    if (read != 1 || length == 0 || length > capacity)
        return nullptr;
    return UnpackStoredObject(driver, name, buffer.get(), length, portable);
}

GObjectBase* GOSFactory::UnpackStoredObject(GDriverObject* driver, const RWWString& name, const uint8_t* bytes,
                                            uint32_t length, int portable)
{
    // Damaged printer data is an absent object, never a fatal error: the capture is
    // open before the holder checks the stream's header.
    const bool compact = StoredFormFor(driver) == 1 && !portable && !AlwaysObjectGraph(name);
    return RWForeignRead::Make<GObjectBase>([&]() -> GObjectBase* {
        std::unique_ptr<GInStreamHolder> holder(OpenMemoryInputStream(bytes, length, portable ? 0 : 1));
        RWDataInStream* stream = holder ? holder->GetStream() : nullptr;
        if (!stream || !stream->Good())
            return nullptr;
        std::unique_ptr<GObjectBase> object;
        if (compact) {
            object.reset(serializer_->Load(*stream, holder.get(), driver, 1));
        } else {
            // Printer data holds settings: the bytes make nothing else.
            GSettingsClasses::Scope settingsOnly;
            GObjectBase* read = nullptr;
            *stream >> read;
            object.reset(read);
        }
        return stream->Fail() ? nullptr : object.release();
    });
}

bool GOSFactory::PackForPrinterData(GDriverObject* driver, const RWWString& name, const GObjectBase* object,
                                    std::vector<uint8_t>& bytes)
{
    std::unique_ptr<uint8_t[]> packed;
    uint32_t length = 0;
    if (!PackStoredObject(driver, name, object, packed, length))
        return false;
    bytes.assign(packed.get(), packed.get() + length);
    return true;
}

GObjectBase* GOSFactory::UnpackPrinterData(GDriverObject* driver, const RWWString& name,
                                           const std::vector<uint8_t>& bytes, int portable)
{
    if (bytes.empty() || bytes.size() > kMaxStoredObject)
        return nullptr;
    return UnpackStoredObject(driver, name, bytes.data(), uint32_t(bytes.size()), portable);
}

int GOSFactory::SetPrinterDataWhole(GDriverObject* driver, const RWWString& name, const void* data, uint32_t length)
{
    return SetPrinterDataBinary(driver, name, data, length);
}

int GOSFactory::SetPrinterDataChunks(GDriverObject* driver, const RWWString& name, const void* data, uint32_t length)
{
    return SetPrinterDataBinary(driver, name, data, length);
}

int GOSFactory::MarkPrinterDataWriting(GDriverObject*, const RWWString&, const void*, uint32_t, bool,
                                       std::vector<uint8_t>& former)
{
    former.clear();
    return 1;
}

int GOSFactory::RestorePrinterDataCheck(GDriverObject*, const RWWString&, const std::vector<uint8_t>&) { return 1; }

GOSFactory::StoredRead GOSFactory::GetPrinterDataWhole(GDriverObject* driver, const RWWString& name, uint32_t bound,
                                                       std::vector<uint8_t>& bytes, bool)
{
    bytes.clear();
    uint32_t length = 0;
    if (GetPrinterDataBinary(driver, name, nullptr, 0, length) != 1)
        return IsPrinterDataAbsent(driver, name) ? StoredRead::kAbsent : StoredRead::kUnreadable;
    // The size query's answer is the printer's: bounded before it sizes the buffer.
    if (length > bound)
        return StoredRead::kUnreadable;
    bytes.resize(length ? length : 1);
    if (GetPrinterDataBinary(driver, name, bytes.data(), uint32_t(bytes.size()), length) != 1 || length > bytes.size()) {
        bytes.clear();
        return StoredRead::kUnreadable;
    }
    bytes.resize(length);
    return StoredRead::kRead;
}

bool GOSFactory::ListPrinterDataNames(GDriverObject*, std::vector<RWWString>& names)
{
    names.clear();
    return false;
}

void GOSFactory::ReadChunkedValue(GDriverObject* driver, const RWWString& name, uint32_t bound, ChunkedValue& value,
                                  bool)
{
    value = ChunkedValue();
    const StoredRead read = GetPrinterDataWhole(driver, name, bound, value.bytes);
    value.present = read != StoredRead::kAbsent;
    value.whole = value.matches = read == StoredRead::kRead;
    value.check = value.whole ? ChunkedValue::Check::kDone : ChunkedValue::Check::kNone;
    value.checkCrc = value.whole ? uint32_t(crc32(0, value.bytes.data(), uInt(value.bytes.size()))) : 0;
}

GObjectBase* GOSFactory::StoredAndReadBack(GDriverObject* driver, const RWWString& name, const GObjectBase* object)
{
    std::unique_ptr<uint8_t[]> packed;
    uint32_t length = 0;
    if (!PackStoredObject(driver, name, object, packed, length) || length == 0)
        return nullptr;
    return UnpackStoredObject(driver, name, packed.get(), length, 0);
}

// Services that cannot ask the spooler take a value whose size query finds nothing as
// absent.
bool GOSFactory::IsPrinterDataAbsent(GDriverObject* driver, const RWWString& name)
{
    uint32_t length = 0;
    return GetPrinterDataBinary(driver, name, nullptr, 0, length) != 1 && length == 0;
}

int GOSFactory::RemovePrinterDataBinary(GDriverObject* driver, const RWWString& name)
{
    return DeletePrinterDriverDataValue(driver, name) == 1 || IsPrinterDataAbsent(driver, name) ? 1 : 0;
}

GObjectBase* GOSFactory::LoadStoredObject(GDriverObject* driver, const RWWString& name, StoredRead& outcome)
{
    GObjectBase* object = LoadObjectFromPrinterData(driver, name, 0);
    outcome = object                              ? StoredRead::kRead
              : IsPrinterDataAbsent(driver, name) ? StoredRead::kAbsent
                                                  : StoredRead::kUnreadable;
    return object;
}

uint64_t GOSFactory::PrinterDataVersion(GDriverObject*) { return 0; }

bool GOSFactory::IsPrinterDataKept(GDriverObject*, const RWWString&) { return false; }

bool GOSFactory::HasCurrentCheck(GDriverObject*, const RWWString&) { return true; }

namespace {

std::atomic<uint32_t> g_lockWait{GOSFactory::kLockWait};
// The threads within a NoLockWaitScope, 0 for a free place.
constexpr int kNoWaitThreads = 16;
std::atomic<uint32_t> g_noWaitThreads[kNoWaitThreads] = {};

} // namespace

GOSFactory::NoLockWaitScope::NoLockWaitScope() : slot_(-1)
{
    const uint32_t self = GetCurrentThreadId();
    for (int i = 0; i < kNoWaitThreads && slot_ < 0; ++i) {
        uint32_t free = 0;
        if (g_noWaitThreads[i].compare_exchange_strong(free, self))
            slot_ = i;
    }
}

GOSFactory::NoLockWaitScope::~NoLockWaitScope()
{
    if (slot_ >= 0)
        g_noWaitThreads[slot_].store(0);
}

uint32_t GOSFactory::LockWait()
{
    const uint32_t self = GetCurrentThreadId();
    for (const std::atomic<uint32_t>& thread : g_noWaitThreads)
        if (thread.load() == self)
            return 0;
    return g_lockWait.load();
}

uint32_t GOSFactory::SetLockWaitForTesting(uint32_t wait) { return g_lockWait.exchange(wait); }

int GOSFactory::LockPrinterStores(GDriverObject*, uint32_t, void*& held)
{
    held = nullptr;
    return kStoresLockOwned;
}

void GOSFactory::UnlockPrinterStores(void*) {}

void GOSFactory::ForgetKeptPrinterData(GDriverObject*) {}

void GOSFactory::GetPrinterDataStringNow(RWWString& result, GDriverObject* driver, const RWWString& name,
                                         const RWWString& fallback)
{
    GetPrinterDataString(result, driver, name, fallback);
}

uint64_t GOSFactory::FormsVersion() { return 0; }

FORM_INFO_1W* GOSFactory::ReadForms(void*, uint32_t& count)
{
    count = 0;
    return nullptr;
}

GInStreamHolder* GOSFactory::OpenDriverDataStream(const RWWString& path, std::shared_ptr<const void>& keep)
{
    keep.reset();
    return OpenFileInputStream(path, 1);
}

int GOSFactory::IsPassThroughDisabled() { return 0; }

uint32_t GOSFactory::RunCommand(const RWWString& command, int show)
{
    const int needed = WideCharToMultiByte(CP_ACP, 0, command.Data(), -1, nullptr, 0, nullptr, nullptr);
    if (needed <= 0 || needed > 32768)
        return 0;
    std::unique_ptr<char[]> narrow(new (std::nothrow) char[needed]);
    if (!narrow || WideCharToMultiByte(CP_ACP, 0, command.Data(), -1, narrow.get(), needed, nullptr, nullptr) != needed)
        return 0;
    return ::WinExec(narrow.get(), static_cast<UINT>(show));
}

void GOSFactory::GetSystemFolder(RWWString& path)
{
    wchar_t folder[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    path = length > 0 && length < MAX_PATH ? RWWString(folder, length) : RWWString();
}
int32_t GOSFactory::Reserved4() { return -1; }

GOSFactory::FolderMade GOSFactory::MakeFolder(const RWWString& path)
{
    GPlatformCalls::Count(GPlatformCalls::kFolderMade);
    if (CreateDirectoryW(path.Data(), nullptr))
        return FolderMade::kMade;
    return GetLastError() == ERROR_ALREADY_EXISTS ? FolderMade::kExists : FolderMade::kFailed;
}

int GOSFactory::RemoveFolder(const RWWString& path) { return RemoveDirectoryW(path.Data()) != 0; }

// A file that is not there is not asked to go: asking whether it exists is cheaper on
// the system than a delete that fails.
int GOSFactory::RemoveFile(const RWWString& path)
{
    return GetFileAttributesW(path.Data()) != INVALID_FILE_ATTRIBUTES && DeleteFileW(path.Data()) != 0;
}

uint32_t GOSFactory::ProcessId() { return GetCurrentProcessId(); }

uint32_t GOSFactory::ProcessorCount()
{
    SYSTEM_INFO info = {};
    GetSystemInfo(&info);
    return info.dwNumberOfProcessors ? info.dwNumberOfProcessors : 1;
}
