#include "model/GChromafitEnhancedAttribute.h"

namespace {

constexpr int8_t kNo = GChromafitBase::kNoValue;
constexpr int8_t kScratch = GChromafitBase::kScratch0;

// Stored order: first0, second0, first1, second1, first2, second2, page1, page2.
const GChromafitBase::Layout kLayout = {
    // kind 0        kind 1        kind 2 (page1) kind 3 (page2) kind 4
    {0, 1, 6, 7, kNo},
    {2, 3, 6, 7, kNo},
    {4, 5, 6, 7, kNo},
    {kScratch + 0, kScratch + 1, 6, 7, kNo},
};

} // namespace

GChromafitEnhancedAttribute::GChromafitEnhancedAttribute() {}

GChromafitEnhancedAttribute::GChromafitEnhancedAttribute(const long& id)
    : GChromafitEnhancedAttribute(id, 70, 41, 80, 51, 91, 61, 95, 98)
{
}

GChromafitEnhancedAttribute::GChromafitEnhancedAttribute(const long& id, uint8_t first0, uint8_t second0,
                                                         uint8_t first1, uint8_t second1, uint8_t first2,
                                                         uint8_t second2, uint8_t page1, uint8_t page2)
    : GPersistent(id)
{
    const uint8_t values[] = {first0, second0, first1, second1, first2, second2, page1, page2};
    SetValues(values, sizeof values);
}

GChromafitEnhancedAttribute::~GChromafitEnhancedAttribute() {}

const GChromafitBase::Layout& GChromafitEnhancedAttribute::GetLayout() const { return kLayout; }
