// The calling interface of the keystroke job plug-in library "qzplom32.dll": four
// caller-cleaned exports around a print job. The binding and the test stand-in of the
// library both take their types from here.
#pragma once

#include <cstddef>
#include <cstdint>

extern "C" {

// What ksEndPage is given for every page: its own size, then zeros.
struct KsPageRecord {
    uint16_t size;
    uint16_t reserved;
    uint32_t fields[3];
};

typedef uint32_t(__cdecl* KsBeginJobExProc)(uint32_t osVersion, uint32_t copies, uint32_t option434,
                                            const wchar_t* output, const wchar_t* document, const wchar_t* marker);
typedef uint32_t(__cdecl* KsBeginJobProc)(uint32_t copies, const wchar_t* output, const wchar_t* document,
                                          const wchar_t* marker);
typedef uint32_t(__cdecl* KsEndPageProc)(uint32_t job, const KsPageRecord* page);
typedef uint32_t(__cdecl* KsEndJobProc)(uint32_t job, uint32_t aborted);

} // extern "C"

static_assert(sizeof(KsPageRecord) == 16, "the page record is 16 bytes");
static_assert(offsetof(KsPageRecord, fields) == 4, "the record's fields follow its size and two zero bytes");
