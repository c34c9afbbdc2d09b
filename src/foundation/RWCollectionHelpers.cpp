#include "foundation/RWCollectionHelpers.h"

#include "foundation/RWErrorHandler.h"
#include "foundation/RWThreadContext.h"

bool RWIndexInRange(size_t i, size_t limit, size_t count)
{
    if (i < limit)
        return true;
    RWRaiseIndexError(i, count);
    return false;
}

uint32_t NextCapacity(uint32_t n, uint32_t elementSize)
{
    if (n < 16)
        return 16;
    // The byte size is worked out in 64 bits: in 32 bits a large buffer's size wraps
    // and would pass for a small one.
    const uint64_t width = elementSize ? elementSize : 1;
    const uint64_t bytes = uint64_t(n) * width;
    if (bytes < 0x80000000u)
        return uint32_t(2 * uint64_t(n));
    if (bytes >= 0xFFFFFFFDu) {
        static const char kWhat[] = "Buffer may not resize larger than";
        RWRaiseInternal(RWMessageOverflow(), int(sizeof kWhat - 1), kWhat, 0xFFFFFFFFu);
        return 0;
    }
    return uint32_t(0xFFFFFFFFu / (2 * width) + n / 2);
}

int BinarySearch(const void* key, const void* base, size_t count, size_t width,
                 RWCompareElement compare, size_t* index)
{
    const unsigned char* bytes = static_cast<const unsigned char*>(base);
    size_t low = 0;
    size_t high = count; // the key lies in [low, high)
    while (low < high) {
        const size_t mid = low + (high - low) / 2;
        const int c = compare(bytes + mid * width, key);
        if (c == 0) {
            if (index)
                *index = mid;
            return 1;
        }
        if (c < 0)
            low = mid + 1;
        else
            high = mid;
    }
    if (index)
        *index = low;
    return 0;
}

RWCompareBound::RWCompareBound()
{
    RWThreadContext::CompareState& state = RWThreadContext::Current().compare;
    ++state.depth;
    if (!state.spent && (state.depth > kMaxDepth || ++state.steps > kMaxSteps))
        state.spent = true;
}

RWCompareBound::~RWCompareBound()
{
    RWThreadContext::CompareState& state = RWThreadContext::Current().compare;
    if (--state.depth == 0) {
        state.steps = 0;
        state.spent = false;
    }
}

bool RWCompareBound::Allowed() const { return !RWThreadContext::Current().compare.spent; }

unsigned LibraryVersion() { return 0x0700; }
