// The module's services, except that while a binding is made the configuration library
// is looked for in the stand-in's folder and its registration command is not run.
#pragma once

#include "DmcStandin.h"
#include "entry/module/GUIOSFactory.h"
#include "foundation/RWWString.h"

struct StandinFolderServices : GUIOSFactory {
    bool binding = false;
    void GetModuleDirectory(RWWString& path) override
    {
        if (binding)
            path = RWWString(DmcStandin::Folder().c_str());
        else
            GUIOSFactory::GetModuleDirectory(path);
    }
    uint32_t RunCommand(const RWWString& command, int show) override
    {
        return binding ? 33 : GUIOSFactory::RunCommand(command, show);
    }
};
