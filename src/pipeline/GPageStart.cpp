#include "pipeline/GPageStart.h"

#include "printer/GPeripheral.h"

GPageStart::GPageStart() {}
GPageStart::GPageStart(const long& id) : GPersistent(id) {}
GPageStart::GPageStart(GState* state, const long& id) : GPersistent(state, id) {}
GPageStart::~GPageStart() {}

bool GPageStart::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GPageStart* page = GSameClass<GPageStart>(this, other);
    return page && LikeCommandPart(*page);
}

int16_t GPageStart::Execute(GCommandHandler& target) { return target.OnPageStart(*this); }
