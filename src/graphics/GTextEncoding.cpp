#include "graphics/GTextEncoding.h"

#include "graphics/GTextString.h"

#include <iterator>

namespace {

// A closed range of lead bytes of one double-byte code.
struct LeadBytes {
    int32_t code;
    uint8_t low;
    uint8_t high;
};

// The lead bytes of the double-byte encodings; the character sets of the same numbers
// share them.
const LeadBytes kLeadBytes[] = {
    {17, 0x81, 0x9F}, {17, 0xE0, 0xFC},
    {18, 0xA1, 0xFE},
    {19, 0x81, 0xFE},
    {20, 0xA1, 0xFE},
    {21, 0x81, 0xFE},
    {22, 0x84, 0xF9},
    {23, 0x81, 0xFE},
};

int LeadByteOf(int32_t code, uint8_t byte)
{
    for (const LeadBytes& row : kLeadBytes)
        if (row.code == code && byte >= row.low && byte <= row.high)
            return 1;
    return 0;
}

// User-defined characters: a range of whole codes (low inclusive, high exclusive).
struct UserRange {
    int32_t encoding;
    uint16_t low;
    uint16_t high;
};

const UserRange kUserRanges[] = {
    {16, 0xE000, 0xEDE8},
    {17, 0xF040, 0xF9FD},
    {18, 0x9A41, 0xA0FF}, {18, 0xAA41, 0xAFFF}, {18, 0xF8A1, 0xFEFF},
    {21, 0xC9A1, 0xC9FF}, {21, 0xFEA1, 0xFEFF},
    {23, 0x8140, 0x8DFF}, {23, 0x8E40, 0xA0FF}, {23, 0xC6A1, 0xC8FF}, {23, 0xFA40, 0xFEFF},
};

// Encoding 19 names its user-defined characters by lead and trail byte (all inclusive).
struct UserCells {
    uint8_t leadLow, leadHigh;
    uint8_t trailLow, trailHigh;
};

const UserCells kUserCells19[] = {
    {0xA1, 0xA7, 0x40, 0x7E}, {0xA1, 0xA7, 0x80, 0xA0},
    {0xAA, 0xAF, 0xA1, 0xFE},
    {0xF8, 0xFE, 0xA1, 0xFE},
};

bool IsUserDefined(int32_t encoding, uint16_t code)
{
    if (encoding == 19) {
        const uint8_t lead = uint8_t(code >> 8), trail = uint8_t(code);
        for (const UserCells& cells : kUserCells19)
            if (lead >= cells.leadLow && lead <= cells.leadHigh && trail >= cells.trailLow &&
                trail <= cells.trailHigh)
                return true;
        return false;
    }
    for (const UserRange& range : kUserRanges)
        if (range.encoding == encoding && code >= range.low && code < range.high)
            return true;
    return false;
}

} // namespace

int GetEncodingClass(GEncoding encoding)
{
    const int32_t code = EncodingCode(encoding);
    if (code == 1 || code == 16)
        return 1;
    return code >= 17 && code <= 23 ? 2 : 0;
}

bool IsSingleByteEncoding(GEncoding encoding)
{
    const int32_t code = EncodingCode(encoding);
    return (code >= 3 && code <= 12) || code == 14 || code == 15 || (code >= 24 && code <= 52);
}

int IsLeadByte(GEncoding encoding, uint8_t byte) { return LeadByteOf(EncodingCode(encoding), byte); }

int HasUserDefinedCharacters(const GTextString& text)
{
    const int32_t encoding = EncodingCode(text.GetConversionKind());
    if (encoding < 16 || encoding > 23 || text.GetCharSize() != 2)
        return 0;
    for (uint32_t i = 0; i < text.GetLength(); ++i)
        if (IsUserDefined(encoding, text.GetChar(i)))
            return 1;
    return 0;
}

int GetCharacterBytes(GCharSet set)
{
    const uint8_t code = CharSetCode(set);
    if (code == 1 || code == 16)
        return 1;
    return code >= 17 && code <= 23 ? 2 : 0;
}

int IsLeadByte(GCharSet set, uint8_t byte) { return LeadByteOf(CharSetCode(set), byte); }
