#include "pipeline/filters/GPageTransformFilter.h"

#include "graphics/GGraphicBundle.h"
#include "model/GCommandComposite.h"
#include "model/GState.h"
#include "model/GValueAttribute.h"
#include "pipeline/GNullCommand.h"
#include "printer/GDriverObject.h"
#include "printer/GMedia.h"

#include <algorithm>

namespace {
constexpr RWClassID kTransformClass = 103;

int64_t Trunc(double value) { return int64_t(value); }
} // namespace

GPageTransformFilter::GPageTransformFilter() {}
GPageTransformFilter::GPageTransformFilter(const long& id) : GPeripheral(id) {}
GPageTransformFilter::GPageTransformFilter(const GPageTransformFilter& other) = default;
GPageTransformFilter::~GPageTransformFilter() {}

GTransformAttribute GPageTransformFilter::DefaultPageTransform(const GMedia* media)
{
    const GMediaPair origin = media ? media->GetImageableOrigin() : GMediaPair{0, 0};
    return GTransformAttribute(0, int16_t(origin.x), int16_t(origin.y), 1.0f, 1.0f);
}

int32_t GPageTransformFilter::SettingOr(GObjectBase* state, long id, int32_t fallback)
{
    const GValueAttribute* value = GDriverObject::Feature<GValueAttribute>(state, id);
    return value ? value->GetValue() : fallback;
}

int16_t GPageTransformFilter::Clamped16(int64_t value)
{
    return int16_t(std::min<int64_t>(32767, std::max<int64_t>(-32768, value)));
}

GTransformAttribute GPageTransformFilter::FitArea(const PageArea& source, const PageArea& target)
{
    if (source.width <= 0 || source.height <= 0 || target.width <= 0 || target.height <= 0)
        return GTransformAttribute();
    double s = 0;
    int64_t x = 0, y = 0;
    if (target.width * source.height <= target.height * source.width) {
        s = double(target.width) / double(source.width);
        x = target.left - Trunc(double(source.left) * s);
        const int64_t d = std::min((target.paperHeight - Trunc(double(source.paperHeight) * s)) >> 1,
                                   target.height - Trunc(double(source.height) * s));
        y = target.top - Trunc(double(source.top) * s) + d;
    } else {
        s = double(target.height) / double(source.height);
        const int64_t d = std::min((target.paperWidth - Trunc(double(source.paperWidth) * s)) >> 1,
                                   target.width - Trunc(double(source.width) * s));
        x = target.left - Trunc(double(source.left) * s) + d;
        y = target.top - Trunc(double(source.top) * s);
    }
    return GTransformAttribute(0, Clamped16(x), Clamped16(y), float(s), float(s));
}

GState* GPageTransformFilter::OwnState(GCommand& command)
{
    GState* state = command.GetState();
    GState* copy = state ? dynamic_cast<GState*>(state->DeepCopy()) : new GState(0);
    if (!copy)
        copy = new GState(0);
    command.AdoptState(copy);
    return copy;
}

GTransformAttribute GPageTransformFilter::PutComposed(GState* state, const GTransformAttribute& first,
                                                      const GTransformAttribute& second)
{
    GTransformAttribute* composed = GTransformAttribute::Concatenate(first, second);
    const GTransformAttribute result(*composed);
    if (GObjectBase* old = state->RemoveByClassId(kTransformClass)) {
        composed->SetId(old->GetId());
        GObjectBase::Drop(old);
    }
    state->Add(composed);
    return result;
}

GCountedRef GPageTransformFilter::WithPageTransform(const GCountedRef& pageStart, const GTransformAttribute& transform)
{
    GCommandComposite* composite = new GCommandComposite(0);
    GCountedRef result(composite);
    composite->Add(pageStart.Get());
    GGraphicBundle* bundle = new GGraphicBundle;
    bundle->Add(new GTransformAttribute(transform));
    composite->Add(new GNullCommand(bundle, 0));
    return result;
}

GCountedRef GPageTransformFilter::ComposeIntoCommand(const GCountedRef& command) const
{
    GCommand* target = static_cast<GCommand*>(command.Get());
    GState* state = target ? target->GetState() : nullptr;
    const GTransformAttribute* own =
        state ? dynamic_cast<const GTransformAttribute*>(state->FindByClassId(kTransformClass)) : nullptr;
    if (!own)
        return command;
    const GTransformAttribute kept(*own);
    GState* copy = OwnState(*target);
    PutComposed(copy, filterTransform_, kept);
    return command;
}
