#include "graphics/GULongVector.h"

#include "foundation/RWErrorHandler.h"

#include <algorithm>

GULongVector::~GULongVector() {}

int32_t GULongVector::Find(uint32_t value) const
{
    auto found = std::find(values_.begin(), values_.end(), value);
    return found == values_.end() ? -1 : int32_t(found - values_.begin());
}

void GULongVector::Append(uint32_t value)
{
    if (values_.size() == values_.capacity())
        values_.reserve(values_.size() + 64);
    values_.push_back(value);
}

uint32_t GULongVector::Occurrences(uint32_t value) const
{
    return uint32_t(std::count(values_.begin(), values_.end(), value));
}

void GULongVector::Insert(uint32_t index, uint32_t value)
{
    if (values_.size() == values_.capacity())
        values_.reserve(values_.size() + 64);
    values_.insert(values_.begin() + std::min<size_t>(index, values_.size()), value);
}

uint32_t GULongVector::RemoveAll(uint32_t value)
{
    const size_t before = values_.size();
    values_.erase(std::remove(values_.begin(), values_.end(), value), values_.end());
    return uint32_t(before - values_.size());
}

void GULongVector::Reset(uint32_t room)
{
    std::vector<uint32_t> fresh;
    fresh.reserve(room);
    values_.swap(fresh);
}

uint32_t GULongVector::At(uint32_t index) const
{
    if (index >= values_.size()) {
        RWRaiseIndexError(index, values_.size());
        return 0;
    }
    return values_[index];
}
