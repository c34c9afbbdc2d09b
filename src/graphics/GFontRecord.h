// What a writer has downloaded to the printer for one font: the device memory it
// occupies, the codes downloaded, a use stamp for least-recently-used freeing. Shared
// through counted GFontHandles; the last handle deletes the record.
#pragma once

#include "foundation/RWCString.h"
#include "graphics/GCodeSet.h"

#include <cstdint>

class GPdlTarget;

class GFontRecord {
public:
    // Kind 1: a font the writer does not remove from the printer by name.
    static constexpr uint32_t kResidentKind = 1;
    // Kinds 2 and 3: downloaded fonts whose memory the least-recently-used freeing takes.
    static constexpr uint32_t kFirstFreeableKind = 2;
    static constexpr uint32_t kLastFreeableKind = 3;

    GFontRecord(GPdlTarget* owner, const RWCString& name);
    GFontRecord(const GFontRecord&) = delete;
    GFontRecord& operator=(const GFontRecord&) = delete;
    virtual ~GFontRecord();

    virtual void ClearLive() { live_ = 0; }
    virtual void SetKind(uint32_t kind) { kind_ = kind; }
    // Adds to the memory used and reserves as much device memory from the owner.
    virtual void AddMemory(uint32_t bytes);
    virtual void SetFirstValue(uint32_t value) { firstValue_ = value; }
    // With memory used: the owner removes the font by name (unless kind 1) and gets the
    // memory back; the downloaded count, memory and codes are cleared.
    virtual void Unload();
    virtual void SetWord(uint16_t word) { word_ = word; }
    virtual void AddDownloaded(uint16_t count) { downloaded_ = uint16_t(downloaded_ + count); }
    virtual void SetUseStamp(uint32_t stamp) { useStamp_ = stamp; }
    virtual void SetLastValue(uint32_t value) { lastValue_ = value; }
    virtual int AddCode(uint32_t code) { return codes_.Add(code); }
    virtual void RemoveCode(uint32_t code) { codes_.Remove(code); }
    virtual uint32_t GetKind() const { return kind_; }
    virtual uint32_t GetMemoryUsed() const { return memoryUsed_; }
    virtual uint32_t IsLive() const { return live_; }
    virtual uint32_t GetFirstValue() const { return firstValue_; }
    virtual uint32_t GetUseStamp() const { return useStamp_; }
    virtual uint16_t GetWord() const { return word_; }
    virtual uint16_t GetDownloaded() const { return downloaded_; }
    virtual uint32_t GetLastValue() const { return lastValue_; }
    virtual int HasCode(uint32_t code) const { return codes_.Contains(code); }
    virtual int ForEachCode(GCodeSet::Callback callback, void* context) const
    {
        return codes_.ForEach(callback, context);
    }

    const RWCString& GetName() const { return name_; }
    void SetName(const RWCString& name) { name_ = name; }

    // The handles' count.
    void AddHandle() { ++handles_; }
    // Answers the count left.
    uint32_t RemoveHandle() { return handles_ ? --handles_ : 0; }
    uint32_t GetHandleCount() const { return handles_; }

private:
    GPdlTarget* owner_;
    RWCString name_;
    uint32_t firstValue_;
    uint32_t live_;
    uint16_t word_;
    uint16_t downloaded_;
    uint32_t memoryUsed_;
    uint32_t useStamp_;
    uint32_t kind_;
    uint32_t lastValue_;
    GCodeSet codes_;
    uint32_t handles_;
};
