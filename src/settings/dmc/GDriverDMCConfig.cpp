#include "settings/dmc/GDriverDMCConfig.h"

#include "model/OSVersionRecord.h"
#include "printer/GOSFactory.h"
#include "settings/dmc/GDMCLibrary.h"

namespace {

// The operating-system family in which the per-user update imports nothing.
const uint32_t kFamilyWithoutUserUpdate = 4;

void StampError(GDriverObject* driver)
{
    if (GOSFactory* services = GOSFactory::Instance())
        services->SetPrinterDataString(driver, L"DMCLastUpdate", L"ERROR");
}

} // namespace

int32_t GDriverDMCConfig::Update(const RWWString& printerName, uint32_t mode)
{
    SetUpdateMode(mode);
    if (!Library().IsLoaded()) {
        StampError(GetDriverObject());
        return 0;
    }
    SetPrinterName(printerName);
    if (IsConnectionStale()) {
        StampError(GetDriverObject());
        return 0;
    }
    if (!Library().StartConfig(GetPrinterName().Data(), mode, GetContextName().Data(), GetReservedWord()))
        return 0;
    OSVersionRecord version = {0, 0, 0};
    if (GOSFactory* services = GOSFactory::Instance())
        services->GetOSVersion(version.kind, version.version, version.build);
    int32_t result = 0;
    switch (mode) {
    case 0:
        if (CheckConfigurationValue()) {
            result = 1;
            ImportPrinting();
        } else if (ImportPhysical()) {
            result = ImportPrinting() ? 1 : 0;
        }
        break;
    case 2:
        if (GetOSFamily(version) != kFamilyWithoutUserUpdate)
            result = ImportPrinting() ? 1 : 0;
        break;
    default:
        break;
    }
    StampLastUpdate(result);
    Library().EndConfig();
    return result;
}

int32_t GDriverDMCConfig::ExportFactory(const RWWString& printerName)
{
    SetPrinterName(printerName);
    if (!Library().StartExport(GetPrinterName().Data(), GetContextName().Data(), 1))
        return 0;
    int32_t result = ExportSection(L"factory/physical");
    if (result == 1)
        result = ExportSection(L"factory/printing");
    Library().EndExport();
    return result;
}
