// For output that lands face up: sends the document on last page first, so that the
// stack comes out in reading order. On both sides it reverses the sheets but keeps each
// sheet's front and back in order, and pads an odd page count with a blank page.
#pragma once

#include "model/GCountedRef.h"
#include "pipeline/filters/GPageSpoolFilter.h"

class GFaceUpFilter : public GPersistent<GFaceUpFilter, GPageSpoolFilter, 1120> {
public:
    static constexpr const char* kClassName = "GFaceUpFilter";
    GFaceUpFilter* CreateNew() const override { return new GFaceUpFilter; }
    GFaceUpFilter* Copy() const override { return new GFaceUpFilter(*this); }

    GFaceUpFilter();
    explicit GFaceUpFilter(const long& id);
    GFaceUpFilter(const GFaceUpFilter& other);
    ~GFaceUpFilter() override;

    int16_t ApplyTo(GAttributeVisitor&) override { return 0; }
    int16_t OnPageStart(GPageStart& command) override;

    auto StoredForm() { return GFields(); }

protected:
    int Acts(GDocumentStart& command) override;
    const wchar_t* PageExtension() const override { return L".fpg"; }
    const wchar_t* FontExtension() const override { return L".fft"; }
    void ReplayPages() override;
    void AddClosingPages() override;
    void ResetFilterFlags() override;

private:
    uint32_t padToSheets_ = 0;
    GCountedRef firstPageState_;
    uint32_t keepPairs_ = 0;
};
