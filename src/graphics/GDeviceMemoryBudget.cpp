#include "graphics/GDeviceMemoryBudget.h"

uint32_t GDeviceMemoryBudget::Reserve(uint32_t bytes)
{
    if (bytes > GetFree()) {
        used_ = total_;
        return 0;
    }
    used_ += bytes;
    return GetFree();
}

uint32_t GDeviceMemoryBudget::Release(uint32_t bytes)
{
    used_ = bytes > used_ ? 0 : used_ - bytes;
    return GetFree();
}

void GDeviceMemoryBudget::SetTotal(uint32_t total)
{
    total_ = total;
    used_ = 0;
}

uint32_t GDeviceMemoryBudget::Reset()
{
    used_ = 0;
    return total_;
}
