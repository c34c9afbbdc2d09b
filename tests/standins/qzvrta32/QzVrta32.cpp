// A device-model configuration library for the tests. It keeps, per printer, the features
// of its model file "QZVRTA32.dmc" (beside it) and the keywords exported to it, logs every
// call, and takes switches that make single calls fail or answer oddly. Test programs
// drive it through the QzDmc* exports; the module's state lives as long as it stays loaded.
//
// The model file holds one line per feature, "path = keyword", or per attribute of a
// feature, "path@attribute = text"; '#' starts a comment. A section ("physical") lists
// the next path component of its lines, once each, in file order; "factory/physical" and
// "factory/printing" list what "physical" and "printing" list. Lists are tokens joined by
// commas.
//
// Built twice: the second build lacks DMCEnumFeatureAttributes.
#include "settings/dmc/DMCLibraryAbi.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace {

const wchar_t kSeparator = L',';
const size_t kLongKeyword = 254;

struct Feature {
    std::wstring keyword;
    std::map<std::wstring, std::wstring> attributes;
};

struct Printer {
    std::map<std::wstring, Feature> features;
    std::vector<std::pair<std::wstring, std::wstring>> exports;
};

struct Library {
    std::mutex lock;
    std::vector<std::wstring> order; // feature paths in file order
    std::map<std::wstring, Feature> model;
    std::map<std::wstring, Printer> printers;
    std::wstring printer, context;
    std::vector<std::wstring> log;
    std::multimap<std::wstring, std::wstring> switches;
};

HMODULE g_module = nullptr;

Library& State()
{
    static Library* library = new Library; // outlives every caller, never destroyed
    return *library;
}

std::wstring Folder()
{
    wchar_t name[MAX_PATH] = {};
    GetModuleFileNameW(g_module, name, MAX_PATH);
    std::wstring path(name);
    return path.substr(0, path.rfind(L'\\') + 1);
}

std::wstring Trim(const std::wstring& text)
{
    const size_t first = text.find_first_not_of(L" \t\r\n");
    if (first == std::wstring::npos)
        return std::wstring();
    return text.substr(first, text.find_last_not_of(L" \t\r\n") - first + 1);
}

void ReadModel(Library& library)
{
    library.order.clear();
    library.model.clear();
    FILE* file = _wfopen((Folder() + L"QZVRTA32.dmc").c_str(), L"rb");
    if (!file)
        return;
    char line[1024];
    while (std::fgets(line, sizeof line, file)) {
        std::wstring text(line, line + std::strlen(line));
        text = Trim(text.substr(0, text.find(L'#')));
        const size_t equals = text.find(L'=');
        if (equals == std::wstring::npos)
            continue;
        const std::wstring key = Trim(text.substr(0, equals)), value = Trim(text.substr(equals + 1));
        const size_t at = key.find(L'@');
        const std::wstring path = key.substr(0, at);
        if (!library.model.count(path))
            library.order.push_back(path);
        Feature& feature = library.model[path];
        if (at == std::wstring::npos)
            feature.keyword = value;
        else
            feature.attributes[key.substr(at + 1)] = value;
    }
    std::fclose(file);
}

std::wstring Text(const wchar_t* text) { return text ? std::wstring(text) : std::wstring(L"-"); }

void Log(Library& library, const std::wstring& line) { library.log.push_back(line); }

bool Switched(Library& library, const wchar_t* name, const std::wstring& value = std::wstring())
{
    auto range = library.switches.equal_range(name);
    for (auto it = range.first; it != range.second; ++it)
        if (it->second == value)
            return true;
    return false;
}

Printer& Current(Library& library)
{
    auto found = library.printers.find(library.printer);
    if (found == library.printers.end())
        found = library.printers.emplace(library.printer, Printer{library.model, {}}).first;
    return found->second;
}

// Writes at most limit - 1 characters and a 0.
template <class Char>
void Put(Char* buffer, const std::wstring& text, size_t limit)
{
    if (!buffer)
        return;
    size_t n = 0;
    for (; n + 1 < limit && n < text.size(); ++n)
        buffer[n] = Char(text[n]);
    buffer[n] = 0;
}

int32_t Answer(Library& library, const wchar_t* which) { return Switched(library, L"AnswerTwo", which) ? 2 : 1; }

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        ReadModel(State());
    }
    return TRUE;
}

// Registration: a line in QZVRTA32.log beside the module, naming the module's file.
extern "C" HRESULT WINAPI DllRegisterServer()
{
    wchar_t name[MAX_PATH] = {};
    GetModuleFileNameW(g_module, name, MAX_PATH);
    if (FILE* file = _wfopen((Folder() + L"QZVRTA32.log").c_str(), L"ab")) {
        std::fprintf(file, "DllRegisterServer %ls\n", name);
        std::fclose(file);
    }
    return S_OK;
}

extern "C" {

int32_t __cdecl DMCStartConfig(const wchar_t* printer, uint32_t mode, const wchar_t* context, uint32_t reserved)
{
    Library& library = State();
    std::lock_guard<std::mutex> hold(library.lock);
    Log(library, L"DMCStartConfig " + Text(printer) + L" " + std::to_wstring(mode) + L" " + Text(context) + L" " +
                     std::to_wstring(reserved));
    if (Switched(library, L"RefuseStartConfig"))
        return 0;
    library.printer = Text(printer);
    library.context.clear();
    Current(library);
    return 1;
}

int32_t __cdecl DMCStartExport(const wchar_t* printer, const wchar_t* context, uint32_t flag)
{
    Library& library = State();
    std::lock_guard<std::mutex> hold(library.lock);
    Log(library, L"DMCStartExport " + Text(printer) + L" " + Text(context) + L" " + std::to_wstring(flag));
    if (Switched(library, L"RefuseStartExport"))
        return 0;
    library.printer = Text(printer);
    Current(library);
    return 1;
}

int32_t __cdecl DMCSetContext(const wchar_t* path)
{
    Library& library = State();
    std::lock_guard<std::mutex> hold(library.lock);
    Log(library, L"DMCSetContext " + Text(path));
    if (!path || Switched(library, L"RefuseContext", path) || !Current(library).features.count(path))
        return 0;
    library.context = path;
    return 1;
}

int32_t __cdecl DMCSetExport(const wchar_t* path, const wchar_t* keyword)
{
    Library& library = State();
    std::lock_guard<std::mutex> hold(library.lock);
    Log(library, L"DMCSetExport " + Text(path) + L" " + Text(keyword));
    if (!path || !keyword || Switched(library, L"FailSetExport", path))
        return 0;
    auto& exports = Current(library).exports;
    for (auto& entry : exports)
        if (entry.first == path)
            return entry.second = keyword, 1;
    exports.emplace_back(path, keyword);
    return 1;
}

int32_t __cdecl DMCGetNamedFeatureAttribute(const wchar_t* path, const wchar_t* attribute, wchar_t* text)
{
    Library& library = State();
    std::lock_guard<std::mutex> hold(library.lock);
    Log(library, L"DMCGetNamedFeatureAttribute " + Text(path) + L" " + Text(attribute));
    Put(text, std::wstring(), DMCAbi::kKeywordChars);
    if (!path || !attribute)
        return 0;
    const auto& features = Current(library).features;
    auto feature = features.find(path);
    if (feature == features.end())
        return 0;
    auto found = feature->second.attributes.find(attribute);
    if (found == feature->second.attributes.end())
        return 0;
    Put(text, found->second, DMCAbi::kKeywordChars);
    return Answer(library, L"DMCGetNamedFeatureAttribute");
}

int32_t __cdecl DMCGet(const wchar_t* path, wchar_t* keyword)
{
    Library& library = State();
    std::lock_guard<std::mutex> hold(library.lock);
    Log(library, L"DMCGet " + Text(path));
    const std::wstring feature = path ? std::wstring(path) : library.context;
    Put(keyword, std::wstring(), DMCAbi::kKeywordChars);
    const auto& features = Current(library).features;
    auto found = features.find(feature);
    if (feature.empty() || found == features.end())
        return 0;
    if (Switched(library, L"LongKeyword", feature)) {
        std::wstring text;
        for (size_t i = 0; i < kLongKeyword; ++i)
            text += wchar_t(L'A' + i % 26);
        Put(keyword, text, DMCAbi::kKeywordChars);
    } else {
        Put(keyword, found->second.keyword, DMCAbi::kKeywordChars);
    }
    return path ? Answer(library, L"DMCGet") : 1;
}

int32_t __cdecl DMCEnumFeatures(const wchar_t* section, wchar_t* list)
{
    Library& library = State();
    std::lock_guard<std::mutex> hold(library.lock);
    Log(library, L"DMCEnumFeatures " + Text(section));
    Put(list, std::wstring(), DMCAbi::kListChars);
    if (!section || Switched(library, L"RefuseSection", section))
        return 0;
    std::wstring name(section);
    if (name.compare(0, 8, L"factory/") == 0)
        name = name.substr(8);
    const std::wstring prefix = name + L"/";
    std::vector<std::wstring> keys;
    for (const std::wstring& path : library.order) {
        if (path.compare(0, prefix.size(), prefix) != 0)
            continue;
        const std::wstring key = path.substr(prefix.size(), path.find(L'/', prefix.size()) - prefix.size());
        bool seen = false;
        for (const std::wstring& known : keys)
            seen = seen || known == key;
        if (!seen)
            keys.push_back(key);
    }
    if (keys.empty())
        return 0;
    // Whole tokens only, as many as the list holds.
    std::wstring text;
    for (const std::wstring& key : keys) {
        const size_t length = text.size() + (text.empty() ? 0 : 1) + key.size();
        if (length + 1 > DMCAbi::kListChars)
            break;
        if (!text.empty())
            text += kSeparator;
        text += key;
    }
    Put(list, text, DMCAbi::kListChars);
    return Answer(library, L"DMCEnumFeatures");
}

int32_t __cdecl DMCEnumListToken(wchar_t* token, wchar_t* list)
{
    Library& library = State();
    std::lock_guard<std::mutex> hold(library.lock);
    Log(library, L"DMCEnumListToken");
    Put(token, std::wstring(), DMCAbi::kKeywordChars);
    if (!list)
        return 0;
    std::wstring rest;
    for (size_t i = 0; i + 1 < DMCAbi::kListChars && list[i]; ++i)
        rest += list[i];
    const size_t start = rest.find_first_not_of(kSeparator);
    if (start == std::wstring::npos) {
        Put(list, std::wstring(), DMCAbi::kListChars);
        return 0;
    }
    const size_t end = rest.find(kSeparator, start);
    Put(token, rest.substr(start, end - start), DMCAbi::kKeywordChars);
    Put(list, end == std::wstring::npos ? std::wstring() : rest.substr(end + 1), DMCAbi::kListChars);
    return 1;
}

int32_t __cdecl DMCCharToWide(wchar_t* wide, const char* narrow)
{
    Library& library = State();
    std::lock_guard<std::mutex> hold(library.lock);
    Log(library, L"DMCCharToWide");
    const std::string text = narrow ? narrow : "";
    Put(wide, std::wstring(text.begin(), text.end()), DMCAbi::kKeywordChars);
    return 1;
}

int32_t __cdecl DMCWideToChar(char* narrow, const wchar_t* wide)
{
    Library& library = State();
    std::lock_guard<std::mutex> hold(library.lock);
    Log(library, L"DMCWideToChar");
    Put(narrow, wide ? std::wstring(wide) : std::wstring(), DMCAbi::kNarrowBytes);
    return 1;
}

int32_t __cdecl DMCEndConfig()
{
    Library& library = State();
    std::lock_guard<std::mutex> hold(library.lock);
    Log(library, L"DMCEndConfig");
    library.context.clear();
    return 1;
}

int32_t __cdecl DMCEndExport()
{
    Library& library = State();
    std::lock_guard<std::mutex> hold(library.lock);
    Log(library, L"DMCEndExport");
    return 1;
}

// The entry points no caller uses: logged, answering 0.
#define QZ_UNUSED_ENTRY(name, parameters, arguments)                                   \
    int32_t __cdecl name parameters                                                    \
    {                                                                                  \
        Library& library = State();                                                    \
        std::lock_guard<std::mutex> hold(library.lock);                                \
        Log(library, std::wstring(L"" #name) + arguments);                          \
        return 0;                                                                      \
    }
#define QZ_WORD(x) (L" " + std::to_wstring(x))

QZ_UNUSED_ENTRY(DMCSetListSeparator, (uint32_t a), QZ_WORD(a))
QZ_UNUSED_ENTRY(DMCSetContextRelative, (uint32_t a), QZ_WORD(a))
QZ_UNUSED_ENTRY(DMCGetOptionAttributes, (uint32_t a, uint32_t b), QZ_WORD(a) + QZ_WORD(b))
QZ_UNUSED_ENTRY(DMCGetNamedOptionAttribute, (uint32_t a, uint32_t b, uint32_t c),
                QZ_WORD(a) + QZ_WORD(b) + QZ_WORD(c))
QZ_UNUSED_ENTRY(DMCGetListSeparator, (uint32_t a), QZ_WORD(a))
QZ_UNUSED_ENTRY(DMCGetFeatureAttributes, (uint32_t a, uint32_t b), QZ_WORD(a) + QZ_WORD(b))
QZ_UNUSED_ENTRY(DMCGetContext, (uint32_t a), QZ_WORD(a))
QZ_UNUSED_ENTRY(DMCGetPRV, (uint32_t a, uint32_t b), QZ_WORD(a) + QZ_WORD(b))
QZ_UNUSED_ENTRY(DMCEnumOptions, (uint32_t a, uint32_t b), QZ_WORD(a) + QZ_WORD(b))
QZ_UNUSED_ENTRY(DMCEnumOptionAttributes, (uint32_t a, uint32_t b), QZ_WORD(a) + QZ_WORD(b))
#ifndef QZ_WITHOUT_ENUM_FEATURE_ATTRIBUTES
QZ_UNUSED_ENTRY(DMCEnumFeatureAttributes, (uint32_t a, uint32_t b), QZ_WORD(a) + QZ_WORD(b))
#endif

// Every export has the type the binding calls it through.
#define QZ_MATCHES_ABI(name) static_assert(std::is_same<decltype(&name), name##Proc>::value, #name)
QZ_MATCHES_ABI(DMCStartConfig);
QZ_MATCHES_ABI(DMCStartExport);
QZ_MATCHES_ABI(DMCSetListSeparator);
QZ_MATCHES_ABI(DMCSetContextRelative);
QZ_MATCHES_ABI(DMCSetContext);
QZ_MATCHES_ABI(DMCSetExport);
QZ_MATCHES_ABI(DMCGetOptionAttributes);
QZ_MATCHES_ABI(DMCGetNamedOptionAttribute);
QZ_MATCHES_ABI(DMCGetNamedFeatureAttribute);
QZ_MATCHES_ABI(DMCGetListSeparator);
QZ_MATCHES_ABI(DMCGetFeatureAttributes);
QZ_MATCHES_ABI(DMCGetContext);
QZ_MATCHES_ABI(DMCGet);
QZ_MATCHES_ABI(DMCGetPRV);
QZ_MATCHES_ABI(DMCEnumOptions);
QZ_MATCHES_ABI(DMCEnumOptionAttributes);
QZ_MATCHES_ABI(DMCEnumListToken);
QZ_MATCHES_ABI(DMCEnumFeatures);
#ifndef QZ_WITHOUT_ENUM_FEATURE_ATTRIBUTES
QZ_MATCHES_ABI(DMCEnumFeatureAttributes);
#endif
QZ_MATCHES_ABI(DMCCharToWide);
QZ_MATCHES_ABI(DMCWideToChar);
QZ_MATCHES_ABI(DMCEndConfig);
QZ_MATCHES_ABI(DMCEndExport);

// Test controls.

// Forgets every printer, export, log line and switch and reads the model file again.
void __cdecl QzDmcReset()
{
    Library& library = State();
    std::lock_guard<std::mutex> hold(library.lock);
    library.printers.clear();
    library.printer.clear();
    library.context.clear();
    library.log.clear();
    library.switches.clear();
    ReadModel(library);
}

// Sets a switch: "RefuseSection" (a section), "RefuseContext" (a path),
// "RefuseStartConfig", "RefuseStartExport", "AnswerTwo" (an entry point: DMCEnumFeatures,
// DMCGet with a path, DMCGetNamedFeatureAttribute), "FailSetExport" (a path),
// "LongKeyword" (a path whose keyword becomes 254 characters).
void __cdecl QzDmcSwitch(const wchar_t* name, const wchar_t* value)
{
    Library& library = State();
    std::lock_guard<std::mutex> hold(library.lock);
    library.switches.emplace(Text(name), value ? value : L"");
}

// Sets a feature's keyword ("path") or attribute ("path@attribute") in the model and in
// every printer known; a null text removes the feature or the attribute.
void __cdecl QzDmcSet(const wchar_t* key, const wchar_t* text)
{
    Library& library = State();
    std::lock_guard<std::mutex> hold(library.lock);
    if (!key)
        return;
    const std::wstring name(key);
    const size_t at = name.find(L'@');
    const std::wstring path = name.substr(0, at);
    auto apply = [&](std::map<std::wstring, Feature>& features) {
        if (!text && at == std::wstring::npos) {
            features.erase(path);
            return;
        }
        Feature& feature = features[path];
        if (at == std::wstring::npos)
            feature.keyword = text;
        else if (text)
            feature.attributes[name.substr(at + 1)] = text;
        else
            feature.attributes.erase(name.substr(at + 1));
    };
    if (text && !library.model.count(path))
        library.order.push_back(path);
    apply(library.model);
    for (auto& printer : library.printers)
        apply(printer.second.features);
}

// The log, one call a line: the characters the whole log needs; written only when the
// buffer holds them and a 0.
uint32_t __cdecl QzDmcLog(wchar_t* buffer, uint32_t capacity)
{
    Library& library = State();
    std::lock_guard<std::mutex> hold(library.lock);
    std::wstring text;
    for (const std::wstring& line : library.log)
        text += line + L"\n";
    if (buffer && capacity > text.size())
        Put(buffer, text, capacity);
    return static_cast<uint32_t>(text.size());
}

// The printer's exports in the order first written, "path=keyword" a line; sized and
// written as the log is.
uint32_t __cdecl QzDmcExports(const wchar_t* printer, wchar_t* buffer, uint32_t capacity)
{
    Library& library = State();
    std::lock_guard<std::mutex> hold(library.lock);
    std::wstring text;
    auto found = library.printers.find(Text(printer));
    if (found != library.printers.end())
        for (const auto& entry : found->second.exports)
            text += entry.first + L"=" + entry.second + L"\n";
    if (buffer && capacity > text.size())
        Put(buffer, text, capacity);
    return static_cast<uint32_t>(text.size());
}

} // extern "C"
