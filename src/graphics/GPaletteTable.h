// An ordered table of colours for indexed colour and pens. The table owns every colour
// it holds: whatever it is given or reads back is its own, never shared.
#pragma once

#include "graphics/GColorBase.h"

#include <cstdint>
#include <vector>

class GPaletteTable : public GPersistent<GPaletteTable, GObjectBase, 553> {
public:
    static constexpr const char* kClassName = "GPaletteTable";
    GPaletteTable* CreateNew() const override { return new GPaletteTable; }
    GPaletteTable* Copy() const override { return new GPaletteTable(*this); }

    // White at index 0, black at index 1, both opaque.
    GPaletteTable();
    // Copies of the colours in order (null ones skipped); no white or black.
    explicit GPaletteTable(const std::vector<const GColorBase*>& colors);
    GPaletteTable(const GPaletteTable& other);
    GPaletteTable& operator=(const GPaletteTable& other);
    ~GPaletteTable() override;

    // The same class and id, the same count, and no colour that differs from the other's
    // at the same index.
    bool IsSame(const GObjectBase* other) const override;

    uint32_t GetCount() const { return uint32_t(colors_.size()); }
    // The colour at the index, borrowed; an index at or beyond the count raises the
    // index error and answers null.
    GColorBase* GetColor(uint32_t index) const;
    // Appends the colour and takes it over; null is ignored.
    void AddColor(GColorBase* color);
    // True when every colour has equal red, green and blue (an empty table is gray).
    bool IsGray() const;

    // The colour count, then each colour as an object reference. A colour read as a
    // reference to one read before is copied; anything that is no colour, or a count the
    // data cannot hold, fails the read. The colours change only when all arrived.
    auto StoredForm() { return GFields(GHook(*this)); }
    template <class In>
    bool ReadStored(In& in);
    template <class Out>
    void WriteStored(Out& out) const;
    uint32_t StoredSize() const;

private:
    void Clear();
    void AppendCopies(const GPaletteTable& other);

    std::vector<GColorBase*> colors_;
};
