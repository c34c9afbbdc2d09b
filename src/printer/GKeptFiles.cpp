#include "printer/GKeptFiles.h"

#include "printer/GPlatformCalls.h"
#include "printer/GPrinterSnapshot.h"

#include <algorithm>

struct GKeptFiles::File {
    GSourceStamp stamp;
    uint64_t used = 0;
    Bytes bytes;
};

namespace {

// The whole file, of the size expected: a file that changed size meanwhile is not read.
GKeptFiles::Bytes ReadWhole(const std::wstring& path, uint64_t size)
{
    GPlatformCalls::Count(GPlatformCalls::kFileOpen);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return nullptr;
    std::shared_ptr<std::vector<uint8_t>> bytes = std::make_shared<std::vector<uint8_t>>(size_t(size));
    DWORD read = 0;
    uint8_t probe = 0;
    const bool whole = (size == 0 || (ReadFile(file, bytes->data(), DWORD(size), &read, nullptr) && read == size)) &&
                       ReadFile(file, &probe, 1, &read, nullptr) && read == 0;
    CloseHandle(file);
    return whole ? bytes : nullptr;
}

} // namespace

GKeptFiles::GKeptFiles() : lastUse_(0) { InitializeSRWLock(&lock_); }

GKeptFiles::~GKeptFiles() = default;

GKeptFiles::Bytes GKeptFiles::Read(const RWWString& name)
{
    if (name.IsNull() || name.Length() == 0)
        return nullptr;
    const std::wstring path(name.Data(), name.Length());
    // The file as this entry call sees it: the stamp a model read from it records.
    const GSourceStamp seen = GPrinterSnapshot::File(path);
    if (!seen.IsKnown() || seen.Size() > kLargestFile)
        return nullptr;
    {
        GPlatformCalls::LockGuard guard(lock_, false);
        for (const std::unique_ptr<File>& file : files_)
            if (file->stamp.Answers(seen)) {
                file->used = ++lastUse_;
                return file->bytes;
            }
    }

    // Read outside the lock: other threads find their files meanwhile.
    Bytes bytes = ReadWhole(path, seen.Size());
    // Kept only when the file did not change while it was read.
    if (!bytes || !seen.Answers(GSourceStamp::OfFile(path)))
        return bytes;
    GPlatformCalls::LockGuard guard(lock_, false);
    for (auto it = files_.begin(); it != files_.end(); ++it)
        if ((*it)->stamp.Path() == path) {
            files_.erase(it);
            break;
        }
    if (files_.size() >= kMostFiles) {
        files_.erase(std::min_element(files_.begin(), files_.end(),
                                      [](const auto& a, const auto& b) { return a->used < b->used; }));
    }
    std::unique_ptr<File> file(new File);
    file->stamp = seen;
    file->used = ++lastUse_;
    file->bytes = bytes;
    files_.push_back(std::move(file));
    return bytes;
}
