#include "pipeline/filters/GNupFilter.h"

#include "graphics/GClipToSingleRectangle.h"
#include "graphics/GColorPaint.h"
#include "graphics/GFillMode.h"
#include "graphics/GGraphicBundle.h"
#include "graphics/GNoBrush.h"
#include "graphics/GNoPen.h"
#include "graphics/GPen.h"
#include "graphics/GRGBColor.h"
#include "graphics/GRasterOperation.h"
#include "graphics/GRectangleGraphic.h"
#include "model/GCommandClassIds.h"
#include "model/GCommandComposite.h"
#include "model/GConfiguration.h"
#include "model/GFeatureIds.h"
#include "model/GState.h"
#include "model/GValueAttribute.h"
#include "pipeline/GCommandProducer.h"
#include "pipeline/GDocumentStart.h"
#include "pipeline/GNullCommand.h"
#include "pipeline/GPageEnd.h"
#include "pipeline/SettingValues.h"
#include "printer/GDriverObject.h"

#include <cmath>
#include <memory>

namespace {

using namespace FeatureId;
using namespace SettingValues;

constexpr RWClassID kTransformClass = 103;
constexpr RWClassID kClipToPageClass = 503;
constexpr RWClassID kDocumentBreakClass = 718;
constexpr long kClipSlot = 177;
constexpr uint16_t kSheetRasterOperation = 240;

// Both sides: 1 becomes 2, any other non-zero value 1, 0 stays.
void FlipDuplex(GObjectBase* state)
{
    GValueAttribute* duplex = Value(state, kDuplexMode);
    if (duplex && duplex->GetValue() != 0)
        duplex->SetValue(duplex->GetValue() == 1 ? 2 : 1);
}

// The largest a with a * a <= n.
int64_t IntegerRoot(int64_t n)
{
    if (n < 0)
        return -1;
    int64_t a = int64_t(std::sqrt(double(n)));
    while (a * a > n)
        --a;
    while ((a + 1) * (a + 1) <= n)
        ++a;
    return a;
}

int16_t Truncated16(double value) { return int16_t(int32_t(value)); }

} // namespace

GNupFilter::GNupFilter() {}
GNupFilter::GNupFilter(const long& id) : GPersistent(id) {}

GNupFilter::GNupFilter(const RWCString& name, GState* state, GConfiguration* configuration, const long& id,
                       GCommandProducer* producer)
    : GPersistent(name, state, configuration, id), producer_(producer)
{
}

GNupFilter::GNupFilter(const GNupFilter& other) = default;
GNupFilter::~GNupFilter() {}

void GNupFilter::Reset()
{
    GPeripheral::Reset();
    ResetToDefaults();
}

void GNupFilter::ResetToDefaults()
{
    leftMargin_ = rightMargin_ = topMargin_ = bottomMargin_ = 120;
    verticalGap_ = horizontalGap_ = 30;
    pagesPerSheet_ = 1;
    pageOrder_ = 0;
    scaleX_ = scaleY_ = 0;
    cellCounter_ = rows_ = columns_ = 0;
    sheetOrientation_ = 0;
    cellTransform_ = GTransformAttribute();
    jobOrientation_ = pageOrientation_ = 0;
    frame_ = 0;
    pageMedia_ = sheetMedia_ = jobMedia_ = GMedia();
    cells_.clear();
    configured_ = 0;
    hasMedia_ = 0;
    winner_ = -1;
}

uint32_t GNupFilter::FlagWord() const { return producer_ ? producer_->GetFlagE() : 0; }

void GNupFilter::ReadLayoutSettings(GObjectBase* state)
{
    GObjectBase* layout = state ? state->FindById(kPageLayout) : nullptr;
    pagesPerSheet_ = 1, pageOrder_ = 0, frame_ = 0;
    if (!layout || FlagWord() != 0)
        return;
    const GValueAttribute* n = Value(layout, kPagesPerSheet);
    const GValueAttribute* order = Value(layout, kNupPageOrder);
    const GValueAttribute* frame = Value(layout, kNupFrame);
    pagesPerSheet_ = n ? int16_t(n->GetValue()) : 1;
    // Fewer than two pages on a sheet is one page on a sheet.
    if (pagesPerSheet_ < 2)
        pagesPerSheet_ = 1;
    pageOrder_ = order ? int16_t(order->GetValue()) : 0;
    // An order the grid does not know fills the sheet row by row.
    if (pageOrder_ < 0 || pageOrder_ > 3)
        pageOrder_ = 0;
    frame_ = frame ? frame->GetValue() : 0;
}

void GNupFilter::TakeMargins()
{
    const GMediaPair origin = sheetMedia_.GetImageableOrigin();
    const GMediaPair farMargins = sheetMedia_.GetFarMargins();
    leftMargin_ = origin.x, topMargin_ = origin.y;
    rightMargin_ = farMargins.x, bottomMargin_ = farMargins.y;
}

void GNupFilter::ReadMedia(GObjectBase* state)
{
    const GMedia* media = GDriverObject::Feature<GMedia>(state, kDocumentMedia);
    if (!media)
        return;
    jobMedia_ = *media;
    const GValueAttribute* orientation = Value(state, kOrientation);
    jobOrientation_ = uint16_t(GNupCell::Normalise(orientation ? orientation->GetValue() : 0));
    sheetMedia_ = *media;
    TakeMargins();
    hasMedia_ = 1;
}

bool GNupFilter::Layout()
{
    const int64_t n = pagesPerSheet_;
    const int64_t a = IntegerRoot(n);
    if (a <= 0)
        return false;
    const int64_t b = (n + a - 1) / a;
    const GMediaPair paper = sheetMedia_.GetPaperSize();
    const int64_t W = paper.x, H = paper.y;
    if (W <= 0 || H <= 0)
        return false;
    int64_t Wa = W - leftMargin_ - rightMargin_;
    int64_t Ha = H - topMargin_ - bottomMargin_;
    const int64_t target = W * 1000 / H;
    const int64_t hg = horizontalGap_, vg = verticalGap_;
    // Each candidate: width term, its multiplier, height term, its multiplier.
    const int64_t candidates[4][4] = {
        {Wa - (a - 1) * hg, b, Ha - (b - 1) * vg, a},
        {Wa - (b - 1) * hg, a, Ha - (a - 1) * vg, b},
        {Ha - (a - 1) * hg, b, Wa - (b - 1) * vg, a},
        {Ha - (b - 1) * hg, a, Wa - (a - 1) * vg, b},
    };
    winner_ = -1;
    int64_t best = 0;
    for (int i = 0; i < 4; ++i) {
        const int64_t denominator = candidates[i][2] * candidates[i][3];
        ratios_[i] = 0;
        // A shape whose cells have no height cannot hold a page.
        if (denominator <= 0)
            continue;
        ratios_[i] = candidates[i][0] * candidates[i][1] * 1000 / denominator;
        const int64_t distance = ratios_[i] > target ? ratios_[i] - target : target - ratios_[i];
        if (winner_ < 0 || distance < best)
            winner_ = i, best = distance;
    }
    if (winner_ < 0)
        return false;
    switch (winner_) {
    case 0:
        rows_ = int16_t(b), columns_ = int16_t(a), sheetOrientation_ = jobOrientation_ % 180;
        break;
    case 1:
        rows_ = int16_t(a), columns_ = int16_t(b), sheetOrientation_ = jobOrientation_ % 180;
        break;
    case 2:
        rows_ = int16_t(b), columns_ = int16_t(a), sheetOrientation_ = 0, std::swap(Wa, Ha);
        break;
    default:
        rows_ = int16_t(a), columns_ = int16_t(b), sheetOrientation_ = 90, std::swap(Wa, Ha);
        break;
    }
    if (int64_t(rows_) * columns_ > 1) {
        const double haPrime = double(Ha - (rows_ - 1) * vg);
        const double waPrime = double(Wa - (columns_ - 1) * hg);
        double scale = ratios_[winner_] > target ? haPrime / rows_ / double(H) : waPrime / columns_ / double(W);
        if (scale < 0)
            scale = 0;
        scaleX_ = scaleY_ = float(scale);
        cellTransform_.SetScale(scaleX_, scaleY_);
    }
    return true;
}

bool GNupFilter::BuildCells()
{
    cells_.clear();
    const GMediaPair paper = sheetMedia_.GetPaperSize();
    const int64_t hg = horizontalGap_, vg = verticalGap_;
    const int64_t width = (int64_t(paper.x) + hg * (1 - columns_) - rightMargin_ - leftMargin_) / columns_ - 4;
    const int64_t height = (int64_t(paper.y) + vg * (1 - rows_) - bottomMargin_ - topMargin_) / rows_ - 4;
    // Margins or gaps wider than the sheet leave no room for a page.
    if (width <= 0 || height <= 0)
        return false;
    auto cell = [&](int64_t r, int64_t c) {
        const GMediaPair origin{uint16_t((width + hg) * c + leftMargin_ + 2), uint16_t((height + vg) * r + topMargin_ + 2)};
        cells_.emplace_back(0, origin, GMediaPair{uint16_t(width), uint16_t(height)}, 0);
    };
    cells_.reserve(size_t(rows_) * size_t(columns_));
    switch (pageOrder_) {
    case 1:
        for (int64_t c = 0; c < columns_; ++c)
            for (int64_t r = 0; r < rows_; ++r)
                cell(r, c);
        break;
    case 2:
        for (int64_t r = 0; r < rows_; ++r)
            for (int64_t c = columns_ - 1; c >= 0; --c)
                cell(r, c);
        break;
    case 3:
        for (int64_t c = columns_ - 1; c >= 0; --c)
            for (int64_t r = 0; r < rows_; ++r)
                cell(r, c);
        break;
    default:
        for (int64_t r = 0; r < rows_; ++r)
            for (int64_t c = 0; c < columns_; ++c)
                cell(r, c);
        break;
    }
    return true;
}

void GNupFilter::BecomeTransparent(GObjectBase* state)
{
    pagesPerSheet_ = 1;
    cells_.clear();
    Deactivate();
    PutValue(state, kNupSheetOrientation, jobOrientation_);
}

void GNupFilter::Configure(GObjectBase* state)
{
    ReadLayoutSettings(state);
    configured_ = 1;
    if (pagesPerSheet_ == 1) {
        BecomeTransparent(state);
        return;
    }
    Activate();
    hasMedia_ = 0;
    ReadMedia(state);
    // Without a sheet to lay out, or with no room for a grid on it, pages stay whole.
    if (!hasMedia_ || !Layout()) {
        BecomeTransparent(state);
        return;
    }
    PutValue(state, kNupSheetOrientation, uint16_t(sheetOrientation_));
    if (int32_t(sheetMedia_.GetOrientation()) != sheetOrientation_) {
        GCommandProducer::TurnMedia(sheetMedia_, uint32_t(sheetOrientation_));
        TakeMargins();
    }
    if (!BuildCells())
        BecomeTransparent(state);
}

GTransformAttribute GNupFilter::PageToCell(const GNupCell& cell, const GMedia& page, int32_t relativeRotation)
{
    const GMediaPair origin = page.GetImageableOrigin();
    const GMediaPair paper = page.GetPaperSize();
    const int32_t t = GNupCell::Normalise(GNupCell::Normalise(relativeRotation) + cell.GetSecondRotation());
    const bool quarter = t == 90 || t == 270;
    const double ew = quarter ? paper.y : paper.x;
    const double eh = quarter ? paper.x : paper.y;
    // A page without extent cannot be scaled into a cell.
    if (ew <= 0 || eh <= 0)
        return GTransformAttribute();
    const double cx = cell.GetOrigin().x, cy = cell.GetOrigin().y;
    const double cw = cell.GetExtent().x, ch = cell.GetExtent().y;
    const double sw = cw / ew, sh = ch / eh;
    const double s = sw <= sh ? sw : sh;
    const double ox = origin.x, oy = origin.y;
    const double dw = (cw - s * ew) * 0.5, dh = (ch - s * eh) * 0.5;
    int32_t x = int32_t(cx), y = int32_t(cy);
    switch (t) {
    case 0:
        x += Truncated16(dw + ox * s), y += Truncated16(dh + oy * s);
        break;
    case 90:
        y = int32_t(cy + ch);
        x += Truncated16(dw + oy * s), y += Truncated16(-dh - ox * s);
        break;
    case 180:
        x = int32_t(cx + cw), y = int32_t(cy + ch);
        x -= Truncated16(dw + ox * s), y += Truncated16(-dh - oy * s);
        break;
    case 270:
        x = int32_t(cx + cw);
        x -= Truncated16(dw + oy * s), y += Truncated16(dh + ox * s);
        break;
    default:
        break;
    }
    return GTransformAttribute(uint16_t(t), int16_t(x), int16_t(y), float(s), float(s));
}

std::pair<float, float> GNupFilter::GetScale(void* context, void* device, void* page, uint32_t* mode)
{
    if (mode && *mode == 3)
        return {0.0f, 0.0f};
    if (!configured_)
        Configure(static_cast<GObjectBase*>(context));
    if (pagesPerSheet_ == 1 || cells_.empty())
        return {1.0f, 1.0f};
    GObjectBase* job = static_cast<GObjectBase*>(device);
    const GMedia* media = GDriverObject::Feature<GMedia>(job, kDocumentMedia);
    if (!media)
        return {1.0f, 1.0f};
    const GValueAttribute* orientation = Value(job, kOrientation);
    const int32_t degrees = GNupCell::Normalise(orientation ? orientation->GetValue() : 0);
    GMedia turned(*media);
    GCommandProducer::TurnMedia(turned, uint32_t(degrees));
    const uintptr_t number = reinterpret_cast<uintptr_t>(page);
    const GNupCell& cell = cells_[number % uintptr_t(pagesPerSheet_) % cells_.size()];
    const GTransformAttribute transform = PageToCell(cell, turned, degrees - jobOrientation_ + 360);
    return {transform.GetScaleX(), transform.GetScaleY()};
}

GCountedRef GNupFilter::ProcessCommand(const GCountedRef& command)
{
    GCommand* target = static_cast<GCommand*>(command.Get());
    if (!target)
        return command;
    switch (target->ClassId()) {
    case kDocumentStartClassId: {
        GDocumentStart& start = static_cast<GDocumentStart&>(*target);
        if (start.GetProducer())
            producer_ = start.GetProducer();
        if (!configured_)
            Configure(target->GetState());
        if (IsActive() && sheetOrientation_ != jobOrientation_ && (pagesPerSheet_ == 2 || pagesPerSheet_ == 6))
            FlipDuplex(target->GetState());
        return IsActive() ? Drawing(command) : command;
    }
    case kPageStartClassId:
        return PageStart(*target);
    case kPageEndClassId:
        return PageEnd(command);
    case kDocumentEndClassId:
    case kDocumentBreakClass:
        return DocumentEnd(command);
    case kJobAbortClassId:
        // An aborted job leaves no half sheet behind for the next one.
        cellCounter_ = 0;
        return command;
    default:
        return Drawing(command);
    }
}

GCountedRef GNupFilter::PageStart(GCommand& command)
{
    GState* state = command.GetState();
    // A page start without a state still opens its cell, so the sheet stays whole.
    if (!state) {
        state = new GState(0);
        command.AdoptState(state);
    }
    if (GObjectBase* orientation = state->RemoveById(kOrientation)) {
        if (const GValueAttribute* value = dynamic_cast<const GValueAttribute*>(orientation))
            pageOrientation_ = uint16_t(GNupCell::Normalise(value->GetValue()));
        GObjectBase::Drop(orientation);
    }
    // A page that names no media of its own stays on the last one (the document's at first).
    if (GMedia* media = GDriverObject::Feature<GMedia>(state, kDocumentMedia)) {
        pageMedia_ = *media;
        GObjectBase::Drop(state->RemoveById(kDocumentMedia));
    } else if (pageMedia_.GetPaperSize().x == 0 && hasMedia_) {
        pageMedia_ = jobMedia_;
    }
    GCommandProducer::TurnMedia(pageMedia_, pageOrientation_);
    const size_t index = size_t(cellCounter_ % pagesPerSheet_);
    const bool empty = index >= cells_.size();
    if (!empty)
        cellTransform_ = PageToCell(cells_[index], pageMedia_, int32_t(pageOrientation_) - jobOrientation_ + 360);
    GCommandComposite* composite = new GCommandComposite(0);
    GCountedRef result(composite);
    if (index != 0) {
        composite->Add(new GNullCommand(0));
    } else {
        if (sheetOrientation_ == 90 && (pageOrientation_ == 270 || pageOrientation_ == 180))
            sheetOrientation_ = 270;
        else if (sheetOrientation_ == 0 && (pageOrientation_ == 270 || pageOrientation_ == 180))
            sheetOrientation_ = 180;
        PutValue(state, kOrientation, uint16_t(sheetOrientation_));
        if (hasMedia_) {
            if (int32_t(jobMedia_.GetOrientation()) != sheetOrientation_)
                GCommandProducer::TurnMedia(jobMedia_, uint32_t(sheetOrientation_));
            if (!(pageMedia_.GetSecondString() == jobMedia_.GetSecondString()))
                jobMedia_.SetSecondString(pageMedia_.GetSecondString());
            GMedia* sheet = new GMedia(jobMedia_);
            sheet->SetId(kDocumentMedia);
            state->Add(sheet);
        }
        if (jobOrientation_ != sheetOrientation_)
            FlipDuplex(state);
        GObjectBase::Drop(state->RemoveByClassId(kTransformClass));
        composite->Add(&command);
    }
    GGraphicBundle* bundle = new GGraphicBundle;
    bundle->Add(new GTransformAttribute(cellTransform_));
    composite->Add(new GNullCommand(bundle, 0));
    return result;
}

GCommand* GNupFilter::CellFinish(const GNupCell& cell) const
{
    const GMediaPair origin = sheetMedia_.GetImageableOrigin();
    const GMediaPair paper = sheetMedia_.GetPaperSize();
    const int32_t ox = origin.x, oy = origin.y;
    GGraphicBundle* bundle = new GGraphicBundle;
    bundle->Add(new GTransformAttribute(0, int16_t(ox), int16_t(oy), 1.0f, 1.0f));
    bundle->SetClip(new GClipToSingleRectangle(
        GRect{int16_t(-ox), int16_t(-oy), int16_t(paper.x - ox), int16_t(paper.y - oy)}, 0, 0, kClipSlot));
    bundle->SetFillMode(new GFillMode(0, 0));
    bundle->SetRasterOperation(new GRasterOperation(kSheetRasterOperation, 0, 0));
    bundle->SetBrush(new GNoBrush);
    if (!frame_) {
        bundle->SetPen(new GNoPen);
        return new GNullCommand(bundle, 0);
    }
    bundle->SetPen(new GPen(2, new GColorPaint(new GRGBColor(0, 0, 0, 255))));
    const int32_t x = cell.GetOrigin().x, y = cell.GetOrigin().y;
    const int32_t w = cell.GetExtent().x, h = cell.GetExtent().y;
    const GRect frame{int16_t(x - 1 - ox), int16_t(y - 1 - oy), int16_t(x + w + 1 - ox), int16_t(y + h + 1 - oy)};
    return new GRectangleGraphic(frame, bundle, 0);
}

GCountedRef GNupFilter::PageEnd(const GCountedRef& command)
{
    GCommandComposite* composite = new GCommandComposite(0);
    GCountedRef result(composite);
    const size_t index = size_t(cellCounter_ % pagesPerSheet_);
    if (index < cells_.size())
        composite->Add(CellFinish(cells_[index]));
    ++cellCounter_;
    if (cellCounter_ < pagesPerSheet_) {
        composite->Add(new GNullCommand(0));
    } else {
        cellCounter_ = 0;
        composite->Add(command.Get());
    }
    return result;
}

GCountedRef GNupFilter::DocumentEnd(const GCountedRef& command)
{
    if (cellCounter_ == 0)
        return command;
    cellCounter_ = 0;
    GCommandComposite* composite = new GCommandComposite(0);
    GCountedRef result(composite);
    composite->Add(new GPageEnd(nullptr, 0));
    composite->Add(command.Get());
    return result;
}

// The drawing takes the cell's transform in front of its own, and a clip to the page
// becomes a clip to the page's own area inside the cell. The command gets a state of
// its own: the one it came with may be shared with another copy of the page.
GCountedRef GNupFilter::Drawing(const GCountedRef& command)
{
    GCommand* target = static_cast<GCommand*>(command.Get());
    GState* state = target->GetState();
    if (!state)
        return command;
    const bool transformed = state->FindByClassId(kTransformClass) != nullptr;
    const bool clipped = state->FindByClassId(kClipToPageClass) != nullptr;
    if (!transformed && !clipped)
        return command;
    GState* copy = dynamic_cast<GState*>(state->DeepCopy());
    if (!copy)
        return command;
    if (GObjectBase* found = copy->RemoveByClassId(kTransformClass)) {
        if (const GTransformAttribute* own = dynamic_cast<const GTransformAttribute*>(found)) {
            GTransformAttribute* composed = GTransformAttribute::Concatenate(cellTransform_, *own);
            composed->SetId(own->GetId());
            copy->Add(composed);
        }
        GObjectBase::Drop(found);
    }
    if (GObjectBase* found = copy->RemoveByClassId(kClipToPageClass)) {
        GObjectBase::Drop(found);
        const GMediaPair extent = pageMedia_.GetImageableExtent();
        copy->Add(new GClipToSingleRectangle(GRect{0, 0, int16_t(extent.x), int16_t(extent.y)}, 0, 0, kClipSlot));
    }
    target->AdoptState(copy);
    return command;
}
