// A stand-in spooler for the printer's level-2 record, as GetPrinterW promises it: the
// printer's real record packed again into the caller's buffer, its DEVMODE and texts
// right after the structure (as Wine packs them) or from the end of the buffer backwards
// (as Windows does); or packed after the structure with one pointer that leaves the
// buffer, a text not ended inside it, or a DEVMODE that runs past its end; or with a
// DEVMODE or a security descriptor's fixed part moved to end exactly at the buffer's end,
// or one byte past it. While one lives, PrinterRecordScope reads every record through it.
#pragma once

#include "printer/PrinterRecordScope.h"

#include <windows.h>
#include <winspool.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <vector>

class RecordPackingSpooler {
public:
    enum Packing {
        kAtStart,
        kAtEnd,
        kAtEndOfALargerBuffer,
        kNameOutside,
        kTextUnended,
        kDevModePastEnd,
        kDevModeEndsAtEnd,
        kDevModeOneBytePast,
        kSecurityEndsAtEnd,
        kSecurityOneBytePast,
    };

    explicit RecordPackingSpooler(Packing packing)
    {
        packing_ = packing;
        calls_ = 0;
        previous_ = PrinterRecordScope::SetReaderForTesting(&Read);
    }
    ~RecordPackingSpooler() { PrinterRecordScope::SetReaderForTesting(previous_); }
    RecordPackingSpooler(const RecordPackingSpooler&) = delete;
    RecordPackingSpooler& operator=(const RecordPackingSpooler&) = delete;

    static int Calls() { return calls_; }
    static const char* Name(Packing packing)
    {
        static const char* const names[] = {"at the start", "at the end", "at the end of a larger buffer",
                                            "a name outside", "a text not ended", "a DEVMODE past the end",
                                            "a DEVMODE ending at the end", "a DEVMODE one byte past the end",
                                            "a security descriptor ending at the end",
                                            "a security descriptor one byte past the end"};
        return names[packing];
    }

private:
    static bool Read(void* printer, uint8_t* buffer, uint32_t size, uint32_t* needed)
    {
        ++calls_;
        DWORD real = 0;
        GetPrinterW(printer, 2, nullptr, 0, &real);
        std::vector<uint8_t> record(real);
        if (!real || !GetPrinterW(printer, 2, record.data(), real, &real))
            return false;
        const PRINTER_INFO_2W& info = *reinterpret_cast<const PRINTER_INFO_2W*>(record.data());
        LPWSTR PRINTER_INFO_2W::*const texts[] = {
            &PRINTER_INFO_2W::pServerName, &PRINTER_INFO_2W::pPrinterName,    &PRINTER_INFO_2W::pShareName,
            &PRINTER_INFO_2W::pPortName,   &PRINTER_INFO_2W::pDriverName,     &PRINTER_INFO_2W::pComment,
            &PRINTER_INFO_2W::pLocation,   &PRINTER_INFO_2W::pSepFile,        &PRINTER_INFO_2W::pPrintProcessor,
            &PRINTER_INFO_2W::pDatatype,   &PRINTER_INFO_2W::pParameters,
        };
        const size_t devModeSize = info.pDevMode ? info.pDevMode->dmSize + info.pDevMode->dmDriverExtra : 0;
        // Room for every piece with its alignment, and for the broken pieces at the end.
        size_t total = sizeof(PRINTER_INFO_2W) + 2 * devModeSize + 4 + kBrokenRoom;
        for (LPWSTR PRINTER_INFO_2W::*text : texts)
            if (info.*text)
                total += (std::wcslen(info.*text) + 1) * sizeof(wchar_t) + 2;
        if (packing_ == kAtEndOfALargerBuffer)
            total = std::max<size_t>(total, 8192 + 512);
        *needed = uint32_t(total);
        if (size < total) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return false;
        }
        // What the caller's buffer held before.
        std::memset(buffer, 0xA5, size);
        auto* out = reinterpret_cast<PRINTER_INFO_2W*>(buffer);
        std::memcpy(out, &info, sizeof info);
        out->pSecurityDescriptor = nullptr;
        const bool fromEnd = packing_ == kAtEnd || packing_ == kAtEndOfALargerBuffer;
        size_t start = sizeof(PRINTER_INFO_2W), end = size;
        auto place = [&](const void* from, size_t bytes, size_t align) {
            size_t at = 0;
            if (fromEnd) {
                at = end = (end - bytes) & ~(align - 1);
            } else {
                at = start = (start + align - 1) & ~(align - 1);
                start += bytes;
            }
            std::memcpy(buffer + at, from, bytes);
            return buffer + at;
        };
        if (info.pDevMode)
            out->pDevMode = reinterpret_cast<DEVMODEW*>(place(info.pDevMode, devModeSize, 4));
        for (LPWSTR PRINTER_INFO_2W::*text : texts)
            if (info.*text)
                out->*text = reinterpret_cast<LPWSTR>(place(info.*text, (std::wcslen(info.*text) + 1) * 2, 2));
        // The broken pieces go into the last bytes, which the packing after the structure
        // leaves free.
        switch (packing_) {
        case kNameOutside:
            out->pPrinterName = reinterpret_cast<LPWSTR>(buffer + size + 64);
            break;
        case kTextUnended:
            std::memcpy(buffer + size - 4, "a\0b\0", 4);
            out->pComment = reinterpret_cast<LPWSTR>(buffer + size - 4);
            break;
        case kDevModePastEnd:
            if (info.pDevMode) {
                std::memcpy(buffer + size - kBrokenRoom, info.pDevMode, kBrokenRoom);
                out->pDevMode = reinterpret_cast<DEVMODEW*>(buffer + size - kBrokenRoom);
            }
            break;
        case kDevModeEndsAtEnd:
        case kDevModeOneBytePast:
            // The whole DEVMODE claims dmSize + dmDriverExtra bytes from where it starts.
            if (info.pDevMode) {
                const size_t past = packing_ == kDevModeOneBytePast ? 1 : 0;
                std::memcpy(buffer + size - devModeSize + past, info.pDevMode, devModeSize - past);
                out->pDevMode = reinterpret_cast<DEVMODEW*>(buffer + size - devModeSize + past);
            }
            break;
        case kSecurityEndsAtEnd:
        case kSecurityOneBytePast: {
            const size_t past = packing_ == kSecurityOneBytePast ? 1 : 0;
            std::memset(buffer + size - SECURITY_DESCRIPTOR_MIN_LENGTH, 0, SECURITY_DESCRIPTOR_MIN_LENGTH);
            out->pSecurityDescriptor = buffer + size - SECURITY_DESCRIPTOR_MIN_LENGTH + past;
            break;
        }
        default:
            break;
        }
        return true;
    }

    // Past the DEVMODE's header, short of its whole; the room after the packed pieces
    // also takes a whole DEVMODE.
    static constexpr size_t kBrokenRoom = 600;
    static inline Packing packing_ = kAtStart;
    static inline int calls_ = 0;
    static inline PrinterRecordScope::Reader previous_ = nullptr;
};
