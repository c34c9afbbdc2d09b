#include "pdl/pcl5e/GPcl5e.h"

#include "printer/GWriterCopier.h"

#include "pipeline/GDocumentEnd.h"
#include "pipeline/GDocumentStart.h"
#include "pipeline/GJobAbort.h"
#include "pipeline/GPassThroughCommand.h"
#include "graphics/GOutputChannel.h"
#include "model/GFeatureIds.h"
#include "model/GState.h"

namespace {

// The printer installs its copies of this writer through the copier.
const bool kCopierRegistered = RegisterWriterCopier<GPcl5e>();

const long kWriterId = 101;

} // namespace

GPcl5e::GPcl5e() : GPcl5e(2) {}

GPcl5e::GPcl5e(int32_t addOnMode, uint32_t addOnListId)
    : GPersistent(kWriterName, nullptr, nullptr, kWriterId, addOnListId, kAddOnKind, addOnMode)
{
}

GPcl5e::~GPcl5e() = default;

int16_t GPcl5e::ApplyTo(GAttributeVisitor& target)
{
    GPeripheral* printer = dynamic_cast<GPeripheral*>(&target);
    return printer ? printer->SetPdlWriter(*this) : 0;
}

int16_t GPcl5e::OnDocumentStart(GDocumentStart& command)
{
    if (const int16_t status = GPdlWriter::OnDocumentStart(command))
        return status;
    EnterDocument();
    return WriteStringMembers(command.GetState(), FeatureId::kExtensionJobPdlData);
}

int16_t GPcl5e::OnDocumentEnd(GDocumentEnd& command)
{
    const int16_t written = WriteStringMembers(command.GetState(), FeatureId::kExtensionJobPdlData);
    ClearJobFields();
    if (written)
        return written;
    return GPdlWriter::OnDocumentEnd(command);
}

int16_t GPcl5e::OnJobAbort(GJobAbort& command)
{
    ClearJobFields();
    return GPdlWriter::OnJobAbort(command);
}

int16_t GPcl5e::OnPassThrough(GPassThroughCommand& command)
{
    GOutputChannel* channel = GetOutputChannel();
    if (command.GetTargetClassId() != ClassId() || !channel || !command.GetData() || command.GetLength() == 0)
        return 0;
    return channel->WriteBytes(command.GetData(), command.GetLength());
}
