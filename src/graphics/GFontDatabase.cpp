#include "graphics/GFontDatabase.h"

#include "foundation/RWErrorCapture.h"
#include "graphics/GFont.h"
#include "graphics/GFontOwner.h"
#include "graphics/GTTFontFilePool.h"
#include "model/GTextConverter.h"
#include "model/GCriticalError.h"
#include "model/GLock.h"
#include "model/GCoreServices.h"

#include <atomic>
#include <cstdio>

namespace {

// The font id counter and its lock, made through the system services on first use.
std::atomic<uint32_t> g_nextFontId{0};
GLock* g_idLock = nullptr;

// The list's messages (see GFontList).
enum Message : uint32_t {
    kCount = 0,
    kWriteOrRelease = 1,
    kWritten = 2,
    kInserted = 3,
    kUnused = 4,
    kReadOverStored = 5,
    kCompare = 6,
};

GFont* AsFont(GObjectBase* object) { return dynamic_cast<GFont*>(object); }

// Fonts have no class id of their own (the concrete classes belong to the page-drawing
// module): a read object is asked after it is made.
bool IsFont(const RWCollectable* object) { return dynamic_cast<const GFont*>(object) != nullptr; }

RWCString Narrow(const RWWString& name)
{
    RWCString narrow;
    ToNarrowString(name, narrow);
    return narrow;
}

bool Failed(RWBinaryFile& file) { return file.Error(); }
bool Failed(RWDataOutStream& stream) { return !stream.Good(); }
// A read that ran past the end failed as well: the file was cut short.
bool ReadFailed(RWBinaryFile& file) { return file.Error() || file.Eof(); }
bool ReadFailed(RWDataInStream& stream) { return !stream.Good(); }

} // namespace

GFontDatabase::GFontDatabase(GFontOwner* owner)
    : fonts_(new GFontList(&DescriptionRule, GObjectBase::kClassId, &IsFont)), owner_(owner)
{
}

GFontDatabase::~GFontDatabase() { Close(); }

uint32_t GFontDatabase::JobId() const
{
    if (owner_)
        lastJobId_ = owner_->GetProducerKey();
    return lastJobId_;
}

void GFontDatabase::Close()
{
    std::vector<uint32_t> ids;
    fonts_->GetKeys(ids);
    for (uint32_t id : ids)
        Release(id);
    if (JobId() != 0)
        if (GTTFontFilePool* pool = GTTFontFilePool::Existing())
            pool->ReleaseJob(JobId());
    for (const RWWString& name : writtenFiles_)
        _wremove(name.Data());
    writtenFiles_.clear();
    currentFile_ = RWWString();
}

uint32_t GFontDatabase::NextFontId()
{
    if (GCoreServices* services = GCoreServices::Instance())
        services->EnsureLock(&g_idLock);
    GLock* lock = g_idLock;
    if (lock && lock->Acquire() != 0)
        ReportCriticalError(2, 301, "ftdtabse", 854, "");
    const uint32_t id = g_nextFontId.fetch_add(1);
    if (lock && lock->Release() == -2)
        ReportCriticalError(2, 302, "ftdtabse", 858, "");
    return id;
}

void GFontDatabase::DiscardIdLock()
{
    delete g_idLock;
    g_idLock = nullptr;
}

int GFontDatabase::Add(GFont* font)
{
    if (font && fonts_->Add(font->GetFontId(), font) == 1)
        font->AddUser();
    return 1;
}

GFont* GFontDatabase::Acquire(uint32_t fontId, uint32_t minChangeCount)
{
    GFont* font = AsFont(fonts_->Find(fontId));
    if (!font || font->GetUseCounter() < minChangeCount)
        return nullptr;
    font->AddUser();
    return font;
}

GFont* GFontDatabase::Take(uint32_t fontId) { return AsFont(fonts_->Take(fontId)); }

int GFontDatabase::Contains(uint32_t fontId) const { return fonts_->Contains(fontId); }

int GFontDatabase::Release(uint32_t fontId)
{
    GObjectBase* object = fonts_->Take(fontId);
    if (!object)
        return 0;
    GFont* font = AsFont(object);
    if (!font || font->RemoveUser() == 0)
        delete object;
    return 1;
}

void GFontDatabase::ReleaseJob()
{
    fonts_->Visit();
    if (GTTFontFilePool* pool = GTTFontFilePool::Existing())
        pool->ReleaseJob(JobId());
}

uint32_t GFontDatabase::GetCount() const { return fonts_->GetCount(); }

// Messages of the list (object: the new or visited font; argument: the stored font):
// 1 releases a font only the database holds; 3 counts a font read as held by the
// database alone; 5 lets a newer font read back replace a stored one that only the
// database holds, or merges it into one that references hold; 6 compares.
int GFontDatabase::DescriptionRule(GObjectBase* object, uint32_t message, uintptr_t argument)
{
    GFont* font = AsFont(object);
    GFont* stored = AsFont(reinterpret_cast<GObjectBase*>(argument));
    switch (message) {
    case kWritten:
        return 1;
    case kWriteOrRelease:
        if (font && font->GetUserCount() == 1) {
            font->SetUserCount(0);
            return 1;
        }
        return 0;
    case kInserted:
        if (font)
            font->SetUserCount(1);
        return 0;
    case kReadOverStored:
        if (!font || !stored || font->GetUseCounter() <= stored->GetUseCounter())
            return 0;
        if (stored->GetUserCount() < 2) {
            stored->RemoveUser();
            font->SetUserCount(1);
            return 1;
        }
        stored->Merge(*font);
        stored->SetUseCounter(font->GetUseCounter());
        return 0;
    case kCompare:
        return stored && font && stored->IsEqual(font) ? 1 : 0;
    default:
        return 0;
    }
}

// The write of a save: the fonts marked used, each mark cleared once written.
int GFontDatabase::UsedRule(GObjectBase* object, uint32_t message, uintptr_t)
{
    GFont* font = AsFont(object);
    if (!font)
        return 0;
    if (message == kCount || message == kWriteOrRelease)
        return font->IsUsed() == 1 ? 1 : 0;
    if (message == kWritten)
        font->ClearUsed();
    return 0;
}

template <class Out>
int GFontDatabase::SaveTo(Out& out)
{
    GTTFontFilePool::Instance()->WriteJob(out, JobId());
    if (Failed(out))
        return 0;
    fonts_->Write(out, &UsedRule, 0);
    ReleaseJob();
    return Failed(out) ? 0 : 1;
}

int GFontDatabase::SaveToBinaryFile(RWBinaryFile& file) { return SaveTo(file); }

int GFontDatabase::SaveToStream(RWDataOutStream& stream) { return SaveTo(stream); }

int GFontDatabase::SaveToFile(const RWWString& name)
{
    RWBinaryFile file(Narrow(name).Data(), "wb");
    if (!file.IsValid())
        return 0;
    // The runtime holds the last bytes until the flush: a save is whole only when they
    // reached the file too.
    const int saved = SaveToBinaryFile(file) && file.Flush() ? 1 : 0;
    writtenFiles_.push_back(name);
    return saved;
}

template <class In>
int GFontDatabase::LoadFrom(In& in)
{
    RWErrorCapture capture;
    ReleaseJob();
    if (!GTTFontFilePool::Instance()->ReadJob(in, JobId()))
        return 0;
    return fonts_->Read(in) && capture.Empty() && !ReadFailed(in) ? 1 : 0;
}

int GFontDatabase::LoadFromStream(RWDataInStream& stream) { return LoadFrom(stream); }

int GFontDatabase::LoadFromFile(const RWWString& name)
{
    if (!currentFile_.IsNull() && currentFile_ == name)
        return 1;
    RWBinaryFile file(Narrow(name).Data(), "rb");
    if (!file.IsValid())
        return 0;
    const int loaded = LoadFrom(file);
    currentFile_ = loaded ? name : RWWString();
    return loaded;
}
