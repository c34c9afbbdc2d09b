// What an application sees of the driver: installs the driver and a printer in the Wine
// prefix (the test printer's steps), asks the spooler for every device capability, the
// DEVMODE size and the default DEVMODE, prints the answers and removes the printer. With
// --sheet it first shows the document sheet and prints the DEVMODE it handed back.
#include "TestPrinter.h"

#include <windows.h>
#include <winspool.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Every capability index an application may ask, with its name.
const struct {
    WORD index;
    const char* name;
} kCapabilities[] = {
    {1, "DC_FIELDS"},         {2, "DC_PAPERS"},          {3, "DC_PAPERSIZE"},         {4, "DC_MINEXTENT"},
    {5, "DC_MAXEXTENT"},      {6, "DC_BINS"},            {7, "DC_DUPLEX"},            {8, "DC_SIZE"},
    {9, "DC_EXTRA"},          {10, "DC_VERSION"},        {11, "DC_DRIVER"},           {12, "DC_BINNAMES"},
    {13, "DC_ENUMRESOLUTIONS"}, {14, "DC_FILEDEPENDENCIES"}, {15, "DC_TRUETYPE"},     {16, "DC_PAPERNAMES"},
    {17, "DC_ORIENTATION"},   {18, "DC_COPIES"},         {19, "DC_BINADJUST"},        {20, "DC_EMF_COMPLIANT"},
    {21, "DC_DATATYPE_PRODUCED"}, {22, "DC_COLLATE"},    {23, "DC_MANUFACTURER"},     {24, "DC_MODEL"},
    {25, "DC_PERSONALITY"},   {26, "DC_PRINTRATE"},      {27, "DC_PRINTRATEUNIT"},    {28, "DC_PRINTERMEM"},
    {29, "DC_MEDIAREADY"},    {30, "DC_STAPLE"},         {31, "DC_PRINTRATEPPM"},     {32, "DC_COLORDEVICE"},
    {33, "DC_NUP"},           {34, "DC_MEDIATYPENAMES"}, {35, "DC_MEDIATYPES"},
};

std::string Narrow(const wchar_t* text)
{
    std::string out;
    for (; text && *text; ++text)
        out += *text < 128 ? static_cast<char>(*text) : '?';
    return out;
}

void PrintDevMode(const DEVMODEW& dm)
{
    std::printf("  dmDeviceName     \"%s\"\n", Narrow(dm.dmDeviceName).c_str());
    std::printf("  dmSpecVersion    0x%04x\n", dm.dmSpecVersion);
    std::printf("  dmDriverVersion  0x%04x\n", dm.dmDriverVersion);
    std::printf("  dmSize           %u\n", dm.dmSize);
    std::printf("  dmDriverExtra    %u\n", dm.dmDriverExtra);
    std::printf("  dmFields         0x%08lx\n", dm.dmFields);
    std::printf("  dmOrientation    %d\n", dm.dmOrientation);
    std::printf("  dmPaperSize      %d\n", dm.dmPaperSize);
    std::printf("  dmPaperLength    %d\n", dm.dmPaperLength);
    std::printf("  dmPaperWidth     %d\n", dm.dmPaperWidth);
    std::printf("  dmScale          %d\n", dm.dmScale);
    std::printf("  dmCopies         %d\n", dm.dmCopies);
    std::printf("  dmDefaultSource  %d\n", dm.dmDefaultSource);
    std::printf("  dmPrintQuality   %d\n", dm.dmPrintQuality);
    std::printf("  dmColor          %d\n", dm.dmColor);
    std::printf("  dmDuplex         %d\n", dm.dmDuplex);
    std::printf("  dmYResolution    %d\n", dm.dmYResolution);
    std::printf("  dmCollate        %d\n", dm.dmCollate);
    std::printf("  dmFormName       \"%s\"\n", Narrow(dm.dmFormName).c_str());
    std::printf("  dmMediaType      %lu\n", dm.dmMediaType);
}

} // namespace

int main(int argc, char** argv)
{
    const bool sheet = argc > 1 && std::strcmp(argv[1], "--sheet") == 0;
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    // Named as a user's printer of this model would be, driver and printer alike.
    const wchar_t kDemoPrinter[] = L"QZ Colour Laser 5900";
    // A printer left by an interrupted run goes first.
    PRINTER_DEFAULTSW all = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE leftover = nullptr;
    if (OpenPrinterW(const_cast<wchar_t*>(kDemoPrinter), &leftover, &all)) {
        DeletePrinter(leftover);
        ClosePrinter(leftover);
    }
    TestPrinter printer(kDemoPrinter, kDemoPrinter);
    if (!printer.Installed()) {
        std::printf("installing the printer failed: %s\n", printer.Failure().c_str());
        return 1;
    }
    std::wstring name = printer.Name();
    std::printf("Installed \"%s\" with driver \"%s\"\n", Narrow(name.c_str()).c_str(),
                Narrow(printer.DriverName().c_str()).c_str());
    std::printf("  configuration file %s\n  data file          %s\n\n", Narrow(printer.ConfigFile().c_str()).c_str(),
                Narrow(printer.DataFile().c_str()).c_str());

    std::printf("DeviceCapabilitiesW(printer, \"FILE:\", index, NULL, NULL):\n");
    for (const auto& capability : kCapabilities) {
        const int answer = DeviceCapabilitiesW(name.c_str(), L"FILE:", capability.index, nullptr, nullptr);
        if (capability.index == DC_VERSION)
            std::printf("  %2u %-22s 0x%x\n", capability.index, capability.name, answer);
        else if ((capability.index == DC_MINEXTENT || capability.index == DC_MAXEXTENT) && answer != -1)
            // Width and length in tenths of a millimetre, packed in one number.
            std::printf("  %2u %-22s %u x %u (tenths of a millimetre)\n", capability.index, capability.name,
                        unsigned(LOWORD(DWORD(answer))), unsigned(HIWORD(DWORD(answer))));
        else
            std::printf("  %2u %-22s %d\n", capability.index, capability.name, answer);
    }

    HANDLE handle = nullptr;
    if (!OpenPrinterW(&name[0], &handle, nullptr)) {
        std::printf("OpenPrinterW failed, error %lu\n", GetLastError());
        return 1;
    }
    std::printf("\nDocumentPropertiesW size: with handle %ld, without handle %ld\n",
                DocumentPropertiesW(nullptr, handle, &name[0], nullptr, nullptr, 0),
                DocumentPropertiesW(nullptr, nullptr, &name[0], nullptr, nullptr, 0));

    DWORD needed = 0;
    GetPrinterW(handle, 2, nullptr, 0, &needed);
    std::vector<BYTE> bytes(needed ? needed : 1);
    if (needed && GetPrinterW(handle, 2, bytes.data(), needed, &needed)) {
        const PRINTER_INFO_2W* info = reinterpret_cast<const PRINTER_INFO_2W*>(bytes.data());
        if (info->pDevMode) {
            std::printf("\nThe printer's default DEVMODE (GetPrinterW level 2):\n");
            PrintDevMode(*info->pDevMode);
        } else {
            std::printf("\nThe printer has no default DEVMODE\n");
        }
    }
    // The driver's whole DEVMODE: the public part and the private part after it.
    std::vector<BYTE> whole(1172);
    DEVMODEW& out = *reinterpret_cast<DEVMODEW*>(whole.data());
    out.dmSize = sizeof(DEVMODEW);
    const LONG filled = DocumentPropertiesW(nullptr, handle, &name[0], &out, nullptr, DM_OUT_BUFFER);
    std::printf("\nDocumentPropertiesW(DM_OUT_BUFFER) gives %ld, a DEVMODE of %u + %u bytes:\n", filled,
                out.dmSize, out.dmDriverExtra);
    if (filled == IDOK)
        PrintDevMode(out);

    if (sheet) {
        // The sheet the printing preferences show: modal, until the user closes it.
        std::vector<BYTE> chosen(1172);
        DEVMODEW& result = *reinterpret_cast<DEVMODEW*>(chosen.data());
        result.dmSize = sizeof(DEVMODEW);
        std::printf("\nShowing the document sheet; close it to go on\n");
        const LONG answer =
            DocumentPropertiesW(nullptr, handle, &name[0], &result, nullptr, DM_IN_PROMPT | DM_OUT_BUFFER);
        std::printf("DocumentPropertiesW(DM_IN_PROMPT | DM_OUT_BUFFER) gives %ld (%s):\n", answer,
                    answer == IDOK ? "OK" : answer == IDCANCEL ? "Cancel" : "failed");
        if (answer == IDOK || answer == IDCANCEL)
            PrintDevMode(result);
    }

    // The papers and bins, as an application lists them.
    const DWORD papers = DeviceCapabilitiesW(name.c_str(), L"FILE:", DC_PAPERS, nullptr, nullptr);
    if (papers != DWORD(-1)) {
        std::vector<WORD> codes(papers);
        std::vector<wchar_t> names(papers * 64);
        std::vector<POINT> sizes(papers);
        DeviceCapabilitiesW(name.c_str(), L"FILE:", DC_PAPERS, reinterpret_cast<LPWSTR>(codes.data()), nullptr);
        DeviceCapabilitiesW(name.c_str(), L"FILE:", DC_PAPERNAMES, names.data(), nullptr);
        DeviceCapabilitiesW(name.c_str(), L"FILE:", DC_PAPERSIZE, reinterpret_cast<LPWSTR>(sizes.data()), nullptr);
        std::printf("\nPapers (%lu): code, name, size in tenths of a millimetre\n", papers);
        for (DWORD i = 0; i < papers; ++i) {
            std::wstring paper(&names[i * 64], wcsnlen(&names[i * 64], 64));
            std::printf("  %5u  %-32s %5ld x %ld\n", codes[i], Narrow(paper.c_str()).c_str(), sizes[i].x, sizes[i].y);
        }
    }
    const DWORD bins = DeviceCapabilitiesW(name.c_str(), L"FILE:", DC_BINS, nullptr, nullptr);
    if (bins != DWORD(-1)) {
        std::vector<WORD> numbers(bins);
        std::vector<wchar_t> names(bins * 24);
        DeviceCapabilitiesW(name.c_str(), L"FILE:", DC_BINS, reinterpret_cast<LPWSTR>(numbers.data()), nullptr);
        DeviceCapabilitiesW(name.c_str(), L"FILE:", DC_BINNAMES, names.data(), nullptr);
        std::printf("\nBins (%lu): number, name\n", bins);
        for (DWORD i = 0; i < bins; ++i) {
            std::wstring bin(&names[i * 24], wcsnlen(&names[i * 24], 24));
            std::printf("  %5u  \"%s\"\n", numbers[i], Narrow(bin.c_str()).c_str());
        }
    }
    ClosePrinter(handle);
    std::printf("\nRemoving the printer\n");
    return 0;
}
