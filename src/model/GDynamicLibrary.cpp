#include "model/GDynamicLibrary.h"

#include "foundation/RWFactory.h"
#include "model/GStoredFields.h"

#include <windows.h>

namespace {

const RWClassRegistration<GDynamicLibrary> g_registration("GDynamicLibrary");

} // namespace

// The stored form of the wide path, found by the field readers and writers.
inline bool GReadField(RWBinaryFile& file, RWWString& value) { return value.RestoreFrom(file); }
inline bool GReadField(RWDataInStream& stream, RWWString& value) { return value.RestoreFrom(stream); }
inline void GWriteField(RWBinaryFile& file, const RWWString& value) { value.SaveOn(file); }
inline void GWriteField(RWDataOutStream& stream, const RWWString& value) { value.SaveOn(stream); }

GDynamicLibrary::GDynamicLibrary() : loaded_(0), module_(nullptr) {}
GDynamicLibrary::GDynamicLibrary(const RWWString& path) : path_(path), loaded_(0), module_(nullptr) {}

GDynamicLibrary::GDynamicLibrary(const GDynamicLibrary& other) : GObjectBase(other), loaded_(0), module_(nullptr)
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

GDynamicLibrary* GDynamicLibrary::CreateNew() const { return new GDynamicLibrary; }
GDynamicLibrary* GDynamicLibrary::Copy() const { return new GDynamicLibrary(*this); }
RWClassID GDynamicLibrary::ClassId() const { return kClassId; }

uint32_t GDynamicLibrary::BinaryStoreSize() const
{
    return GObjectBase::BinaryStoreSize() + 8 + 2 * static_cast<uint32_t>(path_.Length());
}

bool GDynamicLibrary::IsKindOf(RWClassID classId) const
{
    return classId == kClassId || GObjectBase::IsKindOf(classId);
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

template <class In>
void GDynamicLibrary::ReadFields(In& in)
{
    RWWString path;
    if (!GReadFields(in, path))
        return;
    path_ = path;
    // The next call loads the library the restored path names.
    Unload();
}

template <class Out>
void GDynamicLibrary::WriteFields(Out& out) const
{
    GWriteFields(out, path_);
}

void GDynamicLibrary::RestoreGuts(RWDataInStream& stream)
{
    GObjectBase::RestoreGuts(stream);
    ReadFields(stream);
}

void GDynamicLibrary::RestoreGuts(RWBinaryFile& file)
{
    GObjectBase::RestoreGuts(file);
    ReadFields(file);
}

void GDynamicLibrary::SaveGuts(RWDataOutStream& stream) const
{
    GObjectBase::SaveGuts(stream);
    WriteFields(stream);
}

void GDynamicLibrary::SaveGuts(RWBinaryFile& file) const
{
    GObjectBase::SaveGuts(file);
    WriteFields(file);
}
