#include "model/GChromafitEnhancedAttributeVer2.h"

namespace {

constexpr int8_t kNo = GChromafitBase::kNoValue;
constexpr int8_t kScratch = GChromafitBase::kScratch0;

// Stored order: first0, second0, third0, first1, second1, third1, first2, second2,
// third2, page.
const GChromafitBase::Layout kLayout = {
    // kind 0 (first) kind 1 (second) kind 2 (page) kind 3 (third) kind 4
    {0, 1, 9, 2, kNo},
    {3, 4, 9, 5, kNo},
    {6, 7, 9, 8, kNo},
    {kScratch + 0, kScratch + 1, 9, kScratch + 3, kNo},
};

} // namespace

GChromafitEnhancedAttributeVer2::GChromafitEnhancedAttributeVer2() {}

GChromafitEnhancedAttributeVer2::GChromafitEnhancedAttributeVer2(const long& id)
    : GChromafitEnhancedAttributeVer2(id, 70, 41, 100, 80, 51, 103, 91, 61, 106, 95)
{
}

GChromafitEnhancedAttributeVer2::GChromafitEnhancedAttributeVer2(const long& id, uint8_t p0, uint8_t q0, uint8_t r0,
                                                                 uint8_t p1, uint8_t q1, uint8_t r1, uint8_t p2,
                                                                 uint8_t q2, uint8_t r2, uint8_t page)
    : GPersistent(id)
{
    const uint8_t values[] = {p0, q0, r0, p1, q1, r1, p2, q2, r2, page};
    SetValues(values, sizeof values);
}

GChromafitEnhancedAttributeVer2::~GChromafitEnhancedAttributeVer2() {}

int GChromafitEnhancedAttributeVer2::SetSetting(int object, int kind, uint8_t value)
{
    if (object == 3 && kind == 3)
        for (int each = 0; each < 3; ++each)
            GPersistent::SetSetting(each, 3, value);
    return GPersistent::SetSetting(object, kind, value);
}

const GChromafitBase::Layout& GChromafitEnhancedAttributeVer2::GetLayout() const { return kLayout; }
