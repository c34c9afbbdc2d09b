// Centres the printed area of two-sided pages on the sheet, so that front and back line
// up although the device's opposite unprintable margins differ: the page shrinks by the
// difference of the opposite margins and its printable area is centred on the paper.
#pragma once

#include "pipeline/filters/GPageTransformFilter.h"
#include "printer/GMedia.h"

class GSymetricalDuplexFilter : public GPersistent<GSymetricalDuplexFilter, GPageTransformFilter, 1117> {
public:
    static constexpr const char* kClassName = "GSymetricalDuplexFilter";
    GSymetricalDuplexFilter* CreateNew() const override { return new GSymetricalDuplexFilter; }
    GSymetricalDuplexFilter* Copy() const override { return new GSymetricalDuplexFilter(*this); }

    GSymetricalDuplexFilter();
    explicit GSymetricalDuplexFilter(const long& id);
    GSymetricalDuplexFilter(const GSymetricalDuplexFilter& other);
    ~GSymetricalDuplexFilter() override;

    GCountedRef ProcessCommand(const GCountedRef& command) override;
    std::pair<float, float> GetScale(void* context, void* device, void* page, uint32_t* mode) override;
    uint32_t QueryFlags() override { return noScaling_ ? 0 : 10; }

    // The centring transform for the media; with no scaling only the origin moves. The
    // identity for a media without printable area.
    static GTransformAttribute CentringTransform(const GMedia& media, uint16_t noScaling);

    uint16_t GetDuplex() const { return duplex_; }

    auto StoredForm() { return GFields(); }

private:
    uint16_t duplex_ = 0;
    uint16_t noScaling_ = 0;
    uint32_t toggle_ = 0;
    // The document's media, for the pages that name none.
    GMedia jobMedia_;
    uint32_t hasJobMedia_ = 0;
};
