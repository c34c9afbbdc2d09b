// A keystroke job plug-in for the tests. Each call is handed to the program that loaded
// the module (its export QzTestKsJobCall) with the call's arguments as 32-bit words and,
// for ksEndPage, the page record's bytes; the program records them and chooses the
// answer. Without that export every call answers 0.
//
// Built three times, each in a folder of its own: whole, without ksBeginJobEx, and
// without ksEndPage.
#include "settings/devmode/KsJobPluginAbi.h"

#include <windows.h>

#include <cstdint>
#include <type_traits>

namespace {

uint32_t Forward(const char* entry, const uint32_t* words, uint32_t count, const void* record, uint32_t size)
{
    typedef uint32_t(__cdecl * Call)(const char*, const uint32_t*, uint32_t, const void*, uint32_t);
    Call call = reinterpret_cast<Call>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(nullptr), "QzTestKsJobCall")));
    return call ? call(entry, words, count, record, size) : 0;
}

uint32_t Word(const void* pointer) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(pointer)); }

} // namespace

extern "C" {

#ifndef QZ_WITHOUT_BEGIN_JOB_EX
uint32_t __cdecl ksBeginJobEx(uint32_t osVersion, uint32_t copies, uint32_t option434, const wchar_t* output,
                              const wchar_t* document, const wchar_t* marker)
{
    const uint32_t words[] = {osVersion, copies, option434, Word(output), Word(document), Word(marker)};
    return Forward("ksBeginJobEx", words, 6, nullptr, 0);
}
#endif

uint32_t __cdecl ksBeginJob(uint32_t copies, const wchar_t* output, const wchar_t* document, const wchar_t* marker)
{
    const uint32_t words[] = {copies, Word(output), Word(document), Word(marker)};
    return Forward("ksBeginJob", words, 4, nullptr, 0);
}

#ifndef QZ_WITHOUT_END_PAGE
uint32_t __cdecl ksEndPage(uint32_t job, const KsPageRecord* page)
{
    const uint32_t words[] = {job, Word(page)};
    return Forward("ksEndPage", words, 2, page, page ? sizeof(KsPageRecord) : 0);
}
#endif

uint32_t __cdecl ksEndJob(uint32_t job, uint32_t aborted)
{
    const uint32_t words[] = {job, aborted};
    return Forward("ksEndJob", words, 2, nullptr, 0);
}

} // extern "C"

// Every export has the type the binding calls it through.
#ifndef QZ_WITHOUT_BEGIN_JOB_EX
static_assert(std::is_same<decltype(&ksBeginJobEx), KsBeginJobExProc>::value, "ksBeginJobEx");
#endif
static_assert(std::is_same<decltype(&ksBeginJob), KsBeginJobProc>::value, "ksBeginJob");
#ifndef QZ_WITHOUT_END_PAGE
static_assert(std::is_same<decltype(&ksEndPage), KsEndPageProc>::value, "ksEndPage");
#endif
static_assert(std::is_same<decltype(&ksEndJob), KsEndJobProc>::value, "ksEndJob");
