#include "pipeline/GJobAbort.h"

#include "printer/GPeripheral.h"

GJobAbort::GJobAbort() {}
GJobAbort::GJobAbort(const long& id) : GPersistent(id) {}
GJobAbort::~GJobAbort() {}

bool GJobAbort::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GJobAbort* abort = GSameClass<GJobAbort>(this, other);
    return abort && LikeCommandPart(*abort);
}

int16_t GJobAbort::Execute(GCommandHandler& target) { return target.OnJobAbort(*this); }
