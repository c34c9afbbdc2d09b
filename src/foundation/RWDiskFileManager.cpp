#include "foundation/RWDiskFileManager.h"

#include "foundation/RWErrorHandler.h"
#include "foundation/RWFreeSpaceList10.h"
#include "foundation/RWFreeSpaceList32.h"

namespace {

// What an empty file gets: no start yet, used space ending behind the first list block.
const uint32_t kNewFileEnd = RWDiskFileManager::kFirstListBlock + RWFreeSpaceList32::kBlockSize;

} // namespace

void RWRaiseFileError(RWBinaryFile& file, uint32_t kind)
{
    const RWMessageId& id = kind == 1 ? RWMessageSeekError() : kind == 2 ? RWMessageReadError() : RWMessageWriteError();
    RWRaise(RWFileError(RWMessageText(id), file.Handle(), kind));
}

RWDiskFileManager::RWDiskFileManager(const char* name, const char* mode)
    : RWBinaryFile(name, mode), start_(kNone), end_(kNone), blockSize_(0)
{
    Open();
}

RWDiskFileManager::RWDiskFileManager(const char* name, const char* mode, size_t chunkBytes, size_t chunks)
    : RWBinaryFile(name, mode), start_(kNone), end_(kNone), blockSize_(0)
{
    Buffer(chunkBytes, chunks);
    Open();
}

void RWDiskFileManager::Open()
{
    if (!IsValid())
        return;
    if (IsEmpty())
        Initialise();
    else
        ReadHeader();
}

RWDiskFileManager::~RWDiskFileManager() { list_.reset(); }

bool RWDiskFileManager::Initialise()
{
    const uint32_t header[3] = {kNone, kNewFileEnd, RWFreeSpaceList32::kBlockSize};
    if (!WriteAt(0, header, sizeof header))
        return false;
    start_ = kNone;
    end_ = kNewFileEnd;
    blockSize_ = RWFreeSpaceList32::kBlockSize;
    list_.reset(new RWFreeSpaceList32(*this));
    if (!list_->Create()) {
        list_.reset();
        return false;
    }
    return true;
}

bool RWDiskFileManager::ReadHeader()
{
    uint32_t header[3];
    if (!ReadAt(0, header, sizeof header))
        return false;
    const uint32_t start = header[0], end = header[1], blockSize = header[2];
    if (blockSize != RWFreeSpaceList32::kBlockSize && blockSize != RWFreeSpaceList10::kBlockSize) {
        RWRaiseExternal(RWMessageFreeListError(), static_cast<long>(RWFreeSpaceList32::kBlockSize),
                        static_cast<long>(blockSize));
        return false;
    }
    if (end % 4 != 0 || end < kFirstListBlock + blockSize || end > kMaxFileSize) {
        RWRaiseExternal(RWMessageLongIndex(), static_cast<unsigned long>(end),
                        static_cast<unsigned long>(kMaxFileSize));
        return false;
    }
    start_ = start;
    end_ = end;
    blockSize_ = blockSize;
    if (start != kNone && !IsPlausibleBlock(start, 4)) {
        RWRaiseExternal(RWMessageLongIndex(), static_cast<unsigned long>(start), static_cast<unsigned long>(end));
        start_ = end_ = kNone;
        blockSize_ = 0;
        return false;
    }
    if (blockSize == RWFreeSpaceList32::kBlockSize)
        list_.reset(new RWFreeSpaceList32(*this));
    else
        list_.reset(new RWFreeSpaceList10(*this));
    if (!list_->Open()) {
        list_.reset();
        return false;
    }
    return true;
}

uint32_t RWDiskFileManager::Allocate(uint32_t n)
{
    if (!list_)
        return kNone;
    const uint32_t offset = list_->Allocate(n);
    if (offset != kNone && start_ == kNone) {
        if (!WriteHeaderWord(0, offset))
            return kNone;
        start_ = offset;
    }
    return offset;
}

void RWDiskFileManager::Deallocate(uint32_t dataOffset)
{
    if (!list_ || dataOffset == kNone || dataOffset == start_)
        return;
    list_->Deallocate(dataOffset);
}

bool RWDiskFileManager::IsPlausibleBlock(uint32_t dataOffset, uint32_t n) const
{
    if (blockSize_ == 0)
        return false;
    const uint64_t need = n < 4 ? 4 : n;
    return dataOffset % 4 == 0 && dataOffset >= FirstBlock() + 4 && dataOffset + need <= end_;
}

bool RWDiskFileManager::ReadAt(uint32_t offset, void* data, uint32_t n)
{
    if (offset > kMaxFileSize || !SeekTo(static_cast<long>(offset))) {
        RWRaiseFileError(*this, 1);
        return false;
    }
    if (!Read(static_cast<char*>(data), n)) {
        RWRaiseFileError(*this, 2);
        return false;
    }
    return true;
}

bool RWDiskFileManager::WriteAt(uint32_t offset, const void* data, uint32_t n)
{
    if (offset > kMaxFileSize || !SeekTo(static_cast<long>(offset))) {
        RWRaiseFileError(*this, 1);
        return false;
    }
    if (!Write(static_cast<const char*>(data), n)) {
        RWRaiseFileError(*this, 3);
        return false;
    }
    return true;
}

uint32_t RWDiskFileManager::Extend(uint32_t size)
{
    // The file would pass the largest offset it can seek to: as good as a full disk.
    if (size > kMaxFileSize - end_) {
        RWRaiseFileError(*this, 3);
        return kNone;
    }
    const uint32_t block = end_;
    if (!WriteHeaderWord(4, end_ + size))
        return kNone;
    end_ += size;
    return block;
}

bool RWDiskFileManager::SetEnd(uint32_t end)
{
    if (!WriteHeaderWord(4, end))
        return false;
    end_ = end;
    return true;
}

bool RWDiskFileManager::WriteHeaderWord(uint32_t offset, uint32_t value) { return WriteAt(offset, &value, 4); }
