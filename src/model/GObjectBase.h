// The root of every model object: a shared-ownership count, the id of the feature or
// setting the object stands for, a serial number that tells objects of one stored tree
// apart, and the tree interface (add, remove, find, replace, collect, iterate, copy)
// that a leaf answers for itself and a composite by walking its members.
//
// Ownership: a new object has count -1 (no counted holder). Counted holders
// (GCountedPtr, GCountedRef, the composites) share it; the holder that takes the count
// from 0 back to -1 deletes it. Add always takes ownership; Find... results are
// borrowed; Remove... and Select... results belong to the caller; Replace... stores a
// deep copy and the caller keeps its own object.
#pragma once

#include "foundation/RWCollectable.h"
#include "model/GCountedRef.h"

#include <atomic>
#include <cstdint>

class GObjectIterator;

static_assert(sizeof(long) == 4, "ids are passed as 32-bit longs");

class GObjectBase : public RWCollectable {
public:
    static constexpr RWClassID kClassId = 751;
    static bool KindOfClass(RWClassID kind) { return kind == kClassId || RWCollectable::KindOfClass(kind); }

    GObjectBase();
    explicit GObjectBase(const long& id);
    // Copies id and serial; the copy has no holder yet.
    GObjectBase(const GObjectBase& other);
    // Copies id and serial; the count is never copied.
    GObjectBase& operator=(const GObjectBase& other);

    // The collectable operations.
    GObjectBase* CreateNew() const override;
    GObjectBase* Copy() const override;
    ~GObjectBase() override;
    uint32_t BinaryStoreSize() const override;
    // Same class id and IsSame.
    bool IsEqual(const RWCollectable* other) const override;
    void RestoreGuts(RWDataInStream& stream) override;
    void RestoreGuts(RWBinaryFile& file) override;
    void SaveGuts(RWDataOutStream& stream) const override;
    void SaveGuts(RWBinaryFile& file) const override;

    // The model's own operations, in the order every model class keeps them. Ids are
    // passed as signed 32-bit values, class ids as unsigned 16-bit values.

    // True for the class's own id and each ancestor's.
    virtual bool IsKindOf(RWClassID classId) const;
    // Same setting: the ids are equal (classes add their values). Null is never the same.
    virtual bool IsSame(const GObjectBase* other) const;
    virtual bool Differs(const GObjectBase* other) const;

    virtual void Add(GObjectBase* object);
    virtual void Prepend(GObjectBase* object);
    // The Remove... family hands back an owned object: the member itself when the tree
    // held its last reference, else a copy; null when nothing matched.
    virtual GObjectBase* Remove(const GObjectBase* object);
    virtual GObjectBase* RemoveById(const long& id);
    virtual GObjectBase* RemoveByClassId(const RWClassID& classId);
    // The Replace... family stores a deep copy of newObject: 1 when a member was replaced.
    virtual int ReplaceById(const long& id, const GObjectBase* newObject);
    virtual int ReplaceByClassId(const RWClassID& classId, const GObjectBase* newObject);
    virtual int Replace(const GObjectBase* member, const GObjectBase* newObject);
    virtual int ReplaceKindOf(const RWClassID& classId, const GObjectBase* newObject);

    // The records-store operations: nothing here; the records store overrides them.
    virtual void AddRecord(GObjectBase* object);
    virtual void RemoveRecord(GObjectBase* object);
    virtual GCountedRef FindRecordSame(const GObjectBase* object);
    virtual GCountedRef FindRecordById(const long& id);
    virtual GCountedRef FindRecordByClassId(const RWClassID& classId);
    virtual int ReplaceRecordById(const long& id, const GObjectBase* newObject);
    virtual int ReplaceRecordByClassId(const RWClassID& classId, const GObjectBase* newObject);

    virtual void RemoveAll();

    // Depth-first searches; a leaf tests only itself, a composite only its members.
    virtual GObjectBase* FindById(const long& id);
    virtual GObjectBase* FindByClassId(const RWClassID& classId);
    virtual GObjectBase* FindSame(const GObjectBase* object);
    virtual GObjectBase* FindKindOf(const RWClassID& classId);

    // Collect... adds every match to into (which then shares it) and returns into;
    // Select... returns a new composite of the matches, or null when there is none.
    virtual GObjectBase* CollectByClassId(const RWClassID& classId, GObjectBase* into);
    virtual GObjectBase* CollectById(const long& id, GObjectBase* into);
    virtual GObjectBase* SelectById(const long& id);
    virtual GObjectBase* SelectByClassId(const RWClassID& classId);
    virtual GObjectBase* CollectKindOf(const RWClassID& classId, GObjectBase* into);
    virtual GObjectBase* SelectKindOf(const RWClassID& classId);

    // A counted reference to this object when it matches, else a null reference.
    virtual GCountedRef FindPtrById(const long& id);
    virtual GCountedRef FindPtrByClassId(const RWClassID& classId);
    virtual GCountedRef FindPtrSame(const GObjectBase* object);

    // This object when it has members, else null.
    virtual GObjectBase* AsComposite();
    virtual long GetSerial() const;
    virtual uint32_t Entries() const;
    virtual uint32_t TotalEntries() const;
    // A new iterator over the members, owned by the caller; null when out of memory.
    virtual GObjectIterator* CreateIterator();
    // The class id under which the settings serializer stores the object.
    virtual RWClassID StorageClassId() const;
    // A copy of the whole subtree; members are copied, not shared.
    virtual GObjectBase* DeepCopy() const;

    long GetId() const { return id_; }
    void SetId(const long& id) { id_ = id; }
    void SetSerial(const long& serial) { serial_ = serial; }
    // Sets the serials of the whole tree to 0, so that it gets fresh ones when read back.
    void ClearSerials();
    // Gives this object the next serial number of the process.
    void TakeNextSerial();

    // While one is open on a thread, the objects that thread saves are written with
    // serial 0, as ClearSerials would leave them, without touching the live tree: equal
    // settings then pack to equal bytes, and a reader gives them fresh serials.
    class SerialsOmitted {
    public:
        SerialsOmitted();
        ~SerialsOmitted();
        SerialsOmitted(const SerialsOmitted&) = delete;
        SerialsOmitted& operator=(const SerialsOmitted&) = delete;
    };

    // The count of counted holders minus one.
    int32_t References() const { return references_.load(std::memory_order_relaxed); }
    void AddReference();
    // Answers the count before the release: 0 means the caller held the last reference.
    int32_t RemoveReference();

    // Null-safe holding for the counted holders: Release deletes the object when it
    // drops the last reference.
    static void Hold(GObjectBase* object);
    static void Release(GObjectBase* object);
    // Takes over one reference the caller holds and answers an owned object: the object
    // itself when that was the last reference, else a copy (the shared object stays
    // with its other holders).
    static GObjectBase* HandOut(GObjectBase* held);
    // Disposes of an object that a holder refused: deleted when nobody holds it,
    // untouched when somebody does.
    static void Drop(GObjectBase* object);

    // An object embedded by value in another is never held by a counted holder.
    void MarkEmbedded() { embedded_ = true; }
    bool IsEmbedded() const { return embedded_; }

    // Reads one object reference for a counted holder. Only a model object that may be
    // held comes back: not one still being restored (an ancestor, which would make a
    // cycle), not one read into or embedded in another object. Null for the nil
    // object, a refusal or a failed read; a refused new object is deleted by the read.
    // A stored class that is no kind of the class with id kind is refused before the
    // object is made.
    static GObjectBase* RestoreHeld(RWBinaryFile& file, RWClassID kind = kClassId);
    static GObjectBase* RestoreHeld(RWDataInStream& stream, RWClassID kind = kClassId);
    // True when nothing more can be read in the restore this call is part of: the
    // data ended, a read failed, or the data went out of step.
    static bool RestoreStopped(RWBinaryFile& file);
    static bool RestoreStopped(RWDataInStream& stream);

private:
    // Reads and moves the serial counter, for tests of the wrap-around.
    friend class GSerialCounterProbe;
    // The serial that the next object will get (0 stands for 1).
    static uint32_t PeekNextSerial();
    static void SetNextSerial(uint32_t next);

    template <class In>
    void ReadFields(In& in);
    template <class Out>
    void WriteFields(Out& out) const;

    // Changed by interlocked operations: holders on different threads need no lock.
    std::atomic<int32_t> references_;
    int32_t id_;
    int32_t serial_;
    bool embedded_;
};

// other as a T when it answers the same class id as self, else null: the first test
// of every IsSame that compares values.
template <class T>
const T* GSameClass(const GObjectBase* self, const GObjectBase* other)
{
    if (!other || other->ClassId() != self->ClassId())
        return nullptr;
    return dynamic_cast<const T*>(other);
}
