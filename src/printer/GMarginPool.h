// The printer's unprintable margins, as a list of entries each holding the four margins
// of every orientation. A custom paper size takes its margins from entry 0.
#pragma once

#include "model/GPersistent.h"

#include <cstdint>
#include <vector>

// The margins of one orientation, in micrometres.
struct GMarginRecord {
    uint32_t left;
    uint32_t top;
    uint32_t right;
    uint32_t bottom;
};

// The records of the orientations 0, 90, 180 and 270 degrees, in that order.
struct GMarginEntry {
    GMarginRecord byOrientation[4];
};
static_assert(sizeof(GMarginEntry) == 64, "a stored margin entry is 16 words");

class GMarginPool : public GPersistent<GMarginPool, GObjectBase, 1014> {
public:
    static constexpr const char* kClassName = "GMarginPool";
    GMarginPool* CreateNew() const override { return new GMarginPool; }
    GMarginPool* Copy() const override { return new GMarginPool(*this); }

    GMarginPool();
    explicit GMarginPool(const long& id);
    GMarginPool(const GMarginPool& other) = default;
    GMarginPool& operator=(const GMarginPool& other) = default;
    ~GMarginPool() override;

    // Appends a copy: its index, or -1 for a null entry or when memory runs out.
    int32_t AddEntry(const GMarginEntry* entry);
    // Null when the index is not below the count.
    const GMarginEntry* GetEntry(uint32_t index) const;
    uint32_t GetEntryCount() const { return uint32_t(entries_.size()); }

    // The entry count, then every entry's sixteen words. A count that the data cannot
    // hold is refused before anything is allocated; the entries change only when every
    // one arrived.
    auto StoredForm() { return GFields(GHook(*this)); }
    template <class In>
    bool ReadStored(In& in);
    template <class Out>
    void WriteStored(Out& out) const;
    uint32_t StoredSize() const { return 4 + 64 * GetEntryCount(); }

private:
    std::vector<GMarginEntry> entries_;
};
