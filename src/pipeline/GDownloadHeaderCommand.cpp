#include "pipeline/GDownloadHeaderCommand.h"

#include "printer/GPeripheral.h"

GDownloadHeaderCommand::GDownloadHeaderCommand() : kind_(0) {}
GDownloadHeaderCommand::GDownloadHeaderCommand(int32_t kind, const long& id) : GPersistent(id), kind_(kind) {}
GDownloadHeaderCommand::~GDownloadHeaderCommand() {}

bool GDownloadHeaderCommand::IsSame(const GObjectBase* other) const
{
    const GDownloadHeaderCommand* command = GSameClass<GDownloadHeaderCommand>(this, other);
    return command && LikeCommandPart(*command) && kind_ == command->kind_;
}

int16_t GDownloadHeaderCommand::Execute(GCommandHandler& target) { return target.OnDownloadHeader(*this); }
