#include "graphics/GCharCodeMap.h"

#include <new>

GCharCodeMap::GCharCodeMap() : pages_(nullptr), nextCode_(kFirstCode) {}

GCharCodeMap::~GCharCodeMap() { Reset(); }

uint16_t GCharCodeMap::Map(uint16_t code)
{
    if (code < 0x100 || code >= 0xFF00 || (code >= 0x2000 && code <= 0x20FF))
        return code;
    const uint32_t page = (code - 0x100u) / kPageEntries;
    const uint32_t entry = code % kPageEntries;
    if (!pages_) {
        pages_ = new (std::nothrow) uint16_t*[kPages]();
        if (!pages_)
            return code;
    }
    if (!pages_[page]) {
        pages_[page] = new (std::nothrow) uint16_t[kPageEntries]();
        if (!pages_[page])
            return code;
    }
    uint16_t& compact = pages_[page][entry];
    if (compact == 0) {
        compact = nextCode_;
        AdvanceCode();
    }
    return compact;
}

void GCharCodeMap::Reset()
{
    if (pages_) {
        for (uint32_t i = 0; i < kPages; ++i)
            delete[] pages_[i];
        delete[] pages_;
        pages_ = nullptr;
    }
    nextCode_ = kFirstCode;
}
