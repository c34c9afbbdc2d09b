// The system services on the Windows registry, the print spooler and the standard
// runtime. Printer data is reached through the spooler with the driver object's printer
// handle, or a handle opened on its printer name for the one call; binary values are
// split into numbered chunks, so that values larger than the spooler likes can be kept.
//
// A binary value named N is stored as the chunks "N:0" .. "N:C-1" (REG_BINARY, each
// 248 bytes but the last, which is shorter, possibly empty) and then N itself, the
// count C (REG_DWORD). Beside them "N:check" (REG_BINARY, a StoredCheck) tells the
// value whole: older versions read only the chunks and the count, and never ask for it.
// A write of this version marks its check in progress before the chunks and done after
// the count; a done check the bytes no longer match is an older version's whole rewrite,
// which reads as its chunks and count tell. Before it touches anything, a write keeps the
// value as it reads in "N:whole" (REG_BINARY, written by one write), which a reader takes
// while the check is in progress and the chunks do not match it, and removes it once the
// check is done: a write stopped at any step leaves the old value or the new one.
// A value name beginning "???" is a registry location instead:
// "???\<root>\<key path>\<value>", root being the decimal number of a predefined key.
#pragma once

#include "printer/GOSFactory.h"
#include "printer/GKeptFiles.h"
#include "printer/GPrinterDataCache.h"

#include <atomic>
#include <cstdint>
#include <ctime>

class GWin32OSFactory : public GOSFactory {
public:
    // Bytes in every chunk of a binary value but the last.
    static constexpr uint32_t kChunkSize = 248;
    // The check of a binary value, four 32-bit words in the machine's (little-endian)
    // order: the layout (one of the three below), the value's length in bytes, its chunk
    // count and the CRC-32 of its bytes (zlib's, from 0). A value read whole matches its
    // check; a value without one is read as older versions wrote it.
    struct StoredCheck {
        uint32_t layout;
        uint32_t length;
        uint32_t count;
        uint32_t crc;
    };
    // The earlier form, which tells nothing of the write's state; a write in progress
    // (stored before the chunks); a write done (stored again after the count).
    static constexpr uint32_t kCheckEarlier = 1;
    static constexpr uint32_t kCheckWriting = 2;
    static constexpr uint32_t kCheckDone = 3;
    // A check in progress that says, beside the new bytes', what the chunks held when it
    // was written: their length, count and CRC-32, and what they were (kFormerNone: not
    // whole; kFormerOwn: this version's, or no newer than its copy; kFormerNewest: the
    // value's newest, another writer's).
    struct StoredMark {
        StoredCheck check;
        uint32_t formerLength;
        uint32_t formerCount;
        uint32_t formerCrc;
        uint32_t formerKind;
    };
    static constexpr uint32_t kFormerNone = 0;
    static constexpr uint32_t kFormerOwn = 1;
    static constexpr uint32_t kFormerNewest = 2;
    // "N:check" of a binary value's name N (the value name of a marked name).
    static RWWString CheckName(const RWWString& value);
    // "N:whole", the value as it read before a write that has not finished.
    static RWWString WholeName(const RWWString& value);
    // The name of a printer's stores lock: in the global name space, the printer's name
    // in capitals (printer names are not case sensitive) with each backslash a slash,
    // and a name too long for the object's name cut, with a CRC-32 of the whole in hex.
    static RWWString StoresLockName(const RWWString& printer);
    // The longest printer part of a lock's name, in characters.
    static constexpr size_t kLongestLockPart = 200;
    // The access list of a printer's stores lock (SDDL) from the printer's security
    // descriptor: the system may take the lock; each identity the printer's list allows
    // or denies its administer right (or all access) is allowed or denied the lock, in
    // the list's order, an entry for the owner's rights (S-1-3-4) standing for the
    // descriptor's owner; a printer without a list, which admits everyone, gives everyone.
    // Empty when the descriptor does not read, its list holds an entry of a kind other
    // than a plain allow or deny, or an entry for the owner's rights in a descriptor
    // without an owner.
    static RWWString StoresLockAccess(PSECURITY_DESCRIPTOR printerSecurity);
    // The self-relative security descriptor a printer's security record (PRINTER_INFO_3
    // and the bytes after it, size in all) points to, when its header, and each identity
    // and access list it names, with every entry of those lists, lie whole within the
    // record; else null. Nothing outside the record is read.
    static PSECURITY_DESCRIPTOR SecurityInRecord(void* record, size_t size);
    // Whether whom this thread runs as may administer a printer of the security
    // descriptor: an access check of the caller's token for the administer right, under
    // the printer's mapping of the generic rights. kUnknown when the check cannot be made.
    enum class Admission { kAdmitted, kRefused, kUnknown };
    static Admission AdmitsToAdminister(PSECURITY_DESCRIPTOR printerSecurity);
    // The lock's access list when the printer's cannot be read: the system and the
    // administrators.
    static const wchar_t kFallbackLockAccess[];
    // The lock of the name, made with the access list (SDDL) when no process has it:
    // owned or busy as LockPrinterStores answers, refused when the list of the lock, made
    // here or found, does not admit this process.
    static int TakeStoresLock(const RWWString& name, const RWWString& access, uint32_t wait, void*& held);

    // The key of a binary value's writers' lock: the CRC-32 of its name in capitals.
    static uint32_t ValueLockKey(const RWWString& name);
    // The file that is the lock of a value the current user keeps, of its key: in the
    // user's local application data (GWin32OSFactoryUserLock.cpp). Empty when the user
    // has no such folder.
    static RWWString UserLockPath(uint32_t key);
    // The user's lock of the path, had within wait milliseconds: what ReleaseUserLock
    // takes, else null.
    static void* TakeUserLock(const RWWString& path, uint32_t wait);
    static void ReleaseUserLock(void* held);

    GWin32OSFactory();
    ~GWin32OSFactory() override;

    GDriverObject* CreateDriverObject(const PrinterIdentity& identity) override;
    GDriverObject* CreateSecondaryDriverObject(const PrinterIdentity& identity) override;
    uint32_t GetCommandContext(void* producer) override;
    int GetLocalAndShiftedTime(std::tm& local, std::tm& shifted, int16_t& bias) override;
    void SetTimeBias(int16_t minutes) override;
    uint32_t Reserved1(uint32_t a, uint32_t b, uint32_t c) override;
    uint32_t Reserved2() override;
    GTextConverter* CreateTextConverter() override;
    GInStreamHolder* OpenMemoryInputStream(const void* data, uint32_t length, int kind) override;
    GInStreamHolder* OpenFileInputStream(const RWWString& path, int kind) override;
    GOutStreamHolder* OpenMemoryOutputStream(void* buffer, uint32_t size, int kind) override;
    GOutStreamHolder* OpenFileOutputStream(const RWWString& path, int kind) override;
    // Only the user-interface module knows the driver's data file: empty here.
    void GetDriverDataFile(RWWString& path, GDriverObject* driver) override;
    // Read from the file once and kept while the file stays as it was.
    GInStreamHolder* OpenDriverDataStream(const RWWString& path, std::shared_ptr<const void>& keep) override;
    // The user's international settings over the record's own defaults.
    GLocaleInfo* CreateLocaleInfo() override;
    // The printer's "TempDirectoryLocation", else TMP, else TEMP, else the spool folder
    // under the Windows folder; a name rooted in a drive or a share in its full form, a
    // relative one as named.
    void GetTempDirectory(RWWString& path, GDriverObject* driver) override;
    // The module's folder without a trailing separator, found once.
    void GetModuleDirectory(RWWString& path) override;
    void GetDriverDirectory(RWWString& path) override;
    void SeedRandom() override;
    int Random() override;
    int FileExists(const RWWString& path) override;
    int CreateNewFile(const RWWString& path) override;
    GDriverServicesAdapter* CreateServicesAdapter(GDriverObject* client) override;
    int SetPrinterDataDword(GDriverObject* driver, const RWWString& name, uint32_t value) override;
    int SetPrinterDataString(GDriverObject* driver, const RWWString& name, const RWWString& text) override;
    // 1 when the value as it read was kept whole and the check in progress, every chunk,
    // the count and the check done were written. A step that fails leaves what it wrote:
    // the check stays in progress, and readers take the whole value kept before it (or,
    // where there was none that read, nothing).
    int SetPrinterDataBinary(GDriverObject* driver, const RWWString& name, const void* data,
                             uint32_t length) override;
    // Under the value's lock, as a write of it marks it first.
    int MarkPrinterDataWriting(GDriverObject* driver, const RWWString& name, const void* data, uint32_t length,
                               bool formerNewest, std::vector<uint8_t>& former) override;
    int RestorePrinterDataCheck(GDriverObject* driver, const RWWString& name,
                                const std::vector<uint8_t>& former) override;
    // A mark for the same bytes stays as it is until the check is done; a failed write
    // leaves the check in progress and puts the chunks and the count back, for older
    // versions.
    int SetPrinterDataChunks(GDriverObject* driver, const RWWString& name, const void* data, uint32_t length) override;
    uint32_t GetPrinterDataDword(GDriverObject* driver, const RWWString& name, uint32_t fallback) override;
    void GetPrinterDataString(RWWString& result, GDriverObject* driver, const RWWString& name,
                              const RWWString& fallback) override;
    // Without a buffer: 1 and an upper bound of the length. With a buffer: 1 and the
    // bytes read when the stored chunks have the writer's layout, fit, and match the
    // value's check where it has one (a done check they do not match was left by an
    // older version's rewrite: the chunks read as without a check, when a second look
    // finds them the same); else 0 (length the bound when the buffer is too small). Chunks
    // that do not match a check in progress give the whole value kept before the write;
    // where there is none, or the check changed while it was read, it is read again
    // twice, after a pause: a writer of another process may be in the middle of it.
    int GetPrinterDataBinary(GDriverObject* driver, const RWWString& name, void* buffer, uint32_t size,
                             uint32_t& length) override;
    // One look at the count, the check and the chunks, each asked once: what is kept of
    // them for the call's version where it is.
    void ReadChunkedValue(GDriverObject* driver, const RWWString& name, uint32_t bound, ChunkedValue& value,
                          bool afresh = false) override;
    // Through the spooler's listing of the printer's driver data.
    bool ListPrinterDataNames(GDriverObject* driver, std::vector<RWWString>& names) override;
    // Through the spooler (a marked name is not written: 0), read through the printer's
    // key as kept for the call's version where the key is there, else through the spooler.
    int SetPrinterDataWhole(GDriverObject* driver, const RWWString& name, const void* data, uint32_t length) override;
    StoredRead GetPrinterDataWhole(GDriverObject* driver, const RWWString& name, uint32_t bound,
                                   std::vector<uint8_t>& bytes, bool afresh = false) override;
    // The value's count (or, for a marked name, the key or the count) reported not found,
    // with no length.
    bool IsPrinterDataAbsent(GDriverObject* driver, const RWWString& name) override;
    // Within an entry call, the version of the printer's data the call reads (the same
    // between calls while the printer's data stays as it was); 0 outside a call or for
    // a printer read through the spooler.
    uint64_t PrinterDataVersion(GDriverObject* driver) override;
    int SetPrinterKeyString(GDriverObject* driver, const RWWString& subkey, const RWWString& name,
                            const RWWString& text) override;
    void GetPrinterKeyString(RWWString& result, GDriverObject* driver, const RWWString& subkey,
                             const RWWString& name, const RWWString& fallback) override;
    // Through the spooler; through the printer's key where the spooler cannot remove a
    // value (SpoolerRemovesValues).
    int DeletePrinterDriverDataValue(GDriverObject* driver, const RWWString& name) override;
    int RemovePrinterDataBinary(GDriverObject* driver, const RWWString& name) override;
    // The count, the check and each chunk kept for the call's version.
    bool IsPrinterDataKept(GDriverObject* driver, const RWWString& name) override;
    // As the value reads: false without a check, with one of the earlier form or in
    // progress, or with a done check its bytes do not match.
    bool HasCurrentCheck(GDriverObject* driver, const RWWString& name) override;
    // A named mutex in the global name space that whom the printer lets administer it
    // (and the system) may take: its list comes from the printer's security, else it
    // admits the administrators and the system. Refused only when the printer refuses
    // the caller: a lock that does not admit a caller the printer admits (or cannot tell
    // of) is another program's, and busy. A thread that holds it takes it again at no
    // cost to the platform; the printer's security is read once per outermost take.
    int LockPrinterStores(GDriverObject* driver, uint32_t wait, void*& held) override;
    void UnlockPrinterStores(void* held) override;
    void ForgetKeptPrinterData(GDriverObject* driver) override;
    // Read through the printer's key, or the spooler, past what the call keeps.
    void GetPrinterDataStringNow(RWWString& result, GDriverObject* driver, const RWWString& name,
                                 const RWWString& fallback) override;
    void GetMachineString(RWWString& result, const RWWString& keyPath, const RWWString& name,
                          const RWWString& fallback) override;
    uint32_t GetMachineDword(const RWWString& keyPath, const RWWString& name, uint32_t fallback) override;
    uint32_t SetMachineDwordIfMissing(const RWWString& keyPath, const RWWString& name, uint32_t value) override;
    int MachineKeyExists(const RWWString& keyPath) override;
    void GetUserString(RWWString& result, const RWWString& keyPath, const RWWString& name,
                       const RWWString& fallback) override;
    uint32_t GetUserDword(const RWWString& keyPath, const RWWString& name, uint32_t fallback) override;
    int UserKeyExists(const RWWString& keyPath) override;
    int SetUserDword(const RWWString& keyPath, const RWWString& name, uint32_t value) override;
    GLock* CreateLock() override;

    // Splits a marked name and creates its key (all access) under its root, which must
    // be one of the predefined keys 0x80000000 to 0x80000006: 1 with the open key and
    // the value name, else 0 and nothing open.
    virtual int CreateRegistryKeyPath(const RWWString& markedName, HKEY& key, RWWString& valueName);
    // 1 when the name begins with "???".
    virtual int IsMarkedValueName(const RWWString& name);
    // The printer handle the driver object holds, or null.
    virtual void* GetPrinterHandle(GDriverObject* driver) = 0;
    // Whether the printer lets the caller administer it: from its security descriptor
    // where the spooler gave one (AdmitsToAdminister), else from whether the printer
    // opens for its administer right.
    virtual Admission PrinterAdmitsCaller(GDriverObject* driver, PSECURITY_DESCRIPTOR printerSecurity);

    // The local time moved by a bias in minutes; the weekday is kept. Biases of a day or
    // more step over as many days as they hold.
    static std::tm ShiftTime(const std::tm& local, int bias);

    // An open key's last write time and number of values, asked of the registry once: false
    // when the key does not answer.
    static bool KeyStamp(HKEY key, GPrinterDataCache::Stamp& stamp);

protected:
    // Where the chunks of one binary value go: an open registry key, else a printer (of
    // the driver object).
    struct ChunkTarget {
        HKEY key;
        HANDLE printer;
        GDriverObject* driver;
    };
    // Writes one value of a binary write (the check, a chunk, a part put back, the
    // count): the only place a binary write stores anything. Type: the registry's value
    // type.
    virtual int WritePart(const ChunkTarget& target, const RWWString& name, uint32_t type, const void* data,
                          uint32_t length);
    // Removes one value of a binary write (a surplus chunk, a chunk or check the write
    // made and puts back): the only place it removes anything. 1 when removed.
    virtual int RemovePart(const ChunkTarget& target, const RWWString& name);
    // Reads one value of a binary read from the platform (the count, the check, a chunk):
    // the only place a binary read asks for anything; what is kept for the call's version
    // is found without it.
    virtual void ReadPart(const ChunkTarget& target, const RWWString& name, GPrinterDataCache::Value& value);
    // Whether the spooler can remove a value of a printer's data: not on Wine, whose
    // spooler ends the process that asks.
    virtual bool SpoolerRemovesValues();
    // Removes a value of the printer's data through the spooler: 1 when removed.
    virtual int DeleteThroughSpooler(HANDLE printer, const RWWString& name);
    // The printer's driver-data key, opened to remove values where the spooler cannot.
    virtual LONG OpenDriverDataToRemove(GDriverObject* driver, HKEY& key);
    // The largest listing of a printer's data values taken, in bytes.
    static constexpr uint32_t kLargestValueList = 4u << 20;

private:
    // A printer handle for one operation: the driver object's, else one opened on its
    // printer name and closed when this goes.
    class PrinterHandle;

    // SetPrinterDataBinary (keepWhole: the value as it reads is kept whole first) and
    // SetPrinterDataChunks (a value whose whole copy its writer keeps).
    int WriteChunks(GDriverObject* driver, const RWWString& name, const void* data, uint32_t length, bool keepWhole);
    // The parts of one binary value as a read reaches them.
    class ValueReader;
    // The lock a writer of one binary value holds for the whole write.
    class ValueLock;

    // GetPrinterDataBinary, telling besides whether the value read carries this
    // version's done check and matches it.
    int ReadBinary(GDriverObject* driver, const RWWString& name, void* buffer, uint32_t size, uint32_t& length,
                   bool& current, bool afresh = false);

    // A value of the printer's data larger than what is kept of one, read at its size
    // past what the call keeps: ERROR_MORE_DATA when it is longer than bound.
    void ReadLargeValue(GDriverObject* driver, const RWWString& name, uint32_t bound, GPrinterDataCache::Value& value);
    // A value through the target at its size, past what is kept: ERROR_MORE_DATA when it is
    // longer than bound.
    static void ReadAtSize(const ChunkTarget& target, const RWWString& name, uint32_t bound,
                           GPrinterDataCache::Value& value);
    // The binary value whole as GetPrinterDataBinary reads it (afresh: past what the call
    // keeps), at most kLargestInspected bytes; current as ReadBinary tells. False when it
    // does not read.
    bool ReadValueWhole(GDriverObject* driver, const RWWString& name, bool afresh, std::vector<uint8_t>& bytes,
                        bool& current);

    // After a write: the rest of the call reads the printer's data under the version
    // the key's stamp tells now.
    void ForgetPrinterData(GDriverObject* driver);
    // A string value of the printer's data: as kept for the call's version, or (now) as
    // the printer holds it at this moment.
    void ReadPrinterDataString(RWWString& result, GDriverObject* driver, const RWWString& name,
                               const RWWString& fallback, bool now);
    // The printer's security descriptor, read into record through the driver's handle or
    // one opened to read it: null when it cannot be read or does not lie within record.
    PSECURITY_DESCRIPTOR ReadPrinterSecurity(GDriverObject* driver, std::vector<uint8_t>& record);

    int16_t timeBias_;
    std::atomic<bool> moduleFolderKnown_{false};
    GPrinterDataCache dataCache_;
    GKeptFiles keptFiles_;
};
