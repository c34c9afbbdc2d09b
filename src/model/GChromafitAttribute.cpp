#include "model/GChromafitAttribute.h"

namespace {

constexpr int8_t kNo = GChromafitBase::kNoValue;
constexpr int8_t kOut = GChromafitBase::kRefused;

// Stored order: first0, second0, first1, second1, first2, second2.
const GChromafitBase::Layout kLayout = {
    // kind 0 (first) kind 1 (second) kind 2 kind 3 kind 4
    {0, 1, kNo, kOut, kOut},
    {2, 3, kNo, kOut, kOut},
    {4, 5, kNo, kOut, kOut},
    {kOut, kOut, kOut, kOut, kOut},
};

} // namespace

GChromafitAttribute::GChromafitAttribute() {}

GChromafitAttribute::GChromafitAttribute(const long& id) : GPersistent(id)
{
    static const uint8_t kDefaults[] = {15, 40, 21, 50, 31, 62};
    static const uint8_t kDefaultsOf227[] = {16, 40, 22, 50, 32, 62};
    SetValues(id == 227 ? kDefaultsOf227 : kDefaults, sizeof kDefaults);
}

GChromafitAttribute::GChromafitAttribute(const long& id, uint8_t first0, uint8_t second0, uint8_t first1,
                                         uint8_t second1, uint8_t first2, uint8_t second2)
    : GPersistent(id)
{
    const uint8_t values[] = {first0, second0, first1, second1, first2, second2};
    SetValues(values, sizeof values);
}

GChromafitAttribute::~GChromafitAttribute() {}

const GChromafitBase::Layout& GChromafitAttribute::GetLayout() const { return kLayout; }
