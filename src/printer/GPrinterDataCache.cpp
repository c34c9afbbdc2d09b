#include "printer/GPrinterDataCache.h"

#include "printer/GPlatformCalls.h"

#include <algorithm>
#include <atomic>
#include <unordered_map>

struct GPrinterDataCache::Printer {
    std::wstring path;
    Stamp stamp;
    uint64_t version = 0;
    uint64_t used = 0;
    // The latest clock reading the version was validated at.
    uint64_t seen = 0;
    // The stamp was too new to tell writes apart when it was validated.
    bool fresh = false;
    // The watch's generation the stamp was last read under; 0: none.
    uint64_t watch = 0;
    std::unordered_map<std::wstring, Value> values;
};

namespace {

uint64_t SystemNow()
{
    FILETIME now = {};
    GetSystemTimeAsFileTime(&now);
    return (uint64_t(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

std::atomic<GPrinterDataCache::Clock> g_clock{SystemNow};

} // namespace

GPrinterDataCache::Clock GPrinterDataCache::SetClockForTesting(Clock clock)
{
    return g_clock.exchange(clock ? clock : SystemNow);
}

GPrinterDataCache::GPrinterDataCache() : lastVersion_(0), lastUse_(0) { InitializeSRWLock(&lock_); }

GPrinterDataCache::~GPrinterDataCache() = default;

GPrinterDataCache::Printer* GPrinterDataCache::FindPrinter(const std::wstring& path) const
{
    for (const std::unique_ptr<Printer>& printer : printers_)
        if (printer->path == path)
            return printer.get();
    return nullptr;
}

uint64_t GPrinterDataCache::Validate(const std::wstring& path, const Stamp& stamp, uint64_t watch)
{
    GPlatformCalls::LockGuard guard(lock_, false);
    // Read under the lock, so that the readings of one printer's validations come in order.
    const uint64_t now = g_clock.load()();
    // A write time ahead of the clock is as new as can be.
    const bool fresh = stamp.lastWrite > now || now - stamp.lastWrite < kFreshSpan;
    Printer* printer = FindPrinter(path);
    if (!printer) {
        if (printers_.size() >= kMostPrinters)
            printers_.erase(std::min_element(printers_.begin(), printers_.end(),
                                             [](const auto& a, const auto& b) { return a->used < b->used; }));
        printers_.push_back(std::unique_ptr<Printer>(new Printer));
        printer = printers_.back().get();
        printer->path = path;
    } else if (printer->stamp == stamp && !printer->fresh && !fresh && now >= printer->seen) {
        // Kept: the same stamp, settled then and now, and a reading not behind the last
        // one (behind it, the clock was set back and a write since may carry the stamp's
        // write time).
        printer->used = ++lastUse_;
        printer->seen = now;
        printer->watch = watch;
        return printer->version;
    }
    printer->watch = watch;
    printer->seen = now;
    printer->stamp = stamp;
    printer->fresh = fresh;
    printer->values.clear();
    printer->version = ++lastVersion_;
    printer->used = ++lastUse_;
    return printer->version;
}

uint64_t GPrinterDataCache::Unchanged(const std::wstring& path, uint64_t watch)
{
    if (!watch)
        return 0;
    GPlatformCalls::LockGuard guard(lock_, false);
    const uint64_t now = g_clock.load()();
    Printer* printer = FindPrinter(path);
    // A stamp settled when it was read stays settled while the clock goes forward.
    if (!printer || printer->watch != watch || printer->fresh || now < printer->seen)
        return 0;
    printer->used = ++lastUse_;
    printer->seen = now;
    return printer->version;
}

bool GPrinterDataCache::Find(const std::wstring& path, uint64_t version, const wchar_t* name, Value& value) const
{
    if (!version || !name)
        return false;
    GPlatformCalls::LockGuard guard(lock_, true);
    const Printer* printer = FindPrinter(path);
    if (!printer || printer->version != version)
        return false;
    const auto found = printer->values.find(name);
    if (found == printer->values.end())
        return false;
    value = found->second;
    return true;
}

void GPrinterDataCache::Keep(const std::wstring& path, uint64_t version, const wchar_t* name, const Value& value)
{
    if (!version || !name || value.bytes.size() > kLargestValue)
        return;
    GPlatformCalls::LockGuard guard(lock_, false);
    Printer* printer = FindPrinter(path);
    if (printer && printer->version == version && printer->values.size() < kMostValues)
        printer->values[name] = value;
}
