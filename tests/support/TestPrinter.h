// A printer installed in the test's Wine prefix for the length of a test program: the
// driver's configuration file is the module itself (qzui32.dll, under its own name, as
// its plug-in list names its own pages), the data file the printer model, and the
// printer sits on "FILE:". The driver files are shared by every test program of the
// prefix: each is copied, under a mutex they all share, only when its bytes differ, and
// never deleted. Printer and driver names carry the process id, so test programs running
// side by side never share a printer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TestPrinter {
public:
    // An explicit name installs a printer of that name (the demo's); the default one
    // carries the process id, and so does the default driver name.
    explicit TestPrinter(const std::wstring& printerName = std::wstring(),
                         const std::wstring& driverName = std::wstring());
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
    // The configuration and data files' paths in the spooler's driver folder.
    const std::wstring& ConfigFile() const { return configFile_; }
    const std::wstring& DataFile() const { return dataFile_; }
    // The printer's machine key, below HKEY_LOCAL_MACHINE (printer data lives under its
    // "PrinterDriverData" subkey; on Wine the spooler keeps it there too).
    std::wstring RegistryKey() const;
    // Every value of the printer's data, names and bytes in the registry's order: two
    // readings compare equal when nothing stored changed.
    std::vector<uint8_t> AllData() const;

    // The folder of the running program, where the build puts the module beside it.
    static std::wstring ProgramFolder();
    // Copies the file unless the target already holds the same bytes: false on failure.
    static bool CopyIfDifferent(const std::wstring& from, const std::wstring& to);

private:
    bool Fail(const char* step);
    bool InstallDriverFiles(const std::wstring& folder);

    bool installed_ = false;
    std::string failure_;
    std::wstring name_, driver_, configFile_, dataFile_;
};

// Writes the printer model the driver reads from its data file to the path: false on
// failure. Defined by the interim model writer until the build generates the model.
