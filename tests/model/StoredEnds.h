// Restoring an object's own fields from given bytes and seeing where the input was left:
// for the tests of stored counts that must be refused before they are trusted.
#pragma once

#include "StoredForms.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

// Where a binary-file restore left the file: bytes not read, and whether it reported
// its end.
struct FileEnd {
    long left = -1;
    bool eof = false;
};

inline FileEnd RestoreGutsAndMeasure(RWCollectable& object, const std::vector<uint8_t>& bytes)
{
    FileEnd end;
    BytesFile file(bytes);
    object.RestoreGuts(file.File());
    end.left = file.File().Remaining();
    end.eof = file.File().Eof();
    return end;
}

// The pieces joined in order: a stored prefix, then hand-made bytes.
inline std::vector<uint8_t> Joined(std::vector<uint8_t> head, std::initializer_list<uint8_t> tail)
{
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

inline std::string Joined(std::string head, std::initializer_list<uint8_t> tail)
{
    head.append(tail.begin(), tail.end());
    return head;
}

// A typed-stream text (binary kind) cut short by n bytes.
inline std::string WithoutLast(std::string text, size_t n)
{
    text.resize(text.size() >= n ? text.size() - n : 0);
    return text;
}
