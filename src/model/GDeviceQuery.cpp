#include "model/GDeviceQuery.h"

GDeviceQuery::GDeviceQuery(uint32_t first, uint32_t second, const RWWString& name)
    : first_(first), second_(second), name_(name)
{
}

GDeviceQuery::~GDeviceQuery() = default;
const RWCString& GDeviceQuery::GetFirstText() const { return firstText_; }
const RWCString& GDeviceQuery::GetSecondText() const { return secondText_; }
