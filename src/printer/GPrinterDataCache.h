// The values of printers' driver data as this process last read them, so that a warm
// call asks the registry for none it already read. Each printer's values are kept under
// a version: a new version begins whenever the printer's key shows another stamp (its
// last write time and value count) than the one the kept values were read under; a write
// of this process changes it as any other does. A reader learns the version once per
// entry call and finds and keeps values only under it, so a value read before a change
// is never kept after it. A stamp whose write time is within two ticks of the system
// clock of now is not trusted to tell writes apart (the key's time steps with the clock,
// so two writes in one tick can leave one stamp): each validation under it begins a new
// version, and what one call reads under it is read again by the next. Nor is a clock
// reading behind the latest one a printer's version was validated at (the system clock
// was set back, and a write may now be stamped in a kept stamp's very tick): that
// validation begins a new version too. A validation may name the generation of a watch
// on the key (GKeyWatch) its stamp was read under: while the watch hands out that
// generation, the version is kept without reading the stamp again, under the same two
// rules of the clock.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class GPrinterDataCache {
public:
    // One value as a registry read answered it: the status, and the type and bytes when
    // the read succeeded.
    struct Value {
        long status = 0;
        uint32_t type = 0;
        std::vector<uint8_t> bytes;
    };
    // What tells one state of a printer's values from another.
    struct Stamp {
        uint64_t lastWrite = 0;
        uint32_t values = 0;
        bool operator==(const Stamp& other) const { return lastWrite == other.lastWrite && values == other.values; }
    };

    // Printers kept at once; the one validated longest ago goes first.
    static constexpr size_t kMostPrinters = 8;
    // Values kept of one printer, and bytes of one value: a printer holding more is read
    // as before for the rest.
    static constexpr size_t kMostValues = 4096;
    static constexpr size_t kLargestValue = 64 * 1024;
    // Two ticks of the system clock, in the 100-nanosecond units of a key's write time.
    static constexpr uint64_t kFreshSpan = 2 * 156250;

    // The system time now, in the units of a key's write time.
    using Clock = uint64_t (*)();
    // Puts a stand-in clock in place of the system's (null: the system's again); the
    // clock it replaces comes back.
    static Clock SetClockForTesting(Clock clock);

    GPrinterDataCache();
    ~GPrinterDataCache();
    GPrinterDataCache(const GPrinterDataCache&) = delete;
    GPrinterDataCache& operator=(const GPrinterDataCache&) = delete;

    // The version of the printer's values for this stamp: the kept one when the stamp is
    // the one they were read under, else a new one with nothing kept. Never 0. The stamp
    // was read under the watch's generation (0: under none).
    uint64_t Validate(const std::wstring& path, const Stamp& stamp, uint64_t watch = 0);
    // The version kept for the printer when it was last validated under this generation
    // of the watch (not 0), its stamp then settled and the clock not behind its last
    // reading; else 0, and the caller reads the stamp and validates it.
    uint64_t Unchanged(const std::wstring& path, uint64_t watch);
    // The value kept under the version; false when none is (or the version is no longer
    // the printer's).
    bool Find(const std::wstring& path, uint64_t version, const wchar_t* name, Value& value) const;
    // Keeps a value read under the version; nothing when the version has ended meanwhile.
    void Keep(const std::wstring& path, uint64_t version, const wchar_t* name, const Value& value);

private:
    struct Printer;

    Printer* FindPrinter(const std::wstring& path) const;

    // Taken shared by finds, exclusive by the rest.
    mutable SRWLOCK lock_;
    std::vector<std::unique_ptr<Printer>> printers_;
    uint64_t lastVersion_;
    uint64_t lastUse_;
};
