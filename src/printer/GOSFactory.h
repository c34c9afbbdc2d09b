// The one door through which the object model reaches the operating system: driver
// objects, registry and printer data, stored objects, streams, unique file names,
// random numbers, time, locale, module folder, allocation and locks.
//
// Exactly one instance is live: the most recently constructed one, reached through
// Instance(). This class supplies the bodies that do not depend on the platform; the
// platform's implementation supplies the rest.
#pragma once

#include "foundation/RWWString.h"

// First, so that every file sees the same names for the operations whose names the
// platform's headers also define as macros (GetModuleHandle).
#include <windows.h>
#include <winspool.h>

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <memory>
#include <vector>

class GDriverObject;
class GDriverServicesAdapter;
class GGlyphSource;
class GInStreamHolder;
class GLocaleInfo;
class GLock;
class GObjectBase;
class GOutStreamHolder;
class GPrinterLibrary;
class GObjectSerializer;
class GTextConverter;
class PrinterIdentity;

class GOSFactory {
public:
    // What reading an object stored as printer data found.
    enum class StoredRead { kRead, kAbsent, kUnreadable };

    GOSFactory();
    GOSFactory(const GOSFactory&) = delete;
    GOSFactory& operator=(const GOSFactory&) = delete;

    // The live instance; null before one was made.
    static GOSFactory* Instance();

    virtual GDriverObject* CreateDriverObject(const PrinterIdentity& identity) = 0;
    virtual GDriverObject* CreateSecondaryDriverObject(const PrinterIdentity& identity) = 0;
    virtual GDriverObject* AdaptSecondaryObject(GDriverObject* object);
    virtual uint32_t GetCommandContext(void* producer) = 0;
    virtual int GetLocalAndShiftedTime(std::tm& local, std::tm& shifted, int16_t& bias) = 0;
    virtual void SetTimeBias(int16_t minutes);
    virtual uint32_t Reserved1(uint32_t a, uint32_t b, uint32_t c) = 0;
    // Kind, version (major << 16 | minor) and build; all 0 when detection fails.
    virtual void GetOSVersion(uint32_t& kind, uint32_t& version, uint32_t& build);
    virtual uint32_t Reserved2() = 0;
    virtual GTextConverter* CreateTextConverter() = 0;
    virtual GInStreamHolder* OpenMemoryInputStream(const void* data, uint32_t length, int kind) = 0;
    virtual GInStreamHolder* OpenFileInputStream(const RWWString& path, int kind) = 0;
    virtual GOutStreamHolder* OpenMemoryOutputStream(void* buffer, uint32_t size, int kind) = 0;
    virtual GOutStreamHolder* OpenFileOutputStream(const RWWString& path, int kind) = 0;
    // Makes the lock the pointer names, once, under the global lock.
    virtual void EnsureLock(GLock** lock);
    virtual void SetModuleHandle(uint32_t handle);
    virtual uint32_t GetModuleHandle();
    virtual void GetDriverDataFile(RWWString& path, GDriverObject* driver) = 0;
    // The driver's data file as a binary stream, for reading a printer model. The stream
    // may read bytes kept in memory: keep holds them for as long as the stream is read.
    // These services open the file for each read.
    virtual GInStreamHolder* OpenDriverDataStream(const RWWString& path, std::shared_ptr<const void>& keep);
    virtual GLocaleInfo* CreateLocaleInfo() = 0;
    virtual void GetTempDirectory(RWWString& path, GDriverObject* driver) = 0;
    virtual void GetModuleDirectory(RWWString& path) = 0;
    virtual GPrinterLibrary* CreateMiniInstaller(const RWWString& printerName, uint32_t printerHandle, uint32_t);
    // A name in the folder that no file has, made from the template (each "&" a random
    // digit or capital letter; empty template: UniqueNameTemplate). With the create flag
    // the file is created, empty. Empty when no name was found within a bounded number
    // of attempts.
    virtual void MakeUniqueFile(RWWString& name, const RWWString& folder, const RWWString& nameTemplate,
                                int create);
    virtual void SeedRandom() = 0;
    virtual int Random() = 0;
    virtual int FileExists(const RWWString& path) = 0;
    virtual int CreateNewFile(const RWWString& path) = 0;
    virtual wchar_t PathSeparator();
    virtual void UniqueNameTemplate(RWWString& nameTemplate);
    virtual void* Allocate(size_t size);
    virtual void Free(void* block);
    virtual void Reserved3(uint32_t);
    virtual GDriverServicesAdapter* CreateServicesAdapter(GDriverObject* client) = 0;
    virtual int SetPrinterDataDword(GDriverObject* driver, const RWWString& name, uint32_t value) = 0;
    virtual int SetPrinterDataString(GDriverObject* driver, const RWWString& name, const RWWString& text) = 0;
    virtual int SetPrinterDataBinary(GDriverObject* driver, const RWWString& name, const void* data,
                                     uint32_t length) = 0;
    // Stores the object as binary printer data, in the compact settings-tree form or the
    // object-graph form as the printer's configuration chooses: 1 when stored.
    virtual int SaveObjectToPrinterData(GDriverObject* driver, const RWWString& name, const GObjectBase* object);
    virtual uint32_t GetPrinterDataDword(GDriverObject* driver, const RWWString& name, uint32_t fallback) = 0;
    virtual void GetPrinterDataString(RWWString& result, GDriverObject* driver, const RWWString& name,
                                      const RWWString& fallback) = 0;
    virtual int GetPrinterDataBinary(GDriverObject* driver, const RWWString& name, void* buffer, uint32_t size,
                                     uint32_t& length) = 0;
    virtual int SetPrinterKeyString(GDriverObject* driver, const RWWString& subkey, const RWWString& name,
                                    const RWWString& text) = 0;
    virtual void GetPrinterKeyString(RWWString& result, GDriverObject* driver, const RWWString& subkey,
                                     const RWWString& name, const RWWString& fallback) = 0;
    virtual int DeletePrinterDriverDataValue(GDriverObject* driver, const RWWString& name) = 0;
    // Removes a value SetPrinterDataBinary wrote, whole: 1 when none of it reads any more
    // (also when there was none). These services remove the value of the name.
    virtual int RemovePrinterDataBinary(GDriverObject* driver, const RWWString& name);
    // Reads an object stored as binary printer data, owned by the caller; null when none
    // is stored or it cannot be read.
    virtual GObjectBase* LoadObjectFromPrinterData(GDriverObject* driver, const RWWString& name, int portable);
    virtual void GetMachineString(RWWString& result, const RWWString& keyPath, const RWWString& name,
                                  const RWWString& fallback) = 0;
    virtual uint32_t GetMachineDword(const RWWString& keyPath, const RWWString& name, uint32_t fallback) = 0;
    virtual uint32_t SetMachineDwordIfMissing(const RWWString& keyPath, const RWWString& name, uint32_t value) = 0;
    virtual int MachineKeyExists(const RWWString& keyPath) = 0;
    virtual void GetUserString(RWWString& result, const RWWString& keyPath, const RWWString& name,
                               const RWWString& fallback) = 0;
    virtual uint32_t GetUserDword(const RWWString& keyPath, const RWWString& name, uint32_t fallback) = 0;
    virtual int UserKeyExists(const RWWString& keyPath) = 0;
    virtual int IsPassThroughDisabled();
    virtual int SetUserDword(const RWWString& keyPath, const RWWString& name, uint32_t value) = 0;
    virtual int32_t Reserved4();
    // Deletes the global lock and the serializer; the instance is forgotten.
    virtual ~GOSFactory();
    virtual GLock* CreateLock() = 0;
    // The glyph source of a new font, which the font owns; none in this module's
    // services.
    virtual GGlyphSource* CreateGlyphSource();
    // The folder the spooler keeps printer drivers in; empty when it is not known.
    virtual void GetDriverDirectory(RWWString& path);
    // 1 when the library path may be loaded: a full path inside the module's folder or
    // the driver directory. Libraries named by stored data load from nowhere else.
    int IsTrustedLibraryPath(const RWWString& path);
    // Starts a program from its command line (made narrow, as the loader of 16-bit era
    // programs takes it) with the given show-window value; the result of the start, not
    // of the program (above 31 when it started).
    virtual uint32_t RunCommand(const RWWString& command, int show);
    // The system folder without a trailing separator; empty when unknown.
    virtual void GetSystemFolder(RWWString& path);
    // Making a folder of the spooling filters, by wide name: made only when it is not
    // there yet, and a name that is taken told from any other failure.
    enum class FolderMade { kMade, kExists, kFailed };
    virtual FolderMade MakeFolder(const RWWString& path);
    // Removing a folder (only when empty) or a file, by wide name: 1 on success.
    virtual int RemoveFolder(const RWWString& path);
    virtual int RemoveFile(const RWWString& path);
    // The number of this process.
    virtual uint32_t ProcessId();
    // The number of processors the system runs this process on (at least 1).
    virtual uint32_t ProcessorCount();
    // True only when the printer's data is known to hold no value of the name (the
    // spooler says so): a value that is there, or a question that failed, is not absent.
    virtual bool IsPrinterDataAbsent(GDriverObject* driver, const RWWString& name);
    // A number that stays the same while the printer's data does, so that what was read
    // of it may be kept between calls; 0 when nothing may be kept (these services keep
    // nothing).
    virtual uint64_t PrinterDataVersion(GDriverObject* driver);
    // True when reading the binary value now would ask the platform nothing: all of it
    // is kept for the version of the printer's data the call reads. These services keep
    // nothing.
    virtual bool IsPrinterDataKept(GDriverObject* driver, const RWWString& name);
    // True when the binary value reads and carries the check this version writes, done
    // and matching its bytes; a value without one may be written again (same bytes) to
    // give it one. These services keep no check: true.
    virtual bool HasCurrentCheck(GDriverObject* driver, const RWWString& name);
    // How long a writer waits for the stores lock or a value's lock, in milliseconds.
    static constexpr uint32_t kLockWait = 5000;
    // The wait for those locks: kLockWait, or what a test put in its place.
    static uint32_t LockWait();
    // Puts another wait in place of kLockWait (tests); the one replaced comes back.
    static uint32_t SetLockWaitForTesting(uint32_t wait);
    // While one lives, the writes its thread makes ask those locks with no wait (LockWait
    // answers 0 on that thread): a write that would wait on another writer is not made,
    // and its caller makes it later. For work the user must not wait on, such as the
    // opening of a sheet. Scopes of a few threads at once are told apart; past them a
    // thread waits as any other.
    class NoLockWaitScope {
    public:
        NoLockWaitScope();
        ~NoLockWaitScope();
        NoLockWaitScope(const NoLockWaitScope&) = delete;
        NoLockWaitScope& operator=(const NoLockWaitScope&) = delete;

    private:
        int slot_;
    };
    // The writers' lock of the printer's stored settings, one for every process of the
    // printer that may change it: kStoresLockOwned (1) when this thread owns it within
    // wait milliseconds (also when an owner ended holding it), held then being what
    // UnlockPrinterStores takes; kStoresLockBusy (0) when it was not had within the wait
    // (held elsewhere, not to be made, or another program's that does not admit the
    // caller); kStoresLockRefused (-1) when this caller may not have it because the
    // printer does not let it change the printer. Its owner may take it again, and holds
    // it until each is given back. Readers never take it. These services
    // share nothing with other processes: owned, with nothing held.
    static constexpr int kStoresLockOwned = 1;
    static constexpr int kStoresLockBusy = 0;
    static constexpr int kStoresLockRefused = -1;
    virtual int LockPrinterStores(GDriverObject* driver, uint32_t wait, void*& held);
    virtual void UnlockPrinterStores(void* held);
    // What the rest of the call reads of the printer's data is what the printer holds
    // now: nothing kept from before a change since it was last looked at is taken (these
    // services keep nothing).
    virtual void ForgetKeptPrinterData(GDriverObject* driver);
    // A string value of the printer's data as the printer holds it at this moment, never
    // what is kept of it; fallback when there is none (these services read as
    // GetPrinterDataString does).
    virtual void GetPrinterDataStringNow(RWWString& result, GDriverObject* driver, const RWWString& name,
                                         const RWWString& fallback);
    // A number that stays the same while the spooler's forms do; 0 when unknown (these
    // services know nothing of forms).
    virtual uint64_t FormsVersion();
    // The spooler's forms (level 1) as the printer sees them, in one block of bytes made
    // with new[] that the caller gives back with delete[]; every name lies inside the
    // block or is null. Null with a count of 0 when there are none or the spooler does
    // not answer (these services: always).
    virtual FORM_INFO_1W* ReadForms(void* printer, uint32_t& count);

    // LoadObjectFromPrinterData (not portable), telling a value that is absent from one
    // that is there but does not read (a failed read, damaged bytes): only an absent
    // one may be made afresh without losing what the printer holds.
    GObjectBase* LoadStoredObject(GDriverObject* driver, const RWWString& name, StoredRead& outcome);

    // One binary value of the printer's data written by one write, so that a reader gets
    // all of it or none: 1 when written. These services: as SetPrinterDataBinary.
    virtual int SetPrinterDataWhole(GDriverObject* driver, const RWWString& name, const void* data, uint32_t length);
    // Such a value read by one read: kRead with its bytes; kAbsent when the printer holds
    // no value of the name; kUnreadable when the read failed, or the value is not binary
    // or is longer than bound. These services: as GetPrinterDataBinary.
    // Afresh: asked of the platform now, past what the call keeps (and nothing of it kept).
    virtual StoredRead GetPrinterDataWhole(GDriverObject* driver, const RWWString& name, uint32_t bound,
                                           std::vector<uint8_t>& bytes, bool afresh = false);
    // The chunked form of a value whose whole copy is kept besides: as SetPrinterDataBinary,
    // but a write that fails leaves the value's check in progress (its chunks and count
    // go back as far as they can), so that this version reads the copy in its place.
    // These services: as SetPrinterDataBinary.
    virtual int SetPrinterDataChunks(GDriverObject* driver, const RWWString& name, const void* data, uint32_t length);
    // Marks the value's check in progress for the bytes given, before its chunks are
    // written: 1 when marked, former then holding the check it replaced (empty: none).
    // The mark also says what the chunks held when it was made (their length, count and
    // CRC-32, when they were whole) and whether those were the value's newest, written by
    // another writer (formerNewest), so that a reader tells them, and chunks matching
    // neither, from this version's own. RestorePrinterDataCheck puts such a former check
    // back (empty: removes the check). These services keep no check: 1, and nothing to put
    // back.
    virtual int MarkPrinterDataWriting(GDriverObject* driver, const RWWString& name, const void* data, uint32_t length,
                                       bool formerNewest, std::vector<uint8_t>& former);
    virtual int RestorePrinterDataCheck(GDriverObject* driver, const RWWString& name,
                                        const std::vector<uint8_t>& former);
    // What one look at a binary value written in chunks found, asking nothing twice.
    struct ChunkedValue {
        // The state of its check: none; the earlier form; a write in progress or done; a
        // check that is there but does not read.
        enum class Check { kNone, kEarlier, kWriting, kDone, kDamaged };
        // The count is there.
        bool present = false;
        // The chunks have the writer's layout and fit the bound: bytes hold them.
        bool whole = false;
        // Whole, and the check's length and CRC-32 are the bytes'.
        bool matches = false;
        Check check = Check::kNone;
        uint32_t checkCrc = 0;
        // A check in progress that is a mark: it says what the chunks held when it was
        // made. The chunks are whole and still those (matchesFormer); those were the
        // value's newest, another writer's (formerNewest).
        bool marked = false;
        bool matchesFormer = false;
        bool formerNewest = false;
        std::vector<uint8_t> bytes;
    };
    // Whole chunks that match no check are taken only when a second look, afresh, finds
    // them and their check the same; otherwise they read as not whole (a writer is on
    // them). These services keep no check: a value that reads is whole and matches a done
    // one.
    virtual void ReadChunkedValue(GDriverObject* driver, const RWWString& name, uint32_t bound, ChunkedValue& value,
                                  bool afresh = false);
    // The names of the printer's data values (its driver data), through the spooler: false
    // when they cannot be listed. These services cannot list them.
    virtual bool ListPrinterDataNames(GDriverObject* driver, std::vector<RWWString>& names);
    // The object in the stored form SaveObjectToPrinterData writes, as bytes: false when
    // it cannot be written whole.
    bool PackForPrinterData(GDriverObject* driver, const RWWString& name, const GObjectBase* object,
                            std::vector<uint8_t>& bytes);
    // The object stored bytes make (the older portable form when portable is set), owned
    // by the caller; null when they do not read.
    GObjectBase* UnpackPrinterData(GDriverObject* driver, const RWWString& name, const std::vector<uint8_t>& bytes,
                                   int portable);

    // The object as the printer's data would give it back once stored under the name:
    // written in the form SaveObjectToPrinterData writes and read as
    // LoadObjectFromPrinterData reads it, in memory, nothing stored. Owned by the caller;
    // null when it cannot be written or does not read back.
    GObjectBase* StoredAndReadBack(GDriverObject* driver, const RWWString& name, const GObjectBase* object);

    uint16_t GetStoredFormFlag() const { return storedForm_; }
    GObjectSerializer* GetSerializer() const { return serializer_; }
    // The stored-form flag, decided once per instance from the driver's configuration
    // (1: the compact settings-tree form).
    uint16_t StoredFormFor(GDriverObject* driver);

    // The lock EnsureLock creates shared locks under.
    static GLock* GlobalLock();

protected:
    // The platform's implementation makes the global lock once it can (its own
    // constructor); the lock is deleted with the instance.
    static void SetGlobalLock(GLock* lock);
    // A seed that differs between threads and between calls in one second: the time,
    // the tick count and the thread id.
    static uint32_t ThreadSeed(uint32_t time);

    RWWString moduleFolder_;

private:
    // The object in the stored form the printer's configuration chooses: 1 with the bytes
    // (the first length of the buffer) when written whole.
    int PackStoredObject(GDriverObject* driver, const RWWString& name, const GObjectBase* object,
                         std::unique_ptr<uint8_t[]>& packed, uint32_t& length);
    // The object the stored bytes make (the older portable form when portable is set),
    // owned by the caller; null when they do not read.
    GObjectBase* UnpackStoredObject(GDriverObject* driver, const RWWString& name, const uint8_t* bytes, uint32_t length,
                                    int portable);

    uint32_t moduleHandle_;
    uint16_t storedForm_;
    GObjectSerializer* serializer_;
};
