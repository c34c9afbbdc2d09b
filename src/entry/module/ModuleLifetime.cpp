#include "entry/module/ModuleLifetime.h"

#include "entry/module/GUIOSFactory.h"
#include "entry/module/LocaleRule.h"
#include "foundation/RWTextLocale.h"
#include "entry/module/ModuleKeepAlive.h"
#include "entry/module/OpenDocumentTable.h"
#include "graphics/GTTFontFilePool.h"
#include "model/GProvider.h"
#include "model/GProviderRegistry.h"
#include "printer/GDriverServer.h"
#include "model/GLock.h"
#include "printer/GNewHandler.h"

#include <clocale>
#include <cstring>
#include <new>

namespace {

const uint32_t kNewHandlerReserve = 1024;
const wchar_t kFlagsLibrary[] = L"QZWOLM32.DLL";
const char kFlagsExport[] = "GetAppFlags";

HMODULE g_module = nullptr;
GDriverServer* g_server = nullptr;
OpenDocumentTable* g_documents = nullptr;
GLock* g_documentsLock = nullptr;
uint32_t g_appFlags = 0;
int g_localeCategory = LC_CTYPE;
// Set by the maker's registration before any attach: plain constants, so no static
// initialisation order matters.
GProvider* (*g_agentMaker)() = nullptr;
const char* g_agentName = nullptr;
GProvider* g_agent = nullptr;
// The system services when this module's attach made them (a host may have its own).
GOSFactory* g_madeServices = nullptr;

// Makes the agent provider and registers it, unless an earlier attach did; a provider
// the registry refuses (its name is taken) is not kept.
void MakeAgentProvider()
{
    if (g_agent || !g_agentMaker || !g_agentName)
        return;
    g_agent = g_agentMaker();
    if (g_agent && GProviderRegistry::Instance().Register(g_agent, g_agentName) != 0) {
        delete g_agent;
        g_agent = nullptr;
    }
}

void DeleteAgentProvider()
{
    if (!g_agent)
        return;
    GProviderRegistry::Instance().Unregister(g_agentName);
    delete g_agent;
    g_agent = nullptr;
}

// The server, unless one exists already; null when none could be made with its locks.
GDriverServer* MakeDriverServer()
{
    if (GDriverServer* existing = GDriverServer::Instance())
        return existing;
    GDriverServer* server = new (std::nothrow) GDriverServer;
    if (server && server->IsUsable())
        return server;
    delete server;
    return nullptr;
}

void CloseFontFiles()
{
    if (GTTFontFilePool* pool = GTTFontFilePool::Existing())
        pool->ReleaseAll();
}

// The flag word of the sibling library in the module's own folder; 0 when the folder
// cannot be named or the library or its export is missing.
uint32_t ReadAppFlags(HMODULE module)
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return 0;
    wchar_t* slash = wcsrchr(path, L'\\');
    wchar_t* leaf = slash ? slash + 1 : path;
    const size_t room = MAX_PATH - static_cast<size_t>(leaf - path);
    if (wcslen(kFlagsLibrary) >= room)
        return 0;
    wcscpy(leaf, kFlagsLibrary);
    HMODULE library = LoadLibraryW(path);
    if (!library)
        return 0;
    uint32_t flags = 0;
    using GetAppFlagsProc = uint32_t (*)();
    if (FARPROC proc = GetProcAddress(library, kFlagsExport))
        flags = reinterpret_cast<GetAppFlagsProc>(reinterpret_cast<void*>(proc))();
    FreeLibrary(library);
    return flags;
}

} // namespace

BOOL ModuleLifetime::Attach(HMODULE module, bool startKeepAlive)
{
    g_module = module;
    if (!GOSFactory::Instance())
        g_madeServices = new (std::nothrow) GUIOSFactory;
    GOSFactory* services = GOSFactory::Instance();
    if (!services)
        return FALSE;
    InstallNewHandler(kNewHandlerReserve);
    services->SetModuleHandle(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(module)));
    g_server = MakeDriverServer();
    if (!g_server)
        return FALSE;
    GDriverServer::SetFontFileCloser(&CloseFontFiles);
    g_documents = new (std::nothrow) OpenDocumentTable;
    if (!g_documents)
        return FALSE;
    services->EnsureLock(&g_documentsLock);
    g_documents->SetLock(g_documentsLock);
    MakeAgentProvider();
    // No process-wide setlocale: the C runtime, and with it the locale, is the host's. The
    // module's own conversions take a private locale of the system code page instead.
    g_localeCategory = LocaleCategoryFor(GetSystemDefaultLangID());
    RWTextLocale::Use(g_localeCategory);
    if (startKeepAlive)
        ModuleKeepAlive::Module().Start(module);
    g_appFlags = ReadAppFlags(module);
    return TRUE;
}

BOOL ModuleLifetime::Detach(bool processEnd)
{
    if (processEnd) {
        GDriverServer::Abandon();
        g_module = nullptr;
        return TRUE;
    }
    delete g_documents;
    g_documents = nullptr;
    delete g_documentsLock;
    g_documentsLock = nullptr;
    if (g_server) {
        g_server->FlushKept();
        delete g_server;
        g_server = nullptr;
    }
    DeleteAgentProvider();
    RWTextLocale::Release();
    // The services go last: what the server held may have used them until now.
    if (g_madeServices && GOSFactory::Instance() == g_madeServices)
        delete g_madeServices;
    g_madeServices = nullptr;
    g_module = nullptr;
    RemoveNewHandler();
    return TRUE;
}

HMODULE ModuleLifetime::Module() { return g_module; }
GDriverServer* ModuleLifetime::DriverServer() { return g_server; }
OpenDocumentTable* ModuleLifetime::DocumentTable() { return g_documents; }
GLock* ModuleLifetime::DocumentTableLock() { return g_documentsLock; }
uint32_t ModuleLifetime::AppFlags() { return g_appFlags; }
int ModuleLifetime::LocaleCategory() { return g_localeCategory; }
ModuleKeepAlive& ModuleLifetime::KeepAlive() { return ModuleKeepAlive::Module(); }

void ModuleLifetime::SetAgentProviderMaker(GProvider* (*maker)(), const char* name)
{
    g_agentMaker = maker;
    g_agentName = name;
}

GProvider* ModuleLifetime::AgentProvider() { return g_agent; }
