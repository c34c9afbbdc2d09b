// The printer upgrade: when a new version of the driver is installed over a printer, the
// objects an older version stored are brought into the current form, the mass-storage
// device switches are carried over, and the printer is left with a DEVMODE and stored
// settings the new version can read.
#include "entry/driverui/GDriverUIUpgrade.h"

#include "entry/driverui/GDriverUI.h"

#include "model/GFeatureIds.h"
#include "printer/GMassStorageFonts.h"
#include "printer/GOSFactory.h"
#include "settings/devmode/GDriverDevMode.h"

#include <memory>
#include <vector>

namespace {

using namespace FeatureId;

const DWORD kLargestPrinterInfo = 1u << 20;

} // namespace

BOOL GDriverUIUpgrade::UpgradePrinter(DWORD level, LPBYTE info)
{
    GOSFactory* services = GOSFactory::Instance();
    GDriverObject* driver = static_cast<GDriverObjectImp*>(&ui_);
    // The stored objects are read and written through the own handle, opened with full
    // access: the upgrade is given only the printer's name, and without a handle that
    // may write every store would fail and the settings would count as incomplete.
    if (!services || !ui_.OpenOwnPrinter()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    ui_.UseOwnPrinter(1);

    bool complete = false;
    // The printer's stores are brought up through their one reader and writer, all or
    // nothing: a store holding what this version does not understand is left as it is,
    // and a write that fails puts back what the upgrade wrote, and the upgrade fails.
    int deviceSettings = 0, lists = 0, extension = 0;
    const bool stored = ui_.UpgradeStores(deviceSettings, lists, extension) != 0;
    if (deviceSettings) {
        const uint32_t disabled = services->GetPrinterDataDword(driver, L"DisabledMSDs", 0);
        for (int device = kFirstUpgradedDevice; device <= kLastUpgradedDevice; ++device)
            if (!(disabled & (1u << device)))
                SetMassStorageDeviceState(driver, device, 1);
        complete = lists && extension;
        ui_.UpgradeStoredObject("QuicksetPool");
    }
    if (level != 1 || !info) {
        ui_.CloseOwnPrinter();
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }

    int result = 0;
    const bool loaded = ui_.ReplaceDevModeObject() && ui_.GetDevModeObject()->IsLoaded();
    // Stores the printer holds no value of are made from the factory's, whatever its
    // DEVMODE; a store that is there, read or not, is kept.
    std::unique_ptr<GObjectBase> defaults(loaded && complete ? nullptr : ui_.CreateDefaultSettings());
    if (defaults && !complete)
        ui_.StoreMissingNodes(defaults.get());
    if (loaded || complete) {
        result = 1;
    } else {
        HANDLE printer = ui_.GetOwnHandle();
        DWORD needed = 0;
        ::GetPrinterW(printer, 2, nullptr, 0, &needed);
        std::vector<uint8_t> record;
        if (needed >= sizeof(PRINTER_INFO_2W) && needed <= kLargestPrinterInfo) {
            record.resize(needed);
            if (!::GetPrinterW(printer, 2, record.data(), needed, &needed))
                record.clear();
        }
        if (defaults)
            ui_.CommitSettings(defaults.get(), 0);
        if (!record.empty() && ui_.GetDevModeObject()) {
            const auto* printerInfo = reinterpret_cast<const PRINTER_INFO_2W*>(record.data());
            const uint8_t* devMode = reinterpret_cast<const uint8_t*>(printerInfo->pDevMode);
            // The DEVMODE is taken only whole inside the record the spooler gave.
            if (devMode && devMode >= record.data() && devMode + sizeof(DEVMODEW) <= record.data() + record.size()) {
                const auto* header = reinterpret_cast<const DEVMODEW*>(devMode);
                if (uint32_t(header->dmSize) + header->dmDriverExtra <= size_t(record.data() + record.size() - devMode))
                    ui_.MergeIntoCurrent(header);
            }
        }
        // The default made here names a paper the printer offers, whatever the older one named.
        ui_.OfferAssignedPaper();
    }
    ui_.CloseOwnPrinter();
    return result && stored ? TRUE : FALSE;
}
