#include "pipeline/GPageEnd.h"

#include "printer/GPeripheral.h"

GPageEnd::GPageEnd() {}
GPageEnd::GPageEnd(const long& id) : GPersistent(id) {}
GPageEnd::GPageEnd(GState* state, const long& id) : GPersistent(state, id) {}
GPageEnd::~GPageEnd() {}

bool GPageEnd::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GPageEnd* page = GSameClass<GPageEnd>(this, other);
    return page && LikeCommandPart(*page);
}

int16_t GPageEnd::Execute(GCommandHandler& target) { return target.OnPageEnd(*this); }
