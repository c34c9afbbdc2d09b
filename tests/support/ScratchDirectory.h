// An empty folder of the test run made the current directory for the life of the
// object; the previous current directory comes back, and the folder goes with what it
// holds, at the end.
#pragma once

#include "TempPath.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

class ScratchDirectory {
public:
    explicit ScratchDirectory(const std::string& leaf) : path_(TempPath::Folder() + "\\" + leaf)
    {
        char previous[MAX_PATH] = {};
        const DWORD length = GetCurrentDirectoryA(MAX_PATH, previous);
        previous_ = length > 0 && length < MAX_PATH ? previous : "";
        Clear();
        RemoveDirectoryA(path_.c_str());
        entered_ = CreateDirectoryA(path_.c_str(), nullptr) && SetCurrentDirectoryA(path_.c_str()) && Names().empty();
    }
    ~ScratchDirectory()
    {
        if (!previous_.empty())
            SetCurrentDirectoryA(previous_.c_str());
        Clear();
        RemoveDirectoryA(path_.c_str());
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    bool Entered() const { return entered_; }
    const std::string& Path() const { return path_; }

    // The names in the folder, sorted.
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        WIN32_FIND_DATAA found;
        const HANDLE search = FindFirstFileA((path_ + "\\*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            return names;
        do {
            const std::string name = found.cFileName;
            if (name != "." && name != "..")
                names.push_back(name);
        } while (FindNextFileA(search, &found));
        FindClose(search);
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    void Clear() const
    {
        for (const std::string& name : Names())
            std::remove((path_ + "\\" + name).c_str());
    }

    std::string path_;
    std::string previous_;
    bool entered_ = false;
};
