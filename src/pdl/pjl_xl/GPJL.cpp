#include "pdl/pjl_xl/GPJL.h"

#include "printer/GWriterCopier.h"

namespace {

// The printer installs its copies of this writer through the copier.
const bool kCopierRegistered = RegisterWriterCopier<GPJL>();

const long kWriterId = 106;

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
