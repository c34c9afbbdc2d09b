#include "pdl/postscript/GPostScript.h"

namespace {

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
