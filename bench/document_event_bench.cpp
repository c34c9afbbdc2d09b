// The end of a page as the print system raises it: STARTPAGE plus ENDPAGE through
// DrvDocumentEvent on a 600-dpi Letter DIB section, with no watermark and with one drawn,
// each set against one plain ExtTextOutW of the same text with a font made once.
//
//   document_event_bench.exe [rounds]    (built beside the tests: build/tests/)
#include "TestPrinter.h"
#include "entry/driverui/GDriverUI.h"
#include "entry/driverui/GDriverUIDocumentEvents.h"
#include "entry/module/GUIOSFactory.h"
#include "entry/module/ModuleLifetime.h"
#include "printer/PrinterIdentity.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" INT WINAPI DrvDocumentEvent(HANDLE, HDC, INT, ULONG, PVOID, ULONG, PVOID);

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

GDriverUI* g_object = nullptr;
GDriverUIMaker g_inner;

GDriverObject* Remember(const PrinterIdentity& identity)
{
    GDriverObject* made = g_inner.create(identity);
    g_object = dynamic_cast<GDriverUI*>(made);
    return made;
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 200;
    TestPrinter& printer = TestPrinter::Shared();
    if (!printer.Installed()) {
        std::fprintf(stderr, "error: %s\n", printer.Failure().c_str());
        return 1;
    }
    if (!ModuleLifetime::Attach(GetModuleHandleW(nullptr), false))
        return 1;
    g_inner = GUIOSFactory::GetDriverUIMaker();
    GUIOSFactory::SetDriverUIMaker({&Remember, g_inner.printerHandle});

    HDC dc = CreateCompatibleDC(nullptr);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = 5100;
    info.bmiHeader.biHeight = -6600;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap)
        return 1;
    SelectObject(dc, bitmap);
    std::wstring name = printer.Name();
    HANDLE handle = nullptr;
    OpenPrinterW(&name[0], &handle, nullptr);
    DEVMODEW* copy = nullptr;
    DOCEVENT_CREATEDCPRE record = {nullptr, nullptr, nullptr, FALSE};
    if (DrvDocumentEvent(handle, dc, DOCUMENTEVENT_CREATEDCPRE, sizeof record, &record, sizeof copy, &copy) != 1 ||
        !g_object)
        return 1;
    auto page = [&] {
        DrvDocumentEvent(handle, dc, DOCUMENTEVENT_STARTPAGE, 0, nullptr, 0, nullptr);
        DrvDocumentEvent(handle, dc, DOCUMENTEVENT_ENDPAGE, 0, nullptr, 0, nullptr);
    };
    const double off = PerSecond(rounds, page);

    GDriverUIDocumentEvents::WatermarkRecord watermark;
    watermark.text = RWWString(L"CONFIDENTIAL");
    watermark.length = 12;
    wcscpy(watermark.font.lfFaceName, L"Arial");
    watermark.font.lfOutPrecision = OUT_TT_PRECIS;
    watermark.size = 72;
    watermark.color = RGB(232, 232, 232);
    watermark.angleMode = 1;
    g_object->DocumentEvents().UseWatermark(watermark, 2);
    const double on = PerSecond(rounds, page);

    LOGFONTW logical = watermark.font;
    logical.lfHeight = -MulDiv(72, GetDeviceCaps(dc, LOGPIXELSY), 72);
    HFONT font = CreateFontIndirectW(&logical);
    HGDIOBJ old = SelectObject(dc, font);
    const double plain = PerSecond(rounds, [&] { ExtTextOutW(dc, 100, 100, 0, nullptr, L"CONFIDENTIAL", 12, nullptr); });
    SelectObject(dc, old);
    DeleteObject(font);

    DrvDocumentEvent(handle, dc, DOCUMENTEVENT_DELETEDC, 0, nullptr, 0, nullptr);
    ClosePrinter(handle);
    DeleteDC(dc);
    DeleteObject(bitmap);
    ModuleLifetime::Detach(false);

    std::printf("%-40s %12s %16s\n", "call", "calls/s", "vs ExtTextOutW");
    std::printf("%-40s %12.0f %16.3f\n", "STARTPAGE+ENDPAGE, no watermark", off, plain > 0 ? off / plain : 0);
    std::printf("%-40s %12.0f %16.3f\n", "STARTPAGE+ENDPAGE, watermark drawn", on, plain > 0 ? on / plain : 0);
    std::printf("%-40s %12.0f %16.3f\n", "ExtTextOutW, font made once", plain, 1.0);
    return 0;
}
