// A module copied to the root of drive C: with the current folder moved there, for the
// life of the object: where a module named without a folder would be found. The current
// folder comes back and the copy goes however the test ends.
#pragma once

#include <windows.h>

#include <string>

class ModuleAtDriveRoot {
public:
    ModuleAtDriveRoot(const std::wstring& source, const std::wstring& leaf) : copy_(L"C:\\" + leaf)
    {
        wchar_t current[MAX_PATH] = {};
        const DWORD length = GetCurrentDirectoryW(MAX_PATH, current);
        if (length == 0 || length >= MAX_PATH)
            return;
        previous_ = current;
        copied_ = CopyFileW(source.c_str(), copy_.c_str(), FALSE) != FALSE;
        entered_ = copied_ && SetCurrentDirectoryW(L"C:\\");
    }
    ~ModuleAtDriveRoot()
    {
        if (entered_)
            SetCurrentDirectoryW(previous_.c_str());
        if (copied_)
            DeleteFileW(copy_.c_str());
    }
    ModuleAtDriveRoot(const ModuleAtDriveRoot&) = delete;
    ModuleAtDriveRoot& operator=(const ModuleAtDriveRoot&) = delete;

    // The copy is in place and the current folder is the root.
    bool Ready() const { return entered_; }

private:
    std::wstring copy_;
    std::wstring previous_;
    bool copied_ = false;
    bool entered_ = false;
};
