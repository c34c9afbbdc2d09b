// A small regular expression over narrow strings: the pattern is compiled once into a
// fixed buffer of 16-bit tokens and then searched for in texts. Literal bytes, '.',
// character classes, the closures '*', '+' and '?', and the anchors '^' and '$'.
#pragma once

#include "foundation/RWCString.h"

#include <cstddef>
#include <cstdint>

class RWRegularExpression {
public:
    // Compile results: 0 valid; 1 a malformed pattern; 2 no buffer; 3 too complex.
    enum Status { kOk = 0, kIllegal = 1, kNoBuffer = 2, kTooComplex = 3 };
    static const size_t kTokenCapacity = 256;

    explicit RWRegularExpression(const char* pattern);
    RWRegularExpression(const RWRegularExpression& other);
    RWRegularExpression& operator=(const RWRegularExpression& other);
    RWRegularExpression& operator=(const char* pattern);
    ~RWRegularExpression();

    // Position of the leftmost match at or after start, its length in length; RW_NPOS
    // and length 0 when there is none or start lies past the text. A pattern that did
    // not compile raises [BADRE] and finds nothing.
    size_t Index(const RWCString& text, size_t* length, size_t start = 0) const;
    size_t Index(const RWCString& text, size_t start = 0) const;
    // The matched part of text, or the null span.
    RWCStringSpan operator()(RWCString& text, size_t start = 0) const;
    const RWCStringSpan operator()(const RWCString& text, size_t start = 0) const;

    // The compile result, reset to 0 by the call. A pattern that did not compile stays
    // unusable for searches whatever Status() reports afterwards.
    int Status();

private:
    void Compile(const char* pattern);

    uint16_t* tokens_;
    int status_;
    bool valid_;
};
