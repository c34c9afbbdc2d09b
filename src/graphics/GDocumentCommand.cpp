#include "graphics/GDocumentCommand.h"

#include "graphics/GOutputChannel.h"
#include "model/GState.h"

namespace {

GState* DocumentState(GState* state)
{
    if (!state)
        return new GState(GState::kDocumentStateId);
    state->SetId(GState::kDocumentStateId);
    return state;
}

} // namespace

GDocumentCommand::GDocumentCommand() : channel_(nullptr) {}
GDocumentCommand::GDocumentCommand(const long& id) : GDocumentCommand(nullptr, id) {}
GDocumentCommand::GDocumentCommand(const RWWString& documentName, const RWWString& outputName, const long& id)
    : GDocumentCommand(documentName, outputName, nullptr, id)
{
}
GDocumentCommand::GDocumentCommand(GState* state, const long& id) : GDocumentCommand(RWWString(), RWWString(), state, id)
{
}
GDocumentCommand::GDocumentCommand(const RWWString& documentName, const RWWString& outputName, GState* state,
                                   const long& id)
    : GStoredLevel(id), documentName_(documentName), outputName_(outputName), channel_(nullptr)
{
    GCommand::AdoptState(DocumentState(state));
    ClearModified();
}

GDocumentCommand::GDocumentCommand(const GDocumentCommand& other)
    : GStoredLevel(other), documentName_(other.documentName_), outputName_(other.outputName_), channel_(nullptr)
{
}

GDocumentCommand& GDocumentCommand::operator=(const GDocumentCommand& other)
{
    if (this != &other) {
        GCommand::operator=(other);
        documentName_ = other.documentName_;
        outputName_ = other.outputName_;
    }
    return *this;
}

GDocumentCommand::~GDocumentCommand() {}

bool GDocumentCommand::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GDocumentCommand* command = GSameClass<GDocumentCommand>(this, other);
    return command && LikeCommandPart(*command) && documentName_ == command->documentName_ &&
           outputName_ == command->outputName_;
}

void GDocumentCommand::AdoptState(GState* state)
{
    if (state && !state->IsKindOf(GState::kClassId)) {
        Drop(state);
        return;
    }
    GCommand::AdoptState(state ? DocumentState(state) : nullptr);
}

void GDocumentCommand::SetOutputChannel(GOutputChannel* channel)
{
    if (channel == channel_)
        return;
    delete channel_;
    channel_ = channel;
}

GOutputChannel* GDocumentCommand::DetachOutputChannel()
{
    GOutputChannel* channel = channel_;
    channel_ = nullptr;
    return channel;
}
