// A growable array of 32-bit values: the symbol-set codes of a device font. It grows 64
// entries at a time, and one made for a font record has room for exactly its codes.
#pragma once

#include "model/GStoredCounts.h"
#include "model/GStoredFields.h"

#include <cstdint>
#include <vector>

class GULongVector {
public:
    explicit GULongVector(uint32_t room = 64) { values_.reserve(room); }
    GULongVector(const GULongVector& other) = default;
    GULongVector& operator=(const GULongVector& other) = default;
    virtual ~GULongVector();

    // The index of the first equal entry, or -1.
    virtual int32_t Find(uint32_t value) const;
    virtual void Append(uint32_t value);
    virtual uint32_t Occurrences(uint32_t value) const;
    // Before the entry at index; at the end for an index past it.
    virtual void Insert(uint32_t index, uint32_t value);
    // Removes every equal entry, closing the gaps; answers how many went.
    virtual uint32_t RemoveAll(uint32_t value);

    // Empties the vector and makes room for exactly room entries.
    void Reset(uint32_t room);
    uint32_t Entries() const { return uint32_t(values_.size()); }
    uint32_t Capacity() const { return uint32_t(values_.capacity()); }
    // The entry at index; an index past the end raises the index error and gives 0.
    uint32_t At(uint32_t index) const;
    const std::vector<uint32_t>& Values() const { return values_; }

    bool operator==(const GULongVector& other) const { return values_ == other.values_; }
    bool operator!=(const GULongVector& other) const { return values_ != other.values_; }

private:
    std::vector<uint32_t> values_;
};

// As a stored field: the u32 count, then each value. The count is checked against the
// input before room is made for it, and the vector read has room for exactly its values.
// The read goes straight into the vector: a staged copy's, or the default read's.
inline uint32_t GFieldSize(const GULongVector& values) { return 4 + 4 * values.Entries(); }

template <class Out>
void GFormWrite(Out& out, const GULongVector& values)
{
    GWriteField(out, values.Entries());
    for (uint32_t value : values.Values())
        GWriteField(out, value);
}

template <class In>
bool GFormRead(In& in, GULongVector& values)
{
    uint32_t count = 0;
    if (!GReadField(in, count) || !GCheckStoredCount(in, count, 4))
        return false;
    values.Reset(count);
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t value = 0;
        if (!GReadField(in, value))
            return false;
        values.Append(value);
    }
    return true;
}
