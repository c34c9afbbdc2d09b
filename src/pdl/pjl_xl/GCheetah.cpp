#include "pdl/pjl_xl/GCheetah.h"

namespace {

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
