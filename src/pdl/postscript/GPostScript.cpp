#include "pdl/postscript/GPostScript.h"

#include "printer/GWriterCopier.h"

#include "pipeline/GDocumentEnd.h"
#include "pipeline/GDocumentStart.h"
#include "pipeline/GJobAbort.h"

namespace {

// The printer installs its copies of this writer through the copier.
const bool kCopierRegistered = RegisterWriterCopier<GPostScript>();

const long kWriterId = 101;

} // namespace

GPostScript::GPostScript() : GPostScript(2) {}

GPostScript::GPostScript(int32_t addOnMode, uint32_t addOnListId)
    : GPersistent(kWriterName, nullptr, nullptr, kWriterId, addOnListId, kAddOnKind, addOnMode)
{
}

GPostScript::~GPostScript() = default;

int16_t GPostScript::ApplyTo(GAttributeVisitor& target)
{
    GPeripheral* printer = dynamic_cast<GPeripheral*>(&target);
    return printer ? printer->SetPdlWriter(*this) : 0;
}

int16_t GPostScript::OnDocumentStart(GDocumentStart& command)
{
    if (const int16_t status = GPdlWriter::OnDocumentStart(command))
        return status;
    EnterDocument();
    return 0;
}

int16_t GPostScript::OnDocumentEnd(GDocumentEnd& command)
{
    ClearJobFields();
    return GPdlWriter::OnDocumentEnd(command);
}

int16_t GPostScript::OnJobAbort(GJobAbort& command)
{
    ClearJobFields();
    return GPdlWriter::OnJobAbort(command);
}
