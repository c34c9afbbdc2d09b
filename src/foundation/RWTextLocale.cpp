#include "foundation/RWTextLocale.h"

#include <atomic>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <locale.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

namespace {

// Set at the module's attach and freed at its detach, when no other call runs.
std::atomic<_locale_t> g_locale{nullptr};

} // namespace

bool RWTextLocale::Use(int category)
{
    _locale_t made = _create_locale(category, ".ACP");
    if (!made)
        return false;
    if (_locale_t old = g_locale.exchange(made))
        _free_locale(old);
    return true;
}

void RWTextLocale::Release()
{
    if (_locale_t old = g_locale.exchange(nullptr))
        _free_locale(old);
}

bool RWTextLocale::InUse() { return g_locale.load() != nullptr; }

size_t RWTextLocale::ToWide(wchar_t* out, const char* text, size_t n)
{
    _locale_t locale = g_locale.load();
    return locale ? _mbstowcs_l(out, text, n, locale) : std::mbstowcs(out, text, n);
}

size_t RWTextLocale::ToNarrow(char* out, const wchar_t* text, size_t n)
{
    _locale_t locale = g_locale.load();
    return locale ? _wcstombs_l(out, text, out ? n : 0, locale) : std::wcstombs(out, text, out ? n : 0);
}

int RWTextLocale::CharLength(const char* text, size_t n)
{
    _locale_t locale = g_locale.load();
    if (!text || n == 0)
        return -1;
    if (*text == 0)
        return 0;
    // mbtowc with no output is mblen with the locale given.
    return locale ? _mbtowc_l(nullptr, text, n, locale) : std::mbtowc(nullptr, text, n);
}

int RWTextLocale::Collate(const char* a, const char* b)
{
    _locale_t locale = g_locale.load();
    return locale ? _strcoll_l(a, b, locale) : std::strcoll(a, b);
}

int RWTextLocale::Collate(const wchar_t* a, const wchar_t* b)
{
    _locale_t locale = g_locale.load();
    return locale ? _wcscoll_l(a, b, locale) : std::wcscoll(a, b);
}
