// The common level of the three generations of the colour-adjustment attribute: a
// handful of one-byte option numbers for the three object kinds of a page (objects 0, 1
// and 2) and for the page as a whole, addressed by (object, kind). Each class describes
// where each pair lives in a layout table; reading, writing, comparing and storing are
// the same for all of them.
//
// Object 3 stands for the page. With a kind that is kept per object it reaches a
// page-level scratch value of that kind, never a stored value; scratch values are
// neither stored nor compared.
#pragma once

#include "model/GAttribute.h"

#include <cstddef>
#include <cstdint>

class GChromafitBase : public GStoredLevel<GChromafitBase, GAttribute, 0> {
public:
    static constexpr int kObjects = 4;
    static constexpr int kKinds = 5;
    static constexpr size_t kMaxValues = 10;

    // Where a pair lives: an index into the stored values, a scratch value, or one of
    // these two answers.
    enum : int8_t {
        kRefused = -1,
        kNoValue = -2,     // accepted, but nothing is read or written
        kScratch0 = 100,   // kScratch0 + kind: the page-level scratch value of that kind
    };
    using Layout = int8_t[kObjects][kKinds];

    GChromafitBase();
    explicit GChromafitBase(const long& id);
    GChromafitBase(const GChromafitBase& other) = default;
    GChromafitBase& operator=(const GChromafitBase& other) = default;
    ~GChromafitBase() override;

    // 1 when the pair is accepted (value read, or nothing to read), 0 when refused;
    // value is written only when the pair has one.
    virtual int GetSetting(int object, int kind, uint8_t& value) const;
    virtual int SetSetting(int object, int kind, uint8_t value);

    // The attribute does nothing to a peripheral: the colour-adjustment filter reads it.
    int16_t ApplyTo(GAttributeVisitor& visitor) override;

    // The same object; else the same class, the same id and every stored value equal.
    bool IsSame(const GObjectBase* other) const override;
    // The same class and every stored value equal, ids ignored.
    bool IsSameContent(const GObjectBase* other) const;
    // Copies the stored values of an attribute of the same class; nothing otherwise.
    void AssignValues(const GChromafitBase& other);

    // True for the three colour-adjustment classes (792, 797, 1201).
    static bool IsChromafit(const GObjectBase* object);

    // Each value is stored as a 16-bit word holding the byte; reading keeps the low byte.
    auto StoredForm() { return GFields(GHook(*this)); }
    template <class In>
    bool ReadStored(In& in);
    template <class Out>
    void WriteStored(Out& out) const;
    uint32_t StoredSize() const { return uint32_t(ValueCount() * sizeof(int16_t)); }

protected:
    // The class's layout: for each object and kind, where the pair lives.
    virtual const Layout& GetLayout() const = 0;
    // How many stored values the class has, in stored order at the front of values_.
    virtual size_t ValueCount() const = 0;

    // Sets the stored values in stored order.
    void SetValues(const uint8_t* values, size_t count);
    // The slot of a pair, or null when the pair is refused or has no value.
    uint8_t* Slot(int object, int kind, int& answer);

private:
    uint8_t values_[kMaxValues];
    uint8_t scratch_[kKinds];
};
