// Small helpers shared by the collections and vectors: the index check, the growth rule
// for buffers, a binary search over sorted arrays and the library's version number.
#pragma once

#include "foundation/RWDefs.h"

#include <cstddef>
#include <cstdint>

// The index check of every container: true when i is below limit; otherwise raises the
// index error with i and count ([NPOSINDEX] for RW_NPOS) and answers false. Positions
// for insertion pass count + 1 as the limit.
bool RWIndexInRange(size_t i, size_t limit, size_t count);
inline bool RWIndexInRange(size_t i, size_t count) { return RWIndexInRange(i, count, count); }

// The next capacity of a buffer of n elements of elementSize bytes: 16 for small
// buffers, else double, and near the 32-bit limit half of what is left. A buffer that
// cannot grow at all raises [OVFLOW] and gets 0.
uint32_t NextCapacity(uint32_t n, uint32_t elementSize);

// Three-way comparison of an array element with the searched key: negative when the
// element sorts below the key, 0 when equal, positive above.
typedef int (*RWCompareElement)(const void* element, const void* key);

// Searches count elements of width bytes, sorted for compare. Returns 1 and the index of
// an equal element, or 0 and the index where the key would be inserted to keep the
// order (0 for an empty array).
int BinarySearch(const void* key, const void* base, size_t count, size_t width,
                 RWCompareElement compare, size_t* index);

// Bounds the member comparisons that one comparison of collections sets off on this
// thread. Restored data may hold cycles (a list that holds itself) or one member shared
// many times over; comparing such graphs member by member would recurse without end or
// take exponential time. Past the bound, every comparison still open answers "not
// equal". Each collection's content comparison holds one for its duration.
class RWCompareBound {
public:
    static const unsigned kMaxDepth = 256;
    static const uint32_t kMaxSteps = 1u << 20;

    RWCompareBound();
    ~RWCompareBound();
    RWCompareBound(const RWCompareBound&) = delete;
    RWCompareBound& operator=(const RWCompareBound&) = delete;

    // False once the nesting or the count of comparisons went past the bound.
    bool Allowed() const;
};

// The version of the collection library: 0x0700.
unsigned LibraryVersion();
