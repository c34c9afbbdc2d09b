// The locale of the module's own text conversions. The module reads and writes narrow
// text in the system code page: the character types always, and every category for the
// system languages whose text needs them. The C runtime's process-wide locale belongs to
// the host, which shares the runtime with the module, so the module never sets it: it
// keeps a private locale of the system code page (".ACP") and hands it to each
// conversion. Until one is made, or when none can be, the conversions follow the
// process's locale.
//
// What follows it: narrow to wide and wide to narrow conversion, the length of a narrow
// character, and the collation of both string kinds. Case mapping stays with the
// process's locale, so that a case-folded hash never changes while the module is loaded.
#pragma once

#include <cstddef>

class RWTextLocale {
public:
    // Makes the private locale of the category (LC_ALL or LC_CTYPE) in the system code
    // page, in place of one held. True when it was made.
    static bool Use(int category);
    // Frees the private locale: the conversions follow the process's locale again.
    static void Release();
    static bool InUse();

    // mbstowcs: at most n wide characters of the terminated text; -1 (as size_t) for a
    // byte sequence the code page does not know.
    static size_t ToWide(wchar_t* out, const char* text, size_t n);
    // wcstombs: at most n bytes of the terminated text; with out null, the bytes needed.
    static size_t ToNarrow(char* out, const wchar_t* text, size_t n);
    // mblen: the bytes of the character at text (at most n read); 0 for a NUL, -1 for
    // an invalid or cut sequence.
    static int CharLength(const char* text, size_t n);
    static int Collate(const char* a, const char* b);
    static int Collate(const wchar_t* a, const wchar_t* b);
};
