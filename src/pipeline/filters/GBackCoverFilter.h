// Puts a blank cover sheet after the last page of a job, from the cover tray on the
// cover's media type, or on the first page's paper. On both sides a filler page first
// makes the cover start a sheet of its own.
#pragma once

#include "foundation/RWCString.h"
#include "model/GCountedRef.h"
#include "printer/GPeripheral.h"

class GCommandProducer;

class GBackCoverFilter : public GPersistent<GBackCoverFilter, GPeripheral, 1111> {
public:
    static constexpr const char* kClassName = "GBackCoverFilter";
    GBackCoverFilter* CreateNew() const override { return new GBackCoverFilter; }
    GBackCoverFilter* Copy() const override { return new GBackCoverFilter(*this); }

    GBackCoverFilter();
    explicit GBackCoverFilter(const long& id);
    GBackCoverFilter(const GBackCoverFilter& other);
    ~GBackCoverFilter() override;

    bool IsSame(const GObjectBase* other) const override;
    int16_t ApplyTo(GAttributeVisitor&) override { return 0; }
    GCountedRef ProcessCommand(const GCountedRef& command) override;
    void AbsorbState(GState*) override {}
    void ApplyState(const long&) override {}
    uint32_t QueryFlags() override { return 0; }
    int16_t OnDocumentStart(GDocumentStart& command) override;

    uint16_t GetCoverMode() const { return coverMode_; }
    int32_t GetPageCount() const { return pageCount_; }
    uint16_t GetCoverTray() const { return coverTray_; }
    const RWCString& GetCoverMediaType() const { return coverMediaType_; }

    auto StoredForm() { return GFields(); }

private:
    void SeePage(GState* state);
    GCountedRef CoverPages(GCommand& documentEnd);
    void AddCoverPage(GCommand* composite, uint16_t twoSided, bool setTwoSided);

    GCountedRef lastPageState_;
    int32_t pageCount_ = 0;
    int32_t pagesSeen_ = 0;
    GCommandProducer* producer_ = nullptr;
    uint16_t coverMode_ = 0;
    uint16_t twoSided_ = 0;
    uint16_t coverTray_ = 0;
    RWCString coverMediaType_;
    uint16_t lastMediaId_ = 0;
    uint16_t lastTray_ = 0;
    RWCString lastMediaType_;
    int32_t manualDuplexPossible_ = 0;
    int32_t letterheadMode_ = 0;
    int32_t letterheadHandling_ = 0;
    GCountedRef jobMedia_;
};
