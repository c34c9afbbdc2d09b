// The configuration library stand-in (tests/standins/qzvrta32) as the tests drive it.
// The object pins the module with a load of its own, so that the stand-in's printers,
// exports and log outlive the binding's unload; it resets the stand-in when made.
#pragma once

#include <windows.h>

#include <sstream>
#include <string>
#include <vector>

class DmcStandin {
public:
    // The folders the two builds lie in, with the model file, under the test programs'.
    static std::wstring Folder() { return ProgramFolder() + L"\\qzvrta32"; }
    static std::wstring FolderWithout() { return ProgramFolder() + L"\\qzvrta32-22"; }
    static std::wstring ProgramFolder()
    {
        wchar_t name[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, name, MAX_PATH);
        const std::wstring path(name);
        return path.substr(0, path.rfind(L'\\'));
    }

    explicit DmcStandin(const std::wstring& folder = Folder())
        : module_(LoadLibraryW((folder + L"\\QZVRTA32.dll").c_str()))
    {
        Reset();
    }
    ~DmcStandin()
    {
        if (module_)
            FreeLibrary(module_);
    }
    DmcStandin(const DmcStandin&) = delete;
    DmcStandin& operator=(const DmcStandin&) = delete;

    bool Loaded() const { return module_ != nullptr; }

    void Reset()
    {
        if (auto reset = Proc<void(__cdecl*)()>("QzDmcReset"))
            reset();
    }
    // Switches: see the stand-in's QzDmcSwitch.
    void Set(const wchar_t* name, const wchar_t* value = L"")
    {
        if (auto set = Proc<void(__cdecl*)(const wchar_t*, const wchar_t*)>("QzDmcSwitch"))
            set(name, value);
    }
    // Sets a feature's keyword ("path") or attribute ("path@attribute"), in the model and
    // every printer; null removes it.
    void SetFeature(const wchar_t* key, const wchar_t* text)
    {
        if (auto set = Proc<void(__cdecl*)(const wchar_t*, const wchar_t*)>("QzDmcSet"))
            set(key, text);
    }
    // One line a call, in call order.
    std::vector<std::wstring> Log() const { return Lines(Text("QzDmcLog", nullptr)); }
    // "path=keyword" a line, in the order first exported.
    std::vector<std::wstring> Exports(const wchar_t* printer) const { return Lines(Text("QzDmcExports", printer)); }

private:
    template <class P>
    P Proc(const char* name) const
    {
        return module_ ? reinterpret_cast<P>(reinterpret_cast<void*>(GetProcAddress(module_, name))) : nullptr;
    }
    std::wstring Text(const char* name, const wchar_t* printer) const
    {
        typedef uint32_t(__cdecl * Sized)(wchar_t*, uint32_t);
        typedef uint32_t(__cdecl * Named)(const wchar_t*, wchar_t*, uint32_t);
        auto call = [&](wchar_t* buffer, uint32_t capacity) -> uint32_t {
            if (printer) {
                auto named = Proc<Named>(name);
                return named ? named(printer, buffer, capacity) : 0;
            }
            auto sized = Proc<Sized>(name);
            return sized ? sized(buffer, capacity) : 0;
        };
        std::wstring text(call(nullptr, 0) + 1, L'\0');
        call(&text[0], static_cast<uint32_t>(text.size()));
        text.resize(text.size() - 1);
        return text;
    }
    static std::vector<std::wstring> Lines(const std::wstring& text)
    {
        std::vector<std::wstring> lines;
        std::wistringstream in(text);
        for (std::wstring line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

    HMODULE module_;
};
