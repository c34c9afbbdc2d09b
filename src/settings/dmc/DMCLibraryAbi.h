// The calling interface of the device-model configuration library "QZVRTA32.dll": its 23
// exports, all caller-cleaned and answering a 32-bit number. The binding and the test
// stand-in of the library both take their types from here.
//
// The library is given no buffer sizes. What it may write is fixed by contract: at most
// kKeywordChars wide characters with the terminating 0 into a keyword or token buffer,
// kListChars into a list buffer and kNarrowBytes bytes into a narrow buffer. Arguments
// that no caller uses are plain 32-bit words.
#pragma once

#include <cstdint>

namespace DMCAbi {

constexpr uint32_t kKeywordChars = 255;
constexpr uint32_t kListChars = 1024;
constexpr uint32_t kNarrowBytes = 256;

// Context name under which the driver opens a configuration or an export.
constexpr const wchar_t* kDriverContext = L"DMC_DRIVER";

} // namespace DMCAbi

extern "C" {

typedef int32_t(__cdecl* DMCStartConfigProc)(const wchar_t* printer, uint32_t mode, const wchar_t* context,
                                             uint32_t reserved);
typedef int32_t(__cdecl* DMCStartExportProc)(const wchar_t* printer, const wchar_t* context, uint32_t flag);
typedef int32_t(__cdecl* DMCSetListSeparatorProc)(uint32_t a);
typedef int32_t(__cdecl* DMCSetContextRelativeProc)(uint32_t a);
typedef int32_t(__cdecl* DMCSetContextProc)(const wchar_t* path);
typedef int32_t(__cdecl* DMCSetExportProc)(const wchar_t* path, const wchar_t* keyword);
typedef int32_t(__cdecl* DMCGetOptionAttributesProc)(uint32_t a, uint32_t b);
typedef int32_t(__cdecl* DMCGetNamedOptionAttributeProc)(uint32_t a, uint32_t b, uint32_t c);
typedef int32_t(__cdecl* DMCGetNamedFeatureAttributeProc)(const wchar_t* path, const wchar_t* attribute,
                                                          wchar_t* text);
typedef int32_t(__cdecl* DMCGetListSeparatorProc)(uint32_t a);
typedef int32_t(__cdecl* DMCGetFeatureAttributesProc)(uint32_t a, uint32_t b);
typedef int32_t(__cdecl* DMCGetContextProc)(uint32_t a);
// A null path reads the feature of the current context.
typedef int32_t(__cdecl* DMCGetProc)(const wchar_t* path, wchar_t* keyword);
typedef int32_t(__cdecl* DMCGetPRVProc)(uint32_t a, uint32_t b);
typedef int32_t(__cdecl* DMCEnumOptionsProc)(uint32_t a, uint32_t b);
typedef int32_t(__cdecl* DMCEnumOptionAttributesProc)(uint32_t a, uint32_t b);
typedef int32_t(__cdecl* DMCEnumListTokenProc)(wchar_t* token, wchar_t* list);
typedef int32_t(__cdecl* DMCEnumFeaturesProc)(const wchar_t* section, wchar_t* list);
typedef int32_t(__cdecl* DMCEnumFeatureAttributesProc)(uint32_t a, uint32_t b);
typedef int32_t(__cdecl* DMCCharToWideProc)(wchar_t* wide, const char* narrow);
typedef int32_t(__cdecl* DMCWideToCharProc)(char* narrow, const wchar_t* wide);
typedef int32_t(__cdecl* DMCEndConfigProc)();
typedef int32_t(__cdecl* DMCEndExportProc)();

// The record the "DMCHELPER" callback of the printer's helper library receives: five
// 32-bit words, filled by the binding before each call.
struct DMCHelperRecord {
    uint32_t a;
    uint32_t config; // the configuration reader that set the helper
    uint32_t c;
    uint32_t d;
    uint32_t b;
};
typedef int32_t(__cdecl* DMCHelperProc)(DMCHelperRecord* record);

} // extern "C"

static_assert(sizeof(DMCHelperRecord) == 20, "the helper record is five 32-bit words");
