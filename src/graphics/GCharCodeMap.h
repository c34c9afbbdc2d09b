// Compact codes for the characters of a downloaded font: each code outside the ranges
// that pass unchanged is given the next free compact code the first time it is mapped,
// and keeps it until Reset. Each writer's cache supplies AdvanceCode, which skips the
// codes its page-description language reserves.
#pragma once

#include <cstdint>

class GCharCodeMap {
public:
    static constexpr uint16_t kFirstCode = 256;

    GCharCodeMap();
    GCharCodeMap(const GCharCodeMap&) = delete;
    GCharCodeMap& operator=(const GCharCodeMap&) = delete;
    virtual ~GCharCodeMap();

    // Codes below 256, from 0xFF00 up and from 0x2000 to 0x20FF come back unchanged and
    // never touch the table. Any other code answers its compact code, handing out the
    // next one (and calling AdvanceCode) on its first use. A table page that cannot be
    // allocated leaves the code unchanged.
    virtual uint16_t Map(uint16_t code);
    // Forgets every compact code; the next code is 256 again.
    virtual void Reset();
    // Moves the next code on after one was handed out.
    virtual void AdvanceCode() = 0;

    uint16_t GetNextCode() const { return nextCode_; }

protected:
    void SetNextCode(uint16_t code) { nextCode_ = code; }

private:
    static constexpr uint32_t kPages = 255;
    static constexpr uint32_t kPageEntries = 256;

    uint16_t** pages_;
    uint16_t nextCode_;
};
