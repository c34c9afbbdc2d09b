// A vector of untyped pointers whose length changes only when asked to.
#pragma once

#include <cstddef>
#include <cstdint>

class RWPtrVector {
public:
    RWPtrVector() : length_(0), array_(nullptr) {}
    // n entries, each set to value.
    explicit RWPtrVector(size_t n, void* value = nullptr);
    RWPtrVector(const RWPtrVector& other);
    RWPtrVector& operator=(const RWPtrVector& other);
    ~RWPtrVector();

    size_t Length() const { return length_; }
    // The entries; null when the length is 0.
    void* const* Data() const { return array_; }

    // Unchecked access, for indexes the caller knows to be in range.
    void*& operator[](size_t i) { return array_[i]; }
    void* operator[](size_t i) const { return array_[i]; }
    // Checked read: the index error and null for an index not below the length.
    void* At(size_t i) const { return BoundsCheck(i) ? array_[i] : nullptr; }
    // Checked write: false, with the index error raised, for an index not below the length.
    bool Set(size_t i, void* value);

    void Fill(void* value);
    // Changes the length to n, keeping the first min(n, length) entries; entries added
    // at the end are null. A length of 0 holds no array.
    void Reshape(size_t n);
    // Reshape, with the added entries set to null.
    void Resize(size_t n);
    // True when i is below the length; otherwise raises the index error.
    bool BoundsCheck(size_t i) const;

private:
    uint32_t length_;
    void** array_;
};
