#include "pipeline/filters/GReducingFilter.h"

#include "graphics/GBrush.h"
#include "graphics/GClipToPage.h"
#include "graphics/GClipToSingleRectangle.h"
#include "graphics/GColorPaint.h"
#include "graphics/GGraphicBundle.h"
#include "graphics/GNoPen.h"
#include "graphics/GRGBColor.h"
#include "graphics/GRasterOperation.h"
#include "graphics/GRectangleGraphic.h"
#include "model/GCommandClassIds.h"
#include "model/GCommandComposite.h"
#include "pipeline/GNoCommand.h"

#include <algorithm>
#include <vector>

namespace {

using Record = GReducingFilter::Record;

constexpr RWClassID kRectangleClass = 659;
constexpr RWClassID kPatternPaintClass = 153;
constexpr RWClassID kColorPaintClass = 152;
constexpr uint16_t kCopyMix = 13;
constexpr uint16_t kXorMix = 7;
constexpr uint16_t kPlainCopy = 0xF0;

uint16_t MixOf(uint16_t r) { return uint16_t((((r & 0x30) >> 2) | (r & 3)) + 1); }

// Each one's far edge less one beyond the other's near edge: a common strip one unit
// wide does not count.
bool Overlap(const Record& a, const Record& b)
{
    return a.right - 1 > b.left && b.right - 1 > a.left && a.bottom - 1 > b.top && b.bottom - 1 > a.top;
}

void Normalise(Record& r)
{
    if (r.left > r.right)
        std::swap(r.left, r.right);
    if (r.top > r.bottom)
        std::swap(r.top, r.bottom);
}

// The 24-bit colour of a plain colour brush; false for any other brush.
bool ColourOf(const Record& r, uint32_t& colour)
{
    const GBrush* brush = dynamic_cast<const GBrush*>(r.brush.Get());
    const GPaint* paint = brush ? brush->GetPaint() : nullptr;
    if (!paint || paint->ClassId() != kColorPaintClass)
        return false;
    const GColorBase* base = static_cast<const GColorPaint*>(paint)->GetColor();
    GRGBColor rgb;
    if (base)
        base->CopyAsRGB(&rgb);
    colour = uint32_t(rgb.GetRed()) | uint32_t(rgb.GetGreen()) << 8 | uint32_t(rgb.GetBlue()) << 16;
    return true;
}

enum class Interaction { kNone, kTrim, kCancel, kCopy };

Interaction Compare(const Record& held, const Record& added)
{
    uint32_t heldColour = 0, addedColour = 0;
    if (!ColourOf(held, heldColour) || !ColourOf(added, addedColour))
        return Interaction::kNone;
    // Cutting a held rectangle back is right only where the new one paints over it
    // whatever lies below: a plain copy.
    if (held.mix == kCopyMix && added.mix == kCopyMix)
        return Interaction::kTrim;
    if (held.mix == kXorMix && added.mix == kXorMix && heldColour == addedColour)
        return Interaction::kCancel;
    if (held.mix == kXorMix && added.mix == kCopyMix && addedColour == 0)
        return Interaction::kCopy;
    return Interaction::kNone;
}

Record Intersection(const Record& a, const Record& b)
{
    Record r = a;
    r.left = std::max(a.left, b.left), r.top = std::max(a.top, b.top);
    r.right = std::min(a.right, b.right), r.bottom = std::min(a.bottom, b.bottom);
    return r;
}

// The parts of r outside the intersection: left, right, above, below.
std::vector<Record> PiecesOutside(const Record& r, const Record& cut)
{
    std::vector<Record> pieces;
    auto add = [&](int32_t l, int32_t t, int32_t rt, int32_t b) {
        if (rt > l && b > t) {
            Record piece = r;
            piece.left = l, piece.top = t, piece.right = rt, piece.bottom = b;
            pieces.push_back(piece);
        }
    };
    add(r.left, r.top, cut.left, r.bottom);
    add(cut.right, r.top, r.right, r.bottom);
    add(cut.left, r.top, cut.right, cut.top);
    add(cut.left, cut.bottom, cut.right, r.bottom);
    return pieces;
}

GCommand* Rebuild(const Record& r)
{
    Record n = r;
    Normalise(n);
    GGraphicBundle* bundle = new GGraphicBundle(0);
    bundle->SetRasterOperation(new GRasterOperation(n.rasterOperation, n.rasterValue, 0));
    if (const GObjectBase* brush = n.brush.Get())
        bundle->SetBrush(static_cast<GGraphicAttribute*>(brush->DeepCopy()));
    if (n.unclipped)
        bundle->SetClip(new GClipToPage(0));
    else
        bundle->SetClip(new GClipToSingleRectangle(
            GRect{int16_t(n.clipLeft), int16_t(n.clipTop), int16_t(n.clipRight), int16_t(n.clipBottom)},
            n.clipOperation, n.clipMode, 0));
    const GRect bounds{int16_t(n.left), int16_t(n.top), int16_t(n.right), int16_t(n.bottom)};
    return new GRectangleGraphic(bounds, bundle, 0);
}

} // namespace

GReducingFilter::GReducingFilter() {}
GReducingFilter::GReducingFilter(const long& id) : GPersistent(id) {}
GReducingFilter::GReducingFilter(const GReducingFilter& other) : GPersistent(other) {}
GReducingFilter::~GReducingFilter() {}

bool GReducingFilter::IsSame(const GObjectBase* other) const
{
    return other && other->ClassId() == ClassId() && GPeripheral::IsSame(other);
}

bool GReducingFilter::MakeRecord(GCommand& command, Record& record)
{
    GState* state = command.GetState();
    if (!state || !state->IsKindOf(GGraphicBundle::kClassId))
        return false;
    GObjectBase* pen = state->FindById(GGraphicBundle::kPenId);
    GObjectBase* brush = state->FindById(GGraphicBundle::kBrushId);
    GObjectBase* clip = state->FindById(GGraphicBundle::kClipId);
    const GRasterOperation* rop = dynamic_cast<const GRasterOperation*>(state->FindById(GGraphicBundle::kRasterOperationId));
    if (!pen || !pen->IsKindOf(GNoPen::kClassId) || !brush || !brush->IsKindOf(GBrush::kClassId) || !rop)
        return false;
    const GPaint* paint = static_cast<GBrush*>(brush)->GetPaint();
    if (paint && paint->IsKindOf(kPatternPaintClass))
        return false;
    if (clip && !clip->IsKindOf(GClipToSingleRectangle::kClassId) && !clip->IsKindOf(GClipToPage::kClassId))
        return false;
    const GRect bounds = static_cast<GRectangleGraphic&>(command).GetBounds();
    record.left = bounds.left, record.top = bounds.top, record.right = bounds.right, record.bottom = bounds.bottom;
    record.unclipped = !clip || clip->IsKindOf(GClipToPage::kClassId);
    if (!record.unclipped) {
        const GClipToSingleRectangle* single = static_cast<const GClipToSingleRectangle*>(clip);
        const GRect c = single->GetRectangle();
        record.clipLeft = c.left, record.clipTop = c.top, record.clipRight = c.right, record.clipBottom = c.bottom;
        record.clipOperation = single->GetClipOperation();
        record.clipMode = single->GetClipMode();
    }
    // The record keeps its own references: the members live as long as it does.
    record.brush.Set(brush);
    record.joint.Set(state->FindById(GGraphicBundle::kJointId));
    record.fillMode.Set(state->FindById(GGraphicBundle::kFillModeId));
    record.pen.Set(pen);
    record.rasterOperation = rop->GetRop();
    record.rasterValue = rop->GetValue();
    record.mix = MixOf(record.rasterOperation);
    // Clipped to its rectangle, a record needs no clip of its own.
    if (!record.unclipped) {
        Record clipRect;
        clipRect.left = record.clipLeft, clipRect.top = record.clipTop;
        clipRect.right = record.clipRight, clipRect.bottom = record.clipBottom;
        if (Overlap(record, clipRect)) {
            record.left = std::max(record.left, record.clipLeft), record.top = std::max(record.top, record.clipTop);
            record.right = std::min(record.right, record.clipRight);
            record.bottom = std::min(record.bottom, record.clipBottom);
            record.unclipped = 1;
        }
    }
    return true;
}

bool GReducingFilter::Resolve(Record& added)
{
    Normalise(added);
    std::vector<Record> pending{added};
    for (auto h = held_.begin(); h != held_.end() && !pending.empty();) {
        auto next = std::next(h);
        std::vector<Record> onward;
        bool replaced = false;
        for (size_t i = 0; i < pending.size(); ++i) {
            Record& p = pending[i];
            if (replaced || !Overlap(p, *h)) {
                onward.push_back(p);
                continue;
            }
            Interaction kind = Compare(*h, p);
            const Record cut = Intersection(*h, p);
            // Dropping or merging the overlap is right only when nothing held after
            // this record is drawn over it in between.
            if (kind == Interaction::kCancel || kind == Interaction::kCopy)
                for (auto later = next; later != held_.end(); ++later)
                    if (Overlap(*later, cut))
                        kind = Interaction::kNone;
            if (kind == Interaction::kNone) {
                // Drawn in their order: the pending pieces join the list, which goes on.
                onward.insert(onward.end(), pending.begin() + i, pending.end());
                held_.insert(held_.end(), onward.begin(), onward.end());
                return false;
            }
            const std::vector<Record> heldPieces = PiecesOutside(*h, cut);
            const std::vector<Record> addedPieces = PiecesOutside(p, cut);
            // The held record gives way to its pieces, in its place.
            held_.insert(next, heldPieces.begin(), heldPieces.end());
            held_.erase(h);
            if (kind == Interaction::kTrim) {
                // Wholly inside the overlap, it meets nothing further: it goes last at once.
                if (addedPieces.empty())
                    held_.push_back(p);
                else
                    onward.push_back(p);
            } else {
                onward.insert(onward.end(), addedPieces.begin(), addedPieces.end());
                if (kind == Interaction::kCopy) {
                    Record overlap = cut;
                    overlap.brush = p.brush, overlap.joint = p.joint, overlap.fillMode = p.fillMode, overlap.pen = p.pen;
                    overlap.mix = kCopyMix;
                    overlap.rasterOperation = uint16_t((p.rasterOperation & 0xFF00) | kPlainCopy);
                    overlap.rasterValue = p.rasterValue;
                    held_.push_back(overlap);
                }
            }
            replaced = true;
        }
        pending.swap(onward);
        h = next;
    }
    held_.insert(held_.end(), pending.begin(), pending.end());
    return HeldCount() <= kMostHeld;
}

GCountedRef GReducingFilter::Flush(GCommand* command)
{
    if (held_.empty())
        return GCountedRef(command);
    GCommandComposite* composite = new GCommandComposite(0);
    GCountedRef result(composite);
    for (const Record& record : held_)
        composite->Add(Rebuild(record));
    held_.clear();
    if (command) {
        command->Prepare();
        composite->Add(command);
    }
    return result;
}

GCountedRef GReducingFilter::ProcessCommand(const GCountedRef& command)
{
    GCommand* target = static_cast<GCommand*>(command.Get());
    if (!target)
        return command;
    if (target->ClassId() == kDocumentStartClassId) {
        Activate();
        flags_ = 0;
        held_.clear();
        return command;
    }
    Record record;
    if (target->ClassId() != kRectangleClass || !MakeRecord(*target, record) || HeldCount() >= kMostHeld)
        return Flush(target);
    if (held_.empty()) {
        Normalise(record);
        held_.push_back(record);
        return GCountedRef(new GNoCommand(0));
    }
    if (!Resolve(record))
        return Flush(nullptr);
    return GCountedRef(new GNoCommand(0));
}
