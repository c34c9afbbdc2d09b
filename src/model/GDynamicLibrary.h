// A persistable handle on a code library named by a wide path: loaded on first use,
// asked for exports by name, unloaded when destroyed or when a new path is restored.
// Extension hosts keep their external modules this way, so the path can travel inside
// stored settings.
//
// Every object holds its own load of the library: a copy of a loaded object loads it
// once more, so each destructor's unload is matched.
#pragma once

#include "foundation/RWWString.h"
#include "model/GPersistent.h"

#include <cstdint>

struct HINSTANCE__;

class GDynamicLibrary : public GPersistent<GDynamicLibrary, GObjectBase, 780> {
public:
    static constexpr const char* kClassName = "GDynamicLibrary";

    GDynamicLibrary();
    explicit GDynamicLibrary(const RWWString& path);
    GDynamicLibrary(const GDynamicLibrary& other);
    GDynamicLibrary& operator=(const GDynamicLibrary& other);
    ~GDynamicLibrary() override;

    GDynamicLibrary* CreateNew() const override { return new GDynamicLibrary; }
    GDynamicLibrary* Copy() const override { return new GDynamicLibrary(*this); }
    // The same object, or the same class, id, path, loaded flag and module handle.
    bool IsSame(const GObjectBase* other) const override;

    // Loads the library when it is not loaded; answers the loaded flag. Only a full
    // path is loaded, by that path alone: a bare or relative name would be looked for
    // along the search path.
    uint32_t Load();
    void Unload();
    uint32_t IsLoaded() const { return loaded_; }
    const RWWString& GetPath() const { return path_; }

    // Loads the library and calls the export with one argument, caller cleaning up;
    // 0 when the library or the export is missing.
    int32_t Call(const char* name, int32_t argument);
    // The same with two arguments in the callee-cleans convention, the result cut to 16
    // bits.
    uint16_t Call2(const char* name, int32_t a, int32_t b);
    // The same with two arguments, caller cleaning up; the full 32-bit result.
    int32_t Call(const char* name, int32_t a, int32_t b);
    // Loads the library and tells whether it exports the name.
    bool HasExport(const char* name) { return FindExport(name) != nullptr; }

    // A full path: a drive and a root ("C:\\...") or a server share ("\\\\server\\share\\..."),
    // backslashes only, no "." or ".." step and no stream name.
    static bool IsFullPath(const RWWString& path);
    // A full path of a file somewhere under the folder (itself a full path), compared
    // without regard to case.
    static bool IsInsideFolder(const RWWString& path, const RWWString& folder);

    auto StoredForm() { return GFields(path_); }
    // A restored path replaces the loaded library: the next call loads the one it names.
    template <class In>
    void ReadForm(In& in)
    {
        if (GReadForm(in, StoredForm()))
            Unload();
    }

private:
    // The export of the loaded library; null when the library did not load (a null
    // module would name the program itself).
    void* FindExport(const char* name);
    // Takes the source's path and, when it is loaded, a load of its own.
    void TakeFrom(const GDynamicLibrary& other);

    RWWString path_;
    uint32_t loaded_;
    HINSTANCE__* module_;
};
