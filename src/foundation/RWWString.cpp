#include "foundation/RWWString.h"

#include "foundation/RWBinaryFile.h"
#include "foundation/RWErrorHandler.h"
#include "foundation/RWTextLocale.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <memory>

static_assert(sizeof(RWWString) == sizeof(wchar_t*), "a string is one pointer to its characters");
static_assert(sizeof(RWWStringSpan) == 12, "a span is the string, a start and a length");

RWStringSettings RWStringTraits<wchar_t>::settings = {15, 16, 15};
RWStringEmptyRep<wchar_t> RWStringTraits<wchar_t>::empty = {{0, 0, 0}, {0, 0}};

size_t RWStringTraits<wchar_t>::TextLength(const wchar_t* s) { return s ? std::wcslen(s) : 0; }
wchar_t RWStringTraits<wchar_t>::Lower(wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); }
wchar_t RWStringTraits<wchar_t>::Upper(wchar_t c) { return static_cast<wchar_t>(std::towupper(c)); }
uint32_t RWStringTraits<wchar_t>::HashUpper(wchar_t c) { return static_cast<uint16_t>(Upper(c)); }

uint32_t RWStringTraits<wchar_t>::HashTail(const unsigned char* bytes, size_t count)
{
    // The last character of an odd length, zero-extended.
    uint16_t c = 0;
    std::memcpy(&c, bytes, std::min<size_t>(count, sizeof c));
    return c;
}

void RWStringTraits<wchar_t>::RaiseSpanIndex(size_t index, size_t spanLength)
{
    RWRaiseBounds(RWMessageIndex(), static_cast<unsigned>(index), static_cast<unsigned>(spanLength));
}

namespace {

// Capacity at least n.
RWWString::Core Widened(const char* s, size_t n, size_t capacity)
{
    if (!s)
        n = 0;
    RWWString::Core core = RWWString::Core::Blank(n, capacity);
    wchar_t* out = core.MutableData();
    for (size_t i = 0; i < n; ++i)
        out[i] = static_cast<unsigned char>(s[i]);
    return core;
}

// n bytes of terminated text in the current code page.
RWWString::Core Converted(const char* terminated, size_t n)
{
    wchar_t small[64];
    std::unique_ptr<wchar_t[]> large;
    wchar_t* out = small;
    if (n >= 64) {
        large.reset(new wchar_t[n + 1]);
        out = large.get();
    }
    // A character takes at least one byte, so n + 1 units always hold the result.
    const size_t count = RWTextLocale::ToWide(out, terminated, n + 1);
    if (count == static_cast<size_t>(-1))
        return RWWString::Core();
    return RWWString::Core::OfText(out, count, count);
}

RWWString::Core Converted(const char* s, size_t n, bool terminated)
{
    if (!s || n == 0)
        return RWWString::Core();
    if (terminated)
        return Converted(s, n);
    // Text with a length may not be terminated: convert a terminated copy, so that the
    // conversion never reads past its n bytes.
    std::unique_ptr<char[]> copy(new char[n + 1]);
    std::memcpy(copy.get(), s, n);
    copy[n] = 0;
    return Converted(copy.get(), n);
}

} // namespace

RWWString::RWWString(size_t capacity) : core_(Core::Blank(0, capacity)) {}

RWWString::RWWString(const wchar_t* s) : core_(Core::OfText(s)) {}

RWWString::RWWString(const wchar_t* s, size_t n) : core_(Core::OfText(s, n, n)) {}

RWWString::RWWString(wchar_t c)
    : core_(Core::OfFill(c, 1, std::max<size_t>(RWStringTraits<wchar_t>::settings.initialCapacity, 1)))
{
}

RWWString::RWWString(wchar_t c, size_t n) : core_(Core::OfFill(c, n, n)) {}

RWWString::RWWString(const RWWStringSpan& span)
    : core_(span.IsNull() ? Core()
                          : Core::OfText(span.Data(), span.VisibleLength(), Core::AdjustCapacity(span.VisibleLength())))
{
}

RWWString::RWWString(char c)
    : core_(Widened(&c, 1, std::max<size_t>(RWStringTraits<wchar_t>::settings.initialCapacity, 1)))
{
}

RWWString::RWWString(const char* s) : core_(Widened(s, RWStringTraits<char>::TextLength(s), 0)) {}
RWWString::RWWString(const char* s, size_t n) : core_(Widened(s, n, n)) {}
RWWString::RWWString(const RWCString& s) : core_(Widened(s.Data(), s.Length(), s.Length())) {}
RWWString::RWWString(const char* s, MultiByte) : core_(Converted(s, s ? std::strlen(s) : 0, true)) {}
RWWString::RWWString(const char* s, size_t n, MultiByte) : core_(Converted(s, n, false)) {}
RWWString::RWWString(const RWCString& s, MultiByte) : core_(Converted(s.Data(), s.Length(), true)) {}

RWWString& RWWString::operator=(const wchar_t* s)
{
    core_.AssignText(s, RWStringTraits<wchar_t>::TextLength(s));
    return *this;
}

RWWString& RWWString::Replace(size_t pos, size_t m, const wchar_t* s, size_t k)
{
    core_.Replace(pos, m, s, k);
    return *this;
}

RWWString& RWWString::Replace(size_t pos, size_t m, const wchar_t* s)
{
    return Replace(pos, m, s, RWStringTraits<wchar_t>::TextLength(s));
}

RWWString& RWWString::Replace(size_t pos, size_t m, const RWWString& s) { return Replace(pos, m, s.Data(), s.Length()); }

RWWString& RWWString::Append(const wchar_t* s) { return Append(s, RWStringTraits<wchar_t>::TextLength(s)); }
RWWString& RWWString::Append(const wchar_t* s, size_t n) { return Replace(Length(), 0, s, n); }
RWWString& RWWString::Append(const RWWString& s) { return Append(s.Data(), s.Length()); }

RWWString& RWWString::Append(wchar_t c, size_t n)
{
    core_.AppendFill(c, n);
    return *this;
}

RWWString& RWWString::Prepend(const wchar_t* s) { return Prepend(s, RWStringTraits<wchar_t>::TextLength(s)); }
RWWString& RWWString::Prepend(const wchar_t* s, size_t n) { return Replace(0, 0, s, n); }
RWWString& RWWString::Prepend(const RWWString& s) { return Prepend(s.Data(), s.Length()); }

RWWString& RWWString::Prepend(wchar_t c, size_t n)
{
    core_.PrependFill(c, n);
    return *this;
}

RWWString& RWWString::Insert(size_t pos, const wchar_t* s)
{
    return Replace(pos, 0, s, RWStringTraits<wchar_t>::TextLength(s));
}

RWWString& RWWString::Insert(size_t pos, const wchar_t* s, size_t n) { return Replace(pos, 0, s, n); }
RWWString& RWWString::Insert(size_t pos, const RWWString& s) { return Replace(pos, 0, s.Data(), s.Length()); }
RWWString& RWWString::Remove(size_t pos) { return Replace(pos, RW_NPOS, nullptr, 0); }
RWWString& RWWString::Remove(size_t pos, size_t n) { return Replace(pos, n, nullptr, 0); }

void RWWString::ToLower() { core_.ChangeCase(0, Length(), false); }
void RWWString::ToUpper() { core_.ChangeCase(0, Length(), true); }

RWWString RWWString::Copy() const { return RWWString(Core::OfText(Data(), Length(), Length())); }

RWWStringSpan RWWString::operator()(size_t start, size_t n)
{
    // A start of RW_NPOS (a failed search) gives the null span.
    if (start == RW_NPOS)
        return RWWStringSpan(core_, RW_NPOS, 0);
    start = std::min(start, Length());
    return RWWStringSpan(core_, start, std::min(n, Length() - start));
}

const RWWStringSpan RWWString::operator()(size_t start, size_t n) const
{
    return const_cast<RWWString&>(*this)(start, n);
}

size_t RWWString::First(const wchar_t* set) const
{
    return core_.FirstOf(set, RWStringTraits<wchar_t>::TextLength(set));
}

size_t RWWString::Index(const wchar_t* pattern, size_t start, CaseCompare cmp) const
{
    return core_.Index(pattern, RWStringTraits<wchar_t>::TextLength(pattern), start, cmp);
}

size_t RWWString::Index(const RWWString& pattern, size_t start, CaseCompare cmp) const
{
    return core_.Index(pattern.Data(), pattern.Length(), start, cmp);
}

size_t RWWString::Index(const wchar_t* pattern, size_t patternLength, size_t start, CaseCompare cmp) const
{
    return core_.Index(pattern, patternLength, start, cmp);
}

bool RWWString::Contains(const wchar_t* pattern, CaseCompare cmp) const { return Index(pattern, 0, cmp) != RW_NPOS; }

RWWStringSpan RWWString::SubString(const wchar_t* pattern, size_t start, CaseCompare cmp)
{
    const size_t length = RWStringTraits<wchar_t>::TextLength(pattern);
    const size_t at = core_.Index(pattern, length, start, cmp);
    return RWWStringSpan(core_, at, at == RW_NPOS ? 0 : length);
}

const RWWStringSpan RWWString::SubString(const wchar_t* pattern, size_t start, CaseCompare cmp) const
{
    return const_cast<RWWString&>(*this).SubString(pattern, start, cmp);
}

RWWStringSpan RWWString::Strip(StripType which, wchar_t c)
{
    size_t start, length;
    core_.Strip(which, c, start, length);
    return RWWStringSpan(core_, start, length);
}

const RWWStringSpan RWWString::Strip(StripType which, wchar_t c) const
{
    return const_cast<RWWString&>(*this).Strip(which, c);
}

int RWWString::Collate(const wchar_t* s) const { return RWTextLocale::Collate(Data(), s ? s : L""); }

RWCString RWWString::ToMultiByte() const
{
    // The bytes the text takes in the code page, asked first: no guess of the widest
    // character can fall short.
    const size_t needed = RWTextLocale::ToNarrow(nullptr, Data(), 0);
    if (needed == static_cast<size_t>(-1) || needed >= SIZE_MAX - 1)
        return RWCString();
    std::unique_ptr<char[]> buffer(new char[needed + 1]);
    const size_t n = RWTextLocale::ToNarrow(buffer.get(), Data(), needed + 1);
    if (n == static_cast<size_t>(-1) || n > needed)
        return RWCString();
    return RWCString(buffer.get(), n);
}

RWCString RWWString::ToAscii() const
{
    const size_t n = Length();
    if (n == 0)
        return RWCString();
    RWCString result;
    char* out = result.Clobber(n);
    for (size_t i = 0; i < n; ++i)
        out[i] = static_cast<char>(Data()[i] & 0xFF);
    result.SetLength(n);
    return result;
}

RWWString operator+(const RWWString& a, const wchar_t* b)
{
    return RWWString(RWWString::Core::OfConcat(a.Data(), a.Length(), b, RWStringTraits<wchar_t>::TextLength(b)));
}

RWWString operator+(const wchar_t* a, const RWWString& b)
{
    return RWWString(RWWString::Core::OfConcat(a, RWStringTraits<wchar_t>::TextLength(a), b.Data(), b.Length()));
}

RWWString operator+(const RWWString& a, const RWWString& b)
{
    return RWWString(RWWString::Core::OfConcat(a.Data(), a.Length(), b.Data(), b.Length()));
}

bool operator==(const RWWString& a, const wchar_t* b)
{
    const size_t n = RWStringTraits<wchar_t>::TextLength(b);
    return a.Length() == n && RWWString::Core::SameText(a.Data(), b, n);
}

bool operator==(const RWWString& a, const RWWString& b)
{
    return a.Length() == b.Length() && RWWString::Core::SameText(a.Data(), b.Data(), a.Length());
}

RWWString ToLower(const RWWString& s)
{
    RWWString copy(s);
    copy.ToLower();
    return copy;
}

RWWString ToUpper(const RWWString& s)
{
    RWWString copy(s);
    copy.ToUpper();
    return copy;
}

RWWString StrXForm(const RWWString& s) { return RWWString(RWWString::Core::Transformed(s.Data())); }

RWBinaryFile& operator<<(RWBinaryFile& file, const RWWString& s)
{
    s.SaveOn(file);
    return file;
}

RWBinaryFile& operator>>(RWBinaryFile& file, RWWString& s)
{
    s.RestoreFrom(file);
    return file;
}
