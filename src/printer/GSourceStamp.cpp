#include "printer/GSourceStamp.h"

#include "printer/GPlatformCalls.h"

#include <windows.h>

GSourceStamp GSourceStamp::OfVersion(uint64_t version)
{
    GSourceStamp stamp;
    stamp.known_ = version != 0;
    stamp.version_ = version;
    return stamp;
}

GSourceStamp GSourceStamp::OfFile(const std::wstring& path, uint64_t size, uint64_t lastWrite)
{
    GSourceStamp stamp;
    stamp.known_ = !path.empty();
    stamp.path_ = path;
    stamp.size_ = size;
    stamp.lastWrite_ = lastWrite;
    return stamp;
}

GSourceStamp GSourceStamp::OfFile(const std::wstring& path)
{
    if (path.empty())
        return GSourceStamp();
    GPlatformCalls::Count(GPlatformCalls::kFileLook);
    WIN32_FILE_ATTRIBUTE_DATA info = {};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return GSourceStamp();
    return OfFile(path, (uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow,
                  (uint64_t(info.ftLastWriteTime.dwHighDateTime) << 32) | info.ftLastWriteTime.dwLowDateTime);
}

bool GSourceStamp::Answers(const GSourceStamp& now) const
{
    return known_ && now.known_ && version_ == now.version_ && path_ == now.path_ && size_ == now.size_ &&
           lastWrite_ == now.lastWrite_;
}
