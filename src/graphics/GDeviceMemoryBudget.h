// The printer memory that a writer's downloads (fonts and other resident data) occupy:
// the writer reserves before it downloads, releases when it deletes, asks what is free,
// and can switch the accounting off. Embedded in the writer by value.
#pragma once

#include <cstdint>

class GDeviceMemoryBudget {
public:
    static constexpr uint32_t kDefaultTotal = 1048576;

    explicit GDeviceMemoryBudget(uint32_t total = kDefaultTotal) : used_(0), total_(total), enabled_(1) {}

    bool operator==(const GDeviceMemoryBudget& other) const
    {
        return used_ == other.used_ && total_ == other.total_ && enabled_ == other.enabled_;
    }
    bool operator!=(const GDeviceMemoryBudget& other) const { return !(*this == other); }

    // More than is free fills the budget and answers 0; it is not refused. Otherwise
    // answers what is free after the reservation.
    uint32_t Reserve(uint32_t bytes);
    // Never below 0 used; answers what is free.
    uint32_t Release(uint32_t bytes);
    // A new total with nothing used.
    void SetTotal(uint32_t total);
    // Nothing used; answers the total.
    uint32_t Reset();
    uint32_t GetFree() const { return total_ >= used_ ? total_ - used_ : 0; }
    uint32_t GetTotal() const { return total_; }
    uint16_t IsEnabled() const { return enabled_; }
    void SetEnabled(uint16_t enabled) { enabled_ = enabled; }

private:
    uint32_t used_;
    uint32_t total_;
    uint16_t enabled_;
};
