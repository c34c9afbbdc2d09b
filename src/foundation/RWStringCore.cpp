#include "foundation/RWStringCore.h"

#include "foundation/RWBinaryFile.h"
#include "foundation/RWErrorHandler.h"
#include "foundation/RWRefCount.h"
#include "foundation/RWThreadContext.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <type_traits>

static_assert(sizeof(wchar_t) == 2, "wide characters are 16-bit units");
static_assert(offsetof(RWStringEmptyRep<char>, text) == sizeof(RWStringRepOf<char>), "empty text follows its header");
static_assert(offsetof(RWStringEmptyRep<wchar_t>, text) == sizeof(RWStringRepOf<wchar_t>),
              "empty text follows its header");

namespace {

size_t SumOrMax(size_t a, size_t b) { return a > SIZE_MAX - b ? SIZE_MAX : a + b; }

size_t Exchange(size_t& setting, size_t value)
{
    const size_t old = setting;
    setting = value;
    return old;
}

uint32_t RotateLeft5(uint32_t h) { return (h << 5) | (h >> 27); }

// What a failed checked access answers, so that the caller's write lands nowhere.
char& ScratchOf(RWThreadContext& context, char*) { return context.charScratch; }
wchar_t& ScratchOf(RWThreadContext& context, wchar_t*) { return context.wideScratch; }

template <class Char>
Char& Scratch()
{
    Char& scratch = ScratchOf(RWThreadContext::Current(), static_cast<Char*>(nullptr));
    scratch = 0;
    return scratch;
}

} // namespace

template <class Char>
typename RWStringCore<Char>::Rep* RWStringCore<Char>::RepOf(const Char* data)
{
    return reinterpret_cast<Rep*>(reinterpret_cast<char*>(const_cast<Char*>(data)) - sizeof(Rep));
}

template <class Char>
Char* RWStringCore<Char>::EmptyText()
{
    return Traits::empty.text;
}

template <class Char>
Char* RWStringCore<Char>::NewRep(size_t capacity, size_t length)
{
    if (capacity == 0 && length == 0) {
        AddReference(EmptyText());
        return EmptyText();
    }
    // A capacity no block can hold asks for everything, which fails as exhausted memory
    // instead of wrapping to a small block.
    const size_t bytes = capacity > kMaxLength ? SIZE_MAX : sizeof(Rep) + (capacity + 1) * sizeof(Char);
    Rep* rep = new (::operator new(bytes)) Rep{{0}, static_cast<uint32_t>(capacity), static_cast<uint32_t>(length)};
    Char* text = reinterpret_cast<Char*>(rep + 1);
    text[length] = 0;
    return text;
}

template <class Char>
void RWStringCore<Char>::AddReference(Char* data)
{
    RWRefCount::AddReference(RepOf(data)->refs);
}

template <class Char>
void RWStringCore<Char>::Release(Char* data)
{
    if (!data)
        return;
    Rep* rep = RepOf(data);
    if (RWRefCount::RemoveReference(rep->refs) == 0 && data != EmptyText()) {
        rep->~Rep();
        ::operator delete(rep);
    }
}

template <class Char>
void RWStringCore<Char>::Adopt(Char* data)
{
    Char* old = data_;
    data_ = data;
    Release(old);
}

template <class Char>
RWStringCore<Char>::RWStringCore() : data_(EmptyText())
{
    AddReference(data_);
}

template <class Char>
RWStringCore<Char>::RWStringCore(const RWStringCore& other) : data_(other.data_)
{
    AddReference(data_);
}

template <class Char>
RWStringCore<Char>::~RWStringCore()
{
    Release(data_);
}

template <class Char>
RWStringCore<Char>& RWStringCore<Char>::operator=(const RWStringCore& other)
{
    if (data_ != other.data_) {
        AddReference(other.data_);
        Adopt(other.data_);
    }
    return *this;
}

template <class Char>
RWStringCore<Char> RWStringCore<Char>::Blank(size_t length, size_t capacity)
{
    return RWStringCore(NewRep(std::max(length, capacity), length));
}

template <class Char>
RWStringCore<Char> RWStringCore<Char>::OfText(const Char* s, size_t n, size_t capacity)
{
    RWStringCore core = Blank(s ? n : 0, capacity);
    if (s && n)
        std::memcpy(core.data_, s, n * sizeof(Char));
    return core;
}

template <class Char>
RWStringCore<Char> RWStringCore<Char>::OfText(const Char* s)
{
    const size_t n = Traits::TextLength(s);
    return OfText(s, n, n);
}

template <class Char>
RWStringCore<Char> RWStringCore<Char>::OfFill(Char c, size_t n, size_t capacity)
{
    RWStringCore core = Blank(n, capacity);
    std::fill_n(core.data_, n, c);
    return core;
}

template <class Char>
RWStringCore<Char> RWStringCore<Char>::OfConcat(const Char* a, size_t na, const Char* b, size_t nb)
{
    if (!a)
        na = 0;
    if (!b)
        nb = 0;
    const size_t length = SumOrMax(na, nb);
    RWStringCore core = Blank(length, AdjustCapacity(length));
    if (na)
        std::memcpy(core.data_, a, na * sizeof(Char));
    if (nb)
        std::memcpy(core.data_ + na, b, nb * sizeof(Char));
    return core;
}

template <class Char>
RWStringCore<Char> RWStringCore<Char>::Transformed(const Char* s)
{
    const size_t n = Traits::Transform(nullptr, s, 0);
    if (n == 0 || n == static_cast<size_t>(-1) || n >= INT_MAX)
        return RWStringCore();
    RWStringCore core = Blank(n, n);
    if (Traits::Transform(core.data_, s, n + 1) > n)
        return RWStringCore();
    return core;
}

template <class Char>
bool RWStringCore<Char>::IsSoleOwner() const
{
    // Only the owner itself can raise a count of 0, so one read is enough; a stale
    // non-zero value merely costs an extra copy. Acquire, so that the reads of holders
    // that let go before come before this owner's writes.
    return data_ != EmptyText() && RepOf(data_)->refs.load(std::memory_order_acquire) == 0;
}

template <class Char>
size_t RWStringCore<Char>::AdjustCapacity(size_t n)
{
    const size_t initial = Traits::settings.initialCapacity;
    if (n <= initial)
        return initial;
    const uint64_t increment = std::max<size_t>(Traits::settings.resizeIncrement, 1);
    const uint64_t capacity = initial + (uint64_t(n) - initial + increment - 1) / increment * increment;
    return capacity > kMaxLength ? n : static_cast<size_t>(capacity);
}

template <class Char>
size_t RWStringCore<Char>::SetInitialCapacity(size_t n)
{
    return Exchange(Traits::settings.initialCapacity, n);
}

template <class Char>
size_t RWStringCore<Char>::SetResizeIncrement(size_t n)
{
    return Exchange(Traits::settings.resizeIncrement, n);
}

template <class Char>
size_t RWStringCore<Char>::SetMaxWaste(size_t n)
{
    return Exchange(Traits::settings.maxWaste, n);
}

template <class Char>
void RWStringCore<Char>::AssignText(const Char* s, size_t n)
{
    if (!s || n == 0) {
        if (IsSoleOwner()) {
            RepOf(data_)->length = 0;
            data_[0] = 0;
        } else {
            AddReference(EmptyText());
            Adopt(EmptyText());
        }
        return;
    }
    Replace(0, Length(), s, n);
}

template <class Char>
void RWStringCore<Char>::Replace(size_t pos, size_t m, const Char* s, size_t k)
{
    Rep* rep = RepOf(data_);
    const size_t length = rep->length;
    pos = std::min(pos, length);
    m = std::min(m, length - pos);
    if (!s)
        k = 0;
    const size_t newLength = SumOrMax(length - m, k);
    const size_t tail = length - m - pos;
    const uintptr_t text = reinterpret_cast<uintptr_t>(s);
    const bool fromSelf = s && text >= reinterpret_cast<uintptr_t>(data_) &&
                          text < reinterpret_cast<uintptr_t>(data_ + length);
    const bool wasteOk = length <= newLength || rep->capacity - newLength <= Traits::settings.maxWaste;

    if (IsSoleOwner() && rep->capacity >= newLength && wasteOk && !fromSelf) {
        if (tail)
            std::memmove(data_ + pos + k, data_ + pos + m, tail * sizeof(Char));
        if (k)
            std::memcpy(data_ + pos, s, k * sizeof(Char));
        rep->length = static_cast<uint32_t>(newLength);
        data_[newLength] = 0;
        return;
    }
    // The old text stays alive until the new one is complete: s may point into it.
    Char* fresh = NewRep(AdjustCapacity(newLength), newLength);
    if (pos)
        std::memcpy(fresh, data_, pos * sizeof(Char));
    if (k)
        std::memcpy(fresh + pos, s, k * sizeof(Char));
    if (tail)
        std::memcpy(fresh + pos + k, data_ + pos + m, tail * sizeof(Char));
    Adopt(fresh);
}

template <class Char>
void RWStringCore<Char>::AppendFill(Char c, size_t n)
{
    if (n == 0)
        return;
    const size_t length = Length();
    const size_t newLength = SumOrMax(length, n);
    if (!IsSoleOwner() || Capacity() < newLength)
        Reserve(newLength);
    std::fill_n(data_ + length, n, c);
    RepOf(data_)->length = static_cast<uint32_t>(newLength);
    data_[newLength] = 0;
}

template <class Char>
void RWStringCore<Char>::PrependFill(Char c, size_t n)
{
    if (n == 0)
        return;
    const size_t length = Length();
    const size_t newLength = SumOrMax(length, n);
    if (IsSoleOwner() && Capacity() >= newLength) {
        std::memmove(data_ + n, data_, length * sizeof(Char));
        std::fill_n(data_, n, c);
        RepOf(data_)->length = static_cast<uint32_t>(newLength);
        data_[newLength] = 0;
        return;
    }
    Char* fresh = NewRep(AdjustCapacity(newLength), newLength);
    std::fill_n(fresh, n, c);
    std::memcpy(fresh + n, data_, length * sizeof(Char));
    Adopt(fresh);
}

template <class Char>
void RWStringCore<Char>::Resize(size_t n)
{
    const size_t length = Length();
    if (n > length)
        AppendFill(Char(' '), n - length);
    else if (n < length)
        Replace(n, length - n, nullptr, 0);
}

template <class Char>
size_t RWStringCore<Char>::SetCapacity(size_t n)
{
    if (n > Length() && n != Capacity())
        Reserve(n);
    return Capacity();
}

template <class Char>
void RWStringCore<Char>::Reserve(size_t n)
{
    const size_t keep = std::min(Length(), n);
    Char* fresh = NewRep(n, keep);
    if (keep)
        std::memcpy(fresh, data_, keep * sizeof(Char));
    Adopt(fresh);
}

template <class Char>
void RWStringCore<Char>::Unshare()
{
    const size_t length = Length();
    Char* fresh = NewRep(length, length);
    if (length)
        std::memcpy(fresh, data_, length * sizeof(Char));
    Adopt(fresh);
}

template <class Char>
void RWStringCore<Char>::MakeWritable()
{
    if (!IsSoleOwner())
        Unshare();
}

template <class Char>
Char* RWStringCore<Char>::Clobber(size_t n)
{
    if (IsSoleOwner() && Capacity() >= n) {
        RepOf(data_)->length = 0;
        data_[0] = 0;
    } else {
        Adopt(NewRep(n, 0));
    }
    return data_;
}

template <class Char>
void RWStringCore<Char>::SetLength(size_t n)
{
    // The shared empty representation is never written, whatever the caller asks.
    if (data_ == EmptyText())
        return;
    n = std::min(n, Capacity());
    RepOf(data_)->length = static_cast<uint32_t>(n);
    data_[n] = 0;
}

template <class Char>
void RWStringCore<Char>::ChangeCase(size_t start, size_t n, bool upper)
{
    const size_t length = Length();
    if (start >= length)
        return;
    n = std::min(n, length - start);
    if (n == 0)
        return;
    MakeWritable();
    for (Char* p = data_ + start; p != data_ + start + n; ++p)
        *p = upper ? Traits::Upper(*p) : Traits::Lower(*p);
}

template <class Char>
Char& RWStringCore<Char>::At(size_t i)
{
    if (i >= Length()) {
        RWRaiseIndexError(i, Length());
        return Scratch<Char>();
    }
    MakeWritable();
    return data_[i];
}

template <class Char>
Char RWStringCore<Char>::At(size_t i) const
{
    if (i >= Length()) {
        RWRaiseIndexError(i, Length());
        return 0;
    }
    return data_[i];
}

template <class Char>
Char& RWStringCore<Char>::SpanAt(size_t start, size_t spanLength, size_t i)
{
    // The string may have shrunk since the span was taken: never reach past its end.
    if (i >= spanLength || start > Length() || i >= Length() - start) {
        Traits::RaiseSpanIndex(i, spanLength);
        return Scratch<Char>();
    }
    MakeWritable();
    return data_[start + i];
}

template <class Char>
Char RWStringCore<Char>::SpanAt(size_t start, size_t spanLength, size_t i) const
{
    if (i >= spanLength || start > Length() || i >= Length() - start) {
        Traits::RaiseSpanIndex(i, spanLength);
        return 0;
    }
    return data_[start + i];
}

template <class Char>
size_t RWStringCore<Char>::FirstBeforeNul(Char c) const
{
    for (size_t i = 0, n = Length(); i < n && data_[i] != 0; ++i)
        if (data_[i] == c)
            return i;
    return RW_NPOS;
}

template <class Char>
size_t RWStringCore<Char>::First(Char c) const
{
    for (size_t i = 0, n = Length(); i < n; ++i)
        if (data_[i] == c)
            return i;
    return RW_NPOS;
}

template <class Char>
size_t RWStringCore<Char>::FirstOf(const Char* set, size_t n) const
{
    if (!set)
        return RW_NPOS;
    for (size_t i = 0, length = Length(); i < length; ++i)
        if (std::find(set, set + n, data_[i]) != set + n)
            return i;
    return RW_NPOS;
}

template <class Char>
size_t RWStringCore<Char>::LastBeforeNul(Char c) const
{
    const size_t length = Length();
    const size_t end = std::find(data_, data_ + length, Char(0)) - data_;
    for (size_t i = end; i-- > 0;)
        if (data_[i] == c)
            return i;
    return RW_NPOS;
}

template <class Char>
size_t RWStringCore<Char>::Last(Char c) const
{
    for (size_t i = Length(); i-- > 0;)
        if (data_[i] == c)
            return i;
    return RW_NPOS;
}

template <class Char>
size_t RWStringCore<Char>::Index(const Char* pattern, size_t m, size_t start, RWCaseCompare cmp) const
{
    const size_t length = Length();
    // start + m > length, written so that it cannot wrap.
    if (start > length || m > length - start)
        return RW_NPOS;
    if (m == 0)
        return start;
    if (!pattern)
        return RW_NPOS;
    for (size_t p = start; p <= length - m; ++p) {
        const Char* at = data_ + p;
        if (cmp == RWExact) {
            if (at[0] == pattern[0] && SameText(at + 1, pattern + 1, m - 1))
                return p;
            continue;
        }
        size_t j = 0;
        while (j < m && Traits::Lower(at[j]) == Traits::Lower(pattern[j]))
            ++j;
        if (j == m)
            return p;
    }
    return RW_NPOS;
}

template <class Char>
void RWStringCore<Char>::Strip(RWStripType which, Char c, size_t& start, size_t& length) const
{
    size_t begin = 0;
    size_t end = Length();
    if (which & RWStripLeading)
        while (begin < end && data_[begin] == c)
            ++begin;
    if (which & RWStripTrailing)
        while (end > begin && data_[end - 1] == c)
            --end;
    if (begin == end) {
        start = RW_NPOS;
        length = 0;
    } else {
        start = begin;
        length = end - begin;
    }
}

template <class Char>
int RWStringCore<Char>::CompareText(const Char* s, RWCaseCompare cmp) const
{
    static const Char none[1] = {0};
    if (!s)
        s = none;
    const size_t length = Length();
    for (size_t i = 0;; ++i) {
        if (s[i] == 0)
            return i < length ? 1 : 0;
        if (i == length)
            return -1;
        const int a = cmp == RWExact ? Traits::ExactKey(data_[i]) : Traits::FoldKey(data_[i]);
        const int b = cmp == RWExact ? Traits::ExactKey(s[i]) : Traits::FoldKey(s[i]);
        if (a != b)
            return a < b ? -1 : 1;
    }
}

template <class Char>
int RWStringCore<Char>::Compare(const RWStringCore& other, RWCaseCompare cmp) const
{
    const size_t la = Length();
    const size_t lb = other.Length();
    const size_t n = std::min(la, lb);
    if (cmp == RWExact) {
        // Storage bytes in memory order, taken as unsigned.
        const int r = n ? std::memcmp(data_, other.data_, n * sizeof(Char)) : 0;
        if (r != 0)
            return r < 0 ? -1 : 1;
    } else {
        for (size_t i = 0; i < n; ++i) {
            const int a = Traits::FoldKey(data_[i]);
            const int b = Traits::FoldKey(other.data_[i]);
            if (a != b)
                return a < b ? -1 : 1;
        }
    }
    return la == lb ? 0 : (la < lb ? -1 : 1);
}

template <class Char>
uint32_t RWStringCore<Char>::Hash(RWCaseCompare cmp) const
{
    const size_t length = Length();
    uint32_t h = static_cast<uint32_t>(length);
    if (cmp != RWExact) {
        for (size_t i = 0; i < length; ++i)
            h = RotateLeft5(h) ^ Traits::HashUpper(data_[i]);
        return h;
    }
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(data_);
    const size_t count = length * sizeof(Char);
    const size_t words = count / 4;
    for (size_t w = 0; w < words; ++w) {
        uint32_t word;
        std::memcpy(&word, bytes + 4 * w, 4);
        h = RotateLeft5(h) ^ word;
    }
    if (count % 4)
        h = RotateLeft5(h) ^ Traits::HashTail(bytes + 4 * words, count % 4);
    return h;
}

template <class Char>
bool RWStringCore<Char>::IsAscii() const
{
    typedef typename std::make_unsigned<Char>::type Unit;
    for (size_t i = 0, n = Length(); i < n; ++i)
        if (static_cast<Unit>(data_[i]) > 127)
            return false;
    return true;
}

template <class Char>
bool RWStringCore<Char>::SameText(const Char* a, const Char* b, size_t n)
{
    return n == 0 || std::memcmp(a, b, n * sizeof(Char)) == 0;
}

template <class Char>
bool RWStringCore<Char>::SaveOn(RWBinaryFile& file) const
{
    const size_t length = Length();
    if (!file.Write(static_cast<unsigned int>(length)))
        return false;
    return file.Write(reinterpret_cast<const char*>(data_), length * sizeof(Char));
}

template <class Char>
bool RWStringCore<Char>::RestoreFrom(RWBinaryFile& file)
{
    unsigned int length = 0;
    if (!file.Read(length))
        return false;
    // A length that no block can hold, or that the rest of the file cannot supply, is
    // damage: the string stays as it was, and the file is left at its end with
    // end-of-file set, as a read of the missing bytes would have left it.
    // The same holds for a length whose block cannot be allocated.
    const long left = file.Remaining();
    Char* buffer = nullptr;
    if (length <= kMaxLength && left >= 0 && length <= static_cast<unsigned long>(left) / sizeof(Char)) {
        try {
            buffer = Clobber(length);
        } catch (const std::bad_alloc&) {
        }
    }
    if (!buffer) {
        char none;
        file.SeekToEnd();
        file.Read(none);
        return false;
    }
    if (!file.Read(reinterpret_cast<char*>(buffer), length * sizeof(Char))) {
        // How much arrived is unknown: never show unread memory.
        SetLength(0);
        return false;
    }
    SetLength(length);
    return true;
}

template class RWStringCore<char>;
template class RWStringCore<wchar_t>;
