// A version record: two version words (major in the high 16 bits, minor in the low 16
// bits), a kind, two extra values and a list of texts. Stored, copied and compared;
// nothing reads its meaning.
#pragma once

#include "foundation/RWCString.h"
#include "model/GPersistent.h"
#include "model/GStoredCounts.h"
#include "model/GStoredFields.h"

#include <cstdint>
#include <vector>

// The texts of a version record, in the order they were added.
class GPMDStringList {
public:
    GPMDStringList();

    uint32_t Entries() const { return uint32_t(strings_.size()); }
    // The text at index; the index error and an empty text for an index not below the
    // count.
    const RWCString& At(uint32_t index) const;
    void Append(const RWCString& text) { strings_.push_back(text); }
    void Clear() { strings_.clear(); }
    bool operator==(const GPMDStringList& other) const { return strings_ == other.strings_; }

private:
    std::vector<RWCString> strings_;
};

// As a stored field: the u32 count, then each text. The count is checked against the
// input (each text takes at least its length word) before any text is read.
inline uint32_t GFieldSize(const GPMDStringList& list)
{
    uint32_t size = 4;
    for (uint32_t i = 0; i < list.Entries(); ++i)
        size += uint32_t(list.At(i).BinaryStoreSize());
    return size;
}

template <class Out>
void GFormWrite(Out& out, const GPMDStringList& list)
{
    GWriteField(out, list.Entries());
    for (uint32_t i = 0; i < list.Entries(); ++i)
        GWriteField(out, list.At(i));
}

template <class In>
bool GFormRead(In& in, GPMDStringList& list)
{
    uint32_t count = 0;
    if (!GReadField(in, count) || !GCheckStoredCount(in, count, 4))
        return false;
    list.Clear();
    for (uint32_t i = 0; i < count; ++i) {
        RWCString text;
        if (!GReadField(in, text))
            return false;
        list.Append(text);
    }
    return true;
}

class GPMDVersionInfo : public GPersistent<GPMDVersionInfo, GObjectBase, 1051> {
public:
    static constexpr const char* kClassName = "GPMDVersionInfo";
    GPMDVersionInfo* CreateNew() const override { return new GPMDVersionInfo; }
    GPMDVersionInfo* Copy() const override { return new GPMDVersionInfo(*this); }

    // Version words 0, kind 1.
    GPMDVersionInfo();
    // Extra values 0, no texts.
    GPMDVersionInfo(uint32_t firstVersion, uint32_t secondVersion, uint16_t kind, const long& id = 0);
    GPMDVersionInfo(const GPMDVersionInfo& other) = default;
    GPMDVersionInfo& operator=(const GPMDVersionInfo& other) = default;
    ~GPMDVersionInfo() override;

    // The second version word is stored before the first; then the kind, the two extra
    // values, the text count and the texts. A restore changes nothing unless all arrived.
    // The same class and id, equal version words, kind and extra values, and the same
    // texts in the same order.
    bool IsSame(const GObjectBase* other) const override { return SameStored(other); }

    // Each raises one half of a version word and answers the old half; a half that is
    // already 0xFFFF stays and answers -1. Raising the major half clears the minor one.
    int16_t IncrementFirstMinor() { return IncrementMinor(firstVersion_); }
    int16_t IncrementFirstMajor() { return IncrementMajor(firstVersion_); }
    int16_t IncrementSecondMinor() { return IncrementMinor(secondVersion_); }
    int16_t IncrementSecondMajor() { return IncrementMajor(secondVersion_); }

    void SetFirstExtra(uint32_t value) { firstExtra_ = value; }
    void SetSecondExtra(uint32_t value) { secondExtra_ = value; }
    // Appends a text at the end of the list; a null text is empty.
    void AddString(const char* text);

    const GPMDStringList& GetStrings() const { return strings_; }
    uint16_t GetKind() const { return kind_; }
    uint32_t GetFirstVersion() const { return firstVersion_; }
    uint32_t GetSecondVersion() const { return secondVersion_; }
    uint32_t GetFirstExtra() const { return firstExtra_; }
    uint32_t GetSecondExtra() const { return secondExtra_; }

    auto StoredForm() { return GFields(secondVersion_, firstVersion_, kind_, firstExtra_, secondExtra_, strings_); }

private:
    static int16_t IncrementMinor(uint32_t& word);
    static int16_t IncrementMajor(uint32_t& word);


    uint32_t firstVersion_;
    uint32_t secondVersion_;
    uint16_t kind_;
    uint32_t firstExtra_;
    uint32_t secondExtra_;
    GPMDStringList strings_;
};
