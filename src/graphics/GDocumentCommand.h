// The base of the document frame commands: the document and output names, the job's
// output channel once a writer has opened it, and a state that always carries the
// document state id.
//
// The command only lends the channel to the stages: whoever opened it deletes it, so
// the destructor leaves it alone.
#pragma once

#include "foundation/RWWString.h"
#include "model/GCommand.h"

class GOutputChannel;

class GDocumentCommand : public GStoredLevel<GDocumentCommand, GCommand, 704> {
public:
    GDocumentCommand();
    // Each constructor without a state makes a new document state; a given state takes
    // the document state id.
    explicit GDocumentCommand(const long& id);
    GDocumentCommand(const RWWString& documentName, const RWWString& outputName, const long& id);
    GDocumentCommand(GState* state, const long& id);
    GDocumentCommand(const RWWString& documentName, const RWWString& outputName, GState* state, const long& id);
    // The names and the state; the channel is not carried over.
    GDocumentCommand(const GDocumentCommand& other);
    GDocumentCommand& operator=(const GDocumentCommand& other);
    ~GDocumentCommand() override;

    // Like command parts and equal names.
    bool IsSame(const GObjectBase* other) const override;
    // Only a state is taken (it gets the document state id); anything else is dropped
    // and the current state stays.
    void AdoptState(GState* state) override;

    const RWWString& GetDocumentName() const { return documentName_; }
    const RWWString& GetOutputName() const { return outputName_; }
    GOutputChannel* GetOutputChannel() const { return channel_; }
    // Deletes the channel held before, unless it is the one given.
    void SetOutputChannel(GOutputChannel* channel);
    // Hands the channel out without deleting it; the command holds none afterwards.
    GOutputChannel* DetachOutputChannel();

    // The document name, then the output name.
    auto StoredForm() { return GFields(documentName_, outputName_); }

private:
    RWWString documentName_;
    RWWString outputName_;
    GOutputChannel* channel_;
};
