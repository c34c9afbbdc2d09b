// A private folder holding copies of the module and of the sibling library of
// application flags, taken from beside the test program. Tests load these copies, never
// the files in the spooler's driver folder, so that loading and unloading them touches
// nothing another test program uses. The folder is removed when its files can go.
#pragma once

#include <windows.h>

#include <string>

class ModuleCopy {
public:
    // Copies each named file of the program's folder into a folder made for it. A folder
    // that is there already is never taken: Wine refuses to delete a library that is still
    // mapped (a keep-alive may hold one past its test), so such a file stays with its
    // folder, and Wine hands the same process ids out again; a later copy in that folder
    // would find a library beside the module that it never copied.
    explicit ModuleCopy(std::initializer_list<const wchar_t*> files)
    {
        static LONG counter = 0;
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        bool made = false;
        for (int tries = 0; tries < 1000 && !made; ++tries) {
            folder_ = std::wstring(base) + L"qzmodule-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                      std::to_wstring(InterlockedIncrement(&counter));
            made = CreateDirectoryW(folder_.c_str(), nullptr) != 0;
        }
        ok_ = made;
        for (const wchar_t* file : files)
            ok_ = ok_ && CopyFileW((ProgramFolder() + L"\\" + file).c_str(), Path(file).c_str(), FALSE);
        for (const wchar_t* file : files)
            files_ += made ? std::wstring(file) + L'|' : std::wstring();
    }
    ~ModuleCopy()
    {
        size_t start = 0;
        for (size_t bar; (bar = files_.find(L'|', start)) != std::wstring::npos; start = bar + 1)
            DeleteFileW(Path(files_.substr(start, bar - start).c_str()).c_str());
        RemoveDirectoryW(folder_.c_str());
    }
    ModuleCopy(const ModuleCopy&) = delete;
    ModuleCopy& operator=(const ModuleCopy&) = delete;

    bool Ok() const { return ok_; }
    std::wstring Path(const wchar_t* file) const { return folder_ + L"\\" + file; }

    static std::wstring ProgramFolder()
    {
        wchar_t path[MAX_PATH];
        const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring folder(path, n);
        return folder.substr(0, folder.find_last_of(L'\\'));
    }

    // Polls until the module of that path is no longer mapped; false at the limit.
    static bool WaitUntilUnmapped(const std::wstring& path, DWORD limitMs)
    {
        for (DWORD waited = 0; GetModuleHandleW(path.c_str()); waited += 10) {
            if (waited >= limitMs)
                return false;
            Sleep(10);
        }
        return true;
    }

private:
    std::wstring folder_;
    std::wstring files_;
    bool ok_ = false;
};
