#include "pipeline/filters/GWatermarkFilter.h"

#include "model/GCommandClassIds.h"
#include "model/GCommandComposite.h"
#include "model/GErrorCommand.h"
#include "model/GFeatureIds.h"
#include "model/GState.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "pipeline/GCommandProducer.h"
#include "pipeline/GDocumentEnd.h"
#include "pipeline/GDocumentStart.h"
#include "pipeline/GJobAbort.h"
#include "pipeline/SettingValues.h"
#include "printer/GDriverObject.h"

namespace {

using namespace FeatureId;
using namespace SettingValues;

constexpr RWClassID kAltPageStartClass = 711;
constexpr RWClassID kDocumentBreakClass = 718;

// The producer's watermark operations take their objects as 32-bit words.
static_assert(sizeof(void*) == sizeof(uint32_t), "the watermark operations pass objects as 32-bit words");

uint32_t Word(const void* object) { return uint32_t(reinterpret_cast<uintptr_t>(object)); }

RWWString WideText(GObjectBase* state, long id)
{
    RWWString out;
    if (const GStringAttribute* text = GDriverObject::Feature<GStringAttribute>(state, id)) {
        const RWCString& narrow = text->GetString();
        for (size_t i = 0; i < narrow.Length(); ++i)
            out.Append(wchar_t(uint8_t(narrow.Data()[i])));
    }
    return out;
}

} // namespace

GWatermarkFilter::GWatermarkFilter() {}
GWatermarkFilter::GWatermarkFilter(const long& id) : GPersistent(id) {}
GWatermarkFilter::GWatermarkFilter(const GWatermarkFilter& other) : GPersistent(other) {}
// The producer may be going already (it owns the chain): nothing is asked of it here.
GWatermarkFilter::~GWatermarkFilter() {}

void GWatermarkFilter::ShadeColor(uint16_t& shade, uint16_t& red, uint16_t& green, uint16_t& blue)
{
    const uint16_t s = shade == 255 ? 232 : shade;
    if (producer_ && producer_->GetFlagB()) {
        red = green = blue = s;
        return;
    }
    // By which presences are set: the components that are not set take the shade.
    static const struct {
        bool r, g, b;
        int out[3]; // -1: the shade
    } kTable[] = {
        {true, false, false, {255, -1, -1}},  {true, true, false, {255, 255, -1}}, {false, true, false, {-1, 255, -1}},
        {false, true, true, {-1, 255, 255}},  {false, false, true, {-1, -1, 255}}, {true, false, true, {255, -1, 255}},
        {true, true, true, {-1, -1, -1}},     {false, false, false, {-1, -1, -1}},
    };
    for (const auto& row : kTable) {
        if (row.r != (red != 0) || row.g != (green != 0) || row.b != (blue != 0))
            continue;
        red = uint16_t(row.out[0] < 0 ? s : row.out[0]);
        green = uint16_t(row.out[1] < 0 ? s : row.out[1]);
        blue = uint16_t(row.out[2] < 0 ? s : row.out[2]);
        return;
    }
}

uint32_t GWatermarkFilter::LoadSettings(GObjectBase* settings)
{
    request_ = GWatermarkRequest();
    request_.width = ValueOr(settings, kWatermarkWidth, 0);
    request_.message = WideText(settings, kWatermarkText);
    request_.length = uint32_t(request_.message.Length());
    request_.faceName = WideText(settings, kWatermarkFaceName);
    request_.characterSet = ValueOr(settings, kWatermarkCharacterSet, 1);
    const uint16_t style = ValueOr(settings, kWatermarkStyle, 0);
    request_.weight = (style & 1) ? 700 : 400;
    request_.italic = (style >> 1) & 1;
    request_.underline = (style >> 2) & 1;
    request_.strikeOut = (style >> 3) & 1;
    request_.pointSize = ValueOr(settings, kWatermarkSize, 0);
    request_.escapement = ValueOr(settings, kWatermarkEscapement, 0);
    request_.angle = ValueOr(settings, kWatermarkAngle, 0);
    request_.value396 = ValueOr(settings, kWatermarkValue1, 0);
    request_.value397 = ValueOr(settings, kWatermarkValue2, 0);
    uint16_t red = ValueOr(settings, kWatermarkRed, 0);
    uint16_t green = ValueOr(settings, kWatermarkGreen, 0);
    uint16_t blue = ValueOr(settings, kWatermarkBlue, 0);
    request_.shade = ValueOr(settings, kWatermarkShade, 0);
    uint16_t shade = request_.shade;
    ShadeColor(shade, red, green, blue);
    request_.color = GRGBColor(uint8_t(red), uint8_t(green), uint8_t(blue), 255);
    return 1;
}

uint32_t GWatermarkFilter::Configure(GObjectBase* settings)
{
    mode_ = kOff;
    enabled_ = 0;
    pending_.Set(nullptr);
    if (!producer_)
        return 0;
    const GValueAttribute* rule = Value(settings, kWatermarkPageRule);
    if (rule)
        mode_ = rule->GetValue() == 0 ? kEveryPage : rule->GetValue() == 1 ? kFirstPage : kOff;
    if (mode_ == kOff)
        return 0;
    const GValueAttribute* gate = Value(settings, kWatermarkGate);
    if (!gate || gate->GetValue() != 0) {
        mode_ = kOff;
        return 0;
    }
    enabled_ = 1;
    return LoadSettings(settings);
}

void GWatermarkFilter::BuildWatermark()
{
    pending_.Set(nullptr);
    // A page on no known media gets no watermark: the text has nothing to be placed on.
    if (!enabled_ || !producer_ || !hasMarked_)
        return;
    if (fontHandle_ == 0) {
        request_.height = int32_t(markedMedia_.GetUnitsX()) * int32_t(request_.pointSize) / -72;
        const GMediaPair paper = markedMedia_.GetPaperSize();
        fontHandle_ = producer_->RequestWatermarkFont(Word(&request_), uint32_t(paper.x) | (uint32_t(paper.y) << 16),
                                                      Word(&extentWord_));
    }
    if (fontHandle_ == 0)
        return;
    GCommand* graphic = producer_->MakeWatermarkGraphic(RWWString(request_.message), fontHandle_, extentWord_,
                                                        Word(&request_.color), Word(&markedMedia_),
                                                        request_.characterSet);
    pending_.Set(graphic);
    producer_->ReleaseWatermarkFont(Word(&fontHandle_));
}

void GWatermarkFilter::ReleaseWatermark()
{
    pending_.Set(nullptr);
    if (enabled_ && producer_)
        producer_->ReleaseWatermarkFont(Word(&fontHandle_));
}

void GWatermarkFilter::EndWatermark()
{
    ReleaseWatermark();
    markedMedia_ = currentMedia_ = GMedia();
    hasMarked_ = hasCurrent_ = 0;
}

int16_t GWatermarkFilter::OnDocumentStart(GDocumentStart& command)
{
    pageCount_ = 0;
    producer_ = command.GetProducer();
    GState* state = command.GetState();
    const GMedia* media = GDriverObject::Feature<GMedia>(state, kDocumentMedia);
    jobMedia_ = media ? *media : GMedia();
    hasJobMedia_ = media != nullptr;
    GObjectBase* settings = state ? state->FindById(kWatermarkSettings) : nullptr;
    if (settings)
        Configure(settings);
    else
        mode_ = kOff, enabled_ = 0;
    if (mode_ == kOff)
        Deactivate();
    return 0;
}

int16_t GWatermarkFilter::OnDocumentEnd(GDocumentEnd&)
{
    EndWatermark();
    return 0;
}

int16_t GWatermarkFilter::OnJobAbort(GJobAbort&)
{
    EndWatermark();
    return 0;
}

GCountedRef GWatermarkFilter::ProcessCommand(const GCountedRef& command)
{
    GCommand* target = static_cast<GCommand*>(command.Get());
    if (!target)
        return command;
    const RWClassID classId = target->ClassId();
    switch (classId) {
    case kDocumentStartClassId:
    case kDocumentEndClassId:
    case kDocumentBreakClass:
    case kJobAbortClassId:
        return GPeripheral::ProcessCommand(command);
    case kPageStartClassId:
    case kAltPageStartClass: {
        ++pageCount_;
        if (!(mode_ == kEveryPage || (mode_ == kFirstPage && pageCount_ == 1)))
            return command;
        GState* state = target->GetState();
        if (!state)
            return command;
        // A page that names no media of its own is on the document's.
        const GMedia* media = GDriverObject::Feature<GMedia>(state, kDocumentMedia);
        if (!media && hasJobMedia_)
            media = &jobMedia_;
        currentMedia_ = media ? *media : GMedia();
        hasCurrent_ = media != nullptr;
        if (hasCurrent_ && !hasMarked_)
            markedMedia_ = currentMedia_, hasMarked_ = 1;
        return command;
    }
    case kPageEndClassId: {
        if (!(mode_ == kEveryPage || (mode_ == kFirstPage && pageCount_ == 1)))
            return command;
        markedMedia_ = currentMedia_;
        hasMarked_ = hasCurrent_;
        currentMedia_ = GMedia();
        hasCurrent_ = 0;
        if (!pending_)
            BuildWatermark();
        if (!pending_)
            return command;
        GCommandComposite* composite = new GCommandComposite(0);
        GCountedRef result(composite);
        composite->Add(pending_.Get());
        composite->Add(target);
        pending_.Set(nullptr);
        return result;
    }
    default:
        return command;
    }
}
