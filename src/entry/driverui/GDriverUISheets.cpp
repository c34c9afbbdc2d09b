// The driver UI object's operations that go through the sheet glue: the manual duplex
// instructions and the plug-ins' copy of the device configuration.
#include "entry/driverui/GDriverUI.h"

#include "entry/sheet/GCPSOSUI.h"
#include "model/GRangeAttribute.h"
#include "model/GValueAttribute.h"
#include "printer/GOSFactory.h"

#include <cstdlib>

namespace {

constexpr uint16_t kDuplexPrinting = 253;
constexpr uint16_t kManualDuplex = 245;

// 1 when the feature exists with a non-zero value (a value or a range).
bool IsOn(GObjectBase* settings, uint16_t id)
{
    if (GValueAttribute* value = GDriverObject::Feature<GValueAttribute>(settings, id))
        return value->GetValue() != 0;
    if (GRangeAttribute* range = GDriverObject::Feature<GRangeAttribute>(settings, id))
        return range->GetValue() != 0;
    return false;
}

}  // namespace

LONG_PTR CALLBACK GDriverUI::NonPropPageSheet(HANDLE, WORD, LPARAM, LPARAM) { return 1; }

int GDriverUI::ShowManualDuplexDialog()
{
    if (UIContextRecord* record = CreateUIContext()) {
        if (IsOn(record->settings, kDuplexPrinting) && IsOn(record->settings, kManualDuplex)) {
            record->pfnComPropSheet = reinterpret_cast<void*>(&GDriverUI::NonPropPageSheet);
            record->hComPropSheet = reinterpret_cast<HANDLE>(uintptr_t(record->moduleHandle));
            record->pageSet = 3;
            GCPSOSUI glue;
            glue.AddPage(record, GCPSOSUI::kModalMode);
            glue.FreePage(record);
        }
        DestroyUIContext(record);
    }
    if (GetOwnHandle()) {
        UseOwnPrinter(0);
        CloseOwnPrinter();
    }
    return 1;
}

uint32_t GDriverUI::PluginConfigToSettings(uint32_t argument)
{
    const uint32_t answer = QueryTwo(argument, 0);
    if (answer != 0 || argument != 0)
        return answer;
    GDriverObject* driver = static_cast<GDriverObjectImp*>(this);
    GOSFactory* services = GOSFactory::Instance();
    GUIData data = {};
    data.size = sizeof(GUIData);
    data.driverUI = driver;
    data.settings = driver->GetSettings();
    data.printer = GetPrinter();
    data.moduleHandle = services ? services->GetModuleHandle() : 0;
    data.printerName = GCPSOSUI::CopyName(GetPrinterName().Data());
    data.driverName = GCPSOSUI::CopyName(GetSecondName().Data());
    data.portName = GCPSOSUI::CopyName(GetThirdName().Data());
    int16_t result = 0;
    {
        GCPSOSUI glue;
        result = glue.ConfigToSettings(&data);
    }
    std::free(data.printerName);
    std::free(data.driverName);
    std::free(data.portName);
    return result != 0 ? 1 : 0;
}
