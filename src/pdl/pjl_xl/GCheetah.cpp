#include "pdl/pjl_xl/GCheetah.h"

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
const bool kCopierRegistered = RegisterWriterCopier<GCheetah>();

const long kWriterId = 101;

} // namespace

GCheetah::GCheetah() : GCheetah(2) {}

GCheetah::GCheetah(int32_t addOnMode, uint32_t addOnListId)
    : GPersistent(kWriterName, nullptr, nullptr, kWriterId, addOnListId, kAddOnKind, addOnMode)
{
}

GCheetah::~GCheetah() = default;

int16_t GCheetah::ApplyTo(GAttributeVisitor& target)
{
    GPeripheral* printer = dynamic_cast<GPeripheral*>(&target);
    return printer ? printer->SetPdlWriter(*this) : 0;
}

int16_t GCheetah::OnDocumentStart(GDocumentStart& command)
{
    if (const int16_t status = GPdlWriter::OnDocumentStart(command))
        return status;
    EnterDocument();
    return WriteStringMembers(command.GetState(), FeatureId::kExtensionJobPdlData);
}

int16_t GCheetah::OnDocumentEnd(GDocumentEnd& command)
{
    const int16_t written = WriteStringMembers(command.GetState(), FeatureId::kExtensionJobPdlData);
    ClearJobFields();
    if (written)
        return written;
    return GPdlWriter::OnDocumentEnd(command);
}

int16_t GCheetah::OnJobAbort(GJobAbort& command)
{
    ClearJobFields();
    return GPdlWriter::OnJobAbort(command);
}

int16_t GCheetah::OnPassThrough(GPassThroughCommand& command)
{
    GOutputChannel* channel = GetOutputChannel();
    if (command.GetTargetClassId() != ClassId() || !channel || !command.GetData() || command.GetLength() == 0)
        return 0;
    return channel->WriteBytes(command.GetData(), command.GetLength());
}
