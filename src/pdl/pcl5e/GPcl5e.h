// The PCL5e page writer, as far as the printer needs it: its name, its class, and the
// installation of a copy of itself in the printer it is applied to.
#pragma once

#include "pdl/GPdlWriter.h"

class GPcl5e : public GPersistent<GPcl5e, GPdlWriter, 788> {
public:
    static constexpr const char* kClassName = "GPcl5e";
    static constexpr const char* kWriterName = "PCL5e";
    // The kind of add-on library that serves this writer.
    static constexpr int32_t kAddOnKind = 2;

    GPcl5e();
    // Takes add-ons in the given mode, listed by the configuration member with the id.
    explicit GPcl5e(int32_t addOnMode, uint32_t addOnListId = 64);
    GPcl5e(const GPcl5e& other) = default;
    ~GPcl5e() override;

    GPcl5e* CreateNew() const override { return new GPcl5e; }
    GPcl5e* Copy() const override { return new GPcl5e(*this); }
    // Installs a copy of this writer in the target printer.
    int16_t ApplyTo(GAttributeVisitor& target) override;

    // The base's document start first; end and abort clear the job's fields.
    int16_t OnDocumentStart(GDocumentStart& command) override;
    int16_t OnDocumentEnd(GDocumentEnd& command) override;
    int16_t OnJobAbort(GJobAbort& command) override;
    // Writes the bytes of pass-through commands aimed at this writer's class; the job data
    // of extension modules (composite 986) is written at document start and end.
    int16_t OnPassThrough(GPassThroughCommand& command) override;

    // This writer downloads no fonts yet, so there is none to delete.
    void RemoveDownloadedFont(const RWCString&) override {}
    // It sets no colours of its own yet.
    int16_t SetPenColor(GObjectBase&) override { return 0; }
    int16_t SetPenColor(GColorPaint&) override { return 0; }
    int16_t SetBrushColor(GObjectBase&) override { return 0; }
    int16_t SetBrushColor(GColorPaint&) override { return 0; }

    auto StoredForm() { return GFields(); }
};
