// Puts a text watermark on the pages of a job: at each page end of a page to be marked
// the job's producer makes a text graphic of the message, which goes on just before the
// page end, so that it is drawn over the page. Every page or only the first is marked.
#pragma once

#include "foundation/RWWString.h"
#include "graphics/GRGBColor.h"
#include "model/GCountedRef.h"
#include "printer/GMedia.h"
#include "printer/GPeripheral.h"

#include <cstdint>

class GCommandProducer;

// The text request the producer's watermark font operation receives as a whole.
struct GWatermarkRequest {
    RWWString message;
    uint32_t length = 0;
    RWWString faceName;
    int32_t height = 0;
    uint32_t width = 0;         // setting 392
    uint32_t characterSet = 1;  // setting 387
    uint32_t word4 = 4;
    uint32_t zeros[3] = {0, 0, 0};
    uint32_t weight = 400;
    uint32_t italic = 0;
    uint32_t underline = 0;
    uint32_t strikeOut = 0;
    uint16_t pointSize = 0;
    GRGBColor color;
    uint16_t shade = 0;
    uint32_t value396 = 0;
    uint32_t value397 = 0;
    uint32_t escapement = 0;    // setting 393
    uint32_t angle = 0;         // setting 394
};

class GWatermarkFilter : public GPersistent<GWatermarkFilter, GPeripheral, 1102> {
public:
    static constexpr const char* kClassName = "GWatermarkFilter";
    GWatermarkFilter* CreateNew() const override { return new GWatermarkFilter; }
    GWatermarkFilter* Copy() const override { return new GWatermarkFilter(*this); }

    // Modes: off, the first page only, every page.
    enum Mode : uint32_t { kOff = 0, kFirstPage = 1, kEveryPage = 2 };

    GWatermarkFilter();
    explicit GWatermarkFilter(const long& id);
    // The settings and the producer; nothing of a job in progress.
    GWatermarkFilter(const GWatermarkFilter& other);
    ~GWatermarkFilter() override;

    int16_t ApplyTo(GAttributeVisitor&) override { return 0; }
    void AbsorbState(GState*) override {}
    void ApplyState(const long&) override {}
    GCountedRef ProcessCommand(const GCountedRef& command) override;
    uint32_t QueryFlags() override { return 0; }
    int16_t OnDocumentStart(GDocumentStart& command) override;
    int16_t OnDocumentEnd(GDocumentEnd& command) override;
    int16_t OnDocumentEvent(GCommand&) override { return 0; }
    int16_t OnJobAbort(GJobAbort& command) override;

    // The filter's own operations.

    // The colour of the text from the shade and the colour presences.
    virtual void ShadeColor(uint16_t& shade, uint16_t& red, uint16_t& green, uint16_t& blue);
    virtual uint32_t Configure(GObjectBase* settings);
    virtual void BuildWatermark();
    virtual void ReleaseWatermark();
    virtual void EndWatermark();
    virtual uint32_t LoadSettings(GObjectBase* settings);

    uint32_t GetMode() const { return mode_; }
    uint32_t IsEnabled() const { return enabled_; }
    uint32_t GetPageCount() const { return pageCount_; }
    const GWatermarkRequest& GetRequest() const { return request_; }
    void SetProducer(GCommandProducer* producer) { producer_ = producer; }

    auto StoredForm() { return GFields(); }

private:
    GCommandProducer* producer_ = nullptr;
    uint32_t pageCount_ = 0;
    uint32_t mode_ = kOff;
    uint32_t enabled_ = 0;
    GCountedRef pending_;
    GMedia markedMedia_;
    uint32_t hasMarked_ = 0;
    GMedia currentMedia_;
    uint32_t hasCurrent_ = 0;
    // The document's media, for the pages that name none.
    GMedia jobMedia_;
    uint32_t hasJobMedia_ = 0;
    GWatermarkRequest request_;
    uint32_t fontHandle_ = 0;
    uint32_t extentWord_ = 0;
};
