// The shell of a spooling page filter (GPageSpoolFilter): its class and registration, its
// spool files' extensions and its answers to a document break as data (Spool), and
// what it keeps of the document at hand (Job). The document's fields go back to Job() at
// every document start and abort, and a copy of the filter starts without them, as a new
// document does. Nothing of its own is stored.
#pragma once

#include "pipeline/filters/GPageSpoolFilter.h"

struct GSpoolFilterData {
    // The extensions of the page and font spool files, with their dots.
    const wchar_t* pageExtension;
    const wchar_t* fontExtension;
    // 1 when a document break sends the held document on, as a document end does.
    int replaysOnBreak;
    // 1 when the pages after such a break stay held until the document end.
    int keepsDocumentAfterBreak;
};

template <class Self, RWClassID Id, class Job, const GSpoolFilterData& Spool>
class GPageSpoolFilterOf : public GPersistent<Self, GPageSpoolFilter, Id> {
    using Level = GPersistent<Self, GPageSpoolFilter, Id>;

public:
    using Level::Level;
    GPageSpoolFilterOf() = default;
    // The base part only: nothing of a held document.
    GPageSpoolFilterOf(const GPageSpoolFilterOf& other) : Level(other) {}

    int16_t ApplyTo(GAttributeVisitor&) override { return 0; }

    auto StoredForm() { return GFields(); }

protected:
    const wchar_t* PageExtension() const override { return Spool.pageExtension; }
    const wchar_t* FontExtension() const override { return Spool.fontExtension; }
    int ReplaysOnBreak() const override { return Spool.replaysOnBreak; }
    int KeepsDocumentAfterBreak() const override { return Spool.keepsDocumentAfterBreak; }
    void ResetFilterFlags() override { job_ = Job(); }

    Job job_;
};
