// Keys of the driver-object cache and other one-value keys.
#pragma once

#include <cstdint>

// The key of a cached driver object: equal keys share an object, keys of the same
// printer may reuse a spare one, which takes the new key.
class GCacheKey {
public:
    virtual ~GCacheKey();
    // 0 unless a derived key says otherwise.
    virtual int Equals(const GCacheKey& other) const;
    // The same printer, whatever handle each came with; Equals unless a derived key says
    // otherwise.
    virtual int SamePrinter(const GCacheKey& other) const;
    virtual int SameDriver(const GCacheKey& other) const = 0;
};

// A key that is one number: equal when it is the same key or holds the same value.
class GIdKey {
public:
    explicit GIdKey(uint32_t value) : value_(value) {}
    virtual ~GIdKey();

    uint32_t GetValue() const { return value_; }
    bool operator==(const GIdKey& other) const { return this == &other || value_ == other.value_; }
    bool operator!=(const GIdKey& other) const { return !(*this == other); }

private:
    uint32_t value_;
};
