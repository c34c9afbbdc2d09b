#include "foundation/RWPortableEscape.h"

#include <cctype>
#include <cstdio>

namespace {

struct Escape {
    unsigned char character;
    char code;
};

const Escape kEscapes[] = {
    {8, 'b'},   // backspace
    {9, 't'},   // tab
    {10, 'n'},  // newline
    {12, 'f'},  // form feed
    {13, 'r'},  // carriage return
    {34, '"'},  // double quote
    {92, '\\'}, // backslash
    {123, '['}, // left brace
    {125, ']'}, // right brace
};

} // namespace

size_t RWPortableEscape::Encode(unsigned char c, char text[kMaxLength + 1])
{
    for (const Escape& escape : kEscapes) {
        if (escape.character == c) {
            text[0] = '\\';
            text[1] = escape.code;
            text[2] = '\0';
            return 2;
        }
    }
    if (std::isprint(c) && !std::isspace(c) && c < 255) {
        text[0] = static_cast<char>(c);
        text[1] = '\0';
        return 1;
    }
    return static_cast<size_t>(std::snprintf(text, kMaxLength + 1, "\\x%02x", static_cast<unsigned>(c)));
}

char RWPortableEscape::Decode(char code)
{
    for (const Escape& escape : kEscapes)
        if (escape.code == code)
            return static_cast<char>(escape.character);
    return code;
}
