// Sends the pages of a document on last first. Printed on both sides on letterhead, it
// keeps the sheets right: a blank page goes where a page cannot share a sheet with the
// page before it, and an odd page count is padded with a blank page.
#pragma once

#include "foundation/RWCString.h"
#include "model/GCountedRef.h"
#include "pipeline/filters/GPageSpoolFilter.h"

class GReverseFilter : public GPersistent<GReverseFilter, GPageSpoolFilter, 1109> {
public:
    static constexpr const char* kClassName = "GReverseFilter";
    GReverseFilter* CreateNew() const override { return new GReverseFilter; }
    GReverseFilter* Copy() const override { return new GReverseFilter(*this); }

    GReverseFilter();
    explicit GReverseFilter(const long& id);
    GReverseFilter(const GReverseFilter& other);
    ~GReverseFilter() override;

    int16_t ApplyTo(GAttributeVisitor&) override { return 0; }
    int16_t OnPageStart(GPageStart& command) override;
    int16_t OnPageEnd(GPageEnd& command) override;

    uint32_t InLetterheadMode() const { return letterhead_; }

    auto StoredForm() { return GFields(); }

protected:
    int Acts(GDocumentStart& command) override;
    const wchar_t* PageExtension() const override { return L".rpg"; }
    const wchar_t* FontExtension() const override { return L".rft"; }
    void ReplayPages() override;
    void BeforePageAppended() override;
    void AddClosingPages() override;
    void ResetFilterFlags() override;
    int ReplaysOnBreak() const override { return 1; }

private:
    uint32_t letterhead_ = 0;
    GCountedRef firstPageState_;
    uint16_t lastTray_ = 0;
    uint32_t blankNeeded_ = 0;
    RWCString lastMediaType_;
};
