#include "TestPrinter.h"

#include <windows.h>
#include <winspool.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

const wchar_t kEnvironment[] = L"Windows NT x86";
const wchar_t kModuleName[] = L"qzui32.dll";
const wchar_t kDataName[] = L"qzui32.dat";
// One mutex for every test program of the prefix: the driver files are shared.
const wchar_t kFilesMutex[] = L"QZTestDriverFiles";

std::vector<char> ReadAll(const std::wstring& path)
{
    std::vector<char> bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    const DWORD size = GetFileSize(file, nullptr);
    DWORD read = 0;
    if (size != INVALID_FILE_SIZE && size > 0) {
        bytes.resize(size);
        if (!ReadFile(file, bytes.data(), size, &read, nullptr) || read != size)
            bytes.clear();
    }
    CloseHandle(file);
    return bytes;
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

std::wstring TestPrinter::ProgramFolder()
{
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, n);
    return folder.substr(0, folder.find_last_of(L'\\'));
}

bool TestPrinter::CopyIfDifferent(const std::wstring& from, const std::wstring& to)
{
    const std::vector<char> source = ReadAll(from);
    if (source.empty())
        return false;
    if (ReadAll(to) == source)
        return true;
    return CopyFileW(from.c_str(), to.c_str(), FALSE) != 0;
}

bool TestPrinter::InstallDriverFiles(const std::wstring& folder)
{
    configFile_ = folder + L"\\" + kModuleName;
    dataFile_ = folder + L"\\" + kDataName;
    HANDLE mutex = CreateMutexW(nullptr, FALSE, kFilesMutex);
    if (!mutex)
        return Fail("creating the driver files' mutex");
    // Another test program copying the same files holds it for a moment; one that ended
    // while holding it leaves it abandoned, which is ours then.
    if (WaitForSingleObject(mutex, 60000) == WAIT_TIMEOUT) {
        CloseHandle(mutex);
        return Fail("waiting for the driver files' mutex");
    }
    bool done = CopyIfDifferent(ProgramFolder() + L"\\" + kModuleName, configFile_) || Fail("copying the module");
    done = done && (CopyIfDifferent(GeneratedDataFile(), dataFile_) || Fail("copying the printer model"));
    // The resource library sits beside the module, where the module looks for it; a
    // program built without it installs none.
    const std::wstring resources = ProgramFolder() + L"\\qzres32.dll";
    if (done && GetFileAttributesW(resources.c_str()) != INVALID_FILE_ATTRIBUTES)
        done = CopyIfDifferent(resources, folder + L"\\qzres32.dll") || Fail("copying the resource library");
    ReleaseMutex(mutex);
    CloseHandle(mutex);
    return done;
}

TestPrinter::TestPrinter(const std::wstring& printerName, const std::wstring& driverName)
{
    const std::wstring id = std::to_wstring(GetCurrentProcessId());
    name_ = printerName.empty() ? L"QZ Test Printer " + id : printerName;
    driver_ = driverName.empty() ? L"QZ Test Driver " + id : driverName;

    wchar_t folder[MAX_PATH];
    DWORD needed = 0;
    if (!GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(folder), sizeof folder, &needed)) {
        Fail("GetPrinterDriverDirectoryW");
        return;
    }
    const std::wstring versionFolder = std::wstring(folder) + L"\\3";
    CreateDirectoryW(versionFolder.c_str(), nullptr);
    if (!InstallDriverFiles(versionFolder))
        return;

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

// The driver files stay: other test programs of the prefix may be using them.
TestPrinter::~TestPrinter()
{
    PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE printer = nullptr;
    if (installed_ && OpenPrinterW(&name_[0], &printer, &defaults)) {
        DeletePrinter(printer);
        ClosePrinter(printer);
    }
    DeletePrinterDriverW(nullptr, const_cast<wchar_t*>(kEnvironment), &driver_[0]);
}

std::wstring TestPrinter::RegistryKey() const
{
    return L"SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\" + name_;
}

std::vector<uint8_t> TestPrinter::AllData() const
{
    std::vector<uint8_t> all;
    HKEY key;
    const std::wstring data = RegistryKey() + L"\\PrinterDriverData";
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, data.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return all;
    wchar_t name[256];
    uint8_t bytes[4096];
    for (DWORD i = 0;; ++i) {
        DWORD length = 256, size = sizeof bytes, type = 0;
        if (RegEnumValueW(key, i, name, &length, nullptr, &type, bytes, &size) != ERROR_SUCCESS)
            break;
        all.insert(all.end(), reinterpret_cast<uint8_t*>(name), reinterpret_cast<uint8_t*>(name + length));
        all.insert(all.end(), bytes, bytes + size);
    }
    RegCloseKey(key);
    return all;
}
