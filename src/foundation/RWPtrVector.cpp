#include "foundation/RWPtrVector.h"

#include "foundation/RWCollectionHelpers.h"

#include <algorithm>

RWPtrVector::RWPtrVector(size_t n, void* value)
    : length_(uint32_t(n)), array_(n ? new void*[n] : nullptr)
{
    Fill(value);
}

RWPtrVector::RWPtrVector(const RWPtrVector& other)
    : length_(other.length_), array_(other.length_ ? new void*[other.length_] : nullptr)
{
    std::copy(other.array_, other.array_ + length_, array_);
}

RWPtrVector& RWPtrVector::operator=(const RWPtrVector& other)
{
    if (this != &other) {
        void** copy = other.length_ ? new void*[other.length_] : nullptr;
        std::copy(other.array_, other.array_ + other.length_, copy);
        delete[] array_;
        array_ = copy;
        length_ = other.length_;
    }
    return *this;
}

RWPtrVector::~RWPtrVector() { delete[] array_; }

bool RWPtrVector::Set(size_t i, void* value)
{
    if (!BoundsCheck(i))
        return false;
    array_[i] = value;
    return true;
}

void RWPtrVector::Fill(void* value) { std::fill(array_, array_ + length_, value); }

void RWPtrVector::Reshape(size_t n)
{
    if (n == length_)
        return;
    // Added entries start null rather than undefined, so a reader never sees garbage.
    void** array = n ? new void*[n]() : nullptr;
    std::copy(array_, array_ + std::min<size_t>(n, length_), array);
    delete[] array_;
    array_ = array;
    length_ = uint32_t(n);
}

void RWPtrVector::Resize(size_t n)
{
    const size_t old = length_;
    Reshape(n);
    if (n > old)
        std::fill(array_ + old, array_ + n, nullptr);
}

bool RWPtrVector::BoundsCheck(size_t i) const
{
    return RWIndexInRange(i, length_);
}
