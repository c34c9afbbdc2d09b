#include "graphics/GFontRecord.h"

#include "graphics/GPdlTarget.h"

GFontRecord::GFontRecord(GPdlTarget* owner, const RWCString& name)
    : owner_(owner), name_(name), firstValue_(0), live_(1), word_(0xFFFF), downloaded_(0), memoryUsed_(0),
      useStamp_(0), kind_(0), lastValue_(0), handles_(0)
{
}

GFontRecord::~GFontRecord() {}

void GFontRecord::AddMemory(uint32_t bytes)
{
    memoryUsed_ += bytes;
    if (owner_)
        owner_->ReserveDeviceMemory(bytes);
}

void GFontRecord::Unload()
{
    if (memoryUsed_ == 0)
        return;
    if (owner_) {
        if (kind_ != kResidentKind)
            owner_->RemoveDownloadedFont(name_);
        owner_->ReleaseDeviceMemory(memoryUsed_);
    }
    downloaded_ = 0;
    memoryUsed_ = 0;
    codes_.Clear();
}
