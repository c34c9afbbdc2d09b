#include "foundation/RWRegularExpression.h"

#include "foundation/RWErrorHandler.h"

#include <cctype>
#include <cstring>

namespace {

const uint16_t kEnd = 0x8000;
const uint16_t kEndAnchor = 0x8024;
const uint16_t kStar = 0x802A;
const uint16_t kPlus = 0x802B;
const uint16_t kAny = 0x802E;
const uint16_t kOptional = 0x803F;
const uint16_t kClass = 0x805B;
const uint16_t kStartAnchor = 0x805E;
const size_t kClassWords = 16;

size_t ElementSize(uint16_t t) { return t == kClass ? 1 + kClassWords : 1; }

int HexValue(unsigned char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<unsigned char>(std::tolower(c));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// Reads the escape after a backslash at p (p points behind it); answers the byte and
// moves p past what the escape used.
unsigned char ReadEscape(const unsigned char*& p)
{
    const unsigned char c = *p;
    if (c == 0)
        return '\\'; // a backslash at the very end stands for itself
    ++p;
    switch (std::tolower(c)) {
    case 'b': return 8;
    case 'e': return 27;
    case 'f': return 12;
    case 'n': return 10;
    case 'r': return 13;
    case 's': return 32;
    case 't': return 9;
    case 'x': {
        int v = HexValue(*p);
        if (v < 0)
            return c;
        ++p;
        const int second = HexValue(*p);
        if (second >= 0) {
            v = v * 16 + second;
            ++p;
        }
        return static_cast<unsigned char>(v);
    }
    case '^':
        if (*p == 0)
            return c;
        return static_cast<unsigned char>(std::toupper(*p++) - 64);
    default:
        break;
    }
    if (c >= '0' && c <= '7') {
        int v = c - '0';
        for (int i = 0; i < 2 && *p >= '0' && *p <= '7'; ++i)
            v = v * 8 + (*p++ - '0');
        return static_cast<unsigned char>(v);
    }
    return c;
}

// Compiles a pattern into tokens; answers the compile result.
class Compiler {
public:
    Compiler(const char* pattern, uint16_t* out) : p_(reinterpret_cast<const unsigned char*>(pattern)), out_(out) {}

    int Run();

private:
    // Room left for elements: the end token always keeps its place.
    bool Fits(size_t n) const { return n_ + n <= RWRegularExpression::kTokenCapacity - 1; }
    int CompileClass();
    int CompileElement();
    int ApplyClosure(uint16_t closure);
    // Places the closure token before the last element.
    int InsertClosure(uint16_t closure);
    // The source text of the element starting at s (its length), 0 when s starts none
    // that a closure could be moved onto (a literal or a class).
    static size_t ElementText(const unsigned char* s);

    const unsigned char* p_;
    uint16_t* out_;
    size_t n_ = 0;
    size_t lastStart_ = 0;               // token index of the last element
    const unsigned char* lastText_ = nullptr; // its source text
    size_t lastTextLength_ = 0;
    bool lastHasClosure_ = false;
    bool lastIsAnchor_ = false;
};

size_t Compiler::ElementText(const unsigned char* s)
{
    const unsigned char* p = s;
    if (*p == '[') {
        ++p;
        if (*p == '^')
            ++p;
        if (*p == ']')
            return 0;
        while (*p && *p != ']') {
            if (*p == '\\' && p[1])
                ReadEscape(++p);
            else
                ++p;
        }
        return *p == ']' ? static_cast<size_t>(p + 1 - s) : 0;
    }
    if (*p == 0 || *p == '.' || *p == '*' || *p == '+' || *p == '?' || *p == '^' || *p == '$')
        return 0;
    if (*p == '\\') {
        ++p;
        ReadEscape(p);
        return static_cast<size_t>(p - s);
    }
    return 1;
}

int Compiler::CompileClass()
{
    if (!Fits(1 + kClassWords))
        return RWRegularExpression::kTooComplex;
    uint16_t bits[kClassWords] = {};
    bool negate = false;
    ++p_; // '['
    if (*p_ == '^') {
        negate = true;
        ++p_;
    }
    if (*p_ == ']')
        return RWRegularExpression::kIllegal; // "[]"
    auto set = [&bits](unsigned c) { bits[c / 16] |= static_cast<uint16_t>(1u << (c % 16)); };
    while (*p_ && *p_ != ']') {
        unsigned char first = *p_++;
        if (first == '\\')
            first = ReadEscape(p_);
        // A '-' right before ']' or at the end is a literal.
        if (*p_ == '-' && p_[1] && p_[1] != ']') {
            ++p_;
            unsigned char last = *p_++;
            if (last == '\\')
                last = ReadEscape(p_);
            const unsigned lo = first < last ? first : last;
            const unsigned hi = first < last ? last : first;
            for (unsigned c = lo; c <= hi; ++c)
                set(c);
        } else {
            set(first);
        }
    }
    if (*p_ != ']')
        return RWRegularExpression::kIllegal;
    ++p_;
    out_[n_++] = kClass;
    for (size_t i = 0; i < kClassWords; ++i)
        out_[n_++] = negate ? static_cast<uint16_t>(~bits[i]) : bits[i];
    return RWRegularExpression::kOk;
}

int Compiler::CompileElement()
{
    const unsigned char* text = p_;
    const size_t start = n_;
    bool anchor = false;
    const unsigned char c = *p_;
    if (c == '$' && p_[1] == 0) {
        out_[n_++] = kEndAnchor;
        ++p_;
        anchor = true;
    } else if (c == '^' && n_ == 0) {
        out_[n_++] = kStartAnchor;
        ++p_;
        anchor = true;
    } else if (c == '.') {
        out_[n_++] = kAny;
        ++p_;
    } else if (c == '[') {
        if (const int r = CompileClass())
            return r;
    } else if (c == '\\') {
        ++p_;
        out_[n_++] = ReadEscape(p_);
    } else {
        out_[n_++] = c;
        ++p_;
    }
    lastStart_ = start;
    lastText_ = text;
    lastTextLength_ = static_cast<size_t>(p_ - text);
    lastHasClosure_ = false;
    lastIsAnchor_ = anchor;
    return RWRegularExpression::kOk;
}

int Compiler::ApplyClosure(uint16_t closure)
{
    ++p_;
    if (lastIsAnchor_ || lastHasClosure_)
        return RWRegularExpression::kTooComplex;
    // X*X and X?X compile as X X* and X X?, which match the same texts: the closure moves
    // onto the second occurrence, unless that one carries a closure of its own.
    if (closure != kPlus && lastTextLength_) {
        const size_t next = ElementText(p_);
        const unsigned char after = p_[next];
        if (next == lastTextLength_ && std::memcmp(p_, lastText_, next) == 0 && after != '*' && after != '+'
            && after != '?' && ElementText(lastText_) == lastTextLength_) {
            if (!Fits(ElementSize(*p_ == '[' ? kClass : 0)))
                return RWRegularExpression::kTooComplex;
            if (const int r = CompileElement())
                return r;
        }
    }
    return InsertClosure(closure);
}

int Compiler::InsertClosure(uint16_t closure)
{
    if (!Fits(1))
        return RWRegularExpression::kTooComplex;
    std::memmove(out_ + lastStart_ + 1, out_ + lastStart_, (n_ - lastStart_) * sizeof *out_);
    out_[lastStart_] = closure;
    ++n_;
    lastHasClosure_ = true;
    return RWRegularExpression::kOk;
}

int Compiler::Run()
{
    if (!out_)
        return RWRegularExpression::kNoBuffer;
    if (!p_ || *p_ == 0 || *p_ == '*' || *p_ == '+' || *p_ == '?')
        return RWRegularExpression::kIllegal;
    while (*p_) {
        if (!Fits(1))
            return RWRegularExpression::kTooComplex;
        int r;
        switch (*p_) {
        case '*': r = ApplyClosure(kStar); break;
        case '+': r = ApplyClosure(kPlus); break;
        case '?': r = ApplyClosure(kOptional); break;
        default: r = CompileElement(); break;
        }
        if (r)
            return r;
    }
    out_[n_] = kEnd;
    return RWRegularExpression::kOk;
}

// Matches the compiled tokens against one text.
class Matcher {
public:
    Matcher(const uint16_t* tokens, const unsigned char* text, size_t length, size_t searchStart)
        : tokens_(tokens), text_(text), length_(length), searchStart_(searchStart)
    {
    }

    // Tries the tokens from t at pos; on success end is where the match ends.
    bool Match(const uint16_t* t, size_t pos, size_t& end) const;

private:
    // Whether the element at t matches at pos; consumed says how many characters it took.
    bool Element(const uint16_t* t, size_t pos, size_t& consumed) const;

    const uint16_t* tokens_;
    const unsigned char* text_;
    size_t length_;
    size_t searchStart_;
};

bool Matcher::Element(const uint16_t* t, size_t pos, size_t& consumed) const
{
    consumed = 0;
    if (*t == kEndAnchor)
        return pos == length_;
    if (*t == kStartAnchor)
        return pos == searchStart_;
    if (pos >= length_)
        return false;
    const unsigned char c = text_[pos];
    bool ok;
    if (*t == kAny)
        ok = c != '\n';
    else if (*t == kClass)
        ok = (t[1 + c / 16] >> (c % 16)) & 1;
    else
        ok = *t == c;
    consumed = ok ? 1 : 0;
    return ok;
}

bool Matcher::Match(const uint16_t* t, size_t pos, size_t& end) const
{
    for (;;) {
        size_t consumed = 0;
        if (*t == kEnd) {
            end = pos;
            return true;
        }
        if (*t == kOptional) {
            ++t;
            if (Element(t, pos, consumed))
                pos += consumed;
            t += ElementSize(*t);
            continue;
        }
        if (*t == kStar || *t == kPlus) {
            const bool once = *t == kPlus;
            ++t;
            const uint16_t* rest = t + ElementSize(*t);
            size_t count = 0;
            while (Element(t, pos + count, consumed) && consumed)
                ++count;
            const size_t least = once ? 1 : 0;
            if (count < least)
                return false;
            if (*rest == kEnd) {
                end = pos + count;
                return true;
            }
            for (size_t k = count + 1; k-- > least;)
                if (Match(rest, pos + k, end))
                    return true;
            return false;
        }
        if (!Element(t, pos, consumed))
            return false;
        pos += consumed;
        t += ElementSize(*t);
    }
}

} // namespace

RWRegularExpression::RWRegularExpression(const char* pattern)
    : tokens_(new uint16_t[kTokenCapacity]()), status_(kOk), valid_(false)
{
    Compile(pattern);
}

RWRegularExpression::RWRegularExpression(const RWRegularExpression& other)
    : tokens_(new uint16_t[kTokenCapacity]), status_(other.status_), valid_(other.valid_)
{
    std::memcpy(tokens_, other.tokens_, kTokenCapacity * sizeof *tokens_);
}

RWRegularExpression& RWRegularExpression::operator=(const RWRegularExpression& other)
{
    if (this != &other) {
        std::memcpy(tokens_, other.tokens_, kTokenCapacity * sizeof *tokens_);
        status_ = other.status_;
        valid_ = other.valid_;
    }
    return *this;
}

RWRegularExpression& RWRegularExpression::operator=(const char* pattern)
{
    Compile(pattern);
    return *this;
}

RWRegularExpression::~RWRegularExpression() { delete[] tokens_; }

void RWRegularExpression::Compile(const char* pattern)
{
    std::memset(tokens_, 0, kTokenCapacity * sizeof *tokens_);
    int result = Compiler(pattern, tokens_).Run();
    if (result > kTooComplex)
        result = kTooComplex;
    status_ = result;
    valid_ = result == kOk;
    if (!valid_)
        tokens_[0] = kEnd;
}

int RWRegularExpression::Status()
{
    const int s = status_;
    status_ = kOk;
    return s;
}

size_t RWRegularExpression::Index(const RWCString& text, size_t* length, size_t start) const
{
    if (length)
        *length = 0;
    if (!valid_) {
        RWRaiseInternal(RWMessageBadRegularExpression());
        return RW_NPOS;
    }
    const size_t n = text.Length();
    if (start > n)
        return RW_NPOS;
    const Matcher matcher(tokens_, reinterpret_cast<const unsigned char*>(text.Data()), n, start);
    const size_t last = tokens_[0] == kStartAnchor ? start : n;
    for (size_t pos = start; pos <= last; ++pos) {
        size_t end = 0;
        if (matcher.Match(tokens_, pos, end)) {
            if (length)
                *length = end - pos;
            return pos;
        }
    }
    return RW_NPOS;
}

size_t RWRegularExpression::Index(const RWCString& text, size_t start) const { return Index(text, nullptr, start); }

RWCStringSpan RWRegularExpression::operator()(RWCString& text, size_t start) const
{
    size_t length = 0;
    const size_t pos = Index(text, &length, start);
    return text(pos, length);
}

const RWCStringSpan RWRegularExpression::operator()(const RWCString& text, size_t start) const
{
    size_t length = 0;
    const size_t pos = Index(text, &length, start);
    return text(pos, length);
}
