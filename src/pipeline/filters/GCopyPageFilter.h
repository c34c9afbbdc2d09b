// Makes the copies of a job in the driver instead of the device: when the printer's
// option for the job marks it "LOW" and two or more copies are asked, the device's copy
// counts go to 1 and each page is sent on as many times as copies were asked, one copy
// after the other (page 1 n times, then page 2 n times ...).
#pragma once

#include "pipeline/filters/GPageSpoolFilter.h"

class GCopyPageFilter : public GPersistent<GCopyPageFilter, GPageSpoolFilter, 1113> {
public:
    static constexpr const char* kClassName = "GCopyPageFilter";
    GCopyPageFilter* CreateNew() const override { return new GCopyPageFilter; }
    GCopyPageFilter* Copy() const override { return new GCopyPageFilter(*this); }

    GCopyPageFilter();
    explicit GCopyPageFilter(const long& id);
    GCopyPageFilter(const GCopyPageFilter& other);
    ~GCopyPageFilter() override;

    int16_t ApplyTo(GAttributeVisitor&) override { return 0; }
    int16_t OnPageStart(GPageStart& command) override;
    int16_t OnPageEnd(GPageEnd& command) override;

    uint16_t GetCopyCount() const { return copyCount_; }

    auto StoredForm() { return GFields(); }

protected:
    int Acts(GDocumentStart& command) override;
    const wchar_t* PageExtension() const override { return L".cpg"; }
    const wchar_t* FontExtension() const override { return L".cft"; }
    void ResetFilterFlags() override;
    int ReplaysOnBreak() const override { return 1; }
    int KeepsDocumentAfterBreak() const override { return 1; }
    uint32_t CopiesOfWholePage(GObjectBase* page) override;

private:
    uint32_t extraCopies_ = 0;
    uint16_t copyCount_ = 1;
};
