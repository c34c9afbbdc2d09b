#include "pipeline/GDocumentStart.h"

#include "model/GStoredCounts.h"
#include "pipeline/GCommandProducer.h"
#include "printer/GDriverServer.h"
#include "printer/GDocumentStartView.h"
#include "printer/GPeripheral.h"

namespace {

// The printer reads a document start through this view.
const bool kViewRegistered = (GDocumentStartView::document = [](GDocumentStart& command) -> GDocumentCommand* {
                                  return &command;
                              },
                              GDocumentStartView::producer = [](GDocumentStart& command) -> void* {
                                  return command.GetProducer();
                              },
                              true);

} // namespace

GDocumentStart::GDocumentStart() : producer_(nullptr) {}
GDocumentStart::GDocumentStart(const long& id) : GPersistent(id), producer_(nullptr) {}
GDocumentStart::GDocumentStart(const RWWString& documentName, const RWWString& outputName,
                               GCommandProducer* producer, const long& id)
    : GPersistent(documentName, outputName, id), producer_(producer)
{
}
GDocumentStart::GDocumentStart(const RWWString& documentName, const RWCString& jobText, const RWWString& outputName,
                               GCommandProducer* producer, GState* state, const long& id)
    : GPersistent(documentName, outputName, state, id), producer_(producer), jobText_(jobText)
{
}
GDocumentStart::~GDocumentStart() {}

bool GDocumentStart::IsSame(const GObjectBase* other) const
{
    const GDocumentStart* start = GSameClass<GDocumentStart>(this, other);
    return start && producer_ == start->producer_ && GDocumentCommand::IsSame(start);
}

int16_t GDocumentStart::Execute(GCommandHandler& target) { return target.OnDocumentStart(*this); }

// The producer is found again by its key through the driver server; a key the server
// does not know, or that names a driver object that is no producer, gives none.
template <class In>
bool GDocumentStart::ReadStored(In& in)
{
    int32_t flag = 0;
    if (!GReadField(in, flag))
        return false;
    if (flag != 0 && flag != 1) {
        GRefuseStored(in);
        return false;
    }
    uint32_t key = 0;
    if (flag == 1 && !GReadField(in, key))
        return false;
    producer_ = nullptr;
    // Only a live producer is kept: any other driver object under the key is not one.
    if (flag == 1)
        if (GDriverServer* server = GDriverServer::Instance())
            producer_ = dynamic_cast<GCommandProducer*>(server->Find(key));
    jobText_ = RWCString();
    return true;
}

template <class Out>
void GDocumentStart::WriteStored(Out& out) const
{
    GWriteField(out, int32_t(producer_ ? 1 : 0));
    if (producer_)
        GWriteField(out, producer_->GetProducerKey());
}

uint32_t GDocumentStart::StoredSize() const { return producer_ ? 8 : 4; }

template bool GDocumentStart::ReadStored(RWBinaryFile&);
template bool GDocumentStart::ReadStored(RWDataInStream&);
template void GDocumentStart::WriteStored(RWBinaryFile&) const;
template void GDocumentStart::WriteStored(RWDataOutStream&) const;
