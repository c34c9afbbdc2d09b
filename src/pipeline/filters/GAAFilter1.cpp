#include "pipeline/filters/GAAFilter1.h"

#include "model/GCommand.h"
#include "model/GCommandClassIds.h"
#include "pipeline/GCommandProducer.h"
#include "pipeline/GDocumentStart.h"
#include "printer/GExtensionContext.h"

namespace {

constexpr uint16_t kEarly = 0;

} // namespace

GAAFilter1::GAAFilter1() {}
GAAFilter1::GAAFilter1(const long& id) : GPersistent(id) {}
GAAFilter1::GAAFilter1(const GAAFilter1& other) : GPersistent(other) {}
GAAFilter1::~GAAFilter1() {}

bool GAAFilter1::IsSame(const GObjectBase* other) const { return other && other->ClassId() == ClassId(); }

void GExtensionHookLink::Take(GCommand& documentStart)
{
    producer_ = static_cast<GDocumentStart&>(documentStart).GetProducer();
    context_ = producer_ ? producer_->GetExtensionContext() : nullptr;
}

GCountedRef GExtensionHookLink::PageHook(const GCountedRef& command, uint16_t selector) const
{
    GCommand* target = static_cast<GCommand*>(command.Get());
    if (!context_ || !target)
        return command;
    GCommand* result = target->ClassId() == kPageStartClassId ? context_->StartHook(target, selector)
                                                              : context_->EndHook(target, selector);
    return result ? GCountedRef(result) : command;
}

GCountedRef GAAFilter1::ProcessCommand(const GCountedRef& command)
{
    GCommand* target = static_cast<GCommand*>(command.Get());
    if (!target)
        return command;
    switch (target->ClassId()) {
    case kDocumentStartClassId:
        link_.Take(*target);
        if (GExtensionContext* context = link_.Context())
            context->LoadForDocument(static_cast<GDocumentStart&>(*target));
        return command;
    case kPageStartClassId:
    case kPageEndClassId:
        return link_.PageHook(command, kEarly);
    default:
        return command;
    }
}
