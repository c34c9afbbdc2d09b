// The 16-bit counted string, twin of RWCString: the same copy-on-write representation
// with 16-bit characters, its own empty representation, lock and capacity settings.
// Besides wide text it is made from 8-bit text either byte by byte (each byte
// zero-extended) or converted from the current code page (the multiByte forms).
#pragma once

#include "foundation/RWCString.h"
#include "foundation/RWStringCore.h"
#include "foundation/RWStringSpanOf.h"

#include <cstddef>
#include <cstdint>

class RWBinaryFile;
class RWDataInStream;
class RWDataOutStream;
class RWWString;

typedef RWStringRepOf<wchar_t> RWWStringRep;

// Its index errors are [INDEX] errors with the span's length.
class RWWStringSpan : public RWStringSpanOf<RWWString, wchar_t> {
public:
    using RWStringSpanOf::operator=;
    RWWStringSpan(const RWWStringSpan&) = default;
    RWWStringSpan& operator=(const RWWStringSpan& s)
    {
        RWStringSpanOf::operator=(s);
        return *this;
    }

private:
    friend class RWWString;
    RWWStringSpan(Core& core, size_t start, size_t length) : RWStringSpanOf(core, start, length) {}
};

class RWWString {
public:
    typedef RWStringCore<wchar_t> Core;
    typedef RWCaseCompare CaseCompare;
    static constexpr CaseCompare exact = RWExact;
    static constexpr CaseCompare ignoreCase = RWIgnoreCase;
    typedef RWStripType StripType;
    static constexpr StripType leading = RWStripLeading;
    static constexpr StripType trailing = RWStripTrailing;
    static constexpr StripType both = RWStripBoth;
    // Selects conversion from the current code page over widening byte by byte.
    enum MultiByte { multiByte };

    RWWString() = default;
    explicit RWWString(size_t capacity);
    RWWString(const wchar_t* s);
    RWWString(const wchar_t* s, size_t n);
    explicit RWWString(wchar_t c);
    RWWString(wchar_t c, size_t n);
    RWWString(const RWWStringSpan& span);
    // Widened byte by byte, no code-page conversion.
    explicit RWWString(char c);
    RWWString(const char* s);
    RWWString(const char* s, size_t n);
    explicit RWWString(const RWCString& s);
    // Converted from the current code page; text that does not convert gives an empty string.
    RWWString(const char* s, MultiByte);
    RWWString(const char* s, size_t n, MultiByte);
    RWWString(const RWCString& s, MultiByte);
    RWWString(const RWWString&) = default;
    ~RWWString() = default;
    RWWString& operator=(const RWWString&) = default;
    RWWString& operator=(const wchar_t* s);

    const wchar_t* Data() const { return core_.Data(); }
    size_t Length() const { return core_.Length(); }
    bool IsNull() const { return core_.Length() == 0; }
    size_t Capacity() const { return core_.Capacity(); }
    size_t Capacity(size_t n) { return core_.SetCapacity(n); }

    static size_t SetInitialCapacity(size_t n) { return Core::SetInitialCapacity(n); }
    static size_t SetResizeIncrement(size_t n) { return Core::SetResizeIncrement(n); }
    static size_t SetMaxWaste(size_t n) { return Core::SetMaxWaste(n); }
    static size_t AdjustCapacity(size_t n) { return Core::AdjustCapacity(n); }

    RWWString& Replace(size_t pos, size_t m, const wchar_t* s, size_t k);
    RWWString& Replace(size_t pos, size_t m, const wchar_t* s);
    RWWString& Replace(size_t pos, size_t m, const RWWString& s);
    RWWString& Append(const wchar_t* s);
    RWWString& Append(const wchar_t* s, size_t n);
    RWWString& Append(const RWWString& s);
    RWWString& Append(wchar_t c, size_t n = 1);
    RWWString& Prepend(const wchar_t* s);
    RWWString& Prepend(const wchar_t* s, size_t n);
    RWWString& Prepend(const RWWString& s);
    RWWString& Prepend(wchar_t c, size_t n = 1);
    RWWString& Insert(size_t pos, const wchar_t* s);
    RWWString& Insert(size_t pos, const wchar_t* s, size_t n);
    RWWString& Insert(size_t pos, const RWWString& s);
    RWWString& Remove(size_t pos);
    RWWString& Remove(size_t pos, size_t n);
    RWWString& operator+=(const wchar_t* s) { return Append(s); }
    RWWString& operator+=(const RWWString& s) { return Append(s); }
    void Resize(size_t n) { core_.Resize(n); }
    void ToLower();
    void ToUpper();

    wchar_t& operator[](size_t i) { return core_.At(i); }
    wchar_t operator[](size_t i) const { return core_.At(i); }
    RWWString Copy() const;
    RWWStringSpan operator()(size_t start, size_t n);
    const RWWStringSpan operator()(size_t start, size_t n) const;

    size_t First(wchar_t c) const { return core_.FirstBeforeNul(c); }
    size_t First(wchar_t c, size_t) const { return core_.First(c); }
    size_t First(const wchar_t* set) const;
    size_t First(const wchar_t* set, size_t n) const { return core_.FirstOf(set, n); }
    size_t Last(wchar_t c) const { return core_.LastBeforeNul(c); }
    size_t Last(wchar_t c, size_t) const { return core_.Last(c); }
    size_t Index(const wchar_t* pattern, size_t start = 0, CaseCompare cmp = exact) const;
    size_t Index(const RWWString& pattern, size_t start = 0, CaseCompare cmp = exact) const;
    size_t Index(const wchar_t* pattern, size_t patternLength, size_t start, CaseCompare cmp) const;
    // True when the whole pattern occurs somewhere.
    bool Contains(const wchar_t* pattern, CaseCompare cmp = exact) const;
    RWWStringSpan SubString(const wchar_t* pattern, size_t start = 0, CaseCompare cmp = exact);
    const RWWStringSpan SubString(const wchar_t* pattern, size_t start = 0, CaseCompare cmp = exact) const;
    RWWStringSpan Strip(StripType which = trailing, wchar_t c = L' ');
    const RWWStringSpan Strip(StripType which = trailing, wchar_t c = L' ') const;

    // -1, 0 or 1: characters compare as unsigned 16-bit values, except that exact
    // comparison of two strings compares their storage bytes in memory order.
    int CompareTo(const wchar_t* s, CaseCompare cmp = exact) const { return core_.CompareText(s, cmp); }
    int CompareTo(const RWWString& s, CaseCompare cmp = exact) const { return core_.Compare(s.core_, cmp); }
    unsigned Hash(CaseCompare cmp = exact) const { return core_.Hash(cmp); }
    bool IsAscii() const { return core_.IsAscii(); }
    int Collate(const wchar_t* s) const;

    // The text in the current code page; empty when it does not convert.
    RWCString ToMultiByte() const;
    // The low byte of each character.
    RWCString ToAscii() const;

    // On a binary file: u32 length in characters, then the 16-bit characters in host order.
    bool SaveOn(RWBinaryFile& file) const { return core_.SaveOn(file); }
    bool RestoreFrom(RWBinaryFile& file) { return core_.RestoreFrom(file); }
    size_t BinaryStoreSize() const { return core_.BinaryStoreSize(); }

    // On a typed data stream: the length as an unsigned int, then the characters as an
    // array of 16-bit unsigned values. Reading stops with the string unchanged when the
    // length cannot be read or the stream cannot hold that much. Both answer whether
    // the stream is still good.
    bool SaveOn(RWDataOutStream& stream) const;
    bool RestoreFrom(RWDataInStream& stream);

    // For readers of stored forms, as RWCString's.
    wchar_t* Clobber(size_t n) { return core_.Clobber(n); }
    void SetLength(size_t n) { core_.SetLength(n); }

private:
    friend RWWString operator+(const RWWString& a, const wchar_t* b);
    friend RWWString operator+(const wchar_t* a, const RWWString& b);
    friend RWWString operator+(const RWWString& a, const RWWString& b);
    friend RWWString StrXForm(const RWWString& s);

    explicit RWWString(Core&& core) : core_(static_cast<Core&&>(core)) {}

    Core core_;
};

RWWString operator+(const RWWString& a, const wchar_t* b);
RWWString operator+(const wchar_t* a, const RWWString& b);
RWWString operator+(const RWWString& a, const RWWString& b);

bool operator==(const RWWString& a, const wchar_t* b);
bool operator==(const RWWString& a, const RWWString& b);
inline bool operator==(const wchar_t* a, const RWWString& b) { return b == a; }
inline bool operator!=(const RWWString& a, const wchar_t* b) { return !(a == b); }
inline bool operator!=(const wchar_t* a, const RWWString& b) { return !(b == a); }
inline bool operator!=(const RWWString& a, const RWWString& b) { return !(a == b); }
inline bool operator<(const RWWString& a, const RWWString& b) { return a.CompareTo(b) < 0; }
inline bool operator>(const RWWString& a, const RWWString& b) { return a.CompareTo(b) > 0; }
inline bool operator<=(const RWWString& a, const RWWString& b) { return a.CompareTo(b) <= 0; }
inline bool operator>=(const RWWString& a, const RWWString& b) { return a.CompareTo(b) >= 0; }

RWWString ToLower(const RWWString& s);
RWWString ToUpper(const RWWString& s);
// The wcsxfrm transform of the text; empty when the transform fails.
RWWString StrXForm(const RWWString& s);

RWBinaryFile& operator<<(RWBinaryFile& file, const RWWString& s);
RWBinaryFile& operator>>(RWBinaryFile& file, RWWString& s);
RWDataOutStream& operator<<(RWDataOutStream& stream, const RWWString& s);
RWDataInStream& operator>>(RWDataInStream& stream, RWWString& s);
