#include "entry/sheet/GUIPlugIn.h"

#include "printer/GOSFactory.h"

#include <cstring>
#include <cwchar>

namespace {

template <class T>
T Resolve(HMODULE module, const char* name)
{
    return reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

GUIPlugIn::GUIPlugIn(const wchar_t* name) { Load(name); }

GUIPlugIn::~GUIPlugIn() { Unload(); }

bool GUIPlugIn::IsBareFileName(const wchar_t* name)
{
    if (!name || !*name)
        return false;
    return !std::wcschr(name, L'\\') && !std::wcschr(name, L'/') && !std::wcschr(name, L':') &&
           !std::wcsstr(name, L"..");
}

std::wstring GUIPlugIn::ModuleFolder()
{
    GOSFactory* services = GOSFactory::Instance();
    wchar_t path[MAX_PATH] = {};
    const DWORD length =
        services ? GetModuleFileNameW(reinterpret_cast<HMODULE>(uintptr_t(services->GetModuleHandle())), path, MAX_PATH)
                 : 0;
    if (!length || length >= MAX_PATH)
        return std::wstring();
    const wchar_t* slash = std::wcsrchr(path, L'\\');
    return slash ? std::wstring(path, size_t(slash + 1 - path)) : std::wstring();
}

int GUIPlugIn::Load(const wchar_t* name)
{
    Unload();
    name_ = name ? name : L"";
    // The extension host is built in and never looked for on disk; without its maker
    // (a program that lacks the host) such a plug-in stays unloaded.
    char narrow[32] = {};
    if (name && WideCharToMultiByte(CP_ACP, 0, name, -1, narrow, sizeof narrow, nullptr, nullptr) > 0 &&
        std::strcmp(narrow, kExtensionHostName) == 0) {
        if (GBuiltInPlugIn::Maker maker = GBuiltInPlugIn::ExtensionHostMaker())
            builtIn_ = maker();
        return builtIn_ ? 1 : 0;
    }
    // The names come from settings an application may hand in: only a bare file name,
    // and only from this module's own folder.
    if (!IsBareFileName(name))
        return 0;
    const std::wstring folder = ModuleFolder();
    if (folder.empty())
        return 0;
    module_ = LoadLibraryW((folder + name_).c_str());
    if (!module_)
        return 0;
    interfaceVersion_ = Resolve<InterfaceVersionFn>(module_, "UI_INTERFACEVERSION");
    version_ = interfaceVersion_ ? interfaceVersion_() : 0;
    if (version_ == kInterfaceVersion) {
        initialize_ = Resolve<InitializeFn>(module_, "UI_INITIALIZE");
        destroy_ = Resolve<DataFn>(module_, "UI_DESTROY");
        configToSettings_ = Resolve<DataFn>(module_, "UI_CONFIGTOSETTINGS");
        settingsToConfig_ = Resolve<SettingsToConfigFn>(module_, "UI_SETTINGSTOCONFIG");
    }
    if (version_ != kInterfaceVersion || !initialize_ || !destroy_ || !configToSettings_ || !settingsToConfig_) {
        Unload();
        return 0;
    }
    return 1;
}

void GUIPlugIn::Unload()
{
    if (module_)
        FreeLibrary(module_);
    module_ = nullptr;
    delete builtIn_;
    builtIn_ = nullptr;
    version_ = 0;
    interfaceVersion_ = nullptr;
    initialize_ = nullptr;
    destroy_ = nullptr;
    configToSettings_ = nullptr;
    settingsToConfig_ = nullptr;
}

int16_t GUIPlugIn::Initialize(GUIData* data, uint16_t firstIndexOrMode)
{
    if (builtIn_)
        return builtIn_->Initialize(data, firstIndexOrMode);
    return initialize_ ? initialize_(data, firstIndexOrMode) : 0;
}

int16_t GUIPlugIn::Destroy(GUIData* data)
{
    if (builtIn_)
        return builtIn_->Destroy(data);
    return destroy_ ? destroy_(data) : 0;
}

int16_t GUIPlugIn::ConfigToSettings(GUIData* data)
{
    if (builtIn_)
        return builtIn_->ConfigToSettings(data);
    return configToSettings_ ? configToSettings_(data) : 0;
}

int16_t GUIPlugIn::SettingsToConfig(uint32_t value)
{
    if (builtIn_)
        return builtIn_->SettingsToConfig(value);
    return settingsToConfig_ ? settingsToConfig_(value) : 0;
}
