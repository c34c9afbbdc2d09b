// Prints the last page (on both sides, the last sheet's two pages) from its own tray or
// on its own media type. In an alternative mode for one-sided letterhead or preprinted
// jobs it also adds or drops a blank last page.
#pragma once

#include "foundation/RWCString.h"
#include "pipeline/filters/GPageSpoolFilter.h"

class GLastPageFilter : public GPersistent<GLastPageFilter, GPageSpoolFilter, 1119> {
public:
    static constexpr const char* kClassName = "GLastPageFilter";
    GLastPageFilter* CreateNew() const override { return new GLastPageFilter; }
    GLastPageFilter* Copy() const override { return new GLastPageFilter(*this); }

    GLastPageFilter();
    explicit GLastPageFilter(const long& id);
    GLastPageFilter(const GLastPageFilter& other);
    ~GLastPageFilter() override;

    int16_t ApplyTo(GAttributeVisitor&) override { return 0; }

    uint32_t InAlternativeMode() const { return alternative_; }
    uint32_t GetPagesAtEnd() const { return pagesAtEnd_; }

    auto StoredForm() { return GFields(); }

protected:
    int Acts(GDocumentStart& command) override;
    const wchar_t* PageExtension() const override { return L".dpg"; }
    const wchar_t* FontExtension() const override { return L".dft"; }
    void ReplayPages() override;
    void ResetFilterFlags() override;
    int CountsAtPageEnd() const override { return 1; }
    int ActsOnWholeDocumentEnd() const override { return 0; }

private:
    // On a spooled page's page start, written back into the page's store; an in-memory
    // page is left alone.
    void ApplyLastPageMedia(GObjectBase* page);
    int IsBlankMarked(GObjectBase* page);
    void SetPageDuplex(GObjectBase* page, uint16_t value);

    uint32_t pagesAtEnd_ = 0;
    uint16_t duplex_ = 0;
    uint16_t lastTray_ = 0;
    RWCString lastMediaType_;
    uint16_t otherTray_ = 0;
    RWCString otherMediaType_;
    int32_t mode1240_ = 0;
    uint32_t alternative_ = 0;
};
