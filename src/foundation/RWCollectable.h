// The root of every object that can live in a collection or be stored.
//
// A collectable answers its class id, makes new objects of its own class, orders,
// hashes and compares itself, and reads and writes its own fields; storing whole object
// graphs builds on these operations. The root itself has no data: ordering, hashing and
// equality go by address.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

class RWBinaryFile;
class RWDataInStream;
class RWDataOutStream;

typedef uint16_t RWClassID;

// What a reader does with an object a restore hands it. An object that a plain-pointer
// owner (a collection, an association, the restore's caller) keeps and one that counted
// holders keep are freed by different rules, so one restore never gives an object to
// both kinds; a borrower keeps nothing.
enum class RWHolding : uint8_t { Owned, Counted, Borrowed };

// The class id that means "no class".
const RWClassID RWNoClassId = 0x8000;
// Classes with ids in [RWFirstStringClassId, RWLastStringClassId] are known by name:
// their objects are stored with the class name instead of the id.
const RWClassID RWFirstStringClassId = 0x9000;
const RWClassID RWLastStringClassId = 0xF000;

inline bool RWClassIdRangeForStringIds(RWClassID id)
{
    return id >= RWFirstStringClassId && id <= RWLastStringClassId;
}

// Hands out the ids of classes known by name, 0x9000 upwards; RWNoClassId once the
// range is used up. Safe to call from any thread.
RWClassID RWGenerateClassId();

// The address hash of the root and of identity tables: a XOR (a >> 3).
inline uint32_t RWAddressHash(const void* p)
{
    const uint32_t a = uint32_t(reinterpret_cast<uintptr_t>(p));
    return a ^ (a >> 3);
}

class RWCollectable {
public:
    static constexpr RWClassID kClassId = 0x8007;
    // The static ancestry every registered class extends (RWKindOfClass): true for the
    // ids of this class and its ancestors. A class that others derive from declares its
    // own, naming its parent's.
    static bool KindOfClass(RWClassID kind) { return kind == kClassId; }

    constexpr RWCollectable() {}
    RWCollectable(const RWCollectable&) = default;
    RWCollectable& operator=(const RWCollectable&) = default;

    // The virtual operations, in the order every collectable class keeps them.

    // A new default-constructed object of this object's own class; the caller owns it.
    virtual RWCollectable* CreateNew() const;
    // A new copy of this object; the caller owns it.
    virtual RWCollectable* Copy() const;
    virtual RWClassID ClassId() const;
    virtual ~RWCollectable();
    // The number of bytes SaveGuts writes to a binary file.
    virtual uint32_t BinaryStoreSize() const;
    // Three-way order: 0 for the same object, else by address.
    virtual int CompareTo(const RWCollectable* other) const;
    virtual uint32_t Hash() const;
    // True for the same object.
    virtual bool IsEqual(const RWCollectable* other) const;
    // Read and write the object's own fields (the root has none).
    virtual void RestoreGuts(RWDataInStream& stream);
    virtual void RestoreGuts(RWBinaryFile& file);
    virtual void SaveGuts(RWDataOutStream& stream) const;
    virtual void SaveGuts(RWBinaryFile& file) const;

    // Object graphs. A save writes this object as a reference: a back-reference when
    // the current save already wrote it, else its class and its SaveGuts, whose members
    // are saved through these same operations. The outermost call of a save on a
    // thread opens that thread's store table; the calls nested in it share it, so a
    // shared member is written once. Restores read references back the same way.

    void RecursiveSaveOn(RWBinaryFile& file) const;
    void RecursiveSaveOn(RWDataOutStream& stream) const;
    // The bytes RecursiveSaveOn(RWBinaryFile&) writes for this object. Nested in a
    // BinaryStoreSize, it counts a member that the same size computation already
    // counted as a back-reference, as the save will write it.
    uint32_t RecursiveStoreSize() const;

    // Reads one reference and makes or finds its object; obj gets it, or null when
    // nothing could be read.
    static void RestoreNew(RWBinaryFile& file, RWCollectable*& obj);
    static void RestoreNew(RWDataInStream& stream, RWCollectable*& obj);
    // The same, but a new object is read into p when p is not null (a back-reference
    // must then name p). Answers p, the object a back-reference names, or null.
    static RWCollectable* RecursiveRestoreFrom(RWBinaryFile& file, RWCollectable* p = nullptr);
    static RWCollectable* RecursiveRestoreFrom(RWDataInStream& stream, RWCollectable* p = nullptr);

    // Reads one reference and keeps the object only when accept takes it. With an
    // expected class id, a stored class that the factory's ancestry says is no kind of
    // it is refused before the object is made. A fresh object that accept refuses is
    // deleted before its fields are read; its number then names nothing. A refusal raises [ID] with the object's class id and
    // expected, and fails the read (the stream's fail bit; on a file, the rest of the
    // outermost restore yields nothing). An object that the restore already gave to
    // the other kind of holder than holding raises [REF] and yields null.
    typedef bool (*KindTest)(const RWCollectable* obj);
    static RWCollectable* RestoreKindOf(RWBinaryFile& file, KindTest accept, RWClassID expected,
                                        RWHolding holding = RWHolding::Owned);
    static RWCollectable* RestoreKindOf(RWDataInStream& stream, KindTest accept, RWClassID expected,
                                        RWHolding holding = RWHolding::Owned);

    // For containers that adopt restored members: true while obj is still being
    // restored on this thread (its RestoreGuts has not returned), so it is either the
    // container itself or one of its ancestors; adopting it would make a cycle.
    static bool IsBeingRestored(const RWCollectable* obj);
    // True when the current restore on this thread read obj in place: it belongs to
    // the caller of RecursiveRestoreFrom and must never be owned by anyone else.
    static bool IsRestoredInPlace(const RWCollectable* obj);

    // A check that an outermost restore runs on what it read before handing it out.
    // When it answers false the restore raises [READERR] and yields null, deleting the
    // object it made (one read in place stays the caller's). The layers above install
    // theirs once, when the module loads; null removes it.
    typedef bool (*RestoredCheck)(RWCollectable* obj);
    static void SetRestoredCheck(RestoredCheck check);
};

// The object that stands for a null pointer in stored object graphs. It is never
// deleted and never kept as a collection member.
extern RWCollectable RWNilObject;

// Writes a reference to obj; null writes the nil object.
RWBinaryFile& operator<<(RWBinaryFile& file, const RWCollectable* obj);
RWDataOutStream& operator<<(RWDataOutStream& stream, const RWCollectable* obj);
// Read a reference through RestoreNew.
RWBinaryFile& operator>>(RWBinaryFile& file, RWCollectable*& obj);
RWDataInStream& operator>>(RWDataInStream& stream, RWCollectable*& obj);

// The class id expected of objects read into a T*: T::kClassId, or RWNoClassId for a
// class without one of its own.
template <class T, class = void>
struct RWExpectedClassId {
    static constexpr RWClassID value = RWNoClassId;
};
template <class T>
struct RWExpectedClassId<T, std::void_t<decltype(T::kClassId)>> {
    static constexpr RWClassID value = T::kClassId;
};

template <class T>
bool RWIsKindOf(const RWCollectable* obj)
{
    return dynamic_cast<const T*>(obj) != nullptr;
}

// Typed extraction for every collectable class: reads one reference and keeps it only
// when the object is a T (RWCollectable::RestoreKindOf).
template <class T, class = std::enable_if_t<std::is_base_of<RWCollectable, T>::value &&
                                            !std::is_same<T, RWCollectable>::value>>
RWBinaryFile& operator>>(RWBinaryFile& file, T*& obj)
{
    obj = dynamic_cast<T*>(RWCollectable::RestoreKindOf(file, RWIsKindOf<T>, RWExpectedClassId<T>::value));
    return file;
}
template <class T, class = std::enable_if_t<std::is_base_of<RWCollectable, T>::value &&
                                            !std::is_same<T, RWCollectable>::value>>
RWDataInStream& operator>>(RWDataInStream& stream, T*& obj)
{
    obj = dynamic_cast<T*>(RWCollectable::RestoreKindOf(stream, RWIsKindOf<T>, RWExpectedClassId<T>::value));
    return stream;
}

// The equality test of list searches: true when member's IsEqual accepts other. A null
// member or a null other equals nothing.
int RWCollectableIsEqual(const RWCollectable* member, const void* other);
