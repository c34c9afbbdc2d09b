// System services for the settings tests: the module folder and the system folder of the
// test's choosing, and started commands recorded (and run only when asked).
#pragma once

#include "../printer/TestOSFactory.h"

#include <string>
#include <vector>

struct SettingsTestServices : TestOSFactory {
    std::wstring moduleFolder, systemFolder;
    bool runCommands = false;
    std::vector<std::wstring> commands;
    std::vector<int> shows;
    std::vector<uint32_t> results;

    void GetModuleDirectory(RWWString& path) override { path = RWWString(moduleFolder.c_str()); }
    void GetSystemFolder(RWWString& path) override { path = RWWString(systemFolder.c_str()); }
    uint32_t RunCommand(const RWWString& command, int show) override
    {
        commands.push_back(command.Data());
        shows.push_back(show);
        results.push_back(runCommands ? GOSFactory::RunCommand(command, show) : 33);
        return results.back();
    }
    // The machine's own system folder, as the module's services give it.
    std::wstring RealSystemFolder()
    {
        RWWString path;
        GOSFactory::GetSystemFolder(path);
        return path.Data();
    }

    // A new instance, which replaces (and deletes) the one before it.
    static SettingsTestServices& Make() { return *new SettingsTestServices; }
};
