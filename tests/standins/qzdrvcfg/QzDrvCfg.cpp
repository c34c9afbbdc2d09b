// The configuration file of the test printer: the spooler calls its two document
// entry points when a printer is added and when capabilities are asked. It answers the
// size query and DM_OUT_BUFFER with a plain public DEVMODE and knows no capability.
#include <windows.h>

#include <cwchar>

namespace {

// The header the spooler passes with a null sheet info (28 bytes on i686).
struct DocumentHeader {
    WORD cbSize;
    WORD Reserved;
    HANDLE hPrinter;
    LPWSTR pszPrinterName;
    PDEVMODEW pdmIn;
    PDEVMODEW pdmOut;
    DWORD cbOut;
    DWORD fMode;
};
static_assert(sizeof(DocumentHeader) == 28, "i686 layout");

} // namespace

extern "C" LONG WINAPI DrvDocumentPropertySheets(void* sheetInfo, LPARAM parameter)
{
    DocumentHeader* header = reinterpret_cast<DocumentHeader*>(parameter);
    if (sheetInfo || !header)
        return -1;
    if (!(header->fMode & DM_OUT_BUFFER) || !header->pdmOut)
        return sizeof(DEVMODEW);
    DEVMODEW& out = *header->pdmOut;
    ZeroMemory(&out, sizeof out);
    if (header->pszPrinterName)
        wcsncpy(out.dmDeviceName, header->pszPrinterName, CCHDEVICENAME - 1);
    out.dmSpecVersion = DM_SPECVERSION;
    out.dmSize = sizeof(DEVMODEW);
    out.dmFields = DM_ORIENTATION | DM_PAPERSIZE | DM_COPIES;
    out.dmOrientation = DMORIENT_PORTRAIT;
    out.dmPaperSize = DMPAPER_LETTER;
    out.dmCopies = 1;
    return IDOK;
}

extern "C" DWORD WINAPI DrvDeviceCapabilities(HANDLE, PWSTR, WORD, void* output, PDEVMODEW)
{
    return output ? 0 : DWORD(-1);
}
