// One UI plug-in module of a sheet: loads it beside this module, checks its interface
// version and resolves the page functions it exports.
#pragma once

#include "entry/sheet/GBuiltInPlugIn.h"
#include "entry/sheet/GUIData.h"

#include <string>

class GUIPlugIn {
public:
    typedef uint32_t(WINAPI* InterfaceVersionFn)();
    typedef int16_t(WINAPI* InitializeFn)(GUIData*, uint16_t);
    typedef int16_t(WINAPI* DataFn)(GUIData*);
    typedef int16_t(WINAPI* SettingsToConfigFn)(uint32_t);

    // The one interface version this module talks to.
    static constexpr uint32_t kInterfaceVersion = 2;
    // The name of the built-in plug-in that hosts the extensions' UI modules.
    static constexpr const char* kExtensionHostName = "GExtensionUIManager";

    explicit GUIPlugIn(const wchar_t* name);
    GUIPlugIn(const GUIPlugIn&) = delete;
    GUIPlugIn& operator=(const GUIPlugIn&) = delete;
    ~GUIPlugIn();

    int Load(const wchar_t* name);
    void Unload();
    bool IsLoaded() const { return module_ != nullptr || builtIn_ != nullptr; }
    uint32_t GetVersion() const { return version_; }

    int16_t Initialize(GUIData* data, uint16_t firstIndexOrMode);
    int16_t Destroy(GUIData* data);
    int16_t ConfigToSettings(GUIData* data);
    int16_t SettingsToConfig(uint32_t value);

    // A name that may be joined to this module's folder: no folder part, drive or "..".
    static bool IsBareFileName(const wchar_t* name);
    // The folder of this module, ending with a backslash; empty when unknown.
    static std::wstring ModuleFolder();

private:
    std::wstring name_;
    HMODULE module_ = nullptr;
    uint32_t version_ = 0;
    GBuiltInPlugIn* builtIn_ = nullptr;  // the extension host, owned
    InterfaceVersionFn interfaceVersion_ = nullptr;
    InitializeFn initialize_ = nullptr;
    DataFn destroy_ = nullptr;
    DataFn configToSettings_ = nullptr;
    SettingsToConfigFn settingsToConfig_ = nullptr;
};
