// A counted handle on a GFontRecord: each handle counts once, and the last one deletes
// the record. Every operation forwards to the record.
#pragma once

#include "graphics/GFontRecord.h"

class GFontHandle {
public:
    // One more handle on the record (null allowed: every operation then answers 0).
    explicit GFontHandle(GFontRecord* record);
    GFontHandle(const GFontHandle& other);
    GFontHandle& operator=(const GFontHandle&) = delete;
    virtual ~GFontHandle();

    virtual uint32_t GetKind() const { return record_ ? record_->GetKind() : 0; }
    virtual uint32_t GetMemoryUsed() const { return record_ ? record_->GetMemoryUsed() : 0; }
    virtual uint32_t GetFirstValue() const { return record_ ? record_->GetFirstValue() : 0; }
    virtual uint16_t GetWord() const { return record_ ? record_->GetWord() : 0; }
    virtual uint16_t GetDownloaded() const { return record_ ? record_->GetDownloaded() : 0; }
    virtual uint32_t GetUseStamp() const { return record_ ? record_->GetUseStamp() : 0; }
    virtual uint32_t GetLastValue() const { return record_ ? record_->GetLastValue() : 0; }
    virtual int HasCode(uint32_t code) const { return record_ ? record_->HasCode(code) : 0; }
    virtual int ForEachCode(GCodeSet::Callback callback, void* context) const
    {
        return record_ ? record_->ForEachCode(callback, context) : 0;
    }
    virtual uint32_t IsLive() const { return record_ ? record_->IsLive() : 0; }
    virtual void ClearLive();
    virtual void SetKind(uint32_t kind);
    virtual void AddMemory(uint32_t bytes);
    virtual void SetFirstValue(uint32_t value);
    virtual void Unload();
    virtual void SetWord(uint16_t word);
    virtual void AddDownloaded(uint16_t count);
    virtual void SetUseStamp(uint32_t stamp);
    virtual void SetLastValue(uint32_t value);
    virtual int AddCode(uint32_t code) { return record_ ? record_->AddCode(code) : -1; }
    virtual void RemoveCode(uint32_t code);

    const RWCString& GetName() const;
    void SetName(const RWCString& name);
    GFontRecord* GetRecord() const { return record_; }

private:
    GFontRecord* record_;
};
