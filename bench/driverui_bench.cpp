// The driver UI object as applications reach it through the spooler: DocumentPropertiesW
// in-out round trips and DeviceCapabilitiesW DC_PAPERS and DC_PAPERNAMES, per second,
// on a printer installed for the run. Each is set against a plain copy of the same
// DEVMODE or paper list and, when a printer on Wine's PostScript driver can be added,
// against the same call to that driver, all in one run.
//
//   driverui_bench.exe [rounds]    (built beside the tests: build/tests/)
#include "PostScriptPrinter.h"
#include "TestPrinter.h"

#include <windows.h>
#include <winspool.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

template <class F>
double PerSecond(int rounds, F f)
{
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < rounds; ++i)
        f();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return seconds > 0 ? rounds / seconds : 0;
}

struct Rates {
    double roundTrips, papers, paperNames;
};

Rates Measure(const std::wstring& name, int rounds)
{
    HANDLE printer = nullptr;
    OpenPrinterW(const_cast<wchar_t*>(name.c_str()), &printer, nullptr);
    const LONG size = DocumentPropertiesW(nullptr, printer, const_cast<wchar_t*>(name.c_str()), nullptr, nullptr, 0);
    std::vector<uint8_t> in(size > 0 ? size : 1172), out(in.size());
    DocumentPropertiesW(nullptr, printer, const_cast<wchar_t*>(name.c_str()), reinterpret_cast<DEVMODEW*>(in.data()),
                        nullptr, DM_OUT_BUFFER);
    Rates rates;
    rates.roundTrips = PerSecond(rounds, [&] {
        DocumentPropertiesW(nullptr, printer, const_cast<wchar_t*>(name.c_str()), reinterpret_cast<DEVMODEW*>(out.data()),
                            reinterpret_cast<DEVMODEW*>(in.data()), DM_IN_BUFFER | DM_OUT_BUFFER);
    });
    const DWORD count = DeviceCapabilitiesW(name.c_str(), L"FILE:", DC_PAPERS, nullptr, nullptr);
    std::vector<WORD> codes(count == DWORD(-1) ? 1 : count + 1);
    std::vector<wchar_t> names(codes.size() * 64);
    rates.papers = PerSecond(rounds, [&] {
        DeviceCapabilitiesW(name.c_str(), L"FILE:", DC_PAPERS, reinterpret_cast<LPWSTR>(codes.data()), nullptr);
    });
    rates.paperNames = PerSecond(rounds, [&] { DeviceCapabilitiesW(name.c_str(), L"FILE:", DC_PAPERNAMES, names.data(), nullptr); });
    ClosePrinter(printer);
    return rates;
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 200;
    TestPrinter printer;
    if (!printer.Installed()) {
        std::fprintf(stderr, "error: %s\n", printer.Failure().c_str());
        return 2;
    }
    const Rates ours = Measure(printer.Name(), rounds);

    // The plain copies: the same bytes moved with nothing decided.
    std::vector<uint8_t> devMode(1172, 1), copy(1172);
    const double copyRate = PerSecond(rounds * 100, [&] {
        std::memcpy(copy.data(), devMode.data(), devMode.size());
        devMode[0] ^= copy[1];
    });
    std::vector<wchar_t> list(120 * 64, L'a'), listCopy(list.size());
    const double listRate = PerSecond(rounds * 100, [&] {
        std::memcpy(listCopy.data(), list.data(), list.size() * sizeof(wchar_t));
        list[0] ^= listCopy[1];
    });

    std::printf("%-34s %12s %14s\n", "call", "calls/s", "vs plain copy");
    std::printf("%-34s %12.0f %14.6f\n", "DocumentPropertiesW in-out", ours.roundTrips, ours.roundTrips / copyRate);
    std::printf("%-34s %12.0f %14.6f\n", "DeviceCapabilitiesW DC_PAPERS", ours.papers, ours.papers / listRate);
    std::printf("%-34s %12.0f %14.6f\n", "DeviceCapabilitiesW DC_PAPERNAMES", ours.paperNames,
                ours.paperNames / listRate);

    const std::wstring postScript = AddPostScriptPrinter(L"QZ Bench PostScript ");
    if (postScript.empty()) {
        std::printf("Wine's PostScript driver: no printer could be added; no ratio against it\n");
        return 0;
    }
    const Rates theirs = Measure(postScript, rounds);
    std::printf("%-34s %14s\n", "ratio against Wine's PostScript", "ours / theirs");
    std::printf("%-34s %14.3f\n", "DocumentPropertiesW in-out", ours.roundTrips / theirs.roundTrips);
    std::printf("%-34s %14.3f\n", "DeviceCapabilitiesW DC_PAPERS", ours.papers / theirs.papers);
    std::printf("%-34s %14.3f\n", "DeviceCapabilitiesW DC_PAPERNAMES", ours.paperNames / theirs.paperNames);
    HANDLE handle = nullptr;
    if (OpenPrinterW(const_cast<wchar_t*>(postScript.c_str()), &handle, nullptr)) {
        DeletePrinter(handle);
        ClosePrinter(handle);
    }
    return 0;
}
