// The binding to the device-model configuration library "QZVRTA32.dll" beside the
// module: registers it, loads it, resolves its 23 entry points from one name table and
// offers one accessor per entry point. Every reader and writer of the configuration goes
// through the binding its configuration reader owns.
//
// The library is told no buffer sizes, so an accessor never hands it the caller's buffer:
// the library writes into a private buffer of the size its contract allows (DMCLibraryAbi.h)
// and the accessor copies back at most the caller's capacity less one and a terminating 0.
// A long keyword thus arrives cut, never written past a small buffer.
#pragma once

#include "foundation/RWWString.h"
#include "model/GDynamicLibrary.h"
#include "settings/dmc/DMCLibraryAbi.h"

#include <cstddef>
#include <cstdint>

class GDMCConfig;

class GDMCLibrary {
public:
    // The library's file name, looked for in the module's folder.
    static constexpr const wchar_t* kLibraryName = L"QZVRTA32.dll";
    static constexpr size_t kEntryCount = 23;
    // The entry-point names in the order of the binding's fields.
    static const char* const kEntryNames[kEntryCount];

    GDMCLibrary();
    GDMCLibrary(const GDMCLibrary&) = delete;
    GDMCLibrary& operator=(const GDMCLibrary&) = delete;
    ~GDMCLibrary();

    // 1 only when the library loaded and all 23 entry points were found.
    uint32_t IsLoaded() const { return loaded_; }
    // 1 once the entry points were looked up (the library loaded, complete or not).
    uint32_t IsBound() const { return bound_; }
    const RWWString& GetPath() const { return library_.GetPath(); }

    // Accessors: 0 without a call when the entry point is missing, else its result.
    int32_t StartConfig(const wchar_t* printer, uint32_t mode, const wchar_t* context, uint32_t reserved);
    // Looks the entry point up again on every call.
    int32_t StartExport(const wchar_t* printer, const wchar_t* context, uint32_t flag);
    int32_t SetListSeparator(uint32_t a);
    int32_t SetContextRelative(uint32_t a);
    int32_t SetContext(const wchar_t* path);
    int32_t SetExport(const wchar_t* path, const wchar_t* keyword);
    int32_t GetOptionAttributes(uint32_t a, uint32_t b);
    int32_t GetNamedOptionAttribute(uint32_t a, uint32_t b, uint32_t c);
    int32_t GetNamedFeatureAttribute(const wchar_t* path, const wchar_t* attribute, wchar_t* text, size_t capacity);
    int32_t GetListSeparator(uint32_t a);
    int32_t GetFeatureAttributes(uint32_t a, uint32_t b);
    int32_t GetContext(uint32_t a);
    // The keyword of the path, or of the current context when the path is null.
    int32_t Get(const wchar_t* path, wchar_t* keyword, size_t capacity);
    int32_t GetPRV(uint32_t a, uint32_t b);
    int32_t EnumOptions(uint32_t a, uint32_t b);
    int32_t EnumOptionAttributes(uint32_t a, uint32_t b);
    // Takes the next token of the list into the token buffer and leaves the rest of the
    // list in the list buffer.
    int32_t EnumListToken(wchar_t* token, size_t tokenCapacity, wchar_t* list, size_t listCapacity);
    int32_t EnumFeatures(const wchar_t* section, wchar_t* list, size_t capacity);
    int32_t EnumFeatureAttributes(uint32_t a, uint32_t b);
    int32_t CharToWide(wchar_t* wide, size_t capacity, const char* narrow);
    int32_t WideToChar(char* narrow, size_t capacity, const wchar_t* wide);
    int32_t EndConfig();
    int32_t EndExport();

    // Keeps the helper library's callback and makes the record it is called with.
    void SetHelper(DMCHelperProc entry, GDMCConfig* config);
    // Fills the record {a, config, c, d, b} and calls the helper: its answer as a signed
    // 16-bit number; 0 without a helper.
    int32_t CallHelper(uint32_t a, const void* b, uint32_t c, uint32_t d);

    // Exact, case-sensitive comparison: 1 for two empty strings, the common length when
    // equal, 0 when different.
    static uint32_t KeywordEquals(const wchar_t* a, const wchar_t* b);
    static wchar_t* CopyWide(wchar_t* destination, const wchar_t* source);

private:
    // Registers and loads the library and binds its entry points.
    void Load();
    template <class Proc>
    Proc Entry(size_t index) const
    {
        return reinterpret_cast<Proc>(entries_[index]);
    }

    uint32_t loaded_;
    GDynamicLibrary library_;
    uint32_t bound_;
    RWWString unused_;
    DMCHelperRecord* helperRecord_;
    void* entries_[kEntryCount];
    DMCHelperProc helper_;
};
