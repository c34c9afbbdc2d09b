// A printer installed in the test's Wine prefix for the length of a test program: a
// driver whose configuration file is the qzdrvcfg stand-in and whose data file is a copy
// of the generated driver data file, and a printer on "FILE:" using it. Names carry the
// process id, so test programs running side by side never share one.
#pragma once

#include <string>

class TestPrinter {
public:
    TestPrinter();
    ~TestPrinter();
    TestPrinter(const TestPrinter&) = delete;
    TestPrinter& operator=(const TestPrinter&) = delete;

    // The one printer of this process, installed on first use and removed at exit.
    static TestPrinter& Shared();

    // Empty when the installation failed; Failure() then says which step.
    bool Installed() const { return installed_; }
    const std::string& Failure() const { return failure_; }
    const std::wstring& Name() const { return name_; }
    const std::wstring& DriverName() const { return driver_; }
    // The generated driver data file that the printer's data file copies.
    static std::wstring GeneratedDataFile();
    // The data file's path in the spooler's driver folder.
    const std::wstring& DataFile() const { return dataFile_; }
    // The printer's machine key, below HKEY_LOCAL_MACHINE (printer data lives under its
    // "PrinterDriverData" subkey; on Wine the spooler keeps it there too).
    std::wstring RegistryKey() const;

private:
    bool Fail(const char* step);

    bool installed_ = false;
    std::string failure_;
    std::wstring name_, driver_, configFile_, dataFile_;
};
