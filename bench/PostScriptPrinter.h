// A printer on Wine's own PostScript driver, the floor the entry-call benchmarks compare
// against; empty when the prefix offers no such driver.
#pragma once

#include <windows.h>
#include <winspool.h>

#include <string>

inline std::wstring AddPostScriptPrinter(const std::wstring& namePrefix)
{
    static const wchar_t* const drivers[] = {L"Generic PostScript Printer", L"Wine PostScript Driver"};
    for (const wchar_t* driver : drivers) {
        std::wstring name = namePrefix + std::to_wstring(GetCurrentProcessId());
        PRINTER_INFO_2W info = {};
        info.pPrinterName = &name[0];
        info.pPortName = const_cast<wchar_t*>(L"FILE:");
        info.pDriverName = const_cast<wchar_t*>(driver);
        info.pPrintProcessor = const_cast<wchar_t*>(L"WinPrint");
        info.pDatatype = const_cast<wchar_t*>(L"RAW");
        if (HANDLE printer = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info))) {
            ClosePrinter(printer);
            return name;
        }
    }
    return std::wstring();
}
