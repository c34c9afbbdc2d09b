#include "model/GTextConverter.h"

#include <windows.h>

#include <new>

GTextConverter::GTextConverter() = default;

GTextConverter::~GTextConverter()
{
    while (!IsEmpty())
        delete RemoveAfter(Head());
}

namespace {

class GDefaultTextConverter : public GTextConverter {
public:
    uint16_t ToWide(uint8_t code, uint8_t charset) override
    {
        const UINT page = CodePageOf(charset);
        const char narrow = static_cast<char>(code);
        wchar_t wide = 0;
        if (page && MultiByteToWideChar(page, 0, &narrow, 1, &wide, 1) == 1)
            return wide;
        return code;
    }

    uint32_t ToNarrowText(const wchar_t* wideText, char* buffer, uint32_t maxCount) override
    {
        if (!wideText || !buffer || maxCount == 0)
            return 0;
        const int length = lstrlenW(wideText);
        const int written = WideCharToMultiByte(CP_ACP, 0, wideText, length, buffer, static_cast<int>(maxCount),
                                                nullptr, nullptr);
        if (written > 0 || length == 0)
            return static_cast<uint32_t>(written);
        uint32_t count = 0;
        for (; count < maxCount && wideText[count]; ++count)
            buffer[count] = wideText[count] < 0x100 ? static_cast<char>(wideText[count]) : '?';
        return count;
    }

    uint32_t ToWideText(const char* text, wchar_t* buffer, uint32_t maxCount) override
    {
        if (!text || !buffer || maxCount == 0)
            return 0;
        const int length = lstrlenA(text);
        const int written = MultiByteToWideChar(CP_ACP, 0, text, length, buffer, static_cast<int>(maxCount));
        if (written > 0 || length == 0)
            return static_cast<uint32_t>(written);
        uint32_t count = 0;
        for (; count < maxCount && text[count]; ++count)
            buffer[count] = static_cast<unsigned char>(text[count]);
        return count;
    }

    uint8_t ToNarrow(uint16_t code, uint8_t charset) override
    {
        const UINT page = CodePageOf(charset);
        const wchar_t wide = code;
        char narrow = 0;
        BOOL lossy = FALSE;
        if (page && WideCharToMultiByte(page, 0, &wide, 1, &narrow, 1, nullptr, &lossy) == 1 && !lossy)
            return static_cast<uint8_t>(narrow);
        return code < 0x100 ? static_cast<uint8_t>(code) : '?';
    }

    uint32_t CodePageOf(uint8_t charset) override
    {
        CHARSETINFO info = {};
        if (TranslateCharsetInfo(reinterpret_cast<DWORD*>(static_cast<uintptr_t>(charset)), &info, TCI_SRCCHARSET))
            return info.ciACP;
        return 0;
    }
};

} // namespace

GTextConverter* CreateDefaultTextConverter() { return new (std::nothrow) GDefaultTextConverter; }

int ToWideString(const RWCString& in, RWWString& out)
{
    out = RWWString(in, RWWString::multiByte);
    return 1;
}

int ToNarrowString(const RWWString& in, RWCString& out)
{
    out = in.IsAscii() ? in.ToAscii() : in.ToMultiByte();
    return 1;
}

int ToWideString(const RWWString& in, RWWString& out)
{
    out = in;
    return 1;
}
