// The advance of each character of a run of text along x and along y. An absent array
// means 0 for every character on that axis. Built from per-character positions, or
// from advances along a baseline turned by the text's direction.
#pragma once

#include "graphics/GSharedArray.h"
#include "model/GPersistent.h"

class GTextEscapements : public GPersistent<GTextEscapements, GObjectBase, 803> {
public:
    static constexpr const char* kClassName = "GTextEscapements";
    GTextEscapements* CreateNew() const override { return new GTextEscapements; }
    GTextEscapements* Copy() const override { return new GTextEscapements(*this); }

    // No arrays, count 0.
    GTextEscapements();
    // Adopts both arrays (an empty one stands for an absent one).
    GTextEscapements(GSharedArray&& x, GSharedArray&& y, uint16_t count);
    // The advances along the baseline turned by the direction in degrees: 0 and 180
    // give x advances, 90 and 270 y advances (90 and 180 negated); any other angle gives
    // both, each the difference of rounded running positions so that rounding errors do
    // not add up. A turned array is made the object's own first: the caller's buffer is
    // never written.
    GTextEscapements(float direction, GSharedArray&& advances);
    // Owned copies of both arrays.
    GTextEscapements(const GTextEscapements& other);
    GTextEscapements& operator=(const GTextEscapements&) = delete;
    ~GTextEscapements() override;

    uint16_t GetCount() const { return count_; }
    // The advance of character i; 0 when the array is absent or i is past it.
    int16_t GetXAdvance(uint32_t i) const { return Advance(x_, i); }
    int16_t GetYAdvance(uint32_t i) const { return Advance(y_, i); }
    // The arrays' elements; null when absent.
    const int16_t* GetXAdvances() const { return x_.IsEmpty() ? nullptr : x_.Elements<int16_t>(); }
    const int16_t* GetYAdvances() const { return y_.IsEmpty() ? nullptr : y_.Elements<int16_t>(); }
    // An absent array is made (count zeros) for a value that is not 0; an index not
    // below the count changes nothing.
    void SetXAdvance(uint32_t i, int16_t value) { SetAdvance(x_, i, value); }
    void SetYAdvance(uint32_t i, int16_t value) { SetAdvance(y_, i, value); }

    // Same class and id, equal counts, and each axis absent on both sides or equal.
    bool IsSame(const GObjectBase* other) const override;

    // Count u16, then per axis a present word (i32, 1 or 0) and, when present, count
    // 16-bit advances. An array is read only when its word is exactly 1.
    auto StoredForm() { return GOwnForm(*this); }
    template <class In>
    void ReadFields(In& in);
    template <class Out>
    void WriteFields(Out& out) const;
    uint32_t FieldsSize() const;

private:
    static int16_t Advance(const GSharedArray& axis, uint32_t i)
    {
        return i < axis.GetCount() && !axis.IsEmpty() ? axis.Elements<int16_t>()[i] : 0;
    }
    void SetAdvance(GSharedArray& axis, uint32_t i, int16_t value);
    template <class In>
    static bool ReadAxis(In& in, uint16_t count, GSharedArray& axis);
    template <class Out>
    void WriteAxis(Out& out, const GSharedArray& axis) const;

    GSharedArray x_;
    GSharedArray y_;
    uint16_t count_;
};
