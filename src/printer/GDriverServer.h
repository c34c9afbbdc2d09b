// The module-wide registry of live driver objects. Entry points hand it a printer
// identity and get the printer's driver object and a ticket, which they hand back when
// done. Released objects are kept as spares, a bounded number per kind (twice the
// processors, at least 2; the oldest goes when a new one comes), so that calls for the
// same printer on several threads at once find objects ready instead of reading the
// printer model again.
//
// Each table has its own lock (ticket -> object, 64 buckets by ticket, and the spares
// with their identities). No object code runs and nothing is allocated or deleted while
// a table lock is held, apart from comparing a spare's identity with the one asked for,
// an object's FreeMemory, which the out-of-memory path calls only on a table whose lock
// it could take at once (a thread that runs out of memory never waits for the server),
// and the font-file closer, which runs when the last secondary object goes.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

class GCacheKey;
class GDriverObject;
class GLock;
class PrinterIdentity;

class GDriverServer {
public:
    // Makes both locks through the system services, becomes the instance and fills the
    // fatal-error and out-of-memory hooks; a server made before is deleted.
    GDriverServer();
    GDriverServer(const GDriverServer&) = delete;
    GDriverServer& operator=(const GDriverServer&) = delete;
    // Deletes every object, spares included, and the locks; clears the hooks.
    virtual ~GDriverServer();

    static GDriverServer* Instance();
    // Forgets the instance without deleting it, so that the module's unload deletes
    // nothing: at process end other threads may have left its locks held.
    static void Abandon();
    // False when a lock could not be made: such a server must not be used.
    bool IsUsable() const;

    // The driver object for the printer: the newest spare whose identity is the same,
    // when the spare keeps its caller (KeepsCaller); else one made by the system
    // services, with the printer model of that spare or of the newest spare of the same
    // printer released through another handle, or read from the driver's data file when
    // there is none. A spare's model serves only while the data file the
    // printer's driver names is the one it was read from, as it was then; a spare whose
    // model does not is deleted. Takes the identity. Null and ticket 0 when no object
    // could be had.
    GDriverObject* Acquire(PrinterIdentity* identity, uint32_t& ticket);
    // The object becomes the newest spare (the oldest is deleted when the spares are
    // full). An unknown ticket ends the process (error 501) unless the server is
    // shutting down.
    void Release(uint32_t ticket);
    GDriverObject* LookUp(uint32_t ticket);
    // The same for objects of the second kind.
    GDriverObject* AcquireSecondary(PrinterIdentity* identity, uint32_t& ticket);
    void ReleaseSecondary(uint32_t ticket);
    GDriverObject* Find(uint32_t ticket);
    // 1 and the object's ticket when the object is live, else 0.
    int FindTicket(uint32_t& ticket, const GDriverObject* object);
    int FindSecondaryTicket(uint32_t& ticket, const GDriverObject* object);

    // Deletes every spare; 1 when there was one.
    int FlushKept();
    // The most spares a table keeps.
    uint32_t SpareBound() const { return spareBound_; }
    // Spares first, then each live object's own FreeMemory until one frees something;
    // a table that is busy is passed over. 1 when something was freed.
    int FreeMemory();
    // From now on releases delete their objects and unknown tickets are no error.
    void BeginShutdown();
    bool IsShuttingDown() const { return shuttingDown_.load() != 0; }
    // Deletes every live object of both tables.
    void Shutdown();

    // What closes every open font file of the process once no secondary object is
    // live; null for nothing.
    static void SetFontFileCloser(void (*closer)());

private:
    struct Entry;
    // A released object and the identity it answered when released.
    struct Spare {
        GDriverObject* object;
        GCacheKey* identity;
    };
    struct Table {
        Entry* buckets[64] = {};
        uint32_t count = 0;
        GLock* lock = nullptr;
        // Oldest first; room for the bound is made with the table, so that keeping a
        // spare allocates nothing under the lock.
        std::unique_ptr<Spare[]> spares;
        uint32_t spareCount = 0;
        bool secondary = false;
    };

    GDriverObject* AcquireIn(Table& table, PrinterIdentity* identity, uint32_t& ticket);
    bool ReleaseIn(Table& table, uint32_t ticket);
    // The spare taken, and whether it was released under the very identity asked for.
    GDriverObject* TakeSpareIfSame(Table& table, const GCacheKey& identity, bool& sameIdentity);
    // Keeps the released object as the newest spare; answers what must be deleted
    // instead (the oldest spare, or the object itself when none can be kept).
    Spare KeepSpare(Table& table, Spare spare);
    // The newest spare taken out, or none; with wait false a busy table gives none.
    static Spare TakeNewestSpare(Table& table, bool wait);
    static void Delete(const Spare& spare);
    // Deletes the spares of both tables; with wait false a busy table keeps its own.
    // 1 when one was deleted.
    int DeleteSpares(bool wait);
    Entry* Unlink(Table& table, uint32_t ticket);
    Entry* FindEntry(Table& table, uint32_t ticket);
    int FindTicketIn(Table& table, uint32_t& ticket, const GDriverObject* object, int line301, int line302);
    Entry* DetachAll(Table& table);
    int FreeLiveObjects(Table& table);
    static GDriverObject* InterfaceOf(const Table& table, GDriverObject* object);

    Table primary_;
    Table secondary_;
    uint32_t spareBound_;
    std::atomic<uint32_t> shuttingDown_;
};

// Reads the printer model from the driver's data file into a new driver object: false
// when the file is missing, unreadable or does not hold the model.
bool LoadDriverModel(GDriverObject& object);
// True while the data file the object's model was read from is, as this entry call sees
// it, the one the printer's driver names now, as it was then.
bool IsModelCurrent(GDriverObject& object);
