#include "printer/GCustomMediaSize.h"

#include "model/GValueAttribute.h"
#include "printer/GMarginPool.h"
#include "printer/GMedia.h"

#include <new>

namespace {

// Each cell: value × multiplier / divisor, rounded. A divisor of 0 marks the diagonal.
struct Conversion {
    uint32_t multiplier;
    uint32_t divisor;
};

const Conversion kConversions[4][4] = {
    // to 1/100 in      to mm             to 1/10000 in      to µm
    {{1, 0}, {12700, 50000}, {100, 1}, {254, 1}},   // from 1/100 in
    {{50000, 12700}, {1, 0}, {50000, 127}, {1000, 1}}, // from mm
    {{1, 100}, {127, 50000}, {1, 0}, {127, 50}},    // from 1/10000 in
    {{50, 12700}, {1, 1000}, {50, 127}, {1, 0}},    // from µm
};

// a / b rounded, halves up, saturated to 32 bits.
uint32_t RoundedDivide(uint64_t a, uint64_t b)
{
    uint64_t quotient = a / b;
    if (a % b >= (b + 1) / 2)
        ++quotient;
    return quotient > UINT32_MAX ? UINT32_MAX : uint32_t(quotient);
}

// A length in a unit of (1 / per) inch, or micrometres for per 0, as dots.
uint16_t ToDots(uint32_t value, uint32_t perInch, uint16_t resolution)
{
    const uint64_t dots = uint64_t(value) * resolution / perInch;
    return dots > UINT16_MAX ? UINT16_MAX : uint16_t(dots);
}

uint16_t ValueOf(GObjectBase* tree, long id)
{
    GObjectBase* found = tree ? tree->FindById(id) : nullptr;
    GValueAttribute* value = found && found->IsKindOf(GValueAttribute::kClassId)
                                 ? dynamic_cast<GValueAttribute*>(found)
                                 : nullptr;
    return value ? value->GetValue() : 0;
}

bool HasValue(GObjectBase* tree, long id)
{
    GObjectBase* found = tree->FindById(id);
    return found && found->IsKindOf(GValueAttribute::kClassId);
}

// Near (left, top) and far (right, bottom) margins in dots.
struct Margins {
    uint16_t left = 0;
    uint16_t top = 0;
    uint16_t right = 0;
    uint16_t bottom = 0;
};

Margins MarginsFrom(GObjectBase* tree, uint16_t xResolution, uint16_t yResolution, uint32_t orientation)
{
    Margins margins;
    if (!tree)
        return margins;
    GObjectBase* pool = tree->FindById(959);
    const GMarginEntry* entry = pool && pool->IsKindOf(GMarginPool::kClassId)
                                    ? static_cast<GMarginPool*>(pool)->GetEntry(0)
                                    : nullptr;
    if (entry) {
        if (orientation % 90 != 0 || orientation > 270)
            return margins;
        const GMarginRecord& record = entry->byOrientation[orientation / 90];
        margins.left = ToDots(record.left, 25400, xResolution);
        margins.top = ToDots(record.top, 25400, yResolution);
        margins.right = ToDots(record.right, 25400, xResolution);
        margins.bottom = ToDots(record.bottom, 25400, yResolution);
        return margins;
    }
    GObjectBase* group = tree->FindById(331);
    if (group && HasValue(group, 332) && HasValue(group, 333) && HasValue(group, 334) && HasValue(group, 335)) {
        margins.left = ToDots(ValueOf(group, 332), 10000, xResolution);
        margins.top = ToDots(ValueOf(group, 333), 10000, yResolution);
        margins.right = ToDots(ValueOf(group, 334), 10000, xResolution);
        margins.bottom = ToDots(ValueOf(group, 335), 10000, yResolution);
    }
    return margins;
}

uint16_t ExtentOf(uint32_t paper, uint16_t near, uint16_t far)
{
    const int64_t extent = int64_t(uint16_t(paper)) - near - far;
    return extent < 0 ? 0 : uint16_t(extent);
}

} // namespace

GCustomMediaSize::GCustomMediaSize() : mediaId_(0), unit_(0), width_(0), height_(0) {}

GCustomMediaSize::GCustomMediaSize(uint16_t mediaId, const char* name, uint32_t unit, uint32_t width,
                                   uint32_t height, const long& id)
    : GPersistent(id), mediaId_(int16_t(mediaId)), name_(name ? name : ""), unit_(int32_t(unit)), width_(width),
      height_(height)
{
}

GCustomMediaSize::GCustomMediaSize(uint16_t mediaId, const char* name, uint16_t xResolution, uint16_t yResolution,
                                   uint32_t unit, uint32_t widthDots, uint32_t heightDots, const long& id)
    : GPersistent(id), mediaId_(int16_t(mediaId)), name_(name ? name : ""), unit_(int32_t(unit))
{
    const uint32_t width = xResolution ? uint32_t(uint64_t(widthDots) * 100 / xResolution) : 0;
    const uint32_t height = yResolution ? uint32_t(uint64_t(heightDots) * 100 / yResolution) : 0;
    width_ = ConvertUnits(width, kHundredthInch, unit);
    height_ = ConvertUnits(height, kHundredthInch, unit);
}

GCustomMediaSize::~GCustomMediaSize() {}

uint32_t GCustomMediaSize::ConvertUnits(uint32_t value, uint32_t from, uint32_t to)
{
    if (from > 3 || to > 3 || from == to)
        return value;
    const Conversion& c = kConversions[from][to];
    return RoundedDivide(uint64_t(value) * c.multiplier, c.divisor);
}

bool GCustomMediaSize::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GCustomMediaSize* size = GSameClass<GCustomMediaSize>(this, other);
    if (!size || size->GetId() != GetId() || size->mediaId_ != mediaId_ || !(size->name_ == name_))
        return false;
    if (size->unit_ == unit_)
        return size->width_ == width_ && size->height_ == height_;
    const GSizePair mine = GetSizeIn(kMicrometre);
    const GSizePair theirs = size->GetSizeIn(kMicrometre);
    return mine.width == theirs.width && mine.height == theirs.height;
}

int16_t GCustomMediaSize::ApplyTo(GAttributeVisitor&) { return 0; }

void GCustomMediaSize::SetSize(uint32_t width, uint32_t height)
{
    width_ = width;
    height_ = height;
}

void GCustomMediaSize::SetAll(uint32_t unit, uint32_t width, uint32_t height)
{
    unit_ = int32_t(unit);
    SetSize(width, height);
}

void GCustomMediaSize::SetUnit(uint32_t unit)
{
    const GSizePair size = GetSizeIn(unit);
    SetAll(unit, size.width, size.height);
}

GSizePair GCustomMediaSize::GetSizeIn(uint32_t unit) const
{
    return {ConvertUnits(width_, GetUnit(), unit), ConvertUnits(height_, GetUnit(), unit)};
}

GSizePair GCustomMediaSize::GetSizeInPixels(uint16_t xResolution, uint16_t yResolution) const
{
    const GSizePair size = GetSizeIn(kTenThousandthInch);
    const uint64_t width = uint64_t(size.width) * xResolution / 10000;
    const uint64_t height = uint64_t(size.height) * yResolution / 10000;
    return {width > UINT32_MAX ? UINT32_MAX : uint32_t(width), height > UINT32_MAX ? UINT32_MAX : uint32_t(height)};
}

uint32_t NormalizeDegrees(int32_t angle)
{
    int64_t value = angle;
    if (value < 0)
        value += (359 - value) / 360 * 360;
    return uint32_t(value % 360);
}

GMedia* BuildCustomMedia(const GCustomMediaSize& size, GObjectBase* marginTree, uint16_t xResolution,
                         uint16_t yResolution, uint32_t orientation)
{
    const Margins margins = MarginsFrom(marginTree, xResolution, yResolution, orientation);
    GSizePair paper = size.GetSizeInPixels(xResolution, yResolution);
    if (orientation == 90 || orientation == 270)
        paper = {paper.height, paper.width};
    const GMediaPair extent = {ExtentOf(paper.width, margins.left, margins.right),
                               ExtentOf(paper.height, margins.top, margins.bottom)};
    return new (std::nothrow)
        GMedia(size.GetName().Data(), {uint16_t(paper.width), uint16_t(paper.height)}, extent,
               {margins.left, margins.top}, orientation, size.GetId(), xResolution, yResolution, 190, 0, nullptr,
               nullptr);
}

GMedia* BuildCustomMediaFromSettings(const GCustomMediaSize& size, GObjectBase* settings, GObjectBase* marginTree)
{
    GObjectBase* resolution = settings ? settings->FindById(249) : nullptr;
    return BuildCustomMedia(size, marginTree, ValueOf(resolution, 323), ValueOf(resolution, 324),
                            ValueOf(settings, 265));
}

GMedia* BuildCustomMediaOriented(const GCustomMediaSize& size, GObjectBase* settings, uint16_t xResolution,
                                 uint16_t yResolution)
{
    return BuildCustomMedia(size, settings, xResolution, yResolution, ValueOf(settings, 265));
}
