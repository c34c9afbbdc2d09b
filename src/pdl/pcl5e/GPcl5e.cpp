#include "pdl/pcl5e/GPcl5e.h"

namespace {

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
