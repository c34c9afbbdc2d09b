// Prints the job's pages on another paper size: each page's printable area is fitted
// into the target paper's printable area (or centred at full size).
#pragma once

#include "pipeline/filters/GPageTransformFilter.h"
#include "printer/GMedia.h"

class GCommandProducer;

class GFitToSizeFilter : public GPersistent<GFitToSizeFilter, GPageTransformFilter, 1103> {
public:
    static constexpr const char* kClassName = "GFitToSizeFilter";
    GFitToSizeFilter* CreateNew() const override { return new GFitToSizeFilter; }
    GFitToSizeFilter* Copy() const override { return new GFitToSizeFilter(*this); }

    GFitToSizeFilter();
    explicit GFitToSizeFilter(const long& id);
    GFitToSizeFilter(const GFitToSizeFilter& other);
    ~GFitToSizeFilter() override;

    GCountedRef ProcessCommand(const GCountedRef& command) override;
    std::pair<float, float> GetScale(void* context, void* device, void* page, uint32_t* mode) override;
    uint32_t QueryFlags() override { return scaleToFit_ ? 10 : 0; }

    // The transform that fits the source media's page into the target's; the identity
    // when either has no printable area. Origins are kept within 16 bits.
    static GTransformAttribute FitTransform(const GMedia& source, const GMedia& target, uint32_t scaleToFit);

    auto StoredForm() { return GFields(); }

private:
    GMedia pageMedia_;
    GMedia targetMedia_;
    // The document's own media, for the pages that name none.
    GMedia jobMedia_;
    uint32_t hasJobMedia_ = 0;
    uint32_t scaleToFit_ = 0;
    GCommandProducer* producer_ = nullptr;
};
