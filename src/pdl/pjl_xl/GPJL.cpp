#include "pdl/pjl_xl/GPJL.h"

#include "graphics/GOutputChannel.h"
#include "model/GFeatureIds.h"
#include "model/GObjectIterator.h"
#include "model/GStringAttribute.h"
#include "pipeline/GDocumentEnd.h"
#include "pipeline/GDocumentStart.h"
#include "model/GState.h"
#include "printer/GWriterCopier.h"

#include <memory>

namespace {

// The printer installs its copies of this writer through the copier.
const bool kCopierRegistered = RegisterWriterCopier<GPJL>();

const long kWriterId = 106;

// Each string attribute of the state's composite 985, its bytes as stored.
int16_t WriteJobStrings(GObjectBase* state, GOutputChannel* channel)
{
    GObjectBase* composite = state ? state->FindById(FeatureId::kExtensionJobPjlData) : nullptr;
    if (!composite || !channel)
        return 0;
    std::unique_ptr<GObjectIterator> it(composite->CreateIterator());
    while (it && it->Next()) {
        GObjectBase* member = it->Current();
        if (!member || !member->IsKindOf(GStringAttribute::kClassId))
            continue;
        const RWCString& bytes = static_cast<GStringAttribute*>(member)->GetString();
        if (bytes.Length() != 0)
            if (const int16_t status = channel->WriteBytes(bytes.Data(), uint32_t(bytes.Length())))
                return status;
    }
    return 0;
}

} // namespace

GPJL::GPJL() : GPJL(2) {}

GPJL::GPJL(int32_t addOnMode, uint32_t addOnListId)
    : GPersistent(kWriterName, nullptr, nullptr, kWriterId, addOnListId, kAddOnKind, addOnMode)
{
}

GPJL::~GPJL() = default;

int16_t GPJL::ApplyTo(GAttributeVisitor& target)
{
    GPeripheral* printer = dynamic_cast<GPeripheral*>(&target);
    return printer ? printer->SetPjlWriter(*this) : 0;
}

int16_t GPJL::OnDocumentStart(GDocumentStart& command)
{
    if (const int16_t status = GPeripheralComposite::OnDocumentStart(command))
        return status;
    GOutputChannel* channel = GetOutputChannel() ? GetOutputChannel() : command.GetOutputChannel();
    return WriteJobStrings(command.GetState(), channel);
}

int16_t GPJL::OnDocumentEnd(GDocumentEnd& command)
{
    GOutputChannel* channel = GetOutputChannel() ? GetOutputChannel() : command.GetOutputChannel();
    const int16_t written = WriteJobStrings(command.GetState(), channel);
    const int16_t status = GPeripheralComposite::OnDocumentEnd(command);
    return written ? written : status;
}
