// The tests' hold on a copy of the extension stand-in module: while held, the module
// keeps what the test set (its descriptor, default settings, pages, statuses) across the
// hosts' own loads, and its log can be read.
#pragma once

#include "entry/extensions/ExtensionInterface.h"
#include "entry/module/GUIOSFactory.h"
#include "foundation/RWWString.h"
#include "printer/GOSFactory.h"

#include <windows.h>

#include <cstdint>
#include <string>

class ExtensionStandIn {
public:
    static std::wstring ProgramFolder()
    {
        wchar_t name[MAX_PATH] = {};
        const DWORD length = GetModuleFileNameW(nullptr, name, MAX_PATH);
        std::wstring path(name, length);
        return path.substr(0, path.find_last_of(L'\\'));
    }

    // Puts the module's own system services in place unless those in place already look
    // for modules beside the tests, where the stand-in lies.
    static void UseServicesThatFindIt()
    {
        RWWString folder;
        if (GOSFactory* services = GOSFactory::Instance())
            services->GetModuleDirectory(folder);
        if (folder.CompareTo(RWWString(ProgramFolder().c_str())) != 0)
            new GUIOSFactory;
    }

    // Another extension: a copy of the stand-in under the file name, beside the tests.
    static bool MakeCopy(const wchar_t* name)
    {
        const std::wstring folder = ProgramFolder();
        return CopyFileW((folder + L"\\qzext.dll").c_str(), (folder + L"\\" + name).c_str(), FALSE) != 0;
    }

    explicit ExtensionStandIn(const wchar_t* name)
        : module_(LoadLibraryW((ProgramFolder() + L"\\" + name).c_str()))
    {
        if (module_)
            Call<void (*)()>("QZExtTest_Reset")();
    }
    ~ExtensionStandIn()
    {
        if (module_)
            FreeLibrary(module_);
    }
    ExtensionStandIn(const ExtensionStandIn&) = delete;
    ExtensionStandIn& operator=(const ExtensionStandIn&) = delete;

    bool Loaded() const { return module_ != nullptr; }
    HMODULE Handle() const { return module_; }

    ExtensionDescriptor Descriptor()
    {
        ExtensionDescriptor d{};
        Call<void (*)(void*)>("QZExtTest_GetDescriptor")(&d);
        return d;
    }
    void SetDescriptor(const ExtensionDescriptor& d, uint16_t status = 0)
    {
        Call<void (*)(const void*, uint16_t)>("QZExtTest_SetDescriptor")(&d, status);
    }
    void SetFlags(uint32_t flags)
    {
        ExtensionDescriptor d = Descriptor();
        d.flags = flags;
        SetDescriptor(d);
    }
    void SetDefaults(const std::string& bytes, uint16_t status = 0)
    {
        Call<void (*)(const uint8_t*, uint16_t, uint16_t)>("QZExtTest_SetDefaults")(
            reinterpret_cast<const uint8_t*>(bytes.data()), uint16_t(bytes.size()), status);
    }
    void SetPages(uint16_t count, uint16_t overclaim = 0, uint16_t status = 0)
    {
        Call<void (*)(uint16_t, uint16_t, uint16_t)>("QZExtTest_SetPages")(count, overclaim, status);
    }
    void SetQueryStatus(int32_t id, uint16_t status)
    {
        Call<void (*)(int32_t, uint16_t)>("QZExtTest_SetQueryStatus")(id, status);
    }
    // One tray (bins false) or bin device with entries of the numbers.
    template <size_t N>
    void SetPaper(bool bins, const char* device, int16_t declared, const int16_t (&numbers)[N], const uint16_t* codes)
    {
        Call<void (*)(int, const char*, int16_t, uint16_t, const int16_t*, const uint16_t*)>("QZExtTest_SetPaper")(
            bins ? 1 : 0, device, declared, uint16_t(N), numbers, codes);
    }
    void SetNullEntries(uint32_t mask) { Call<void (*)(uint32_t)>("QZExtTest_SetNullEntries")(mask); }
    void Kinds(uint32_t kinds, uint16_t status = 0)
    {
        Call<void (*)(uint32_t, uint16_t)>("QZExtTest_Configure")(kinds, status);
    }
    void Data(uint32_t kind, const std::string& bytes, uint16_t status = 0)
    {
        Call<void (*)(uint32_t, const uint8_t*, uint16_t, uint16_t)>("QZExtTest_SetData")(
            kind, reinterpret_cast<const uint8_t*>(bytes.data()), uint16_t(bytes.size()), status);
    }
    // A page's call back into the driver: 0 a value, 1 a settings read, 2 a write.
    uint16_t PageCall(int which, uint16_t valueId, uint8_t* bytes, uint16_t length, uint16_t* out)
    {
        return Call<uint16_t (*)(int, uint16_t, uint8_t*, uint16_t, uint16_t*)>("QZExtTest_PageCall")(
            which, valueId, bytes, length, out);
    }
    // What the page's dialog saw: its value 10 status and value, its write status.
    void PageResult(uint16_t& valueStatus, uint16_t& value, uint16_t& writeStatus)
    {
        Call<void (*)(uint16_t*, uint16_t*, uint16_t*)>("QZExtTest_PageResult")(&valueStatus, &value, &writeStatus);
    }
    std::string Log() { return Call<const char* (*)()>("QZExtTest_Log")(); }

private:
    template <class F>
    F Call(const char* name)
    {
        return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    }
    HMODULE module_;
};
