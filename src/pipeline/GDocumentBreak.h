// The document-level break that the page-drawing module may send between the passes of
// a job (the manual duplex filter sends its first pass on it). The class factory never
// makes one: it is neither registered nor stored, and a peripheral hands it to its
// document-event handler.
#pragma once

#include "model/GCommand.h"

class GDocumentBreak : public GKindOfLevel<GCommand, 718> {
public:
    static constexpr RWClassID kClassId = 718;

    GDocumentBreak();
    explicit GDocumentBreak(const long& id);
    GDocumentBreak(const GDocumentBreak& other) = default;
    ~GDocumentBreak() override;

    RWClassID ClassId() const override { return kClassId; }
    GDocumentBreak* CreateNew() const override { return new GDocumentBreak; }
    GDocumentBreak* Copy() const override { return new GDocumentBreak(*this); }
    bool IsSame(const GObjectBase* other) const override;
    int16_t Execute(GCommandHandler& target) override;
};
