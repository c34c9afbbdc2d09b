#include "pipeline/GDocumentBreak.h"

#include "printer/GPeripheral.h"

GDocumentBreak::GDocumentBreak() {}
GDocumentBreak::GDocumentBreak(const long& id) : GKindOfLevel(id) {}
GDocumentBreak::~GDocumentBreak() {}

bool GDocumentBreak::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GDocumentBreak* command = dynamic_cast<const GDocumentBreak*>(other);
    return command && command->ClassId() == kClassId && LikeCommandPart(*command);
}

int16_t GDocumentBreak::Execute(GCommandHandler& target) { return target.OnDocumentEvent(*this); }
