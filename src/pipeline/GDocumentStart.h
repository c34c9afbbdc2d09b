// The start of the document: it also names the producer that issued the job, so that
// the stages can reach the producer's services, and carries the producer's job text.
#pragma once

#include "foundation/RWCString.h"
#include "graphics/GDocumentCommand.h"

class GCommandProducer;

class GDocumentStart : public GPersistent<GDocumentStart, GDocumentCommand, 705> {
public:
    static constexpr const char* kClassName = "GDocumentStart";
    GDocumentStart* CreateNew() const override { return new GDocumentStart; }
    GDocumentStart* Copy() const override { return new GDocumentStart(*this); }

    GDocumentStart();
    explicit GDocumentStart(const long& id);
    GDocumentStart(const RWWString& documentName, const RWWString& outputName, GCommandProducer* producer,
                   const long& id);
    GDocumentStart(const RWWString& documentName, const RWCString& jobText, const RWWString& outputName,
                   GCommandProducer* producer, GState* state, const long& id);
    GDocumentStart(const GDocumentStart& other) = default;
    GDocumentStart& operator=(const GDocumentStart& other) = default;
    ~GDocumentStart() override;

    // The same producer and like document parts.
    bool IsSame(const GObjectBase* other) const override;
    int16_t Execute(GCommandHandler& target) override;

    // Not owned; null when the command was read back and no producer answers its key.
    GCommandProducer* GetProducer() const { return producer_; }
    const RWCString& GetJobText() const { return jobText_; }

    // A flag word (1 when a producer is named), then the producer's key. The job text is
    // not stored.
    auto StoredForm() { return GFields(GHook(*this)); }
    template <class In>
    bool ReadStored(In& in);
    template <class Out>
    void WriteStored(Out& out) const;
    uint32_t StoredSize() const;

private:
    GCommandProducer* producer_;
    RWCString jobText_;
};
