// Character conversion between 8-bit character sets and 16-bit codes for the text
// strings, the job writers and the pipeline, through one process-wide converter; and the
// narrow/wide string conversions that the whole model uses.
#pragma once

#include "foundation/RWCString.h"
#include "foundation/RWSlistBase.h"
#include "foundation/RWWString.h"

#include <cstdint>

class GTextConverter : public RWSlistBase {
public:
    GTextConverter();
    GTextConverter(const GTextConverter&) = delete;
    GTextConverter& operator=(const GTextConverter&) = delete;

    // One 8-bit code of the character set as a 16-bit code.
    virtual uint16_t ToWide(uint8_t code, uint8_t charset) = 0;
    // The terminated wide text as 8-bit codes of the current code page: the count written
    // (at most maxCount, no terminator counted).
    virtual uint32_t ToNarrowText(const wchar_t* wideText, char* buffer, uint32_t maxCount) = 0;
    // The terminated narrow text as 16-bit codes: the count written (at most maxCount).
    virtual uint32_t ToWideText(const char* text, wchar_t* buffer, uint32_t maxCount) = 0;
    // One 16-bit code as a code of the character set (0x3F when it has none).
    virtual uint8_t ToNarrow(uint16_t code, uint8_t charset) = 0;
    // The code page that the character set converts through (0 when none).
    virtual uint32_t CodePageOf(uint8_t charset) = 0;
    // Frees the records still linked.
    virtual ~GTextConverter();
};

// The converter used when the system services supply none: a character set converts
// through its code page when the system knows one, else by plain widening and narrowing.
GTextConverter* CreateDefaultTextConverter();

// The process-wide converter, created once from the system services (never null: the
// default converter stands in). Defined with the system services.
GTextConverter* GetTextConverter();
// Deletes the converter made by GetTextConverter; the next call makes a new one. Runs
// once more at process exit.
void DiscardTextConverter();

// Each returns 1: the wide string from the narrow text in the current code page; the
// narrow string (plain narrowing when every character is ASCII, else the code page); a
// wide copy.
int ToWideString(const RWCString& in, RWWString& out);
int ToNarrowString(const RWWString& in, RWCString& out);
int ToWideString(const RWWString& in, RWWString& out);
