// Writes and reads a 4 KB value as chunked printer data through the system services,
// and the same bytes as one value with a plain SetPrinterDataW/GetPrinterDataW pair,
// both on a printer installed for the run and removed after it. Prints the time of each
// and how many times slower the chunked form is than the plain pair.
//
//   printer_data_bench.exe [rounds]    (built beside the tests: build/tests/)
#include "TestPrinter.h"
#include "printer/GDriverObject.h"
#include "printer/GWin32OSFactory.h"

#include <winspool.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

class BenchServices : public GWin32OSFactory {
public:
    explicit BenchServices(HANDLE printer) : printer_(printer) {}
    void* GetPrinterHandle(GDriverObject*) override { return printer_; }

private:
    HANDLE printer_;
};

void Fail(const char* what)
{
    std::fprintf(stderr, "error: %s\n", what);
    std::exit(2);
}

template <class F>
double Time(int rounds, F f)
{
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < rounds; ++i)
        f(i);
    return std::chrono::duration<double>(Clock::now() - start).count() / rounds;
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 200;
    TestPrinter printer;
    if (!printer.Installed())
        Fail(printer.Failure().c_str());
    PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE handle = nullptr;
    if (!OpenPrinterW(const_cast<wchar_t*>(printer.Name().c_str()), &handle, &defaults))
        Fail("OpenPrinterW");
    BenchServices* services = new BenchServices(handle);
    GDriverObject driver(printer.Name().c_str());

    std::vector<uint8_t> data(4096), back(4096 + GWin32OSFactory::kChunkSize);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = uint8_t(i * 13);
    size_t checksum = 0;

    const double chunked = Time(rounds, [&](int round) {
        data[0] = uint8_t(round);
        uint32_t length = 0;
        if (!services->SetPrinterDataBinary(&driver, L"BenchChunked", data.data(), uint32_t(data.size())) ||
            !services->GetPrinterDataBinary(&driver, L"BenchChunked", back.data(), uint32_t(back.size()), length) ||
            length != data.size() || back[0] != data[0])
            Fail("chunked round trip");
        checksum += length;
    });
    const double plain = Time(rounds, [&](int round) {
        data[0] = uint8_t(round);
        DWORD type = 0, needed = 0;
        if (SetPrinterDataW(handle, const_cast<wchar_t*>(L"BenchPlain"), REG_BINARY, data.data(), DWORD(data.size())) ||
            GetPrinterDataW(handle, const_cast<wchar_t*>(L"BenchPlain"), &type, back.data(), DWORD(back.size()),
                            &needed) ||
            needed != data.size() || back[0] != data[0])
            Fail("plain round trip");
        checksum += needed;
    });
    ClosePrinter(handle);

    std::printf("4096-byte printer data value, %d rounds (checksum %zu)\n", rounds, checksum);
    std::printf("  plain set+get     %10.1f us\n", plain * 1e6);
    std::printf("  chunked set+get   %10.1f us   x%.2f plain\n", chunked * 1e6, chunked / plain);
    return 0;
}
