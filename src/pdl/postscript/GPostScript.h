// The PostScript page writer, as far as the printer needs it: its name, its class, and
// the installation of a copy of itself in the printer it is applied to.
#pragma once

#include "pdl/GPdlWriter.h"

class GPostScript : public GPersistent<GPostScript, GPdlWriter, 768> {
public:
    static constexpr const char* kClassName = "GPostScript";
    static constexpr const char* kWriterName = "PostScript";
    // The kind of add-on library that serves this writer.
    static constexpr int32_t kAddOnKind = 3;

    GPostScript();
    // Takes add-ons in the given mode, listed by the configuration member with the id.
    explicit GPostScript(int32_t addOnMode, uint32_t addOnListId = 64);
    GPostScript(const GPostScript& other) = default;
    ~GPostScript() override;

    GPostScript* CreateNew() const override { return new GPostScript; }
    GPostScript* Copy() const override { return new GPostScript(*this); }
    // Installs a copy of this writer in the target printer.
    int16_t ApplyTo(GAttributeVisitor& target) override;

    // The base's document start first; end and abort clear the job's fields.
    int16_t OnDocumentStart(GDocumentStart& command) override;
    int16_t OnDocumentEnd(GDocumentEnd& command) override;
    int16_t OnJobAbort(GJobAbort& command) override;

    // This writer downloads no fonts yet, so there is none to delete.
    void RemoveDownloadedFont(const RWCString&) override {}
    // It sets no colours of its own yet.
    int16_t SetPenColor(GObjectBase&) override { return 0; }
    int16_t SetPenColor(GColorPaint&) override { return 0; }
    int16_t SetBrushColor(GObjectBase&) override { return 0; }
    int16_t SetBrushColor(GColorPaint&) override { return 0; }

    auto StoredForm() { return GFields(); }
};
