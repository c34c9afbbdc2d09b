// A file name in a fresh temporary folder of the test run, removed again at the end.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

class TempPath {
public:
    explicit TempPath(const std::string& leaf) : path_(Folder() + "\\" + leaf) { std::remove(path_.c_str()); }
    ~TempPath() { std::remove(path_.c_str()); }
    TempPath(const TempPath&) = delete;
    TempPath& operator=(const TempPath&) = delete;

    const char* c_str() const { return path_.c_str(); }
    const std::string& str() const { return path_; }

    // The folder of the test run's temporary files.
    static std::string Folder()
    {
        static const std::string folder = [] {
            char base[MAX_PATH];
            GetTempPathA(MAX_PATH, base);
            std::string name = std::string(base) + "qztest-" + std::to_string(GetCurrentProcessId());
            CreateDirectoryA(name.c_str(), nullptr);
            return name;
        }();
        // Removed at exit once the tests have removed their files.
        static const struct Remover {
            ~Remover() { RemoveDirectoryA(folder.c_str()); }
        } remover;
        return folder;
    }

private:
    std::string path_;
};
