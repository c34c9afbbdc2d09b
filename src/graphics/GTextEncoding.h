// The two kinds of code that name how characters are encoded, kept apart as types:
// text encodings (the encoding of a GTextString) and character sets (what the font
// reader and the download command speak of). They share numbers but not meanings, so
// a value of one is never taken for the other without an explicit conversion.
//
// Text encodings: 16 Unicode; 17 to 23 double-byte encodings; 3 to 12, 14, 15 and 24 to
// 52 single-byte encodings; 1 and 2 the driver's own, 2 being the compact codes of a
// downloaded font. Character sets: 3 symbol; 1 and 16 single-byte; 17 to 23 double-byte.
#pragma once

#include <cstdint>

enum class GEncoding : int32_t {
    kNone = 0,
    kDriver = 1,
    kCompact = 2,
    kUnicode = 16,
    kShiftJis = 17,
    kFirstDoubleByte = 17,
    kLastDoubleByte = 23,
};

enum class GCharSet : uint8_t {
    kNone = 0,
    kSingleByte = 1,
    kSymbol = 3,
    kSingleByteAlt = 16,
    kFirstDoubleByte = 17,
    kLastDoubleByte = 23,
};

class GTextString;

inline GEncoding ToEncoding(int32_t code) { return static_cast<GEncoding>(code); }
inline int32_t EncodingCode(GEncoding encoding) { return static_cast<int32_t>(encoding); }
inline GCharSet ToCharSet(uint32_t code) { return static_cast<GCharSet>(code); }
inline uint8_t CharSetCode(GCharSet set) { return static_cast<uint8_t>(set); }

// 1 for encodings 1 and 16, 2 for the double-byte encodings 17 to 23, 0 otherwise.
int GetEncodingClass(GEncoding encoding);
// True for the single-byte encodings 3 to 12, 14, 15 and 24 to 52.
bool IsSingleByteEncoding(GEncoding encoding);
// 1 when the byte can begin a two-byte character of the double-byte encoding.
int IsLeadByte(GEncoding encoding, uint8_t byte);
// 1 when a 16-bit text of encoding 16 to 23 holds a character of its encoding's
// user-defined range; 0 for 8-bit text and encodings without such a range.
int HasUserDefinedCharacters(const GTextString& text);

// Bytes per character of a character set: 1 for sets 1 and 16, 2 for 17 to 23, else 0.
int GetCharacterBytes(GCharSet set);
// 1 when the byte can begin a two-byte character of the character set.
int IsLeadByte(GCharSet set, uint8_t byte);
