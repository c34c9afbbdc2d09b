#include "settings/dmc/GDMCLibrary.h"

#include "printer/GOSFactory.h"


namespace {

// Positions of the entry points in the name table and the binding's fields.
enum Entry : size_t {
    kStartConfig,
    kStartExport,
    kSetListSeparator,
    kSetContextRelative,
    kSetContext,
    kSetExport,
    kGetOptionAttributes,
    kGetNamedOptionAttribute,
    kGetNamedFeatureAttribute,
    kGetListSeparator,
    kGetFeatureAttributes,
    kGetContext,
    kGet,
    kGetPRV,
    kEnumOptions,
    kEnumOptionAttributes,
    kEnumListToken,
    kEnumFeatures,
    kEnumFeatureAttributes,
    kCharToWide,
    kWideToChar,
    kEndConfig,
    kEndExport,
};

// Show-window value of the registration program.
const int kShowNormal = 5;

// A private buffer of the size the library may fill: spaces, with a 0 in the last
// place, so that a library that writes no terminator still leaves a bounded text.
template <class Char, size_t N>
struct ContractBuffer {
    ContractBuffer()
    {
        for (size_t i = 0; i + 1 < N; ++i)
            text[i] = Char(sizeof(Char) == 2 ? 0x2020 : 0x20);
        text[N - 1] = 0;
    }
    // Starts the buffer with the caller's text, cut to what fits.
    void Take(const Char* source, size_t capacity)
    {
        size_t n = 0;
        while (source && n < capacity && n + 1 < N && source[n]) {
            text[n] = source[n];
            ++n;
        }
        text[n] = 0;
    }
    // At most capacity - 1 characters and a 0 into the caller's buffer.
    void CopyTo(Char* destination, size_t capacity) const
    {
        if (!destination || capacity == 0)
            return;
        size_t n = 0;
        while (n + 1 < capacity && n + 1 < N && text[n]) {
            destination[n] = text[n];
            ++n;
        }
        destination[n] = 0;
    }
    Char text[N];
};

typedef ContractBuffer<wchar_t, DMCAbi::kKeywordChars> KeywordBuffer;
typedef ContractBuffer<wchar_t, DMCAbi::kListChars> ListBuffer;
typedef ContractBuffer<char, DMCAbi::kNarrowBytes> NarrowBuffer;

uint32_t Word(const void* pointer) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(pointer)); }

// The entry point's answer; 0 without the entry point.
template <class Proc, class... Args>
int32_t CallOrZero(Proc call, Args... args)
{
    return call ? call(args...) : 0;
}

// Lets the entry point fill a private buffer of the contract's size, then copies what
// fits into the caller's buffer: 0 without the entry point, the caller's buffer untouched.
template <class Buffer, class Char, class Proc, class Fill>
int32_t ThroughBuffer(Proc call, Char* destination, size_t capacity, Fill fill)
{
    if (!call)
        return 0;
    Buffer buffer;
    const int32_t result = fill(call, buffer.text);
    buffer.CopyTo(destination, capacity);
    return result;
}

} // namespace

const char* const GDMCLibrary::kEntryNames[GDMCLibrary::kEntryCount] = {
    "DMCStartConfig",         "DMCStartExport",          "DMCSetListSeparator",
    "DMCSetContextRelative",  "DMCSetContext",           "DMCSetExport",
    "DMCGetOptionAttributes", "DMCGetNamedOptionAttribute", "DMCGetNamedFeatureAttribute",
    "DMCGetListSeparator",    "DMCGetFeatureAttributes", "DMCGetContext",
    "DMCGet",                 "DMCGetPRV",               "DMCEnumOptions",
    "DMCEnumOptionAttributes", "DMCEnumListToken",       "DMCEnumFeatures",
    "DMCEnumFeatureAttributes", "DMCCharToWide",         "DMCWideToChar",
    "DMCEndConfig",           "DMCEndExport",
};

GDMCLibrary::GDMCLibrary() : loaded_(0), bound_(0), helperRecord_(nullptr), entries_(), helper_(nullptr) { Load(); }

GDMCLibrary::~GDMCLibrary()
{
    library_.Unload();
    delete helperRecord_;
}

void GDMCLibrary::Load()
{
    GOSFactory* services = GOSFactory::Instance();
    RWWString path;
    if (services)
        services->GetModuleDirectory(path);
    // Without the module's folder the name would be a root's ("\\name"): nothing is
    // registered or loaded then.
    if (path.Length() == 0)
        return;
    path.Append(L'\\');
    path.Append(kLibraryName);

    // The library registers itself before use. The program is named by its full path in
    // the system folder: a bare name is looked for first in the application's folder and
    // the current folder. Both paths are quoted: unquoted, a folder with a blank in its
    // name would make the command name another file. Without a system folder nothing runs.
    RWWString system;
    if (services)
        services->GetSystemFolder(system);
    if (services && system.Length())
        services->RunCommand(RWWString(L"\"") + system + L"\\regsvr32.exe\" /s \"" + path + L"\"", kShowNormal);

    library_ = GDynamicLibrary(path);
    loaded_ = library_.Load();
    if (!loaded_)
        return;
    bool complete = true;
    for (size_t i = 0; i < kEntryCount; ++i) {
        entries_[i] = library_.GetExport(kEntryNames[i]);
        complete = complete && entries_[i];
    }
    loaded_ = complete ? 1 : 0;
    bound_ = 1;
}

int32_t GDMCLibrary::StartConfig(const wchar_t* printer, uint32_t mode, const wchar_t* context, uint32_t reserved)
{
    return CallOrZero(Entry<DMCStartConfigProc>(kStartConfig), printer, mode, context, reserved);
}

int32_t GDMCLibrary::StartExport(const wchar_t* printer, const wchar_t* context, uint32_t flag)
{
    entries_[kStartExport] = bound_ ? library_.GetExport(kEntryNames[kStartExport]) : nullptr;
    return CallOrZero(Entry<DMCStartExportProc>(kStartExport), printer, context, flag);
}

int32_t GDMCLibrary::SetListSeparator(uint32_t a)
{
    return CallOrZero(Entry<DMCSetListSeparatorProc>(kSetListSeparator), a);
}

int32_t GDMCLibrary::SetContextRelative(uint32_t a)
{
    return CallOrZero(Entry<DMCSetContextRelativeProc>(kSetContextRelative), a);
}

int32_t GDMCLibrary::SetContext(const wchar_t* path)
{
    return CallOrZero(Entry<DMCSetContextProc>(kSetContext), path);
}

int32_t GDMCLibrary::SetExport(const wchar_t* path, const wchar_t* keyword)
{
    return CallOrZero(Entry<DMCSetExportProc>(kSetExport), path, keyword);
}

int32_t GDMCLibrary::GetOptionAttributes(uint32_t a, uint32_t b)
{
    return CallOrZero(Entry<DMCGetOptionAttributesProc>(kGetOptionAttributes), a, b);
}

int32_t GDMCLibrary::GetNamedOptionAttribute(uint32_t a, uint32_t b, uint32_t c)
{
    return CallOrZero(Entry<DMCGetNamedOptionAttributeProc>(kGetNamedOptionAttribute), a, b, c);
}

int32_t GDMCLibrary::GetNamedFeatureAttribute(const wchar_t* path, const wchar_t* attribute, wchar_t* text,
                                              size_t capacity)
{
    return ThroughBuffer<KeywordBuffer>(
        Entry<DMCGetNamedFeatureAttributeProc>(kGetNamedFeatureAttribute), text, capacity,
        [&](DMCGetNamedFeatureAttributeProc call, wchar_t* buffer) { return call(path, attribute, buffer); });
}

int32_t GDMCLibrary::GetListSeparator(uint32_t a)
{
    return CallOrZero(Entry<DMCGetListSeparatorProc>(kGetListSeparator), a);
}

int32_t GDMCLibrary::GetFeatureAttributes(uint32_t a, uint32_t b)
{
    return CallOrZero(Entry<DMCGetFeatureAttributesProc>(kGetFeatureAttributes), a, b);
}

int32_t GDMCLibrary::GetContext(uint32_t a)
{
    return CallOrZero(Entry<DMCGetContextProc>(kGetContext), a);
}

int32_t GDMCLibrary::Get(const wchar_t* path, wchar_t* keyword, size_t capacity)
{
    return ThroughBuffer<KeywordBuffer>(Entry<DMCGetProc>(kGet), keyword, capacity,
                                        [&](DMCGetProc call, wchar_t* buffer) { return call(path, buffer); });
}

int32_t GDMCLibrary::GetPRV(uint32_t a, uint32_t b)
{
    return CallOrZero(Entry<DMCGetPRVProc>(kGetPRV), a, b);
}

int32_t GDMCLibrary::EnumOptions(uint32_t a, uint32_t b)
{
    return CallOrZero(Entry<DMCEnumOptionsProc>(kEnumOptions), a, b);
}

int32_t GDMCLibrary::EnumOptionAttributes(uint32_t a, uint32_t b)
{
    return CallOrZero(Entry<DMCEnumOptionAttributesProc>(kEnumOptionAttributes), a, b);
}

int32_t GDMCLibrary::EnumListToken(wchar_t* token, size_t tokenCapacity, wchar_t* list, size_t listCapacity)
{
    DMCEnumListTokenProc call = Entry<DMCEnumListTokenProc>(kEnumListToken);
    if (!call)
        return 0;
    KeywordBuffer taken;
    ListBuffer rest;
    rest.Take(list, listCapacity);
    const int32_t result = call(taken.text, rest.text);
    taken.CopyTo(token, tokenCapacity);
    rest.CopyTo(list, listCapacity);
    return result;
}

int32_t GDMCLibrary::EnumFeatures(const wchar_t* section, wchar_t* list, size_t capacity)
{
    return ThroughBuffer<ListBuffer>(Entry<DMCEnumFeaturesProc>(kEnumFeatures), list, capacity,
                                     [&](DMCEnumFeaturesProc call, wchar_t* buffer) { return call(section, buffer); });
}

int32_t GDMCLibrary::EnumFeatureAttributes(uint32_t a, uint32_t b)
{
    return CallOrZero(Entry<DMCEnumFeatureAttributesProc>(kEnumFeatureAttributes), a, b);
}

int32_t GDMCLibrary::CharToWide(wchar_t* wide, size_t capacity, const char* narrow)
{
    return ThroughBuffer<KeywordBuffer>(Entry<DMCCharToWideProc>(kCharToWide), wide, capacity,
                                        [&](DMCCharToWideProc call, wchar_t* buffer) { return call(buffer, narrow); });
}

int32_t GDMCLibrary::WideToChar(char* narrow, size_t capacity, const wchar_t* wide)
{
    return ThroughBuffer<NarrowBuffer>(Entry<DMCWideToCharProc>(kWideToChar), narrow, capacity,
                                       [&](DMCWideToCharProc call, char* buffer) { return call(buffer, wide); });
}

int32_t GDMCLibrary::EndConfig()
{
    return CallOrZero(Entry<DMCEndConfigProc>(kEndConfig));
}

int32_t GDMCLibrary::EndExport()
{
    return CallOrZero(Entry<DMCEndExportProc>(kEndExport));
}

void GDMCLibrary::SetHelper(DMCHelperProc entry, GDMCConfig* config)
{
    helper_ = entry;
    if (!helperRecord_)
        helperRecord_ = new DMCHelperRecord();
    *helperRecord_ = DMCHelperRecord{0, Word(config), 0, 0, 0};
}

int32_t GDMCLibrary::CallHelper(uint32_t a, const void* b, uint32_t c, uint32_t d)
{
    if (!helper_ || !helperRecord_)
        return 0;
    helperRecord_->a = a;
    helperRecord_->c = c;
    helperRecord_->b = Word(b);
    helperRecord_->d = d;
    return static_cast<int16_t>(helper_(helperRecord_));
}

uint32_t GDMCLibrary::KeywordEquals(const wchar_t* a, const wchar_t* b)
{
    if (!a || !b)
        return 0;
    uint32_t n = 0;
    while (a[n] && a[n] == b[n])
        ++n;
    if (a[n] != b[n])
        return 0;
    return n ? n : 1;
}

wchar_t* GDMCLibrary::CopyWide(wchar_t* destination, const wchar_t* source)
{
    size_t n = 0;
    while ((destination[n] = source[n]) != 0)
        ++n;
    return destination;
}
