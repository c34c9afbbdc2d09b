// Helpers for the counted-string tests: the text of a string as a standard string, and
// a restore from exactly given file bytes.
#pragma once

#include "foundation/RWBinaryFile.h"
#include "foundation/RWCString.h"
#include "foundation/RWWString.h"

#include "FileBytes.h"
#include "TempPath.h"

#include <cstdint>
#include <string>
#include <vector>

inline std::string Text(const RWCString& s) { return std::string(s.Data(), s.Length()); }
inline std::string Text(const RWCStringSpan& s) { return std::string(s.Data(), s.VisibleLength()); }
inline std::wstring Text(const RWWString& s) { return std::wstring(s.Data(), s.Length()); }

// Restores s from a file holding exactly these bytes. eof, when given, tells whether the
// file reached its end.
template <class String>
bool RestoreFromBytes(String& s, const std::vector<uint8_t>& bytes, bool* eof = nullptr)
{
    TempPath path("string-restore.bin");
    if (!WriteFileBytes(path.str(), bytes))
        return false;
    RWBinaryFile file(path.c_str(), "rb");
    const bool ok = s.RestoreFrom(file);
    if (eof)
        *eof = file.Eof();
    return ok;
}

// The little-endian bytes of a 32-bit length word.
inline std::vector<uint8_t> LengthWord(uint32_t n)
{
    return {uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16), uint8_t(n >> 24)};
}
