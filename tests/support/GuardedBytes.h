// Bytes placed so that the last one is followed by a page with no access: a reader that
// goes one byte past them faults. The room is zero-filled; a copy of given bytes fills
// its end.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

class GuardedBytes {
public:
    explicit GuardedBytes(size_t size) { Place(size); }
    GuardedBytes(const void* bytes, size_t size)
    {
        Place(size);
        if (data_ && size)
            std::memcpy(data_, bytes, size);
    }
    ~GuardedBytes()
    {
        if (base_)
            VirtualFree(base_, 0, MEM_RELEASE);
    }
    GuardedBytes(const GuardedBytes&) = delete;
    GuardedBytes& operator=(const GuardedBytes&) = delete;

    // Null when the pages could not be had.
    uint8_t* Data() const { return data_; }
    DEVMODEW* DevMode() const { return reinterpret_cast<DEVMODEW*>(data_); }

private:
    void Place(size_t size)
    {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        const size_t page = info.dwPageSize;
        const size_t room = (size + page - 1) / page * page;
        base_ = static_cast<uint8_t*>(VirtualAlloc(nullptr, room + page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old = 0;
        if (base_ && VirtualProtect(base_ + room, page, PAGE_NOACCESS, &old))
            data_ = base_ + room - size;
    }

    uint8_t* base_ = nullptr;
    uint8_t* data_ = nullptr;
};
