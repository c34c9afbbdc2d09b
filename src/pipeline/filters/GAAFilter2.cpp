#include "pipeline/filters/GAAFilter2.h"

#include "model/GCommand.h"
#include "model/GCommandClassIds.h"
#include "pipeline/GDocumentEnd.h"
#include "printer/GExtensionContext.h"

namespace {

constexpr RWClassID kCommandCompositeClass = 605;
constexpr RWClassID kOnDiskPageClass = 606;
constexpr uint16_t kLate = 1;

// The caller takes the result over: the hold ends without deleting it.
GCommand* HandOver(GCountedRef& held)
{
    GObjectBase* result = held.Detach();
    if (result)
        result->RemoveReference();
    return static_cast<GCommand*>(result);
}

} // namespace

GAAFilter2::GAAFilter2() {}
GAAFilter2::GAAFilter2(const long& id) : GPersistent(id) {}
GAAFilter2::GAAFilter2(const GAAFilter2& other) : GPersistent(other) {}
GAAFilter2::~GAAFilter2() {}

bool GAAFilter2::IsSame(const GObjectBase* other) const { return other && other->ClassId() == ClassId(); }

// The page start and end records are read without taking them out of the spooled page,
// and the results written back in their places.
void GAAFilter2::ProcessSpooledPage(GObjectBase* page)
{
    for (RWClassID classId : {kPageStartClassId, kPageEndClassId}) {
        GCountedRef record = page->FindPtrByClassId(classId);
        if (!record)
            continue;
        GCountedRef result = ProcessCommand(record);
        if (result.Get() != record.Get())
            page->ReplaceRecordByClassId(classId, result.Get());
    }
}

GCommand* GAAFilter2::ReceiveCommand(GCommand* command)
{
    if (!command || !IsActive())
        return command;
    GCountedRef held(command);
    command->ClearModified();
    GCountedRef result = held;
    switch (command->ClassId()) {
    case kCommandCompositeClass:
        result = ProcessComposite(held);
        break;
    case kOnDiskPageClass:
        ProcessSpooledPage(command);
        break;
    case kDocumentStartClassId:
    case kDocumentEndClassId:
    case kPageStartClassId:
    case kPageEndClassId:
        result = ProcessCommand(held);
        break;
    default:
        break;
    }
    held.Set(nullptr);
    return HandOver(result);
}

GCountedRef GAAFilter2::ProcessCommand(const GCountedRef& command)
{
    GCommand* target = static_cast<GCommand*>(command.Get());
    if (!target)
        return command;
    switch (target->ClassId()) {
    case kDocumentStartClassId:
        link_.Take(*target);
        return command;
    case kDocumentEndClassId:
        if (GExtensionContext* context = link_.Context())
            context->EndDocument(static_cast<GDocumentEnd&>(*target));
        return command;
    case kPageStartClassId:
    case kPageEndClassId:
        return link_.PageHook(command, kLate);
    default:
        return command;
    }
}
