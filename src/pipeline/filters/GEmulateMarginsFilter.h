// Lets pages laid out for another printer's unprintable margins print with the device's:
// each page goes onto the device's media of the same size and type and, when emulating,
// is scaled and moved so that the area the application used fits the device's printable
// area.
#pragma once

#include "pipeline/filters/GPageTransformFilter.h"
#include "printer/GMedia.h"

class GCommandProducer;

class GEmulateMarginsFilter : public GPersistent<GEmulateMarginsFilter, GPageTransformFilter, 1108> {
public:
    static constexpr const char* kClassName = "GEmulateMarginsFilter";
    GEmulateMarginsFilter* CreateNew() const override { return new GEmulateMarginsFilter; }
    GEmulateMarginsFilter* Copy() const override { return new GEmulateMarginsFilter(*this); }

    static constexpr uint32_t kIdleFlags = 32768;
    // The media whose margins a custom paper size takes.
    static constexpr uint16_t kCustomTemplateId = 17384;

    GEmulateMarginsFilter();
    explicit GEmulateMarginsFilter(const long& id);
    GEmulateMarginsFilter(const GEmulateMarginsFilter& other);
    ~GEmulateMarginsFilter() override;

    GCountedRef ProcessCommand(const GCountedRef& command) override;
    std::pair<float, float> GetScale(void* context, void* device, void* page, uint32_t* mode) override;
    uint32_t QueryFlags() override { return flags_; }

    // The device media and the filter transform for a page media (recomputed only when
    // the media changed since the last page).
    void ComputeDeviceMedia(const GMedia& media);
    // The transform that fits the page's used area into the device's printable area;
    // the identity when either has none.
    static GTransformAttribute EmulationTransform(const GMedia& page, const GMedia& device, uint32_t symmetric);

    const GMedia& GetDeviceMedia() const { return deviceMedia_; }
    uint32_t GetMode() const { return mode_; }
    void SetProducer(GCommandProducer* producer) { producer_ = producer; }

    auto StoredForm() { return GFields(); }

private:
    uint32_t flags_ = kIdleFlags;
    uint32_t mode_ = 0;
    GMedia lastPageMedia_;
    GMedia deviceMedia_;
    uint32_t symmetric_ = 0;
    GCommandProducer* producer_ = nullptr;
    GMedia jobMedia_;
    uint32_t hasJobMedia_ = 0;
    uint32_t computed_ = 0;
};
