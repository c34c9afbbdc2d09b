// Prints several logical pages on one sheet: each page's drawing is scaled, turned and
// moved into one cell of a grid, the page frames of all but a sheet's first and last
// page become nothing, and a partly filled last sheet is ended at the document end.
// With one page per sheet (or any layout that cannot be laid out) it lets every
// command pass unchanged. The booklet filter runs one of its own for two-up sheets.
#pragma once

#include "graphics/GTransformAttribute.h"
#include "pipeline/filters/GNupCell.h"
#include "printer/GMedia.h"
#include "printer/GPeripheral.h"

#include <cstdint>
#include <vector>

class GCommandProducer;

class GNupFilter : public GPersistent<GNupFilter, GPeripheral, 1101> {
public:
    static constexpr const char* kClassName = "GNupFilter";
    GNupFilter* CreateNew() const override { return new GNupFilter; }
    GNupFilter* Copy() const override { return new GNupFilter(*this); }

    // What QueryFlags answers while pages are placed.
    static constexpr uint32_t kFlags = 42;

    // Two pages per sheet until the settings are read.
    GNupFilter();
    explicit GNupFilter(const long& id);
    // The booklet's inner filter: its producer is known from the start.
    GNupFilter(const RWCString& name, GState* state, GConfiguration* configuration, const long& id,
               GCommandProducer* producer);
    GNupFilter(const GNupFilter& other);
    ~GNupFilter() override;

    int16_t ApplyTo(GAttributeVisitor&) override { return 0; }
    // Every command reaches ProcessCommand with its state as it came.
    void AbsorbState(GState*) override {}
    void ApplyState(const long&) override {}
    void Reset() override;
    GCountedRef ProcessCommand(const GCountedRef& command) override;
    // context: the state, device: the job state, page: the page number as an integer.
    std::pair<float, float> GetScale(void* context, void* device, void* page, uint32_t* mode) override;
    uint32_t QueryFlags() override { return configured_ && pagesPerSheet_ != 1 ? kFlags : 0; }

    // The filter's own operations.
    virtual void ResetToDefaults();
    virtual void ReadLayoutSettings(GObjectBase* state);
    virtual void ReadMedia(GObjectBase* state);
    virtual void Configure(GObjectBase* state);

    // The transform that puts a page of the media, turned by the relative rotation, into
    // the cell; the identity for a page without extent.
    static GTransformAttribute PageToCell(const GNupCell& cell, const GMedia& page, int32_t relativeRotation);

    uint32_t IsConfigured() const { return configured_; }
    int16_t GetPagesPerSheet() const { return pagesPerSheet_; }
    int16_t GetRows() const { return rows_; }
    int16_t GetColumns() const { return columns_; }
    int32_t GetSheetOrientation() const { return sheetOrientation_; }
    float GetLayoutScale() const { return scaleX_; }
    // The four candidate ratios of the last layout and the winner (-1 for none).
    const int64_t* GetRatios() const { return ratios_; }
    int GetWinner() const { return winner_; }
    const std::vector<GNupCell>& GetCells() const { return cells_; }
    const GTransformAttribute& GetCellTransform() const { return cellTransform_; }
    int16_t GetCellCounter() const { return cellCounter_; }
    const GMedia& GetSheetMedia() const { return sheetMedia_; }

    auto StoredForm()
    {
        return GFields(leftMargin_, rightMargin_, topMargin_, bottomMargin_, verticalGap_, horizontalGap_,
                       pagesPerSheet_, pageOrder_, jobOrientation_, pageOrientation_, frame_, GEmbedded(pageMedia_),
                       GEmbedded(sheetMedia_));
    }

private:
    // The grid from the sheet media; false when no grid fits.
    bool Layout();
    // The cells from the (turned) sheet media; false when a cell has no area.
    bool BuildCells();
    // Back to one page per sheet for the job: every command passes.
    void BecomeTransparent(GObjectBase* state);
    void TakeMargins();
    uint32_t FlagWord() const;

    GCountedRef PageStart(GCommand& command);
    GCountedRef PageEnd(const GCountedRef& command);
    GCountedRef DocumentEnd(const GCountedRef& command);
    GCountedRef Drawing(const GCountedRef& command);
    // The graphic that ends a cell: the frame or nothing, in a state that resets the sheet.
    GCommand* CellFinish(const GNupCell& cell) const;

    uint32_t configured_ = 0;
    uint16_t leftMargin_ = 120;
    uint16_t rightMargin_ = 120;
    uint16_t topMargin_ = 120;
    uint16_t bottomMargin_ = 120;
    int32_t verticalGap_ = 30;
    int32_t horizontalGap_ = 30;
    int16_t pagesPerSheet_ = 2;
    int16_t pageOrder_ = 0;
    float scaleX_ = 0;
    float scaleY_ = 0;
    int16_t cellCounter_ = 0;
    int16_t rows_ = 0;
    int16_t columns_ = 0;
    int32_t sheetOrientation_ = 0;
    GTransformAttribute cellTransform_;
    uint16_t jobOrientation_ = 0;
    uint16_t pageOrientation_ = 0;
    int32_t frame_ = 0;
    GMedia pageMedia_;
    GMedia sheetMedia_;
    GMedia jobMedia_;
    std::vector<GNupCell> cells_;
    GCommandProducer* producer_ = nullptr;
    int64_t ratios_[4] = {0, 0, 0, 0};
    int winner_ = -1;
    uint32_t hasMedia_ = 0;
};
