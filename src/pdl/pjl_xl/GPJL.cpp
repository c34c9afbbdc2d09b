#include "pdl/pjl_xl/GPJL.h"

#include "graphics/GOutputChannel.h"
#include "model/GFeatureIds.h"
#include "pipeline/GDocumentEnd.h"
#include "pipeline/GDocumentStart.h"
#include "model/GState.h"

GPJL::~GPJL() = default;

int16_t GPJL::OnDocumentStart(GDocumentStart& command)
{
    if (const int16_t status = GPeripheralComposite::OnDocumentStart(command))
        return status;
    GOutputChannel* channel = GetOutputChannel() ? GetOutputChannel() : command.GetOutputChannel();
    return GPdlWriter::WriteStringMembers(command.GetState(), FeatureId::kExtensionJobPjlData, channel);
}

int16_t GPJL::OnDocumentEnd(GDocumentEnd& command)
{
    GOutputChannel* channel = GetOutputChannel() ? GetOutputChannel() : command.GetOutputChannel();
    const int16_t written =
        GPdlWriter::WriteStringMembers(command.GetState(), FeatureId::kExtensionJobPjlData, channel);
    const int16_t status = GPeripheralComposite::OnDocumentEnd(command);
    return written ? written : status;
}
