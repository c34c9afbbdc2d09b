#include "model/GErrorCommand.h"

#include "model/GStoredCounts.h"
#include "model/GCommandHandler.h"

GErrorCommand::GErrorCommand() : code_(0) {}
GErrorCommand::GErrorCommand(uint16_t code, GCommand* failed, const long& id)
    : GPersistent(id), code_(code), failed_(failed)
{
}
GErrorCommand::~GErrorCommand() {}

bool GErrorCommand::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GErrorCommand* error = GSameClass<GErrorCommand>(this, other);
    return error && LikeCommandPart(*error) && code_ == error->code_ && failed_.Get() == error->failed_.Get();
}

int16_t GErrorCommand::Execute(GCommandHandler& target) { return target.OnError(*this); }

// Only commands are ever held, so the held object is one.
GCommand* GErrorCommand::GetFailedCommand() const { return static_cast<GCommand*>(failed_.Get()); }

GCommand* GErrorCommand::DetachFailedCommand()
{
    GCommand* failed = GetFailedCommand();
    if (failed && failed_.Detach())
        failed->RemoveReference();
    return failed;
}

// A stored object that is not a command is refused and the restore ends; a flag other
// than 0 or 1 is damage.
template <class In>
bool GErrorCommand::ReadStored(In& in)
{
    int32_t flag = 0;
    if (!GReadField(in, flag))
        return false;
    if (flag == 0) {
        failed_.Set(nullptr);
        return true;
    }
    if (flag != 1) {
        GRefuseStored(in);
        return false;
    }
    GObjectBase* object = RestoreHeld(in);
    if (RestoreStopped(in) || !object) {
        Drop(object);
        return false;
    }
    if (!object->IsKindOf(GCommand::kClassId)) {
        GRefuseStored(in);
        Drop(object);
        return false;
    }
    failed_.Set(object);
    return true;
}

template <class Out>
void GErrorCommand::WriteStored(Out& out) const
{
    GWriteField(out, int32_t(failed_ ? 1 : 0));
    if (failed_)
        GFormWrite(out, failed_);
}

uint32_t GErrorCommand::StoredSize() const { return 4 + (failed_ ? GFieldSize(failed_) : 0); }

template bool GErrorCommand::ReadStored(RWBinaryFile&);
template bool GErrorCommand::ReadStored(RWDataInStream&);
template void GErrorCommand::WriteStored(RWBinaryFile&) const;
template void GErrorCommand::WriteStored(RWDataOutStream&) const;
