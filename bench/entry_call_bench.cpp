// Entry calls as a plain application makes them, on the printer installed for the run:
//   - DocumentPropertiesW size query followed by DM_OUT_BUFFER (one "call" is the pair),
//   - the same with a DM_IN_BUFFER merge of the printer's own DEVMODE,
//   - DeviceCapabilitiesW DC_PAPERNAMES,
// single-threaded against the same calls on a printer of Wine's own PostScript driver
// (installed with a small printer description when the prefix has none), and the merge
// call against the module's merge of the same DEVMODE made in this process. Where the
// time goes: the driver object's own operations in this process (no spooler between),
// the prologue's identity and kept object, and one more object made afresh. Then the
// first and third calls from 1, 4 and 16 threads
// (each thread with its own printer handle), in calls a second, and whole rounds of a new
// application (its own handle opened and closed each round, the size query, DM_OUT_BUFFER,
// a merge, DC_PAPERS, DC_BINS, DC_PAPERNAMES) from 1, 4 and 16 threads, in rounds a
// second, and the module loaded, asked and let go 30 times (heaps and committed bytes).
// The allocations the module makes in this process for one new driver object,
// one size query, one merge and one DC_PAPERNAMES are counted by this program's own
// operator new. Last, MergeDevMode in this process against one inflate plus one deflate
// of the DEVMODE's packed settings through zlib streams kept between calls. Then the
// same rounds warm, a fixed number a thread from 1, 4 and 16 threads after a first round
// each, and what the module asks the platform (registry value reads, key opens, file
// opens, lock waits, looks at a change notification) for each warm call of such a round,
// counted by its system services in this process. Every ratio is of two rates measured
// in this run.
//
//   entry_call_bench.exe [rounds] [seconds per thread row] [warm rounds a thread]
//                                 (built beside the tests: build/tests/)
//   entry_call_bench.exe trace    one call of each kind between OutputDebugString marks, for
//                                 a WINEDEBUG=+server,+debugstr trace of what one call asks
//   entry_call_bench.exe objects [seconds]   driver objects made afresh in a loop, for a profiler
#include "PostScriptPrinter.h"
#include "TestPrinter.h"
#include "entry/driverui/GDriverUI.h"
#include "entry/module/DriverPlatform.h"
#include "entry/module/EntryPrologue.h"
#include "printer/GPlatformCalls.h"
#include "entry/module/ModuleLifetime.h"
#include "settings/devmode/GDevModeBase.h"
#include "settings/devmode/GDriverDevMode.h"

#include <windows.h>
#include <psapi.h>
#include <winspool.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <memory>
#include <new>
#include <thread>
#include <vector>

// Every allocation of this process's own code (the module's classes are linked in) is
// counted while counting is on; the blocks come from the runtime's heap, as in the
// module.
namespace {
std::atomic<bool> g_counting{false};
std::atomic<long> g_allocations{0};
std::atomic<long long> g_bytes{0};

void* CountedAllocation(std::size_t size) noexcept
{
    if (g_counting.load(std::memory_order_relaxed)) {
        g_allocations.fetch_add(1, std::memory_order_relaxed);
        g_bytes.fetch_add(static_cast<long long>(size), std::memory_order_relaxed);
    }
    return std::malloc(size ? size : 1);
}

void* CountedOrHandled(std::size_t size)
{
    for (;;) {
        if (void* block = CountedAllocation(size))
            return block;
        std::new_handler handler = std::get_new_handler();
        if (!handler)
            throw std::bad_alloc();
        handler();
    }
}
} // namespace

void* operator new(std::size_t size) { return CountedOrHandled(size); }
void* operator new[](std::size_t size) { return CountedOrHandled(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return CountedAllocation(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return CountedAllocation(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }

namespace {

// Allocations and bytes of one run of f, counted in this thread's run only.
struct Allocations {
    long count;
    long long bytes;
};

template <class F>
Allocations CountAllocations(F f)
{
    g_allocations = 0;
    g_bytes = 0;
    g_counting = true;
    f();
    g_counting = false;
    return {g_allocations.load(), g_bytes.load()};
}

using Clock = std::chrono::steady_clock;

// Seconds a call, the best of three runs of the rounds (the machine is shared).
template <class F>
double SecondsPerCall(int rounds, F f)
{
    double best = 0;
    for (int run = 0; run < 3; ++run) {
        const Clock::time_point start = Clock::now();
        for (int i = 0; i < rounds; ++i)
            f();
        const double each = std::chrono::duration<double>(Clock::now() - start).count() / rounds;
        if (run == 0 || each < best)
            best = each;
    }
    return best;
}

// A small PostScript printer description for Wine's PostScript driver: two papers.
const char kDescription[] =
    "*PPD-Adobe: \"4.3\"\n*FormatVersion: \"4.3\"\n*LanguageVersion: English\n*LanguageEncoding: ISOLatin1\n"
    "*ModelName: \"QZ Bench PostScript\"\n*ShortNickName: \"QZ Bench PostScript\"\n"
    "*NickName: \"QZ Bench PostScript\"\n*PSVersion: \"(3010.000) 0\"\n*LanguageLevel: \"3\"\n"
    "*ColorDevice: True\n*DefaultColorSpace: RGB\n*TTRasterizer: Type42\n*DefaultResolution: 600dpi\n"
    "*OpenUI *PageSize/Media Size: PickOne\n*OrderDependency: 10 AnySetup *PageSize\n*DefaultPageSize: Letter\n"
    "*PageSize Letter/US Letter: \"<</PageSize[612 792]>>setpagedevice\"\n"
    "*PageSize A4/A4: \"<</PageSize[595 842]>>setpagedevice\"\n*CloseUI: *PageSize\n"
    "*DefaultImageableArea: Letter\n*ImageableArea Letter/US Letter: \"18 36 594 756\"\n"
    "*ImageableArea A4/A4: \"18 36 577 806\"\n*DefaultPaperDimension: Letter\n"
    "*PaperDimension Letter/US Letter: \"612 792\"\n*PaperDimension A4/A4: \"595 842\"\n";

// Installs Wine's PostScript driver under its usual name with the description above,
// as Wine's own set-up does for a printer it finds; false when it cannot be.
bool InstallPostScriptDriver()
{
    wchar_t system[MAX_PATH] = {}, temp[MAX_PATH] = {};
    if (!GetSystemDirectoryW(system, MAX_PATH) || !GetTempPathW(MAX_PATH, temp))
        return false;
    const std::wstring engine = std::wstring(system) + L"\\wineps.drv";
    const std::wstring description = std::wstring(temp) + L"qzbench.ppd";
    HANDLE file = CreateFileW(description.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    WriteFile(file, kDescription, DWORD(sizeof kDescription - 1), &written, nullptr);
    CloseHandle(file);
    DRIVER_INFO_3W info = {};
    info.cVersion = 3;
    info.pName = const_cast<wchar_t*>(L"Wine PostScript Driver");
    info.pEnvironment = const_cast<wchar_t*>(L"Windows NT x86");
    info.pDriverPath = const_cast<wchar_t*>(engine.c_str());
    info.pDataFile = const_cast<wchar_t*>(description.c_str());
    info.pConfigFile = const_cast<wchar_t*>(engine.c_str());
    return AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&info), APD_COPY_ALL_FILES | 0x10) != 0;
}

// A printer on Wine's own PostScript driver, installed when the prefix has none; empty
// when none can be added.
std::wstring AddEntryBenchPostScriptPrinter()
{
    static bool installed = false;
    if (!installed)
        installed = true, InstallPostScriptDriver();
    return AddPostScriptPrinter(L"QZ Entry Bench PostScript ");
}

// One application's view of a printer: its handle, name and the DEVMODE it keeps.
class Application {
public:
    explicit Application(const std::wstring& name) : name_(name)
    {
        OpenPrinterW(const_cast<wchar_t*>(name_.c_str()), &handle_, nullptr);
        const LONG size = DocumentPropertiesW(nullptr, handle_, Name(), nullptr, nullptr, 0);
        in_.assign(size > 0 ? size_t(size) : GDevModeBase::kTotalSize, 0);
        out_ = in_;
        DocumentPropertiesW(nullptr, handle_, Name(), reinterpret_cast<DEVMODEW*>(in_.data()), nullptr, DM_OUT_BUFFER);
        const DWORD count = DeviceCapabilitiesW(name_.c_str(), L"FILE:", DC_PAPERNAMES, nullptr, nullptr);
        names_.assign((count == DWORD(-1) ? 1 : count + 1) * 64, 0);
    }
    ~Application()
    {
        if (handle_)
            ClosePrinter(handle_);
    }
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    bool Ready() const { return handle_ != nullptr; }
    const std::vector<uint8_t>& DevMode() const { return in_; }

    // The size query and the copy out.
    bool SizeAndCopy()
    {
        const LONG size = DocumentPropertiesW(nullptr, handle_, Name(), nullptr, nullptr, 0);
        if (size <= 0 || size_t(size) > out_.size())
            return false;
        return DocumentPropertiesW(nullptr, handle_, Name(), Out(), nullptr, DM_OUT_BUFFER) == LONG(IDOK);
    }
    // The size query and the copy out of the kept DEVMODE merged in.
    bool SizeAndMerge()
    {
        const LONG size = DocumentPropertiesW(nullptr, handle_, Name(), nullptr, nullptr, 0);
        if (size <= 0 || size_t(size) > out_.size())
            return false;
        return DocumentPropertiesW(nullptr, handle_, Name(), Out(), reinterpret_cast<DEVMODEW*>(in_.data()),
                                   DM_IN_BUFFER | DM_OUT_BUFFER) == LONG(IDOK);
    }
    bool PaperNames()
    {
        return DeviceCapabilitiesW(name_.c_str(), L"FILE:", DC_PAPERNAMES, names_.data(), nullptr) != -1;
    }

private:
    wchar_t* Name() { return const_cast<wchar_t*>(name_.c_str()); }
    DEVMODEW* Out() { return reinterpret_cast<DEVMODEW*>(out_.data()); }

    std::wstring name_;
    HANDLE handle_ = nullptr;
    std::vector<uint8_t> in_, out_;
    std::vector<wchar_t> names_;
};

struct Row {
    double sizeAndCopy, sizeAndMerge, paperNames;
};

Row MeasureCalls(const std::wstring& name, int rounds, bool& failed)
{
    Application application(name);
    failed = !application.Ready();
    Row row = {};
    if (failed)
        return row;
    row.sizeAndCopy = SecondsPerCall(rounds, [&] { failed |= !application.SizeAndCopy(); });
    row.sizeAndMerge = SecondsPerCall(rounds, [&] { failed |= !application.SizeAndMerge(); });
    row.paperNames = SecondsPerCall(rounds, [&] { failed |= !application.PaperNames(); });
    return row;
}

// The printer's stores of settings ("365", "366", "368" and their chunks), taken out of
// its data for the life of the object and put back as they were.
class StoresTakenOut {
public:
    explicit StoresTakenOut(const TestPrinter& printer)
        : key_(printer.RegistryKey() + L"\\PrinterDriverData")
    {
        HKEY key;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key_.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
            return;
        for (DWORD i = 0;; ++i) {
            wchar_t name[256];
            std::vector<uint8_t> bytes(1 << 16);
            DWORD length = 256, size = DWORD(bytes.size()), type = 0;
            if (RegEnumValueW(key, i, name, &length, nullptr, &type, bytes.data(), &size) != ERROR_SUCCESS)
                break;
            const std::wstring text(name, length);
            for (const wchar_t* store : {L"365", L"366", L"368"})
                if (text == store || text.compare(0, 4, std::wstring(store) + L":") == 0)
                    taken_.push_back({text, type, std::vector<uint8_t>(bytes.begin(), bytes.begin() + size)});
        }
        for (const Value& value : taken_)
            RegDeleteValueW(key, value.name.c_str());
        RegCloseKey(key);
    }
    ~StoresTakenOut()
    {
        HKEY key;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key_.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
            return;
        for (const Value& value : taken_)
            RegSetValueExW(key, value.name.c_str(), 0, value.type, value.bytes.data(), DWORD(value.bytes.size()));
        RegCloseKey(key);
    }
    StoresTakenOut(const StoresTakenOut&) = delete;
    StoresTakenOut& operator=(const StoresTakenOut&) = delete;
    bool Any() const { return !taken_.empty(); }

private:
    struct Value {
        std::wstring name;
        DWORD type;
        std::vector<uint8_t> bytes;
    };
    std::wstring key_;
    std::vector<Value> taken_;
};

// Runs a worker on each of the threads for the seconds, all starting together: what the
// workers counted, a second. Each thread makes its own worker (makeWorker()), whose
// step(ok) does one round and answers what it counts, clearing ok when a call failed.
template <class MakeWorker>
double CountedPerSecond(int threads, double seconds, bool& failed, MakeWorker makeWorker)
{
    std::atomic<long> counted{0};
    std::atomic<int> ready{0};
    std::atomic<bool> go{false}, stop{false}, bad{false};
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([&] {
            auto step = makeWorker();
            ++ready;
            while (!go)
                std::this_thread::yield();
            long mine = 0;
            while (!stop) {
                bool ok = true;
                mine += step(ok);
                if (!ok)
                    bad = true;
            }
            counted += mine;
        });
    while (ready < threads)
        std::this_thread::yield();
    const Clock::time_point start = Clock::now();
    go = true;
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    stop = true;
    for (std::thread& worker : workers)
        worker.join();
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    failed |= bad;
    return elapsed > 0 ? counted / elapsed : 0;
}

// Calls a second from the given number of threads, each an application of its own,
// each round one size query + copy out and one paper-name query (three calls).
double CallsPerSecond(const std::wstring& name, int threads, double seconds, bool& failed)
{
    return CountedPerSecond(threads, seconds, failed, [&] {
        return [application = std::make_unique<Application>(name)](bool& ok) {
            ok = application->SizeAndCopy() && application->PaperNames();
            return 3L;
        };
    });
}

// One new application's round: its own printer handle opened, the size query,
// DM_OUT_BUFFER, a merge of the given DEVMODE, DC_PAPERS, DC_BINS, DC_PAPERNAMES, the
// handle closed. False when any call failed.
bool NewApplicationRound(const std::wstring& name, const std::vector<uint8_t>& given, std::vector<uint8_t>& out,
                         std::vector<wchar_t>& names)
{
    HANDLE handle = nullptr;
    wchar_t* printerName = const_cast<wchar_t*>(name.c_str());
    if (!OpenPrinterW(printerName, &handle, nullptr))
        return false;
    bool good = true;
    const LONG size = DocumentPropertiesW(nullptr, handle, printerName, nullptr, nullptr, 0);
    good &= size > 0 && size_t(size) <= out.size();
    if (good) {
        DEVMODEW* target = reinterpret_cast<DEVMODEW*>(out.data());
        good &= DocumentPropertiesW(nullptr, handle, printerName, target, nullptr, DM_OUT_BUFFER) == LONG(IDOK);
        good &= DocumentPropertiesW(nullptr, handle, printerName, target,
                                    reinterpret_cast<DEVMODEW*>(const_cast<uint8_t*>(given.data())),
                                    DM_IN_BUFFER | DM_OUT_BUFFER) == LONG(IDOK);
    }
    std::vector<WORD> papers(256);
    const DWORD paperCount = DeviceCapabilitiesW(name.c_str(), L"FILE:", DC_PAPERS, nullptr, nullptr);
    const DWORD binCount = DeviceCapabilitiesW(name.c_str(), L"FILE:", DC_BINS, nullptr, nullptr);
    good &= paperCount != DWORD(-1) && paperCount <= papers.size() && paperCount * 64 <= names.size();
    good &= binCount != DWORD(-1) && binCount <= papers.size();
    if (good) {
        good &= DeviceCapabilitiesW(name.c_str(), L"FILE:", DC_PAPERS, reinterpret_cast<wchar_t*>(papers.data()),
                                    nullptr) != -1;
        good &= DeviceCapabilitiesW(name.c_str(), L"FILE:", DC_BINS, reinterpret_cast<wchar_t*>(papers.data()),
                                    nullptr) != -1;
        good &= DeviceCapabilitiesW(name.c_str(), L"FILE:", DC_PAPERNAMES, names.data(), nullptr) != -1;
    }
    ClosePrinter(handle);
    return good;
}

// Rounds a second from the given number of threads, each round a new application.
double NewApplicationRoundsPerSecond(const std::wstring& name, const std::vector<uint8_t>& given, int threads,
                                     double seconds, bool& failed)
{
    return CountedPerSecond(threads, seconds, failed, [&] {
        return [&name, &given, out = std::vector<uint8_t>(given.size() + 4096),
                names = std::vector<wchar_t>(256 * 64)](bool& ok) mutable {
            ok = NewApplicationRound(name, given, out, names);
            return 1L;
        };
    });
}

// Warm rounds a second from the given number of threads: each thread makes one round
// first, then all start together and each makes the given rounds, a new application
// each; the rate is of all rounds over the time until the last thread ends.
double WarmRoundsPerSecond(const std::wstring& name, const std::vector<uint8_t>& given, int threads, int rounds,
                           bool& failed)
{
    std::atomic<int> ready{0};
    std::atomic<bool> go{false}, bad{false};
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([&] {
            std::vector<uint8_t> out(given.size() + 4096);
            std::vector<wchar_t> names(256 * 64);
            if (!NewApplicationRound(name, given, out, names))
                bad = true;
            ++ready;
            while (!go)
                std::this_thread::yield();
            for (int round = 0; round < rounds; ++round)
                if (!NewApplicationRound(name, given, out, names))
                    bad = true;
        });
    while (ready < threads)
        std::this_thread::yield();
    const Clock::time_point start = Clock::now();
    go = true;
    for (std::thread& worker : workers)
        worker.join();
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    failed |= bad;
    return elapsed > 0 ? double(threads) * rounds / elapsed : 0;
}

// What one call asked the platform through the module's system services.
template <class F>
GPlatformCalls::Totals PlatformCallsOf(F f)
{
    const GPlatformCalls::Totals before = GPlatformCalls::Now();
    f();
    return GPlatformCalls::Now().Since(before);
}

// One inflate and one deflate of the packed settings through streams kept between
// calls; false when the bytes deflated again differ from the packed ones.
class KeptStreams {
public:
    KeptStreams()
    {
        inflateInit(&inflater_);
        deflateInit(&deflater_, Z_DEFAULT_COMPRESSION);
    }
    ~KeptStreams()
    {
        inflateEnd(&inflater_);
        deflateEnd(&deflater_);
    }
    bool RoundTrip(const uint8_t* packed, uint32_t length)
    {
        inflateReset(&inflater_);
        inflater_.next_in = const_cast<Bytef*>(packed);
        inflater_.avail_in = length;
        inflater_.next_out = plain_;
        inflater_.avail_out = sizeof plain_;
        if (inflate(&inflater_, Z_FINISH) != Z_STREAM_END)
            return false;
        deflateReset(&deflater_);
        deflater_.next_in = plain_;
        deflater_.avail_in = uInt(sizeof plain_ - inflater_.avail_out);
        deflater_.next_out = again_;
        deflater_.avail_out = sizeof again_;
        if (deflate(&deflater_, Z_FINISH) != Z_STREAM_END)
            return false;
        return sizeof again_ - deflater_.avail_out == length && std::memcmp(again_, packed, length) == 0;
    }

private:
    z_stream inflater_ = {};
    z_stream deflater_ = {};
    Bytef plain_[GDevModeBase::kSerializeRoom];
    Bytef again_[GDevModeBase::kSerializeRoom];
};

} // namespace

// The process's heaps and its committed private bytes.
struct ProcessUse {
    DWORD heaps;
    double committedKB;
};

ProcessUse MeasureProcess()
{
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                            sizeof counters);
    // Wine may leave the private count empty; the page-file count is the same charge.
    const SIZE_T committed = counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
    return {GetProcessHeaps(0, nullptr), double(committed) / 1024};
}

// A long-running application's use of the driver: the module loaded, DC_PAPERS asked once
// through its export, the module let go, and the keep-alive's own reference waited out
// until the module is unmapped. False when a step failed.
bool LoadAskAndLetGo(const std::wstring& module, std::wstring printerName)
{
    typedef DWORD(WINAPI * Capabilities)(HANDLE, LPWSTR, WORD, PVOID, PDEVMODEW);
    HMODULE loaded = LoadLibraryW(module.c_str());
    if (!loaded)
        return false;
    auto capabilities =
        reinterpret_cast<Capabilities>(reinterpret_cast<void*>(GetProcAddress(loaded, "DrvDeviceCapabilities")));
    const DWORD papers = capabilities ? capabilities(nullptr, &printerName[0], DC_PAPERS, nullptr, nullptr) : 0;
    FreeLibrary(loaded);
    for (int i = 0; i < 100 && GetModuleHandleW(module.c_str()); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return papers != 0 && papers != DWORD(-1) && !GetModuleHandleW(module.c_str());
}

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 300;
    const double threadSeconds = argc > 2 ? std::atof(argv[2]) : 2.0;
    TestPrinter& printer = TestPrinter::Shared();
    if (!printer.Installed()) {
        std::fprintf(stderr, "error: %s\n", printer.Failure().c_str());
        return 2;
    }

    if (argc > 1 && std::strcmp(argv[1], "objects") == 0) {
        // Driver objects made afresh for some seconds, for a profiler to watch.
        if (!ModuleLifetime::Attach(GetModuleHandleW(nullptr), false))
            return 2;
        uint32_t first = 0;
        EntryPrologue::Acquire(nullptr, printer.Name().c_str(), first);
        const Clock::time_point end = Clock::now() + std::chrono::seconds(argc > 2 ? std::atoi(argv[2]) : 10);
        long made = 0;
        // Two held at once: the second is always made, the first taken from the kept slot.
        while (Clock::now() < end) {
            uint32_t second = 0, third = 0;
            GDriverUIOperations* kept = EntryPrologue::Acquire(nullptr, printer.Name().c_str(), second);
            if (EntryPrologue::Acquire(nullptr, printer.Name().c_str(), third))
                EntryPrologue::Release(third), ++made;
            if (kept)
                EntryPrologue::Release(second);
        }
        EntryPrologue::Release(first);
        std::printf("%ld driver objects made\n", made);
        return 0;
    }
    if (argc > 1 && std::strcmp(argv[1], "trace") == 0) {
        Application application(printer.Name());
        application.SizeAndCopy();
        OutputDebugStringA("qz-trace: size query + DM_OUT_BUFFER begins\n");
        application.SizeAndCopy();
        OutputDebugStringA("qz-trace: size query + DM_OUT_BUFFER ends\n");
        application.SizeAndMerge();
        OutputDebugStringA("qz-trace: size query + DM_IN_BUFFER merge begins\n");
        application.SizeAndMerge();
        OutputDebugStringA("qz-trace: size query + DM_IN_BUFFER merge ends\n");
        application.PaperNames();
        OutputDebugStringA("qz-trace: DC_PAPERNAMES begins\n");
        application.PaperNames();
        OutputDebugStringA("qz-trace: DC_PAPERNAMES ends\n");
        // A driver object made afresh in this process (its model read from the data file).
        if (ModuleLifetime::Attach(GetModuleHandleW(nullptr), false)) {
            uint32_t first = 0, second = 0;
            EntryPrologue::Acquire(nullptr, printer.Name().c_str(), first);
            OutputDebugStringA("qz-trace: one more driver object begins\n");
            GDriverUIOperations* more = EntryPrologue::Acquire(nullptr, printer.Name().c_str(), second);
            OutputDebugStringA("qz-trace: one more driver object ends\n");
            if (more)
                EntryPrologue::Release(second);
            EntryPrologue::Release(first);
        }
        return 0;
    }

    if (argc > 1 && std::strcmp(argv[1], "warm") == 0) {
        // "warm [rounds] [threads]": the warm rows alone, ours beside Wine's PostScript
        // driver making the same rounds; a thread count runs that row of ours alone, for a
        // profiler to watch.
        const int warm = argc > 2 ? std::atoi(argv[2]) : 300;
        const int only = argc > 3 ? std::atoi(argv[3]) : 0;
        const std::wstring postScript = only ? std::wstring() : AddEntryBenchPostScriptPrinter();
        bool bad = false;
        for (const std::wstring& name : {printer.Name(), postScript}) {
            if (name.empty())
                continue;
            std::vector<uint8_t> given;
            {
                Application application(name);
                given = application.DevMode();
            }
            std::printf("%ls, warm%*s rounds/s  ratio to 1\n", name.c_str(), int(std::max<size_t>(1, 48 - name.size())), "");
            double one = 0;
            for (int threads : {1, 4, 16}) {
                if (only && threads != only)
                    continue;
                const double rate = WarmRoundsPerSecond(name, given, threads, warm, bad);
                one = threads == 1 ? rate : one;
                std::printf("  %2d thread%-42s %10.1f %10.2f\n", threads, threads == 1 ? "" : "s", rate,
                            one > 0 ? rate / one : 0.0);
                std::fflush(stdout);
            }
        }
        return bad ? 2 : 0;
    }

    bool failed = false;
    const Row ours = MeasureCalls(printer.Name(), rounds, failed);
    if (failed) {
        std::fprintf(stderr, "error: a call on the installed printer failed\n");
        return 2;
    }
    // The same calls on the printer without stored settings: what reading the stores costs.
    Row unstored = {};
    bool storesTaken = false;
    {
        StoresTakenOut out(printer);
        storesTaken = out.Any();
        unstored = MeasureCalls(printer.Name(), rounds, failed);
    }

    // The module's own merge of the same DEVMODE, in this process, on the object its
    // entry points would use.
    std::vector<uint8_t> devMode;
    {
        Application application(printer.Name());
        devMode = application.DevMode();
    }
    if (!ModuleLifetime::Attach(GetModuleHandleW(nullptr), false)) {
        std::fprintf(stderr, "error: the module did not attach in this process\n");
        return 2;
    }
    HANDLE handle = nullptr;
    OpenPrinterW(const_cast<wchar_t*>(printer.Name().c_str()), &handle, nullptr);
    uint32_t ticket = 0;
    GDriverUI* ui = dynamic_cast<GDriverUI*>(EntryPrologue::Acquire(handle, nullptr, ticket));
    if (!ui || !ui->MergeDevModeIntoSettings(nullptr) || !ui->GetDevModeObject()) {
        std::fprintf(stderr, "error: no driver object in this process\n");
        return 2;
    }
    GDriverDevMode* object = ui->GetDevModeObject();
    const DEVMODEW* given = reinterpret_cast<const DEVMODEW*>(devMode.data());
    const double merge = SecondsPerCall(rounds * 4, [&] { failed |= object->MergeDevMode(given) == 0; });

    // MergeDevMode's two halves on their own: the settings unpacked from the DEVMODE
    // (inflate and the tree read), and the tree packed again (tree written and deflate).
    const double unpack = SecondsPerCall(rounds * 4, [&] { delete object->UnpackSettings(given, 0); });
    std::vector<uint8_t> room(GDevModeBase::kTotalSize);
    const double pack = SecondsPerCall(rounds * 4, [&] {
        failed |= object->PackSettings(room.data(), object->GetSettingsTree()) == 0;
    });

    const uint8_t* packed = devMode.data() + GDevModeBase::kPackedAt;
    uint16_t packedLength = 0;
    std::memcpy(&packedLength, devMode.data() + GDevModeBase::kPackedLengthAt, sizeof packedLength);
    KeptStreams streams;
    bool identical = packedLength > 0 && packedLength <= GDevModeBase::kPackedCapacity;
    const double zlib = SecondsPerCall(rounds * 4, [&] { identical &= streams.RoundTrip(packed, packedLength); });

    // Where a call's time goes, in this process: the object's own operations on the kept
    // object (no spooler between), the prologue's acquisition of the kept object, and of
    // a new one for an identity the kept one does not match (the driver model read again).
    std::vector<uint8_t> out(devMode.size());
    std::vector<wchar_t> names(256 * 64);
    wchar_t* printerName = const_cast<wchar_t*>(printer.Name().c_str());
    const double objectCopy = SecondsPerCall(rounds, [&] {
        ui->DocumentProperties(nullptr, handle, printerName, nullptr, nullptr, 0);
        ui->DocumentProperties(nullptr, handle, printerName, reinterpret_cast<DEVMODEW*>(out.data()), nullptr,
                               DM_OUT_BUFFER);
    });
    const double objectPapers = SecondsPerCall(rounds, [&] {
        ui->DeviceCapabilities(nullptr, printerName, DC_PAPERNAMES, names.data(), nullptr);
    });
    // What one call allocates in this process, each counted after one call beforehand.
    // The calls above may have replaced the object's DEVMODE object: take it again.
    if (!ui->MergeDevModeIntoSettings(nullptr) || !(object = ui->GetDevModeObject())) {
        std::fprintf(stderr, "error: no DEVMODE object in this process\n");
        return 2;
    }
    ui->DocumentProperties(nullptr, handle, printerName, nullptr, nullptr, 0);
    const Allocations sizeQuery =
        CountAllocations([&] { ui->DocumentProperties(nullptr, handle, printerName, nullptr, nullptr, 0); });
    object->MergeDevMode(given);
    const Allocations mergeCount = CountAllocations([&] { failed |= object->MergeDevMode(given) == 0; });
    const Allocations paperNamesCount = CountAllocations(
        [&] { ui->DeviceCapabilities(nullptr, printerName, DC_PAPERNAMES, names.data(), nullptr); });
    EntryPrologue::Release(ticket);
    // One more driver object: a second acquisition while the first is held makes one
    // (the kept object's own acquisition counted apart and taken off).
    auto acquirePair = [&] {
        uint32_t first = 0, second = 0;
        GDriverUIOperations* a = EntryPrologue::Acquire(handle, nullptr, first);
        GDriverUIOperations* b = EntryPrologue::Acquire(handle, nullptr, second);
        if (a)
            EntryPrologue::Release(first);
        if (b)
            EntryPrologue::Release(second);
    };
    auto acquireKept = [&] {
        uint32_t again = 0;
        if (EntryPrologue::Acquire(handle, nullptr, again))
            EntryPrologue::Release(again);
    };
    acquirePair();
    acquireKept();
    const Allocations pair = CountAllocations(acquirePair);
    const Allocations kept = CountAllocations(acquireKept);
    const Allocations newObject = {pair.count - kept.count, pair.bytes - kept.bytes};
    // The size query as an application's new handle brings it to the export, in this
    // process: the identity of the new handle is not the kept object's.
    auto exportSizeQuery = [&](bool counted) {
        HANDLE fresh = nullptr;
        OpenPrinterW(printerName, &fresh, nullptr);
        DOCUMENTPROPERTYHEADER header = {};
        header.cbSize = sizeof header;
        header.hPrinter = fresh;
        header.pszPrinterName = printerName;
        Allocations made = {};
        if (counted)
            made = CountAllocations([&] { DrvDocumentPropertySheets(nullptr, LPARAM(&header)); });
        else
            DrvDocumentPropertySheets(nullptr, LPARAM(&header));
        ClosePrinter(fresh);
        return made;
    };
    exportSizeQuery(false);
    const Allocations exportSize = exportSizeQuery(true);
    // DC_PAPERNAMES through the export as the spooler brings it (no handle), right after
    // a call with a handle, as in an application's round.
    exportSizeQuery(false);
    const Allocations exportPaperNames = CountAllocations(
        [&] { DrvDeviceCapabilities(nullptr, printerName, DC_PAPERNAMES, names.data(), nullptr); });
    // What each warm call of a new application's round asks the platform, in this
    // process: a round through the exports with a new handle, made a few times first; then
    // the size query, the merge and DC_PAPERNAMES of one more round, each counted.
    std::vector<uint8_t> warmOut(devMode.size() + 4096);
    std::vector<uint8_t> warmIn = devMode;
    GPlatformCalls::Totals warmCounts[3] = {};
    auto warmRound = [&](bool counted) {
        HANDLE fresh = nullptr;
        OpenPrinterW(printerName, &fresh, nullptr);
        DOCUMENTPROPERTYHEADER size = {sizeof size, 0, fresh, printerName, nullptr, nullptr, 0, 0};
        DOCUMENTPROPERTYHEADER merge = {sizeof merge, 0, fresh, printerName,
                                        reinterpret_cast<DEVMODEW*>(warmIn.data()),
                                        reinterpret_cast<DEVMODEW*>(warmOut.data()), DWORD(warmOut.size()),
                                        DM_IN_BUFFER | DM_OUT_BUFFER};
        const GPlatformCalls::Totals sizeCalls =
            PlatformCallsOf([&] { failed |= DrvDocumentPropertySheets(nullptr, LPARAM(&size)) <= 0; });
        const GPlatformCalls::Totals mergeCalls =
            PlatformCallsOf([&] { failed |= DrvDocumentPropertySheets(nullptr, LPARAM(&merge)) <= 0; });
        const GPlatformCalls::Totals namesCalls = PlatformCallsOf(
            [&] { DrvDeviceCapabilities(nullptr, printerName, DC_PAPERNAMES, names.data(), nullptr); });
        ClosePrinter(fresh);
        if (counted) {
            warmCounts[0] = sizeCalls;
            warmCounts[1] = mergeCalls;
            warmCounts[2] = namesCalls;
        }
    };
    for (int i = 0; i < 3; ++i)
        warmRound(false);
    warmRound(true);
    const double keptAcquire = SecondsPerCall(rounds, [&] {
        uint32_t again = 0;
        if (EntryPrologue::Acquire(handle, nullptr, again))
            EntryPrologue::Release(again);
    });
    const double newAcquire = SecondsPerCall(rounds / 4 + 1, acquirePair);
    ClosePrinter(handle);

    std::printf("single thread, one application                         us a call\n");
    std::printf("  %-52s %10.1f\n", "DocumentPropertiesW size query + DM_OUT_BUFFER", 1e6 * ours.sizeAndCopy);
    std::printf("  %-52s %10.1f\n", "the same + DM_IN_BUFFER merge", 1e6 * ours.sizeAndMerge);
    std::printf("  %-52s %10.1f\n", "DeviceCapabilitiesW DC_PAPERNAMES", 1e6 * ours.paperNames);
    std::printf("  %-52s %10.1f\n", "MergeDevMode in this process", 1e6 * merge);
    std::printf("  %-52s %10.1f\n", "  of which unpacking the settings (inflate + read)", 1e6 * unpack);
    std::printf("  %-52s %10.1f\n", "  of which packing the settings (write + deflate)", 1e6 * pack);
    std::printf("  %-52s %10.1f%s\n", "zlib inflate + deflate, streams kept", 1e6 * zlib,
                identical ? "" : "  (bytes differ!)");

    std::printf("\nwhere the time goes, in this process                    us a call\n");
    std::printf("  %-52s %10.1f\n", "object: size query + DM_OUT_BUFFER, no spooler", 1e6 * objectCopy);
    std::printf("  %-52s %10.1f\n", "object: DC_PAPERNAMES, no spooler", 1e6 * objectPapers);
    std::printf("  %-52s %10.1f\n", "prologue: identity + kept object, released", 1e6 * keptAcquire);
    std::printf("  %-52s %10.1f\n", "prologue: one more object (model read), released",
                1e6 * (newAcquire - keptAcquire));

    const std::wstring postScript = AddEntryBenchPostScriptPrinter();
    Row theirs = {};
    bool theirsFailed = postScript.empty();
    if (!theirsFailed)
        theirs = MeasureCalls(postScript, rounds * 10, theirsFailed);

    std::printf("\nallocations in this process, one call         count      bytes\n");
    const struct {
        const char* what;
        Allocations made;
    } counted[] = {{"one more driver object (model read)", newObject},
                   {"size query, kept object (no buffers)", sizeQuery},
                   {"size query, export, a new handle", exportSize},
                   {"MergeDevMode", mergeCount},
                   {"DC_PAPERNAMES, kept object", paperNamesCount},
                   {"DC_PAPERNAMES, export, after a handle", exportPaperNames}};
    for (const auto& row : counted)
        std::printf("  %-38s %10ld %10lld\n", row.what, row.made.count, row.made.bytes);

    std::printf("\nthreads (size query + DM_OUT_BUFFER, DC_PAPERNAMES)      calls/s\n");
    const int counts[] = {1, 4, 16};
    double rates[3] = {};
    for (int i = 0; i < 3; ++i) {
        rates[i] = CallsPerSecond(printer.Name(), counts[i], threadSeconds, failed);
        std::printf("  %2d thread%-42s %10.0f\n", counts[i], counts[i] == 1 ? "" : "s", rates[i]);
    }

    std::printf("\nthreads, a new application each round (open, size query,  rounds/s\n"
                "  DM_OUT_BUFFER, merge, DC_PAPERS, DC_BINS, DC_PAPERNAMES, close)\n");
    double roundRates[3] = {};
    for (int i = 0; i < 3; ++i) {
        roundRates[i] = NewApplicationRoundsPerSecond(printer.Name(), devMode, counts[i], threadSeconds, failed);
        std::printf("  %2d thread%-42s %10.1f\n", counts[i], counts[i] == 1 ? "" : "s", roundRates[i]);
    }

    const int warmRounds = argc > 3 ? std::atoi(argv[3]) : 300;
    std::printf("\nthreads, warm: %d rounds a thread after a first one, a   rounds/s  ratio to 1\n"
                "  new application each round (the round above)\n",
                warmRounds);
    double warmRates[3] = {};
    for (int i = 0; i < 3; ++i) {
        warmRates[i] = WarmRoundsPerSecond(printer.Name(), devMode, counts[i], warmRounds, failed);
        std::printf("  %2d thread%-42s %10.1f %10.2f\n", counts[i], counts[i] == 1 ? "" : "s", warmRates[i],
                    warmRates[0] > 0 ? warmRates[i] / warmRates[0] : 0.0);
    }

    std::printf("\nthe module's platform calls, one warm call   value reads  key opens file opens lock waits"
                " file looks driver records event waits\n");
    const char* warmCalls[] = {"size query, a new handle", "merge (DM_IN_BUFFER | DM_OUT_BUFFER)",
                               "DC_PAPERNAMES, after a handle"};
    for (int i = 0; i < 3; ++i)
        std::printf("  %-38s %10llu %10llu %10llu %10llu %10llu %14llu %11llu\n", warmCalls[i],
                    static_cast<unsigned long long>(warmCounts[i][GPlatformCalls::kValueRead]),
                    static_cast<unsigned long long>(warmCounts[i][GPlatformCalls::kKeyOpen]),
                    static_cast<unsigned long long>(warmCounts[i][GPlatformCalls::kFileOpen]),
                    static_cast<unsigned long long>(warmCounts[i][GPlatformCalls::kLockWait]),
                    static_cast<unsigned long long>(warmCounts[i][GPlatformCalls::kFileLook]),
                    static_cast<unsigned long long>(warmCounts[i][GPlatformCalls::kDriverRecord]),
                    static_cast<unsigned long long>(warmCounts[i][GPlatformCalls::kEventWait]));

    // Load and unload cycles: growth from the start, after the first cycle and after 30,
    // on a copy of the module in a folder of its own (the spooler may keep the driver
    // folder's copy loaded).
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"qzbench-" + std::to_wstring(GetCurrentProcessId());
    const std::wstring module = folder + L"\\qzui32.dll";
    CreateDirectoryW(folder.c_str(), nullptr);
    bool cyclesFailed = !CopyFileW(printer.ConfigFile().c_str(), module.c_str(), FALSE);
    const ProcessUse start = MeasureProcess();
    cyclesFailed |= !LoadAskAndLetGo(module, printer.Name());
    const ProcessUse afterOne = MeasureProcess();
    for (int cycle = 1; cycle < 30; ++cycle)
        cyclesFailed |= !LoadAskAndLetGo(module, printer.Name());
    const ProcessUse afterThirty = MeasureProcess();
    std::printf("\nload, DC_PAPERS, unload (the module unmapped each time)    heaps committed KB\n");
    std::printf("  %-44s %10lu %12.0f\n", "before", start.heaps, 0.0);
    std::printf("  %-44s %10lu %+12.0f\n", "after 1 cycle", afterOne.heaps, afterOne.committedKB - start.committedKB);
    std::printf("  %-44s %10lu %+12.0f\n", "after 30 cycles", afterThirty.heaps,
                afterThirty.committedKB - start.committedKB);
    if (cyclesFailed)
        std::printf("  a cycle failed: the module did not load, answer or unmap\n");
    DeleteFileW(module.c_str());
    RemoveDirectoryW(folder.c_str());
    failed |= cyclesFailed;

    std::printf("\nratios (goal)                                              ratio\n");
    if (theirsFailed) {
        std::printf("  Wine's PostScript driver: no printer could be added; no ratio against it\n");
    } else {
        std::printf("  %-52s %10.1f\n", "size + DM_OUT_BUFFER / Wine's driver (<= 100)",
                    ours.sizeAndCopy / theirs.sizeAndCopy);
        std::printf("  %-52s %10.1f\n", "DC_PAPERNAMES / Wine's driver (<= 100)", ours.paperNames / theirs.paperNames);
        std::printf("  %-52s %10.1f\n", "(+ merge / Wine's driver, for reference)",
                    ours.sizeAndMerge / theirs.sizeAndMerge);
        std::printf("  Wine's driver: %.2f us, %.2f us, %.2f us a call\n", 1e6 * theirs.sizeAndCopy,
                    1e6 * theirs.sizeAndMerge, 1e6 * theirs.paperNames);
    }
    if (storesTaken) {
        std::printf("  %-52s %10.2f\n", "size + DM_OUT_BUFFER, stored / none stored", ours.sizeAndCopy / unstored.sizeAndCopy);
        std::printf("  %-52s %10.2f\n", "+ merge, stored / none stored", ours.sizeAndMerge / unstored.sizeAndMerge);
        std::printf("  %-52s %10.2f\n", "DC_PAPERNAMES, stored / none stored", ours.paperNames / unstored.paperNames);
    } else {
        std::printf("  the printer holds no stored settings: no ratio against none stored\n");
    }
    std::printf("  %-52s %10.2f\n", "+ merge / in-process MergeDevMode (<= 2)", ours.sizeAndMerge / merge);
    std::printf("  %-52s %10.2f\n", "4 threads / 1 thread, calls/s (>= 2)", rates[1] / rates[0]);
    std::printf("  %-52s %10.2f\n", "16 threads / 1 thread, calls/s (>= 1)", rates[2] / rates[0]);
    std::printf("  %-52s %10.2f\n", "MergeDevMode / kept zlib streams (<= 2)", merge / zlib);
    std::printf("  %-52s %10.2f\n", "new application: 4 threads / 1 thread (>= 2)", roundRates[1] / roundRates[0]);
    std::printf("  %-52s %10.2f\n", "new application: 16 threads / 1 thread (>= 1)", roundRates[2] / roundRates[0]);
    std::printf("  %-52s %10.0f\n", "heaps after 30 cycles - after 1 (0)", double(afterThirty.heaps) - afterOne.heaps);
    std::printf("  %-52s %10.0f\n", "committed KB after 30 cycles - after 1 (<= 64)",
                afterThirty.committedKB - afterOne.committedKB);
    std::printf("  %-52s %10.2f\n", "warm: 4 threads / 1 thread (>= 2)", warmRates[1] / warmRates[0]);
    std::printf("  %-52s %10.2f\n", "warm: 16 threads / 1 thread (>= 2)", warmRates[2] / warmRates[0]);

    if (!postScript.empty()) {
        HANDLE other = nullptr;
        if (OpenPrinterW(const_cast<wchar_t*>(postScript.c_str()), &other, nullptr)) {
            DeletePrinter(other);
            ClosePrinter(other);
        }
    }
    if (failed) {
        std::fprintf(stderr, "error: a call failed during the run\n");
        return 1;
    }
    return 0;
}
