// The escapes of the portable text form: how one character is written inside a text
// or as a character value, and what an escape read back stands for.
#pragma once

#include <cstddef>

class RWPortableEscape {
public:
    // Longest text form of one character ("\x%02x").
    static constexpr size_t kMaxLength = 4;

    // Writes the text form of c (itself, or a backslash and a code) and a NUL into
    // text; answers its length.
    static size_t Encode(unsigned char c, char text[kMaxLength + 1]);
    // The character that a backslash followed by code stands for; "x" (a number in
    // hex digits) is left to the reader.
    static char Decode(char code);
};
