// The shape of the page filters that act on one setting of a job (the front cover, the
// back cover, the letterhead turn): each decides at the document start whether it acts
// and, while it does, does its work at one command, the one that starts it (Starts: a
// page start, or the document end); every other command goes on unchanged, after the
// filter has seen it. None stores more than the peripheral part and the version, and two
// of a class are the same when their peripheral parts are.
#pragma once

#include "model/GCommand.h"
#include "model/GCommandClassIds.h"
#include "model/GCountedRef.h"
#include "printer/GPeripheral.h"

template <class Self, RWClassID Id, RWClassID Starts>
class GCoverFilter : public GPersistent<Self, GPeripheral, Id> {
public:
    using GPersistent<Self, GPeripheral, Id>::GPersistent;

    bool IsSame(const GObjectBase* other) const override
    {
        return other && other->ClassId() == this->ClassId() && GPeripheral::IsSame(other);
    }
    int16_t ApplyTo(GAttributeVisitor&) override { return 0; }
    void AbsorbState(GState*) override {}
    void ApplyState(const long&) override {}
    uint32_t QueryFlags() override { return 0; }

    // The document start runs the filter's decision (OnDocumentStart); its status is not
    // used and the command goes on.
    GCountedRef ProcessCommand(const GCountedRef& command) override
    {
        GCommand* target = static_cast<GCommand*>(command.Get());
        if (!target)
            return command;
        if (target->ClassId() == kDocumentStartClassId) {
            target->Execute(*this);
            return command;
        }
        if (!this->IsActive())
            return command;
        if (target->ClassId() == Starts)
            return Work(*target, command);
        See(*target);
        return command;
    }

    auto StoredForm() { return GFields(); }

protected:
    // The command that starts the work, held by the caller: what goes on in its place.
    virtual GCountedRef Work(GCommand& command, const GCountedRef& held) = 0;
    // Any other command while the filter acts.
    virtual void See(GCommand&) {}
};
