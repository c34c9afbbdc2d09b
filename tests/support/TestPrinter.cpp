#include "TestPrinter.h"

#include <windows.h>
#include <winspool.h>

#include <cstdio>

namespace {

const wchar_t kEnvironment[] = L"Windows NT x86";

std::wstring ExeFolder()
{
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, n);
    return folder.substr(0, folder.find_last_of(L'\\'));
}

} // namespace

std::wstring TestPrinter::GeneratedDataFile()
{
    const char path[] = QZ_DRIVER_DATA_FILE;
    return std::wstring(path, path + sizeof path - 1);
}

TestPrinter& TestPrinter::Shared()
{
    static TestPrinter printer;
    return printer;
}

bool TestPrinter::Fail(const char* step)
{
    char text[160];
    std::snprintf(text, sizeof text, "%s failed, error %lu", step, GetLastError());
    failure_ = text;
    return false;
}

TestPrinter::TestPrinter()
{
    const std::wstring id = std::to_wstring(GetCurrentProcessId());
    name_ = L"QZ Test Printer " + id;
    driver_ = L"QZ Test Driver " + id;

    wchar_t folder[MAX_PATH];
    DWORD needed = 0;
    if (!GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(folder), sizeof folder, &needed)) {
        Fail("GetPrinterDriverDirectoryW");
        return;
    }
    const std::wstring versionFolder = std::wstring(folder) + L"\\3";
    CreateDirectoryW(versionFolder.c_str(), nullptr);
    configFile_ = versionFolder + L"\\qzcfg" + id + L".dll";
    dataFile_ = versionFolder + L"\\qzdat" + id + L".dat";
    if (!CopyFileW((ExeFolder() + L"\\qzdrvcfg.dll").c_str(), configFile_.c_str(), FALSE)) {
        Fail("copying the configuration file");
        return;
    }
    if (!CopyFileW(GeneratedDataFile().c_str(), dataFile_.c_str(), FALSE)) {
        Fail("copying the generated data file");
        return;
    }

    DRIVER_INFO_3W driver = {};
    driver.cVersion = 3;
    driver.pName = &driver_[0];
    driver.pEnvironment = const_cast<wchar_t*>(kEnvironment);
    driver.pDriverPath = &configFile_[0];
    driver.pDataFile = &dataFile_[0];
    driver.pConfigFile = &configFile_[0];
    if (!AddPrinterDriverW(nullptr, 3, reinterpret_cast<BYTE*>(&driver))) {
        Fail("AddPrinterDriverW");
        return;
    }

    PRINTER_INFO_2W info = {};
    info.pPrinterName = &name_[0];
    info.pPortName = const_cast<wchar_t*>(L"FILE:");
    info.pDriverName = &driver_[0];
    info.pPrintProcessor = const_cast<wchar_t*>(L"WinPrint");
    info.pDatatype = const_cast<wchar_t*>(L"RAW");
    HANDLE printer = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    if (!printer) {
        Fail("AddPrinterW");
        return;
    }
    ClosePrinter(printer);
    installed_ = true;
}

TestPrinter::~TestPrinter()
{
    PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE printer = nullptr;
    if (installed_ && OpenPrinterW(&name_[0], &printer, &defaults)) {
        DeletePrinter(printer);
        ClosePrinter(printer);
    }
    DeletePrinterDriverW(nullptr, const_cast<wchar_t*>(kEnvironment), &driver_[0]);
    if (!configFile_.empty())
        DeleteFileW(configFile_.c_str());
    if (!dataFile_.empty())
        DeleteFileW(dataFile_.c_str());
}

std::wstring TestPrinter::RegistryKey() const
{
    return L"SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\" + name_;
}
