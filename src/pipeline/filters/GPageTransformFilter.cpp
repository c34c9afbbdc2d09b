#include "pipeline/filters/GPageTransformFilter.h"

#include "graphics/GGraphicBundle.h"
#include "model/GCommandComposite.h"
#include "model/GState.h"
#include "model/GValueAttribute.h"
#include "pipeline/GNullCommand.h"
#include "printer/GDriverObject.h"
#include "printer/GMedia.h"

namespace {
constexpr RWClassID kTransformClass = 103;
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
