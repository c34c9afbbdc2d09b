// A network registry agent for the tests: a program that owns a top-level window of class
// "qznra" and answers the registered message "QZNRA_CLIENT_REQUEST".
//
//   qznra.exe <values file> [answer]
//
// On each request (wParam 3) it reads the values file again and writes its values, with
// SetPrinterDataW, to every local printer whose "QzrdbUpdateRequest" is 1 and whose
// "RegistryAgentName" is "QZNRA"; values the file does not list are left alone. Then it
// answers with the configured code (0 unless given). Each line of the file is one value:
//
//   <REG_DWORD|REG_SZ|REG_BINARY> <bytes in hex, or -> <value name>
//
// A REG_SZ's bytes are its UTF-16LE characters and their terminating 0, as they are stored.
// Besides, WM_APP answers how many requests came so far and WM_APP + 1 sets the answer
// code to its wParam; WM_CLOSE ends the program.
#include <windows.h>
#include <shellapi.h>
#include <winspool.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

const wchar_t kWindowClass[] = L"qznra";
const WPARAM kRequestWord = 3;
const UINT kCountQuery = WM_APP;
const UINT kSetAnswer = WM_APP + 1;

struct Value {
    std::wstring name;
    DWORD type;
    std::vector<BYTE> bytes;
};

std::wstring g_valuesFile;
LRESULT g_answer = 0;
LRESULT g_requests = 0;
UINT g_requestMessage = 0;

int HexDigit(wchar_t c)
{
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'a' && c <= L'f')
        return c - L'a' + 10;
    if (c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    return -1;
}

std::vector<Value> ReadValues()
{
    std::vector<Value> values;
    FILE* file = _wfopen(g_valuesFile.c_str(), L"rb");
    if (!file)
        return values;
    char line[4096];
    while (std::fgets(line, sizeof line, file)) {
        char type[32], hex[2048];
        int used = 0;
        if (std::sscanf(line, "%31s %2047s %n", type, hex, &used) < 2)
            continue;
        std::string name(line + used);
        while (!name.empty() && (name.back() == '\n' || name.back() == '\r'))
            name.pop_back();
        Value value;
        value.name.assign(name.begin(), name.end());
        const std::string kind(type);
        value.type = kind == "REG_DWORD" ? REG_DWORD : kind == "REG_SZ" ? REG_SZ : REG_BINARY;
        if (std::string(hex) != "-")
            for (size_t i = 0; hex[i] && hex[i + 1]; i += 2)
                value.bytes.push_back(BYTE(HexDigit(hex[i]) * 16 + HexDigit(hex[i + 1])));
        values.push_back(value);
    }
    std::fclose(file);
    return values;
}

bool AsksForUs(HANDLE printer)
{
    DWORD type = 0, needed = 0, request = 0;
    if (GetPrinterDataW(printer, const_cast<wchar_t*>(L"QzrdbUpdateRequest"), &type, reinterpret_cast<BYTE*>(&request),
                        sizeof request, &needed) != ERROR_SUCCESS ||
        type != REG_DWORD || request != 1)
        return false;
    wchar_t agent[64] = {};
    if (GetPrinterDataW(printer, const_cast<wchar_t*>(L"RegistryAgentName"), &type, reinterpret_cast<BYTE*>(agent),
                        sizeof agent - sizeof(wchar_t), &needed) != ERROR_SUCCESS ||
        type != REG_SZ)
        return false;
    return std::wcscmp(agent, L"QZNRA") == 0;
}

void Answer()
{
    const std::vector<Value> values = ReadValues();
    DWORD needed = 0, count = 0;
    EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 4, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed ? needed : 1);
    if (!EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 4, buffer.data(), needed, &needed, &count))
        return;
    const PRINTER_INFO_4W* printers = reinterpret_cast<const PRINTER_INFO_4W*>(buffer.data());
    for (DWORD p = 0; p < count; ++p) {
        PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
        HANDLE printer = nullptr;
        if (!OpenPrinterW(printers[p].pPrinterName, &printer, &defaults))
            continue;
        if (AsksForUs(printer))
            for (const Value& value : values) {
                BYTE none = 0;
                SetPrinterDataW(printer, const_cast<wchar_t*>(value.name.c_str()), value.type,
                                value.bytes.empty() ? &none : const_cast<BYTE*>(value.bytes.data()),
                                DWORD(value.bytes.size()));
            }
        ClosePrinter(printer);
    }
}

LRESULT CALLBACK AgentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == g_requestMessage && g_requestMessage != 0) {
        if (wParam != kRequestWord)
            return 1;
        ++g_requests;
        Answer();
        return g_answer;
    }
    switch (message) {
    case kCountQuery:
        return g_requests;
    case kSetAnswer:
        g_answer = LRESULT(wParam);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 2)
        return 2;
    g_valuesFile = argv[1];
    if (argc > 2)
        g_answer = LRESULT(std::wcstol(argv[2], nullptr, 0));
    LocalFree(argv);

    g_requestMessage = RegisterWindowMessageW(L"QZNRA_CLIENT_REQUEST");
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = AgentProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kWindowClass;
    if (!RegisterClassW(&windowClass))
        return 3;
    // A top-level window, never shown: FindWindowW does not see message-only windows.
    HWND window = CreateWindowExW(0, kWindowClass, L"QZNRA agent", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                  instance, nullptr);
    if (!window)
        return 4;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
