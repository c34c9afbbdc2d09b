#include "model/GDynamicLibrary.h"

#include <windows.h>

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
    if (!loaded_) {
        module_ = LoadLibraryW(path_.Data());
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
