// The 8-bit counted string of the whole system, and its span (a writable view into one
// string). Copies share one representation; the first write through a shared string
// gives it a private copy. The length, not a terminator, ends the text, so characters
// may include NUL bytes; a NUL always follows the last character.
#pragma once

#include "foundation/RWStringCore.h"
#include "foundation/RWStringSpanOf.h"

#include <cstddef>
#include <cstdint>

class RWBinaryFile;
class RWDataInStream;
class RWDataOutStream;
class RWCString;

typedef RWStringRepOf<char> RWCStringRep;

class RWCStringSpan : public RWStringSpanOf<RWCString, char> {
public:
    using RWStringSpanOf::operator=;
    RWCStringSpan(const RWCStringSpan&) = default;
    RWCStringSpan& operator=(const RWCStringSpan& s)
    {
        RWStringSpanOf::operator=(s);
        return *this;
    }

private:
    friend class RWCString;
    RWCStringSpan(Core& core, size_t start, size_t length) : RWStringSpanOf(core, start, length) {}
};

class RWCString {
public:
    typedef RWStringCore<char> Core;
    typedef RWCaseCompare CaseCompare;
    static constexpr CaseCompare exact = RWExact;
    static constexpr CaseCompare ignoreCase = RWIgnoreCase;
    typedef RWStripType StripType;
    static constexpr StripType leading = RWStripLeading;
    static constexpr StripType trailing = RWStripTrailing;
    static constexpr StripType both = RWStripBoth;

    RWCString() = default;
    // An empty string whose private representation already has this capacity.
    explicit RWCString(size_t capacity);
    RWCString(const char* s);
    RWCString(const char* s, size_t n);
    explicit RWCString(char c);
    RWCString(char c, size_t n);
    RWCString(const RWCStringSpan& span);
    RWCString(const RWCString&) = default;
    ~RWCString() = default;
    RWCString& operator=(const RWCString&) = default;
    RWCString& operator=(const char* s);

    const char* Data() const { return core_.Data(); }
    size_t Length() const { return core_.Length(); }
    bool IsNull() const { return core_.Length() == 0; }
    size_t Capacity() const { return core_.Capacity(); }
    // Reserves exactly n when n exceeds the length and differs from the capacity;
    // answers the capacity.
    size_t Capacity(size_t n) { return core_.SetCapacity(n); }

    // Process-wide settings; each answers the old value.
    static size_t SetInitialCapacity(size_t n) { return Core::SetInitialCapacity(n); }
    static size_t SetResizeIncrement(size_t n) { return Core::SetResizeIncrement(n); }
    static size_t SetMaxWaste(size_t n) { return Core::SetMaxWaste(n); }
    // 15, 31, 47, ... with the default settings.
    static size_t AdjustCapacity(size_t n) { return Core::AdjustCapacity(n); }

    // Replaces m characters at pos by k characters of s (a null s inserts nothing).
    RWCString& Replace(size_t pos, size_t m, const char* s, size_t k);
    RWCString& Replace(size_t pos, size_t m, const char* s);
    RWCString& Replace(size_t pos, size_t m, const RWCString& s);
    RWCString& Append(const char* s);
    RWCString& Append(const char* s, size_t n);
    RWCString& Append(const RWCString& s);
    RWCString& Append(char c, size_t n = 1);
    RWCString& Prepend(const char* s);
    RWCString& Prepend(const char* s, size_t n);
    RWCString& Prepend(const RWCString& s);
    RWCString& Prepend(char c, size_t n = 1);
    RWCString& Insert(size_t pos, const char* s);
    RWCString& Insert(size_t pos, const char* s, size_t n);
    RWCString& Insert(size_t pos, const RWCString& s);
    RWCString& Remove(size_t pos);
    RWCString& Remove(size_t pos, size_t n);
    RWCString& operator+=(const char* s) { return Append(s); }
    RWCString& operator+=(const RWCString& s) { return Append(s); }
    // Pads with blanks or cuts the tail.
    void Resize(size_t n) { core_.Resize(n); }
    void ToLower();
    void ToUpper();

    // Bounds-checked; the write access unshares first.
    char& operator[](size_t i) { return core_.At(i); }
    char operator[](size_t i) const { return core_.At(i); }
    // A deep copy with capacity = length.
    RWCString Copy() const;
    // The span of n characters at start, kept within the string.
    RWCStringSpan operator()(size_t start, size_t n);
    const RWCStringSpan operator()(size_t start, size_t n) const;

    // First c before the first NUL byte.
    size_t First(char c) const { return core_.FirstBeforeNul(c); }
    // First c within the whole length.
    size_t First(char c, size_t) const { return core_.First(c); }
    // First character that is one of the set's.
    size_t First(const char* set) const;
    size_t First(const char* set, size_t n) const { return core_.FirstOf(set, n); }
    size_t Last(char c) const { return core_.LastBeforeNul(c); }
    size_t Last(char c, size_t) const { return core_.Last(c); }
    size_t Index(const char* pattern, size_t start = 0, CaseCompare cmp = exact) const;
    size_t Index(const RWCString& pattern, size_t start = 0, CaseCompare cmp = exact) const;
    size_t Index(const char* pattern, size_t patternLength, size_t start, CaseCompare cmp) const;
    RWCStringSpan SubString(const char* pattern, size_t start = 0, CaseCompare cmp = exact);
    const RWCStringSpan SubString(const char* pattern, size_t start = 0, CaseCompare cmp = exact) const;
    RWCStringSpan Strip(StripType which = trailing, char c = ' ');
    const RWCStringSpan Strip(StripType which = trailing, char c = ' ') const;

    // -1, 0 or 1. Against terminated text bytes compare as signed values; between two
    // strings exact comparison takes them as unsigned.
    int CompareTo(const char* s, CaseCompare cmp = exact) const { return core_.CompareText(s, cmp); }
    int CompareTo(const RWCString& s, CaseCompare cmp = exact) const { return core_.Compare(s.core_, cmp); }
    unsigned Hash(CaseCompare cmp = exact) const { return core_.Hash(cmp); }
    bool IsAscii() const { return core_.IsAscii(); }
    int Collate(const char* s) const;
    // Characters of the current code page; RW_NPOS when the text is not valid.
    size_t MbLength() const;

    // On a binary file: u32 length, then the bytes. A failed read of a damaged length
    // leaves the string unchanged.
    bool SaveOn(RWBinaryFile& file) const { return core_.SaveOn(file); }
    bool RestoreFrom(RWBinaryFile& file) { return core_.RestoreFrom(file); }
    size_t BinaryStoreSize() const { return core_.BinaryStoreSize(); }

    // On a typed data stream: the length as an unsigned int, then the text in the
    // stream's string form (PutString, else Put). Reading stops with the string
    // unchanged when the length cannot be read or the stream cannot hold that much.
    // Both answer whether the stream is still good.
    bool SaveOn(RWDataOutStream& stream) const;
    bool RestoreFrom(RWDataInStream& stream);

    // For readers of stored forms: Clobber empties the string for an overwrite of n
    // characters and answers the buffer (room for n and a terminator); SetLength then
    // sets the length (at most the capacity) and the NUL.
    char* Clobber(size_t n) { return core_.Clobber(n); }
    void SetLength(size_t n) { core_.SetLength(n); }

private:
    friend RWCString operator+(const RWCString& a, const char* b);
    friend RWCString operator+(const char* a, const RWCString& b);
    friend RWCString operator+(const RWCString& a, const RWCString& b);
    friend RWCString StrXForm(const RWCString& s);

    explicit RWCString(Core&& core) : core_(static_cast<Core&&>(core)) {}

    Core core_;
};

RWCString operator+(const RWCString& a, const char* b);
RWCString operator+(const char* a, const RWCString& b);
RWCString operator+(const RWCString& a, const RWCString& b);

// Same bytes and same length.
bool operator==(const RWCString& a, const char* b);
bool operator==(const RWCString& a, const RWCString& b);
inline bool operator==(const char* a, const RWCString& b) { return b == a; }
inline bool operator!=(const RWCString& a, const char* b) { return !(a == b); }
inline bool operator!=(const char* a, const RWCString& b) { return !(b == a); }
inline bool operator!=(const RWCString& a, const RWCString& b) { return !(a == b); }
inline bool operator<(const RWCString& a, const RWCString& b) { return a.CompareTo(b) < 0; }
inline bool operator>(const RWCString& a, const RWCString& b) { return a.CompareTo(b) > 0; }
inline bool operator<=(const RWCString& a, const RWCString& b) { return a.CompareTo(b) <= 0; }
inline bool operator>=(const RWCString& a, const RWCString& b) { return a.CompareTo(b) >= 0; }

RWCString ToLower(const RWCString& s);
RWCString ToUpper(const RWCString& s);
// The strxfrm transform of the text; empty when the transform fails.
RWCString StrXForm(const RWCString& s);

RWBinaryFile& operator<<(RWBinaryFile& file, const RWCString& s);
RWBinaryFile& operator>>(RWBinaryFile& file, RWCString& s);
RWDataOutStream& operator<<(RWDataOutStream& stream, const RWCString& s);
RWDataInStream& operator>>(RWDataInStream& stream, RWCString& s);
