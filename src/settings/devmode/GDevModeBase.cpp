#include "settings/devmode/GDevModeBase.h"

#include "foundation/RWErrorCapture.h"
#include "model/ForEachMember.h"
#include "model/GAttributeComposite.h"
#include "model/GFeatureIds.h"
#include "model/GLZWCodec.h"
#include "model/GStreamHolder.h"
#include "model/GValueAttribute.h"
#include "model/GZlibCodec.h"
#include "printer/GDriverObject.h"
#include "printer/GSettingsClasses.h"

#include <cstddef>
#include <cstring>
#include <istream>
#include <memory>
#include <ostream>
#include <vector>

// The layout is a stored format: these must never change.
static_assert(GDevModeBase::kPublicSize + GDevModeBase::kPrivateHeaderSize + GDevModeBase::kPrivateDataSize ==
                  GDevModeBase::kTotalSize,
              "220 + 46 + 906 = 1172");
static_assert(GDevModeBase::kPrivateDataSize - 4 == GDevModeBase::kPackedCapacity, "906 - 4 = 902");
static_assert(GDevModeBase::kDriverExtra == 952, "the private part");
static_assert(sizeof(DEVMODEW) == GDevModeBase::kPublicSize, "DEVMODEW is 220 bytes on i686");
static_assert(GDevModeBase::kPackedLengthAt == GDevModeBase::kPublicSize + GDevModeBase::kPrivateHeaderSize,
              "the data area follows the header");
static_assert(GDevModeBase::kPackedAt == GDevModeBase::kPublicSize + GDevModeBase::kPackedOffset,
              "packed data at the offset the header names");
static_assert(GDevModeBase::kPackedAt + GDevModeBase::kPackedCapacity == GDevModeBase::kTotalSize,
              "the room ends the DEVMODE");
static_assert(GDevModeBase::kDriverNameAt + GDevModeBase::kDriverNameLength == GDevModeBase::kAppFlagsAt,
              "header fields in order");
static_assert(offsetof(DEVMODEW, dmSpecVersion) == 64 && offsetof(DEVMODEW, dmSize) == 68 &&
                  offsetof(DEVMODEW, dmDriverExtra) == 70 && offsetof(DEVMODEW, dmFields) == 72 &&
                  offsetof(DEVMODEW, dmOrientation) == 76 && offsetof(DEVMODEW, dmDefaultSource) == 88 &&
                  offsetof(DEVMODEW, dmColor) == 92 && offsetof(DEVMODEW, dmFormName) == 102 &&
                  offsetof(DEVMODEW, dmICMMethod) == 188 && offsetof(DEVMODEW, dmPanningHeight) == 216,
              "the public fields where the private part's readers expect them");

namespace {

const size_t kSizeAt = offsetof(DEVMODEW, dmSize);
const size_t kDriverExtraAt = offsetof(DEVMODEW, dmDriverExtra);
// The serialized tree plus the 0 appended after it.
const uint32_t kInflateRoom = GDevModeBase::kSerializeRoom - 1;

} // namespace

GDevModeBase::GDevModeBase(GDriverObject* driver)
    : driver_(driver), buffer_(new uint8_t[kTotalSize]()), ownsBuffer_(1), bufferSize_(kTotalSize), loaded_(0),
      formatChoice_(0xFFFF), tree_(nullptr), emf_(0)
{
    PutWord(buffer_, kTotalSizeAt, uint16_t(kTotalSize));
    PutWord(buffer_, kHeaderSizeAt, uint16_t(kPrivateHeaderSize));
    PutDoubleWord(buffer_, kAppFlagsAt, 0);
    PutWord(buffer_, kTimeBiasAt, 0);
    PutWord(buffer_, kVersionAt, kPrivateVersion);
    PutWord(buffer_, kPackedOffsetAt, kPackedOffset);
    PutWord(buffer_, kPackedLengthAt, 0);
}

GDevModeBase::GDevModeBase(const GDevModeBase& other) : GDevModeBase(other.driver_)
{
    if (other.bufferSize_ == bufferSize_)
        std::memcpy(buffer_, other.buffer_, bufferSize_);
    loaded_ = other.loaded_;
    formatChoice_ = other.formatChoice_;
    emf_ = other.emf_;
    tree_ = other.tree_ ? other.tree_->DeepCopy() : nullptr;
}

GDevModeBase::~GDevModeBase()
{
    if (ownsBuffer_)
        delete[] buffer_;
    delete tree_;
}

uint16_t GDevModeBase::Word(const void* devMode, size_t at)
{
    const uint8_t* bytes = static_cast<const uint8_t*>(devMode) + at;
    return uint16_t(bytes[0] | bytes[1] << 8);
}

uint32_t GDevModeBase::DoubleWord(const void* devMode, size_t at)
{
    return uint32_t(Word(devMode, at)) | uint32_t(Word(devMode, at + 2)) << 16;
}

void GDevModeBase::PutWord(void* devMode, size_t at, uint16_t value)
{
    uint8_t* bytes = static_cast<uint8_t*>(devMode) + at;
    bytes[0] = uint8_t(value), bytes[1] = uint8_t(value >> 8);
}

void GDevModeBase::PutDoubleWord(void* devMode, size_t at, uint32_t value)
{
    PutWord(devMode, at, uint16_t(value));
    PutWord(devMode, at + 2, uint16_t(value >> 16));
}

uint16_t GDevModeBase::FormatChoice()
{
    if (formatChoice_ != 0xFFFF)
        return formatChoice_;
    // Only a found choice is kept: a driver object without its configuration yet must
    // not decide the coding for the life of this object.
    bool found = false;
    const uint16_t choice = driver_ ? driver_->GetStoredFormChoice(&found) : 0;
    if (found)
        formatChoice_ = choice;
    return choice;
}

void GDevModeBase::WriteDriverName()
{
    if (!driver_)
        return;
    const RWWString& name = driver_->GetSecondName();
    uint8_t wanted[kDriverNameLength] = {};
    const size_t length = name.Length() < kDriverNameLength ? name.Length() : kDriverNameLength;
    for (size_t i = 0; i < length; ++i)
        wanted[i] = uint8_t(name.Data()[i]);
    if (std::memcmp(buffer_ + kDriverNameAt, wanted, length + (length < kDriverNameLength ? 1 : 0)) != 0)
        std::memcpy(buffer_ + kDriverNameAt, wanted, kDriverNameLength);
}

void GDevModeBase::WriteFreshHeader()
{
    PutWord(buffer_, kTotalSizeAt, uint16_t(kTotalSize));
    PutWord(buffer_, kHeaderSizeAt, uint16_t(kPrivateHeaderSize));
    std::memset(buffer_ + kDriverNameAt, 0, kDriverNameLength);
    WriteDriverName();
    PutDoubleWord(buffer_, kAppFlagsAt, 0);
    PutWord(buffer_, kTimeBiasAt, 0);
    PutWord(buffer_, kVersionAt, kPrivateVersion);
    PutWord(buffer_, kPackedOffsetAt, kPackedOffset);
    PutWord(buffer_, kPackedLengthAt, 0);
    PutWord(buffer_, kCapacityAt, uint16_t(kPackedCapacity));
    buffer_[kPackedAt] = 0;
}

void GDevModeBase::BindDriver(GDriverObject* driver)
{
    driver_ = driver;
    WriteDriverName();
}

int GDevModeBase::CopyOut(DEVMODEW* devMode)
{
    if (!devMode)
        return 0;
    uint8_t* out = reinterpret_cast<uint8_t*>(devMode);
    CopyPublicOut(devMode);
    // Field by field, then the whole data room: a damaged capacity word never decides
    // how much is copied.
    static const struct {
        size_t at;
        size_t size;
    } kHeaderFields[] = {{kTotalSizeAt, 2}, {kHeaderSizeAt, 2}, {kAppFlagsAt, 4},   {kTimeBiasAt, 2},
                         {kDriverNameAt, kDriverNameLength},     {kVersionAt, 2},   {kPackedOffsetAt, 2},
                         {kPackedLengthAt, 2},                  {kCapacityAt, 2}};
    for (const auto& field : kHeaderFields)
        CopyBytes(out + field.at, buffer_ + field.at, uint32_t(field.size));
    CopyBytes(out + kPackedAt, buffer_ + kPackedAt, kPackedCapacity);
    return 1;
}

int GDevModeBase::CopyIn(const GDevModeBase& other)
{
    if (&other == this || other.bufferSize_ < kTotalSize || bufferSize_ < kTotalSize)
        return 0;
    std::memcpy(buffer_, other.buffer_, kPublicSize);
    std::memcpy(buffer_ + kTotalSizeAt, other.buffer_ + kTotalSizeAt, kPackedAt - kTotalSizeAt);
    // Byte 255 ends the name in this object's own buffer.
    buffer_[kDriverNameAt + kDriverNameLength - 1] = 0;
    std::memcpy(buffer_ + kPackedAt, other.buffer_ + kPackedAt, kPackedCapacity);
    return 1;
}

int GDevModeBase::IsCompatible(const DEVMODEW* devMode)
{
    if (!devMode)
        return 0;
    // Nothing past the public fields is read before the sizes say it is there.
    if (Word(devMode, kSizeAt) != kPublicSize || Word(devMode, kDriverExtraAt) < kPackedOffset)
        return 0;
    const char* theirs = reinterpret_cast<const char*>(devMode) + kDriverNameAt;
    const char* ours = reinterpret_cast<const char*>(buffer_) + kDriverNameAt;
    if (theirs[0] == 0 || std::strncmp(theirs, ours, kDriverNameLength) != 0)
        return 0;
    if (FormatChoice() == 1)
        return 1;
    for (size_t at : {kTotalSizeAt, kHeaderSizeAt, kVersionAt, kPackedOffsetAt, kCapacityAt})
        if (Word(devMode, at) != Word(buffer_, at))
            return 0;
    return 1;
}

DEVMODEW* GDevModeBase::GetDevMode() { return reinterpret_cast<DEVMODEW*>(buffer_); }
GObjectBase* GDevModeBase::GetSettingsTree() { return tree_; }
uint32_t GDevModeBase::GetTotalSize() { return kTotalSize; }
uint32_t GDevModeBase::GetPublicSize() { return kPublicSize; }
uint32_t GDevModeBase::GetPrivateHeaderSize() { return kPrivateHeaderSize; }
uint32_t GDevModeBase::GetPrivateDataSize() { return kPrivateDataSize; }
uint32_t GDevModeBase::GetSize() { return GetTotalSize(); }
int GDevModeBase::IsLoaded() { return int(loaded_); }

namespace {

uint16_t TreeValue(GObjectBase* tree, long id)
{
    GObjectBase* found = tree ? tree->FindById(id) : nullptr;
    return found && found->IsKindOf(GValueAttribute::kClassId) ? static_cast<GValueAttribute*>(found)->GetValue() : 0;
}

// The resolution node with both resolutions: what a job needs first to print.
bool HoldsResolution(GObjectBase* tree)
{
    GObjectBase* resolution = tree ? tree->FindById(FeatureId::kResolutionNode) : nullptr;
    return resolution && TreeValue(resolution, FeatureId::kXResolution) != 0 &&
           TreeValue(resolution, FeatureId::kYResolution) != 0;
}

// The composite that holds a member of the id, at any depth; null when none does.
GObjectBase* HolderOf(GObjectBase* holder, long id)
{
    GObjectBase* found = nullptr;
    ForEachMember(holder, [&](GObjectBase* member) {
        if (member->GetId() == id)
            found = holder;
        else if (member->IsKindOf(GAttributeComposite::kClassId))
            found = HolderOf(member, id);
        return !found;
    });
    return found;
}

} // namespace

uint16_t GDevModeBase::GetXResolution() { return TreeValue(tree_, FeatureId::kXResolution); }
uint16_t GDevModeBase::GetYResolution() { return TreeValue(tree_, FeatureId::kYResolution); }

int GDevModeBase::CopyBytes(void* destination, const void* source, uint32_t count)
{
    std::memcpy(destination, source, count);
    return 1;
}

int GDevModeBase::CopyBytesAgain(void* destination, const void* source, uint32_t count)
{
    return CopyBytes(destination, source, count);
}

int GDevModeBase::CopyPublicOut(DEVMODEW* devMode)
{
    std::memcpy(devMode, buffer_, kPublicSize);
    return 1;
}

int GDevModeBase::CopyPublicIn(const DEVMODEW* devMode)
{
    std::memcpy(buffer_, devMode, kPublicSize);
    return 1;
}

uint32_t GDevModeBase::GetAppFlagsStamp() const { return DoubleWord(buffer_, kAppFlagsAt); }
void GDevModeBase::SetAppFlagsStamp(uint32_t flags) { PutDoubleWord(buffer_, kAppFlagsAt, flags); }
void GDevModeBase::GetTimeBias(int16_t& minutes) const { minutes = int16_t(Word(buffer_, kTimeBiasAt)); }
void GDevModeBase::SetTimeBias(int16_t minutes) { PutWord(buffer_, kTimeBiasAt, uint16_t(minutes)); }

void GDevModeBase::SetTree(GObjectBase* tree)
{
    if (tree == tree_)
        return;
    delete tree_;
    tree_ = tree;
}

uint32_t GDevModeBase::ReadableSize(const void* devMode) const
{
    if (devMode == buffer_)
        return bufferSize_;
    return uint32_t(Word(devMode, kSizeAt)) + Word(devMode, kDriverExtraAt);
}

uint16_t GDevModeBase::PackSettings(uint8_t* devMode, const GObjectBase* tree)
{
    if (!devMode || !tree)
        return 0;
    const bool portable = FormatChoice() == 1;
    std::vector<uint8_t> serialized(kSerializeRoom, 0);
    std::streamoff length = 0;
    {
        GOutStreamHolder holder(serialized.data(), kSerializeRoom, 1);
        RWDataOutStream* stream = holder.GetStream();
        if (!stream)
            return 0;
        // A tree too large for the room is a failed pack, never a reported error. The
        // process's serial numbers stay out, so equal settings pack to equal bytes.
        RWErrorCapture capture;
        GObjectBase::SerialsOmitted serialsOmitted;
        const int written = portable ? serializer_.Save(tree, *stream, &holder, GSettingsTreeSerializer::kPortable)
                                     : (*stream << static_cast<const RWCollectable*>(tree), 1);
        stream->Flush();
        if (!written || !stream->Good() || !capture.Empty())
            return 0;
        length = holder.Tell();
    }
    if (length <= 0 || length > std::streamoff(kSerializeRoom))
        return 0;
    // Only the bytes serialized are compressed, into exactly the 902 bytes of room.
    GInStreamHolder in(serialized.data(), uint32_t(length), 1);
    GOutStreamHolder out(devMode + kPackedAt, kPackedCapacity, 1);
    GZlibCodec codec;
    if (codec.CompressStream(in.Runtime(), out.Runtime()) != 1)
        return 0;
    const std::streamoff packed = out.Tell();
    return packed >= 1 && packed <= std::streamoff(kPackedCapacity) ? uint16_t(packed) : 0;
}

GObjectBase* GDevModeBase::UnpackSettings(const DEVMODEW* devMode, uint32_t flags)
{
    if (!devMode)
        return nullptr;
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(devMode);
    const uint32_t readable = ReadableSize(devMode);
    if (readable < kPackedAt + 1 || (devMode != GetDevMode() && Word(devMode, kSizeAt) != kPublicSize))
        return nullptr;
    const bool portable = FormatChoice() == 1;
    if (Word(devMode, kCapacityAt) == 0 || bytes[kPackedAt] == 0)
        return nullptr;
    // The stored length is never trusted: it must lie inside the room and the DEVMODE.
    const uint32_t length = Word(devMode, kPackedLengthAt);
    if (length == 0 || length > kPackedCapacity || length > readable - kPackedAt)
        return nullptr;

    // The room keeps one zero byte after whatever inflates into it.
    std::vector<uint8_t> inflated(kSerializeRoom, 0);
    std::streamoff size = 0;
    {
        GInStreamHolder in(bytes + kPackedAt, length, 1);
        GOutStreamHolder out(inflated.data(), kInflateRoom, 1);
        uint32_t done = 0;
        if (flags & kLzwCodec) {
            GLZWCodec codec;
            done = codec.Decompress(in.Runtime(), out.Runtime());
        } else {
            GZlibCodec codec;
            done = codec.UncompressStream(in.Runtime(), out.Runtime());
        }
        out.Runtime().flush();
        size = out.Tell();
        if (done != 1 || !out.Runtime().good() || size <= 0 || size > std::streamoff(kInflateRoom))
            return nullptr;
    }

    GInStreamHolder holder(inflated.data(), uint32_t(size) + 1, 1);
    RWDataInStream* stream = holder.GetStream();
    if (!stream)
        return nullptr;
    RWErrorCapture capture;
    if (portable && !(flags & kNativeCoding)) {
        std::unique_ptr<GObjectBase> tree(
            serializer_.Load(*stream, &holder, driver_, GSettingsTreeSerializer::kPortable));
        if (!capture.Empty() || !IsSettingsRoot(tree.get()))
            return nullptr;
        CompleteSettings(tree.get());
        return tree.release();
    }
    // Only a composite of the classes settings are made of is taken: another class, at
    // the root or anywhere below, is refused before it is made and fails the read.
    GAttributeComposite* tree = nullptr;
    {
        GSettingsClasses::Scope settingsOnly;
        *stream >> tree;
    }
    if (!capture.Empty() || stream->Fail() || !IsSettingsRoot(tree)) {
        GObjectBase::Drop(tree);
        return nullptr;
    }
    CompleteSettings(tree);
    return tree;
}

bool GDevModeBase::IsSettingsRoot(const GObjectBase* tree)
{
    return tree && tree->ClassId() == GAttributeComposite::kClassId && tree->GetId() == FeatureId::kDefaultTreeRoot;
}

void GDevModeBase::CompleteSettings(GObjectBase* tree)
{
    if (!tree || HoldsResolution(tree) || !driver_)
        return;
    std::unique_ptr<GObjectBase> defaults(driver_->CreateDefaultSettings());
    GObjectBase* holder = defaults ? HolderOf(defaults.get(), FeatureId::kResolutionNode) : nullptr;
    if (!holder)
        return;
    // The resolution first: the defaults' takes the place of one without both values,
    // under the member that holds it in the defaults (the root when the tree lacks it).
    while (GObjectBase* removed = tree->RemoveById(FeatureId::kResolutionNode))
        delete removed;
    GObjectBase* target = holder == defaults.get() ? tree : tree->FindById(holder->GetId());
    if (!target || !target->IsKindOf(GAttributeComposite::kClassId))
        target = tree;
    if (GObjectBase* resolution = holder->FindById(FeatureId::kResolutionNode))
        target->Add(resolution->DeepCopy());
    // Then each of the defaults' own members that the tree holds nowhere; what the
    // document holds stays as it is.
    std::vector<GObjectBase*> missing;
    ForEachMember(defaults.get(), [&](GObjectBase* member) {
        if (!tree->FindById(member->GetId()))
            missing.push_back(member);
    });
    for (GObjectBase* member : missing)
        if (GObjectBase* copy = member->DeepCopy())
            tree->Add(copy);
}

GObjectBase* GDevModeBase::ToCurrentForm(GObjectBase* old)
{
    std::unique_ptr<GObjectBase> owned(old);
    if (!old)
        return nullptr;
    std::vector<uint8_t> room(kSerializeRoom, 0);
    GOutStreamHolder out(room.data(), kSerializeRoom, 1);
    if (!out.GetStream() || !serializer_.Save(old, *out.GetStream(), &out, GSettingsTreeSerializer::kPortable))
        return owned.release();
    out.GetStream()->Flush();
    const std::streamoff length = out.Tell();
    if (!out.GetStream()->Good() || length <= 0)
        return owned.release();
    GInStreamHolder in(room.data(), uint32_t(length), 1);
    std::unique_ptr<GObjectBase> fresh(
        in.GetStream() ? serializer_.Load(*in.GetStream(), &in, driver_, GSettingsTreeSerializer::kPortable) : nullptr);
    if (!fresh)
        return owned.release();
    if (driver_) {
        std::unique_ptr<GObjectBase> oldCopy(old->DeepCopy());
        driver_->CopyAttributeTable(oldCopy.get(), fresh.get());
    }
    return fresh.release();
}

int GDevModeBase::MergeDevMode(const DEVMODEW* devMode)
{
    if (!devMode)
        return 0;
    GObjectBase* fresh = nullptr;
    if (IsCompatible(devMode)) {
        // A DEVMODE of this driver brings its stamps, whether or not its settings read.
        SetAppFlagsStamp(DoubleWord(devMode, kAppFlagsAt));
        SetTimeBias(int16_t(Word(devMode, kTimeBiasAt)));
        // The given DEVMODE in every coding first, so that a document of an older coding
        // keeps its own settings; the object's own buffer only after it.
        static const uint32_t kOlderCodings[] = {kNativeCoding, kNativeCoding | kLzwCodec};
        fresh = UnpackSettings(devMode, 0);
        for (uint32_t flags : kOlderCodings)
            if (!fresh && (fresh = UnpackSettings(devMode, flags)) != nullptr)
                fresh = ToCurrentForm(fresh);
        for (uint32_t flags : kOlderCodings)
            if (!fresh && (fresh = UnpackSettings(GetDevMode(), flags)) != nullptr)
                fresh = ToCurrentForm(fresh);
    }
    if (fresh) {
        FromDevMode(devMode, fresh);
        SetTree(fresh);
    } else {
        FromDevMode(devMode, tree_);
    }
    Pack(nullptr);
    return 1;
}

int GDevModeBase::PackOwn(GObjectBase* tree)
{
    if (!tree)
        return 0;
    SetTree(tree);
    return Pack(nullptr);
}

int GDevModeBase::Pack(const GObjectBase* tree)
{
    if (tree) {
        GObjectBase* copy = tree->DeepCopy();
        if (!copy)
            return 0;
        SetTree(copy);
    }
    const int result = ToDevMode(tree_, GetDevMode());
    if (result != 1 || bufferSize_ < kTotalSize)
        return result;
    PutWord(buffer_, kVersionAt, kPrivateVersion);
    PutWord(buffer_, kPackedOffsetAt, kPackedOffset);
    const uint16_t packed = PackSettings(buffer_, tree_);
    if (!packed)
        return 0;
    PutWord(buffer_, kPackedLengthAt, packed);
    return 1;
}
