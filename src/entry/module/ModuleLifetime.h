// What exists once per loaded module, from process attach to process detach: the
// module handle, the system services, the out-of-memory handler, the driver server,
// the table of open documents with its lock, the network registry agent provider, the C
// runtime locale rule, the keep-alive and the application flags read from the sibling
// library. DllMain runs Attach and
// Detach; tests run them in their own process.
#pragma once

#include <windows.h>

#include <cstdint>

class GDriverServer;
class GProvider;
class GLock;
class ModuleKeepAlive;
class OpenDocumentTable;

class ModuleLifetime {
public:
    // The attach sequence: FALSE without system services, driver server or document
    // table, leaving what was made before. Tests leave the keep-alive out.
    static BOOL Attach(HMODULE module, bool startKeepAlive = true);
    // The detach sequence. At process end (the loader's reserved argument set) the
    // other threads are gone and may have left any lock held, so nothing is torn down
    // that takes a lock: the process is going anyway.
    static BOOL Detach(bool processEnd);

    static HMODULE Module();
    static GDriverServer* DriverServer();
    static OpenDocumentTable* DocumentTable();
    static GLock* DocumentTableLock();
    // The word the sibling library's "GetAppFlags" gave at attach; 0 without it.
    static uint32_t AppFlags();
    // LC_ALL or LC_CTYPE: the categories the private locale of the system code page takes,
    // which the module's text conversions use from attach to detach (RWTextLocale).
    static int LocaleCategory();
    static ModuleKeepAlive& KeepAlive();

    // The agent provider's folder registers how the provider is made and the name it is
    // registered under with the provider registry; without a maker attach makes none.
    static void SetAgentProviderMaker(GProvider* (*maker)(), const char* name);
    // The provider made at attach, registered under its name; null before attach, after
    // detach, or when it could not be made or registered.
    static GProvider* AgentProvider();
};
