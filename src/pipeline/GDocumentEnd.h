// The end of the document.
#pragma once

#include "graphics/GDocumentCommand.h"

class GDocumentEnd : public GPersistent<GDocumentEnd, GDocumentCommand, 706> {
public:
    static constexpr const char* kClassName = "GDocumentEnd";
    GDocumentEnd* CreateNew() const override { return new GDocumentEnd; }
    GDocumentEnd* Copy() const override { return new GDocumentEnd(*this); }

    GDocumentEnd();
    explicit GDocumentEnd(const long& id);
    GDocumentEnd(const RWWString& documentName, const RWWString& outputName, const long& id);
    GDocumentEnd(GState* state, const long& id);
    GDocumentEnd(const GDocumentEnd& other) = default;
    GDocumentEnd& operator=(const GDocumentEnd& other) = default;
    ~GDocumentEnd() override;

    int16_t Execute(GCommandHandler& target) override;

    auto StoredForm() { return GFields(); }
};
