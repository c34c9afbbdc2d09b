#include "graphics/GTTWin32FontFileReader.h"

#include <windows.h>

#include <new>
#include <vector>

GTTWin32FontFileReader::GTTWin32FontFileReader() : file_(INVALID_HANDLE_VALUE) {}

GTTWin32FontFileReader::GTTWin32FontFileReader(const RWWString& path, uint32_t fileKey)
    : GPersistent(fileKey), file_(INVALID_HANDLE_VALUE)
{
    file_ = CreateFileW(path.Data(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                        nullptr);
    LARGE_INTEGER size;
    if (file_ == INVALID_HANDLE_VALUE || !GetFileSizeEx(file_, &size))
        return;
    std::vector<uint8_t> header(12);
    for (int tries = 0; tries < 2; ++tries) {
        const uint32_t needed =
            ReadAt(0, header.data(), uint32_t(header.size()))
                ? GParseFontDirectory(header.data(), uint32_t(header.size()), uint64_t(size.QuadPart), entries_)
                : 0;
        if (needed == 0)
            break;
        header.resize(needed);
    }
}

GTTWin32FontFileReader::~GTTWin32FontFileReader()
{
    if (file_ != INVALID_HANDLE_VALUE)
        CloseHandle(file_);
}

GTTWin32FontFileReader* GTTWin32FontFileReader::CreateNew() const { return new GTTWin32FontFileReader; }

bool GTTWin32FontFileReader::ReadAt(uint32_t offset, uint8_t* destination, uint32_t count)
{
    if (file_ == INVALID_HANDLE_VALUE)
        return false;
    OVERLAPPED at = {};
    at.Offset = offset;
    DWORD read = 0;
    return ReadFile(file_, destination, count, &read, &at) && read == count;
}

const GFontTableEntry* GTTWin32FontFileReader::Find(uint32_t tag) const
{
    for (const GFontTableEntry& entry : entries_)
        if (entry.tag == tag)
            return &entry;
    return nullptr;
}

uint32_t GTTWin32FontFileReader::GetFileTableLength(uint32_t, uint32_t tag)
{
    const GFontTableEntry* entry = Find(tag);
    return entry ? entry->length : 0;
}

uint32_t GTTWin32FontFileReader::ReadTable(uint32_t, uint32_t tag, GByteBuffer*& out, uint32_t length)
{
    out = nullptr;
    const GFontTableEntry* entry = Find(tag);
    const uint32_t n = entry && length < entry->length ? length : entry ? entry->length : 0;
    if (n == 0)
        return 0;
    uint8_t* bytes = new (std::nothrow) uint8_t[n];
    if (!bytes || !ReadAt(entry->offset, bytes, n)) {
        delete[] bytes;
        return 0;
    }
    out = new (std::nothrow) GByteBuffer(bytes, n, 1);
    if (!out)
        delete[] bytes;
    return out ? n : 0;
}

uint32_t GTTWin32FontFileReader::ReadBytes(uint32_t, uint32_t tag, uint32_t offset, uint8_t* destination,
                                           uint32_t count)
{
    const GFontTableEntry* entry = Find(tag);
    if (!entry || uint64_t(offset) + count > entry->length || !ReadAt(entry->offset + offset, destination, count))
        return 0;
    return count;
}
