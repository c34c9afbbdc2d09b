// A persistent set of numbered yes/no capabilities: bit n set means capability n is
// present. The driver, the command producer and the writers find one by id and test
// its bits. Bits beyond the bit count read as absent; setting one grows the set.
#pragma once

#include "foundation/RWBitVector.h"
#include "model/GPersistent.h"

#include <cstdint>

class GCapabilities : public GPersistent<GCapabilities, GObjectBase, 1003> {
public:
    static constexpr const char* kClassName = "GCapabilities";
    GCapabilities* CreateNew() const override { return new GCapabilities; }
    GCapabilities* Copy() const override { return new GCapabilities(*this); }
    // The highest bit a set can hold: its bit count is a 32-bit number.
    static constexpr uint32_t kMaxBit = 0xFFFFFFFEu;

    // An empty set (bit count 0).
    GCapabilities();
    explicit GCapabilities(const long& id);
    // bitCount bits, all clear.
    GCapabilities(const long& id, uint32_t bitCount);
    // bitCount bits, then Set(bit).
    GCapabilities(const long& id, uint32_t bitCount, uint32_t bit);
    // bitCount bits, then SetList(bits, count).
    GCapabilities(const long& id, uint32_t bitCount, const uint32_t* bits, uint16_t count);
    GCapabilities(const GCapabilities& other);
    GCapabilities& operator=(const GCapabilities& other);
    ~GCapabilities() override;

    // The same object, or the same class, the same id and equal bit sets (same count,
    // same used bits).
    bool IsSame(const GObjectBase* other) const override;

    // Sets the bit, first growing the set to bit + 1 bits when it is beyond the count.
    // A bit above kMaxBit raises the index error and changes nothing.
    void Set(uint32_t bit);
    // Sets every listed bit, first growing the set to hold the largest. A count of 0
    // changes nothing; a listed bit above kMaxBit raises the index error and changes
    // nothing.
    void SetList(const uint32_t* bits, uint16_t count);
    // Clears the bit when it is below the count; otherwise nothing.
    void ClearBit(uint32_t bit);
    // Clears each listed bit that is below the count; answers 0.
    int32_t ClearList(const uint32_t* bits, uint16_t count);
    // True when the bit is below the count and set.
    bool Test(uint32_t bit) const;
    // False when a listed bit is beyond the count; else true when every listed bit is
    // set (true for an empty list).
    bool TestAll(const uint32_t* bits, uint16_t count) const;
    // True when some listed bit is below the count and set.
    bool TestAny(const uint32_t* bits, uint16_t count) const;
    // True when every listed bit is below the count (true for an empty list).
    bool AllInRange(const uint32_t* bits, uint16_t count) const;
    uint32_t GetBitCount() const { return uint32_t(bits_.Length()); }
    // The set bits among the first bit-count bits.
    uint32_t CountSet() const { return uint32_t(bits_.CountSet()); }
    // The packed bytes, bit n in byte n / 8 at bit n % 8; null when the count is 0.
    const uint8_t* Bytes() const { return bits_.Data(); }

    // The stored form, version word included, read and written by the class itself.
    auto StoredForm() { return GOwnForm(*this); }
    template <class In>
    void ReadFields(In& in);
    template <class Out>
    void WriteFields(Out& out) const;
    uint32_t FieldsSize() const;

private:
    // Grows the set to hold the bit: false, with the index error raised, when no
    // 32-bit count can.
    bool MakeRoomFor(uint32_t bit);

    RWBitVector bits_;
};
