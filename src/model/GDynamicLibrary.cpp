#include "model/GDynamicLibrary.h"

#include <windows.h>

#include <cwctype>

GDynamicLibrary::GDynamicLibrary() : loaded_(0), module_(nullptr) {}
GDynamicLibrary::GDynamicLibrary(const RWWString& path) : path_(path), loaded_(0), module_(nullptr) {}

GDynamicLibrary::GDynamicLibrary(const GDynamicLibrary& other) : GPersistent(other), loaded_(0), module_(nullptr)
{
    TakeFrom(other);
}

GDynamicLibrary& GDynamicLibrary::operator=(const GDynamicLibrary& other)
{
    if (this != &other) {
        GObjectBase::operator=(other);
        Unload();
        TakeFrom(other);
    }
    return *this;
}

GDynamicLibrary::~GDynamicLibrary() { Unload(); }

void GDynamicLibrary::TakeFrom(const GDynamicLibrary& other)
{
    path_ = other.path_;
    if (other.loaded_)
        Load();
}

bool GDynamicLibrary::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GDynamicLibrary* library = GSameClass<GDynamicLibrary>(this, other);
    return library && GObjectBase::IsSame(other) && library->path_.Length() == path_.Length() &&
           library->path_.CompareTo(path_) == 0 && library->loaded_ == loaded_ && library->module_ == module_;
}

uint32_t GDynamicLibrary::Load()
{
    if (!loaded_ && IsFullPath(path_)) {
        // The library's own folder comes first for what it imports in turn.
        module_ = LoadLibraryExW(path_.Data(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        if (module_)
            loaded_ = 1;
    }
    return loaded_;
}

void GDynamicLibrary::Unload()
{
    if (!loaded_)
        return;
    FreeLibrary(module_);
    module_ = nullptr;
    loaded_ = 0;
}

void* GDynamicLibrary::FindExport(const char* name)
{
    if (!Load() || !module_ || !name)
        return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(module_, name));
}

int32_t GDynamicLibrary::Call(const char* name, int32_t argument)
{
    typedef int32_t(__cdecl * Function)(int32_t);
    Function function = reinterpret_cast<Function>(FindExport(name));
    return function ? function(argument) : 0;
}

uint16_t GDynamicLibrary::Call2(const char* name, int32_t a, int32_t b)
{
    typedef int32_t(__stdcall * Function)(int32_t, int32_t);
    Function function = reinterpret_cast<Function>(FindExport(name));
    return function ? static_cast<uint16_t>(function(a, b)) : 0;
}

int32_t GDynamicLibrary::Call(const char* name, int32_t a, int32_t b)
{
    typedef int32_t(__cdecl * Function)(int32_t, int32_t);
    Function function = reinterpret_cast<Function>(FindExport(name));
    return function ? function(a, b) : 0;
}

bool GDynamicLibrary::IsFullPath(const RWWString& path)
{
    const std::wstring text(path.Data(), path.Length());
    size_t rest = 0;
    if (text.size() > 3 && std::iswalpha(text[0]) && text[1] == L':' && text[2] == L'\\') {
        rest = 3;
    } else if (text.size() > 2 && text[0] == L'\\' && text[1] == L'\\') {
        // A server and a share, each a plain name: no device path ("\\?\", "\\.\").
        const size_t server = text.find(L'\\', 2);
        const size_t share = server == std::wstring::npos ? server : text.find(L'\\', server + 1);
        if (server == 2 || share == std::wstring::npos || share == server + 1)
            return false;
        if (text.compare(2, server - 2, L"?") == 0 || text.compare(2, server - 2, L".") == 0)
            return false;
        rest = share + 1;
    } else {
        return false;
    }
    if (text.find_first_of(L"/:*?\"<>|", rest) != std::wstring::npos || text.find(L'\0') != std::wstring::npos)
        return false;
    // Every step a real name: no empty, "." or ".." step, none ending in a dot or space
    // (the system drops those, so the name would mean another file).
    for (size_t at = rest; at <= text.size();) {
        size_t end = text.find(L'\\', at);
        if (end == std::wstring::npos)
            end = text.size();
        if (end == at || text[end - 1] == L'.' || text[end - 1] == L' ')
            return false;
        at = end + 1;
    }
    return true;
}

bool GDynamicLibrary::IsInsideFolder(const RWWString& path, const RWWString& folder)
{
    size_t length = folder.Length();
    while (length > 0 && folder.Data()[length - 1] == L'\\')
        --length;
    if (length == 0 || !IsFullPath(path) || !IsFullPath(RWWString(folder.Data(), length)) ||
        path.Length() <= length + 1 || path.Data()[length] != L'\\')
        return false;
    for (size_t i = 0; i < length; ++i)
        if (std::towlower(path.Data()[i]) != std::towlower(folder.Data()[i]))
            return false;
    return true;
}
