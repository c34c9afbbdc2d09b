#include "foundation/RWCString.h"

#include "foundation/RWBinaryFile.h"
#include "foundation/RWErrorHandler.h"
#include "foundation/RWTextLocale.h"

#include <algorithm>
#include <cctype>
#include <clocale>
#include <cstdlib>
#include <cstring>

static_assert(sizeof(RWCString) == sizeof(char*), "a string is one pointer to its characters");
static_assert(sizeof(RWCStringSpan) == 12, "a span is the string, a start and a length");

RWStringSettings RWStringTraits<char>::settings = {15, 16, 15};
RWStringEmptyRep<char> RWStringTraits<char>::empty = {{0, 0, 0}, {0, 0}};

size_t RWStringTraits<char>::TextLength(const char* s) { return s ? std::strlen(s) : 0; }
char RWStringTraits<char>::Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }
char RWStringTraits<char>::Upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

uint32_t RWStringTraits<char>::HashUpper(char c)
{
    return static_cast<uint32_t>(std::toupper(static_cast<unsigned char>(c)));
}

uint32_t RWStringTraits<char>::HashTail(const unsigned char* bytes, size_t count)
{
    // Each byte widened as a signed value: 0x80 and above set all the upper bits.
    uint32_t t = 0;
    for (size_t i = 0; i < count; ++i)
        t = (t << 8) | static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(bytes[i])));
    return t;
}

void RWStringTraits<char>::RaiseSpanIndex(size_t index, size_t spanLength) { RWRaiseIndexError(index, spanLength); }

// RWCString

RWCString::RWCString(size_t capacity) : core_(Core::Blank(0, capacity)) {}

RWCString::RWCString(const char* s) : core_(Core::OfText(s)) {}

RWCString::RWCString(const char* s, size_t n) : core_(Core::OfText(s, n, n)) {}

RWCString::RWCString(char c)
    : core_(Core::OfFill(c, 1, std::max<size_t>(RWStringTraits<char>::settings.initialCapacity, 1)))
{
}

RWCString::RWCString(char c, size_t n) : core_(Core::OfFill(c, n, n)) {}

RWCString::RWCString(const RWCStringSpan& span)
    : core_(span.IsNull() ? Core()
                          : Core::OfText(span.Data(), span.VisibleLength(), Core::AdjustCapacity(span.VisibleLength())))
{
}

RWCString& RWCString::operator=(const char* s)
{
    core_.AssignText(s, RWStringTraits<char>::TextLength(s));
    return *this;
}

RWCString& RWCString::Replace(size_t pos, size_t m, const char* s, size_t k)
{
    core_.Replace(pos, m, s, k);
    return *this;
}

RWCString& RWCString::Replace(size_t pos, size_t m, const char* s)
{
    return Replace(pos, m, s, RWStringTraits<char>::TextLength(s));
}

RWCString& RWCString::Replace(size_t pos, size_t m, const RWCString& s) { return Replace(pos, m, s.Data(), s.Length()); }

RWCString& RWCString::Append(const char* s) { return Append(s, RWStringTraits<char>::TextLength(s)); }
RWCString& RWCString::Append(const char* s, size_t n) { return Replace(Length(), 0, s, n); }
RWCString& RWCString::Append(const RWCString& s) { return Append(s.Data(), s.Length()); }

RWCString& RWCString::Append(char c, size_t n)
{
    core_.AppendFill(c, n);
    return *this;
}

RWCString& RWCString::Prepend(const char* s) { return Prepend(s, RWStringTraits<char>::TextLength(s)); }
RWCString& RWCString::Prepend(const char* s, size_t n) { return Replace(0, 0, s, n); }
RWCString& RWCString::Prepend(const RWCString& s) { return Prepend(s.Data(), s.Length()); }

RWCString& RWCString::Prepend(char c, size_t n)
{
    core_.PrependFill(c, n);
    return *this;
}

RWCString& RWCString::Insert(size_t pos, const char* s) { return Replace(pos, 0, s, RWStringTraits<char>::TextLength(s)); }
RWCString& RWCString::Insert(size_t pos, const char* s, size_t n) { return Replace(pos, 0, s, n); }
RWCString& RWCString::Insert(size_t pos, const RWCString& s) { return Replace(pos, 0, s.Data(), s.Length()); }
RWCString& RWCString::Remove(size_t pos) { return Replace(pos, RW_NPOS, nullptr, 0); }
RWCString& RWCString::Remove(size_t pos, size_t n) { return Replace(pos, n, nullptr, 0); }

void RWCString::ToLower() { core_.ChangeCase(0, Length(), false); }
void RWCString::ToUpper() { core_.ChangeCase(0, Length(), true); }

RWCString RWCString::Copy() const { return RWCString(Core::OfText(Data(), Length(), Length())); }

RWCStringSpan RWCString::operator()(size_t start, size_t n)
{
    // A start of RW_NPOS (a failed search) gives the null span.
    if (start == RW_NPOS)
        return RWCStringSpan(core_, RW_NPOS, 0);
    start = std::min(start, Length());
    return RWCStringSpan(core_, start, std::min(n, Length() - start));
}

const RWCStringSpan RWCString::operator()(size_t start, size_t n) const
{
    return const_cast<RWCString&>(*this)(start, n);
}

size_t RWCString::First(const char* set) const { return core_.FirstOf(set, RWStringTraits<char>::TextLength(set)); }

size_t RWCString::Index(const char* pattern, size_t start, CaseCompare cmp) const
{
    return core_.Index(pattern, RWStringTraits<char>::TextLength(pattern), start, cmp);
}

size_t RWCString::Index(const RWCString& pattern, size_t start, CaseCompare cmp) const
{
    return core_.Index(pattern.Data(), pattern.Length(), start, cmp);
}

size_t RWCString::Index(const char* pattern, size_t patternLength, size_t start, CaseCompare cmp) const
{
    return core_.Index(pattern, patternLength, start, cmp);
}

RWCStringSpan RWCString::SubString(const char* pattern, size_t start, CaseCompare cmp)
{
    const size_t length = RWStringTraits<char>::TextLength(pattern);
    const size_t at = core_.Index(pattern, length, start, cmp);
    return RWCStringSpan(core_, at, at == RW_NPOS ? 0 : length);
}

const RWCStringSpan RWCString::SubString(const char* pattern, size_t start, CaseCompare cmp) const
{
    return const_cast<RWCString&>(*this).SubString(pattern, start, cmp);
}

RWCStringSpan RWCString::Strip(StripType which, char c)
{
    size_t start, length;
    core_.Strip(which, c, start, length);
    return RWCStringSpan(core_, start, length);
}

const RWCStringSpan RWCString::Strip(StripType which, char c) const
{
    return const_cast<RWCString&>(*this).Strip(which, c);
}

int RWCString::Collate(const char* s) const { return RWTextLocale::Collate(Data(), s ? s : ""); }

size_t RWCString::MbLength() const
{
    const char* p = Data();
    size_t left = Length();
    size_t count = 0;
    while (left > 0) {
        int n = RWTextLocale::CharLength(p, left);
        if (n < 0)
            return RW_NPOS;
        if (n == 0) // an embedded NUL is one character
            n = 1;
        p += n;
        left -= static_cast<size_t>(n);
        ++count;
    }
    return count;
}

RWCString operator+(const RWCString& a, const char* b)
{
    return RWCString(RWCString::Core::OfConcat(a.Data(), a.Length(), b, RWStringTraits<char>::TextLength(b)));
}

RWCString operator+(const char* a, const RWCString& b)
{
    return RWCString(RWCString::Core::OfConcat(a, RWStringTraits<char>::TextLength(a), b.Data(), b.Length()));
}

RWCString operator+(const RWCString& a, const RWCString& b)
{
    return RWCString(RWCString::Core::OfConcat(a.Data(), a.Length(), b.Data(), b.Length()));
}

bool operator==(const RWCString& a, const char* b)
{
    const size_t n = RWStringTraits<char>::TextLength(b);
    return a.Length() == n && RWCString::Core::SameText(a.Data(), b, n);
}

bool operator==(const RWCString& a, const RWCString& b)
{
    return a.Length() == b.Length() && RWCString::Core::SameText(a.Data(), b.Data(), a.Length());
}

RWCString ToLower(const RWCString& s)
{
    RWCString copy(s);
    copy.ToLower();
    return copy;
}

RWCString ToUpper(const RWCString& s)
{
    RWCString copy(s);
    copy.ToUpper();
    return copy;
}

RWCString StrXForm(const RWCString& s) { return RWCString(RWCString::Core::Transformed(s.Data())); }

RWBinaryFile& operator<<(RWBinaryFile& file, const RWCString& s)
{
    s.SaveOn(file);
    return file;
}

RWBinaryFile& operator>>(RWBinaryFile& file, RWCString& s)
{
    s.RestoreFrom(file);
    return file;
}
