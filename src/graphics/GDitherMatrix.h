// A tile of threshold bytes for one print resolution: the writers send it to the printer
// or apply it to gray data. A writer keeps a list of them and picks the one that fits the
// job's resolution and options with FindDitherMatrix.
#pragma once

#include "model/GPersistent.h"

#include <cstdint>
#include <vector>

class GDitherMatrix : public GPersistent<GDitherMatrix, GObjectBase, 774> {
public:
    static constexpr const char* kClassName = "GDitherMatrix";
    static constexpr uint32_t kStoredVersion = 3;
    GDitherMatrix* CreateNew() const override { return new GDitherMatrix; }
    GDitherMatrix* Copy() const override { return new GDitherMatrix(*this); }

    GDitherMatrix();
    // Both resolutions equal, options and level 0. The thresholds (width x height bytes,
    // row by row) are copied; null gives a matrix of zeros.
    GDitherMatrix(uint8_t width, uint8_t height, const uint8_t* thresholds, uint16_t resolution, const long& id);
    GDitherMatrix(uint8_t width, uint8_t height, const uint8_t* thresholds, uint16_t xResolution,
                  uint16_t yResolution, uint8_t optionA, uint8_t optionB, uint16_t level, const long& id);
    GDitherMatrix(const GDitherMatrix& other) = default;
    GDitherMatrix& operator=(const GDitherMatrix& other) = default;
    ~GDitherMatrix() override;

    // The same object, or the same class and id with equal sizes, resolutions, options,
    // level, further word and threshold bytes.
    bool IsSame(const GObjectBase* other) const override { return SameStored(other); }

    // 0 outside the matrix.
    uint8_t GetThreshold(uint32_t row, uint32_t column) const;
    // Positions outside the matrix are ignored.
    void SetThreshold(uint32_t row, uint32_t column, uint8_t value);

    uint8_t GetWidth() const { return width_; }
    uint8_t GetHeight() const { return height_; }
    uint16_t GetId() const { return xResolution_; }
    uint16_t GetYResolution() const { return yResolution_; }
    uint8_t GetOptionA() const { return optionA_; }
    uint8_t GetOptionB() const { return optionB_; }
    uint16_t GetLevel() const { return level_; }
    uint32_t GetExtra() const { return extra_; }
    void SetExtra(uint32_t extra) { extra_ = extra; }

    // Row reading. BeginRow puts the cursor on a column of a row (the column taken
    // modulo the width); it is refused (false) for a row past the height or an empty
    // matrix, and NextThreshold then gives 0. NextThreshold gives the byte under the
    // cursor and moves one column right, wrapping to the row's start.
    bool BeginRow(uint32_t column, uint32_t row);
    uint8_t NextThreshold();
    // One row period from the column: the bytes to the row's end, then those from its
    // start up to the column (width bytes). False, writing nothing, where BeginRow is
    // refused.
    bool CopyRow(uint8_t* buffer, uint32_t column, uint32_t row) const;
    // All width x height bytes, row by row.
    void CopyAll(uint8_t* buffer) const;

    // Version 3: sizes as u16, the bytes, x resolution, the further word, y resolution,
    // options and level as u16. Sizes and options are bytes in memory: a stored value
    // above 255, or more threshold bytes than the input holds, fails the read and keeps
    // the matrix as it was. A read puts the row cursor off.
    auto StoredForm()
    {
        return GVersion<kStoredVersion>(
            GFields(GNarrowed<uint16_t>(width_), GNarrowed<uint16_t>(height_),
                    GBytes(thresholds_, [this] { return uint32_t(width_) * height_; }), xResolution_, extra_,
                    yResolution_, GNarrowed<uint16_t>(optionA_), GNarrowed<uint16_t>(optionB_), level_,
                    GReset(cursorValid_)));
    }
    bool Settle() { return thresholds_.size() == size_t(width_) * height_; }

private:
    uint8_t width_;
    uint8_t height_;
    std::vector<uint8_t> thresholds_;
    uint16_t xResolution_;
    uint16_t yResolution_;
    // The row cursor: the byte of the current row under it, or none (cursorValid_ false).
    uint8_t cursorColumn_;
    uint8_t cursorRow_;
    bool cursorValid_;
    uint8_t optionA_;
    uint8_t optionB_;
    uint16_t level_;
    uint32_t extra_;
};

// The first matrix after startIndex (-1 to search from the start) whose resolutions
// are the ones asked for and whose options match (0 on either side matches anything).
// Not strict, the level matches the same way; strict, the matrix's level must be 65535
// and the level asked for is not compared. index, when given, gets the matrix's
// position (-1 when none).
const GDitherMatrix* FindDitherMatrix(uint16_t xResolution, uint16_t yResolution, uint8_t optionA, uint8_t optionB,
                                      uint16_t level, const std::vector<const GDitherMatrix*>& list,
                                      int32_t startIndex, bool strict, int32_t* index = nullptr);
