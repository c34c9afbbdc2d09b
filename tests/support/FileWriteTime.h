// A file's last write time, read or set without touching its bytes: what tells the
// module's kept files, models and libraries that a file changed.
#pragma once

#include <windows.h>

#include <string>

// The write time into time, or it set to time when set is true; false when the file does
// not open.
inline bool FileWriteTime(const std::wstring& path, FILETIME& time, bool set = false)
{
    HANDLE file = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const bool done = set ? SetFileTime(file, nullptr, nullptr, &time) : GetFileTime(file, nullptr, nullptr, &time);
    CloseHandle(file);
    return done;
}
