#include "pipeline/filters/GExtensionHookFilter.h"
#include "pipeline/filters/GAAFilter1.h"
#include "pipeline/filters/GAAFilter2.h"

#include "model/GCommand.h"
#include "model/GCommandClassIds.h"
#include "pipeline/GCommandProducer.h"
#include "pipeline/GDocumentEnd.h"
#include "pipeline/GDocumentStart.h"
#include "printer/GExtensionContext.h"

namespace {

constexpr RWClassID kCommandCompositeClass = 605;
constexpr RWClassID kOnDiskPageClass = 606;

// The caller takes the result over: the hold ends without deleting it.
GCommand* HandOver(GCountedRef& held)
{
    GObjectBase* result = held.Detach();
    if (result)
        result->RemoveReference();
    return static_cast<GCommand*>(result);
}

// The page start and end records are read without taking them out of the spooled page,
// and the results written back in their places.
void ProcessSpooledPage(GPeripheral& filter, GObjectBase* page)
{
    for (RWClassID classId : {kPageStartClassId, kPageEndClassId}) {
        GCountedRef record = page->FindPtrByClassId(classId);
        if (!record)
            continue;
        GCountedRef result = filter.ProcessCommand(record);
        if (result.Get() != record.Get())
            page->ReplaceRecordByClassId(classId, result.Get());
    }
}

} // namespace

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

// The early filter loads the extensions for the document; the late one ends them.
GCountedRef GExtensionHookLink::Process(const GCountedRef& command, uint16_t selector)
{
    GCommand* target = static_cast<GCommand*>(command.Get());
    if (!target)
        return command;
    switch (target->ClassId()) {
    case kDocumentStartClassId:
        Take(*target);
        if (selector == kEarly && context_)
            context_->LoadForDocument(static_cast<GDocumentStart&>(*target));
        return command;
    case kDocumentEndClassId:
        if (selector == kLate && context_)
            context_->EndDocument(static_cast<GDocumentEnd&>(*target));
        return command;
    case kPageStartClassId:
    case kPageEndClassId:
        return PageHook(command, selector);
    default:
        return command;
    }
}

GCommand* GExtensionHookLink::ReceiveLate(GPeripheral& filter, GCommand* command)
{
    if (!command || !filter.IsActive())
        return command;
    GCountedRef held(command);
    command->ClearModified();
    GCountedRef result = held;
    switch (command->ClassId()) {
    case kCommandCompositeClass:
        result = filter.ProcessComposite(held);
        break;
    case kOnDiskPageClass:
        ProcessSpooledPage(filter, command);
        break;
    case kDocumentStartClassId:
    case kDocumentEndClassId:
    case kPageStartClassId:
    case kPageEndClassId:
        result = filter.ProcessCommand(held);
        break;
    default:
        break;
    }
    held.Set(nullptr);
    return HandOver(result);
}

// The filters are made from stored printer data alone: their registrations are anchored
// here.
template class GPersistent<GAAFilter1, GPeripheral, 1115>;
template class GPersistent<GAAFilter2, GPeripheral, 1116>;
