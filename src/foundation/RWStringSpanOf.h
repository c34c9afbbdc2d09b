// A writable view into one counted string: the string, a start and a length. A start of
// RW_NPOS is the null span, which stands for no match. Assigning to a span replaces the
// spanned text in its string; character access is checked against the span's length.
// RWCStringSpan and RWWStringSpan are this view for their string classes.
#pragma once

#include "foundation/RWStringCore.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

template <class String, class Char>
class RWStringSpanOf {
public:
    typedef RWStringCore<Char> Core;

    RWStringSpanOf(const RWStringSpanOf&) = default;

    size_t Start() const { return start_; }
    size_t Length() const { return length_; }
    bool IsNull() const { return start_ == RW_NPOS; }

    // The write access unshares the string.
    Char& operator[](size_t i) { return core_->SpanAt(start_, length_, i); }
    Char operator[](size_t i) const { return static_cast<const Core*>(core_)->SpanAt(start_, length_, i); }

    // Replace the spanned text (the span then covers the new text); a null span ignores it.
    RWStringSpanOf& operator=(const String& s)
    {
        Assign(s.Data(), s.Length());
        return *this;
    }
    RWStringSpanOf& operator=(const RWStringSpanOf& s)
    {
        Assign(s.Data(), s.VisibleLength());
        return *this;
    }
    RWStringSpanOf& operator=(const Char* s)
    {
        Assign(s, RWStringTraits<Char>::TextLength(s));
        return *this;
    }

    void ToLower()
    {
        if (!IsNull())
            core_->ChangeCase(start_, length_, false);
    }
    void ToUpper()
    {
        if (!IsNull())
            core_->ChangeCase(start_, length_, true);
    }

    // The spanned characters (none for a null span).
    const Char* Data() const
    {
        static const Char none[1] = {0};
        return IsNull() ? none : core_->Data() + std::min<size_t>(start_, core_->Length());
    }
    // How many of the spanned characters the string still holds.
    size_t VisibleLength() const
    {
        if (IsNull())
            return 0;
        const size_t start = std::min<size_t>(start_, core_->Length());
        return std::min<size_t>(length_, core_->Length() - start);
    }
    // A null span equals only an empty text.
    bool Equals(const Char* s, size_t n) const
    {
        return IsNull() ? n == 0 : VisibleLength() == n && Core::SameText(Data(), s, n);
    }

    friend bool operator==(const RWStringSpanOf& a, const Char* b)
    {
        return a.Equals(b, RWStringTraits<Char>::TextLength(b));
    }
    friend bool operator==(const RWStringSpanOf& a, const String& b) { return a.Equals(b.Data(), b.Length()); }
    friend bool operator==(const RWStringSpanOf& a, const RWStringSpanOf& b)
    {
        return a.Equals(b.Data(), b.VisibleLength());
    }
    friend bool operator==(const Char* a, const RWStringSpanOf& b) { return b == a; }
    friend bool operator==(const String& a, const RWStringSpanOf& b) { return b == a; }
    friend bool operator!=(const RWStringSpanOf& a, const Char* b) { return !(a == b); }
    friend bool operator!=(const RWStringSpanOf& a, const String& b) { return !(a == b); }
    friend bool operator!=(const RWStringSpanOf& a, const RWStringSpanOf& b) { return !(a == b); }

protected:
    RWStringSpanOf(Core& core, size_t start, size_t length)
        : core_(&core), start_(static_cast<uint32_t>(start)), length_(static_cast<uint32_t>(length))
    {
    }

private:
    void Assign(const Char* s, size_t n)
    {
        if (IsNull())
            return;
        core_->Replace(start_, length_, s, n);
        length_ = static_cast<uint32_t>(s ? n : 0);
    }

    // The string's one member: a pointer to it is a pointer to the string.
    Core* core_;
    uint32_t start_;
    uint32_t length_;
};
