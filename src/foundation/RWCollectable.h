// The root of every object that can live in a collection or be stored.
//
// A collectable answers its class id, makes new objects of its own class, orders,
// hashes and compares itself, and reads and writes its own fields; storing whole object
// graphs builds on these operations. The root itself has no data: ordering, hashing and
// equality go by address.
#pragma once

#include <cstddef>
#include <cstdint>

class RWBinaryFile;
class RWDataInStream;
class RWDataOutStream;

typedef uint16_t RWClassID;

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
};

// The object that stands for a null pointer in stored object graphs. It is never
// deleted and never kept as a collection member.
extern RWCollectable RWNilObject;

// The equality test of list searches: true when member's IsEqual accepts other. A null
// member or a null other equals nothing.
int RWCollectableIsEqual(const RWCollectable* member, const void* other);
