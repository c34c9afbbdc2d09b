#include "graphics/GFontHandle.h"

GFontHandle::GFontHandle(GFontRecord* record) : record_(record)
{
    if (record_)
        record_->AddHandle();
}

GFontHandle::GFontHandle(const GFontHandle& other) : GFontHandle(other.record_) {}

GFontHandle::~GFontHandle()
{
    if (record_ && record_->RemoveHandle() == 0)
        delete record_;
}

void GFontHandle::ClearLive()
{
    if (record_)
        record_->ClearLive();
}

void GFontHandle::SetKind(uint32_t kind)
{
    if (record_)
        record_->SetKind(kind);
}

void GFontHandle::AddMemory(uint32_t bytes)
{
    if (record_)
        record_->AddMemory(bytes);
}

void GFontHandle::SetFirstValue(uint32_t value)
{
    if (record_)
        record_->SetFirstValue(value);
}

void GFontHandle::Unload()
{
    if (record_)
        record_->Unload();
}

void GFontHandle::SetWord(uint16_t word)
{
    if (record_)
        record_->SetWord(word);
}

void GFontHandle::AddDownloaded(uint16_t count)
{
    if (record_)
        record_->AddDownloaded(count);
}

void GFontHandle::SetUseStamp(uint32_t stamp)
{
    if (record_)
        record_->SetUseStamp(stamp);
}

void GFontHandle::SetLastValue(uint32_t value)
{
    if (record_)
        record_->SetLastValue(value);
}

void GFontHandle::RemoveCode(uint32_t code)
{
    if (record_)
        record_->RemoveCode(code);
}

const RWCString& GFontHandle::GetName() const
{
    static const RWCString none;
    return record_ ? record_->GetName() : none;
}

void GFontHandle::SetName(const RWCString& name)
{
    if (record_)
        record_->SetName(name);
}
