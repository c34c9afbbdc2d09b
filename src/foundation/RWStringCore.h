// The counted, copy-on-write text shared by the 8-bit and the 16-bit string classes.
//
// A string is one pointer to the characters of a heap representation; the three words
// just before the characters hold the reference count (owners minus one), the capacity
// and the length, and a NUL always follows the last character. Copies share one
// representation; every write first makes sure its string is the sole owner. Counts change
// by interlocked operations, so threads copying their own strings never wait on each
// other. Each character type has its own empty representation and capacity settings
// (RWStringTraits).
#pragma once

#include "foundation/RWDefs.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <cwchar>

class RWBinaryFile;

enum RWCaseCompare { RWExact = 0, RWIgnoreCase = 1 };
enum RWStripType { RWStripLeading = 1, RWStripTrailing = 2, RWStripBoth = 3 };

// The words in front of a representation's characters.
template <class Char>
struct RWStringRepOf {
    std::atomic<uint32_t> refs; // owners minus one: 0 = exactly one owner
    uint32_t capacity; // characters that fit, not counting the terminator
    uint32_t length;
};
static_assert(sizeof(RWStringRepOf<char>) == 12, "representation header");
static_assert(std::atomic<uint32_t>::is_always_lock_free, "a count is one interlocked word");

// The static empty representation: it is its own first owner, so it is never freed.
template <class Char>
struct RWStringEmptyRep {
    RWStringRepOf<Char> rep;
    Char text[2];
};

// Process-wide settings of one character type; each setter answers the old value.
struct RWStringSettings {
    size_t initialCapacity;
    size_t resizeIncrement;
    size_t maxWaste;
};

// What differs between the character types: their statics, case mapping, the keys
// the comparisons use, and the tail of the exact hash.
template <class Char>
struct RWStringTraits;

template <>
struct RWStringTraits<char> {
    static RWStringSettings settings;
    static RWStringEmptyRep<char> empty;

    static size_t TextLength(const char* s);
    static size_t Transform(char* out, const char* s, size_t size) { return std::strxfrm(out, s, size); }
    static char Lower(char c);
    static char Upper(char c);
    // Bytes compare as signed 8-bit values against terminated text and after folding.
    static int ExactKey(char c) { return static_cast<signed char>(c); }
    static int FoldKey(char c) { return static_cast<signed char>(Lower(c)); }
    static uint32_t HashUpper(char c);
    // Folds the 1 to 3 bytes behind the last whole word.
    static uint32_t HashTail(const unsigned char* bytes, size_t count);
    static void RaiseSpanIndex(size_t index, size_t spanLength);
};

template <>
struct RWStringTraits<wchar_t> {
    static RWStringSettings settings;
    static RWStringEmptyRep<wchar_t> empty;

    static size_t TextLength(const wchar_t* s);
    static size_t Transform(wchar_t* out, const wchar_t* s, size_t size) { return std::wcsxfrm(out, s, size); }
    static wchar_t Lower(wchar_t c);
    static wchar_t Upper(wchar_t c);
    // Characters compare as unsigned 16-bit values.
    static int ExactKey(wchar_t c) { return static_cast<uint16_t>(c); }
    static int FoldKey(wchar_t c) { return static_cast<uint16_t>(Lower(c)); }
    static uint32_t HashUpper(wchar_t c);
    // Folds the odd last character (2 bytes).
    static uint32_t HashTail(const unsigned char* bytes, size_t count);
    static void RaiseSpanIndex(size_t index, size_t spanLength);
};

template <class Char>
class RWStringCore {
public:
    typedef RWStringRepOf<Char> Rep;
    typedef RWStringTraits<Char> Traits;

    // The longest text whose block (header, characters, terminator) a size_t can measure.
    static constexpr size_t kMaxLength = (SIZE_MAX - sizeof(Rep) - sizeof(Char)) / sizeof(Char);

    // Shares the empty representation.
    RWStringCore();
    RWStringCore(const RWStringCore& other);
    // Takes the other's representation and leaves it holding none; only for handing a
    // freshly made core to its string.
    RWStringCore(RWStringCore&& other) noexcept : data_(other.data_) { other.data_ = nullptr; }
    ~RWStringCore();
    RWStringCore& operator=(const RWStringCore& other);
    RWStringCore& operator=(RWStringCore&&) = delete;

    // A private representation of the given capacity holding length characters that the
    // caller fills (through MutableData); capacity 0 and length 0 share the empty one.
    static RWStringCore Blank(size_t length, size_t capacity);
    static RWStringCore OfText(const Char* s, size_t n, size_t capacity);
    // Terminated text with capacity = length.
    static RWStringCore OfText(const Char* s);
    static RWStringCore OfFill(Char c, size_t n, size_t capacity);
    // Both texts one after the other, capacity by the capacity rule; a null text is empty.
    static RWStringCore OfConcat(const Char* a, size_t na, const Char* b, size_t nb);
    // The collation transform (strxfrm, wcsxfrm) of the text; empty when it fails.
    static RWStringCore Transformed(const Char* s);

    const Char* Data() const { return data_; }
    size_t Length() const { return RepOf(data_)->length; }
    size_t Capacity() const { return RepOf(data_)->capacity; }
    bool IsSoleOwner() const;
    // Writable characters; only for a sole owner.
    Char* MutableData() { return data_; }

    static size_t AdjustCapacity(size_t n);
    static size_t SetInitialCapacity(size_t n);
    static size_t SetResizeIncrement(size_t n);
    static size_t SetMaxWaste(size_t n);

    // Assignment of n characters of text: no text empties the string.
    void AssignText(const Char* s, size_t n);
    void Replace(size_t pos, size_t m, const Char* s, size_t k);
    void AppendFill(Char c, size_t n);
    void PrependFill(Char c, size_t n);
    void Resize(size_t n);
    size_t SetCapacity(size_t n);
    void Reserve(size_t n);
    void Unshare();
    Char* Clobber(size_t n);
    void SetLength(size_t n);
    void ChangeCase(size_t start, size_t n, bool upper);

    // Checked element access; a bad index raises and answers a scratch character.
    Char& At(size_t i);
    Char At(size_t i) const;
    Char& SpanAt(size_t start, size_t spanLength, size_t i);
    Char SpanAt(size_t start, size_t spanLength, size_t i) const;

    size_t FirstBeforeNul(Char c) const;
    size_t First(Char c) const;
    size_t FirstOf(const Char* set, size_t n) const;
    size_t LastBeforeNul(Char c) const;
    size_t Last(Char c) const;
    size_t Index(const Char* pattern, size_t m, size_t start, RWCaseCompare cmp) const;
    // The run left after stripping c; start RW_NPOS when nothing is left.
    void Strip(RWStripType which, Char c, size_t& start, size_t& length) const;

    int CompareText(const Char* s, RWCaseCompare cmp) const;
    int Compare(const RWStringCore& other, RWCaseCompare cmp) const;
    uint32_t Hash(RWCaseCompare cmp) const;
    bool IsAscii() const;

    // Stored form on a binary file: u32 length, then the characters.
    bool SaveOn(RWBinaryFile& file) const;
    bool RestoreFrom(RWBinaryFile& file);
    size_t BinaryStoreSize() const { return 4 + Length() * sizeof(Char); }

    // True when the n characters at a and b are the same.
    static bool SameText(const Char* a, const Char* b, size_t n);

private:
    explicit RWStringCore(Char* data) : data_(data) {}

    static Rep* RepOf(const Char* data);
    static Char* EmptyText();
    static Char* NewRep(size_t capacity, size_t length);
    static void AddReference(Char* data);
    static void Release(Char* data);
    // Releases the current representation and takes the given one.
    void Adopt(Char* data);
    void MakeWritable();

    Char* data_;
};

extern template class RWStringCore<char>;
extern template class RWStringCore<wchar_t>;
