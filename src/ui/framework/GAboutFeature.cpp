#include "ui/framework/GAboutFeature.h"

#include "model/GConfiguration.h"
#include "model/GFeatureIds.h"
#include "model/GObjectIterator.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "printer/GDriverObject.h"
#include "printer/GPeripheral.h"
#include "ui/framework/GSheetContext.h"
#include "ui/framework/ResourceLibrary.h"

#include <memory>

namespace {

// The resource string that names the product.
constexpr uint32_t kProductString = 13620;

RWWString Text(GObjectBase* entry, uint16_t id)
{
    const GStringAttribute* text = GDriverObject::Feature<GStringAttribute>(entry, id);
    return text ? RWWString(text->GetString().Data(), text->GetString().Length()) : RWWString();
}

void Line(RWWString& out, const RWWString& first, const wchar_t* between = nullptr, const RWWString& second = {})
{
    out += first;
    if (between) {
        out += between;
        out += second;
    }
    out += L"\r\n";
}

}  // namespace

RWWString GAboutFeature::ExtensionText(GObjectBase* configuration, GObjectBase* settings)
{
    RWWString text;
    const GValueAttribute* support =
        GDriverObject::Feature<GValueAttribute>(configuration, FeatureId::kExtensionEnable);
    if (!support || support->GetValue() == 0)
        return text;
    GObjectBase* container = settings ? settings->FindById(FeatureId::kExtensionContainer) : nullptr;
    GObjectBase* list = container ? container->FindById(FeatureId::kExtensionDescriptorList) : nullptr;
    std::unique_ptr<GObjectIterator> it(list ? list->CreateIterator() : nullptr);
    while (it && it->Next()) {
        GObjectBase* entry = it->Current();
        Line(text, L"----------------------------------------");
        Line(text, Text(entry, FeatureId::kExtensionName), L"   ", Text(entry, FeatureId::kExtensionText2));
        Line(text, L"   ", L"", Text(entry, FeatureId::kExtensionText1));
        Line(text, L"   Extension support: ", L"", Text(entry, FeatureId::kExtensionText3));
        Line(text, L"   ", L"", Text(entry, FeatureId::kExtensionText4));
    }
    return text;
}

RWWString GAboutFeature::DriverText()
{
    RWWString text;
    ResourceLibrary::LoadResourceString(kProductString, text);
    text += kVersionSuffix;
    return text;
}

RWWString GAboutFeature::BoxText(const GUIData* data, const RWWString& extensions)
{
    RWWString text;
    if (data && data->printerName)
        Line(text, L"Printer: ", L"", RWWString(data->printerName));
    if (data && data->driverName)
        Line(text, L"Driver: ", L"", RWWString(data->driverName));
    if (extensions.Length()) {
        Line(text, L"Extensions:");
        text += extensions;
    } else {
        Line(text, L"No extensions are registered.");
    }
    return text;
}

INT_PTR GAboutFeature::Show(HWND owner)
{
    HMODULE library = ResourceLibrary::GetResourceLibrary();
    return library ? DialogBoxParamW(library, MAKEINTRESOURCEW(kAboutDialog), owner, &GAboutFeature::AboutBoxProc,
                                     reinterpret_cast<LPARAM>(this))
                   : -1;
}

INT_PTR CALLBACK GAboutFeature::AboutBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        auto* about = reinterpret_cast<GAboutFeature*>(lParam);
        GUIData* data = about && about->GetContext() ? about->GetContext()->GetGUIData() : nullptr;
        auto* printer = data ? dynamic_cast<GPeripheral*>(data->printer) : nullptr;
        GObjectBase* configuration = printer ? printer->GetConfiguration() : nullptr;
        SetDlgItemTextW(window, kDriverTextItem, DriverText().Data());
        SetDlgItemTextW(window, kExtensionsItem,
                        BoxText(data, ExtensionText(configuration, data ? data->settings : nullptr)).Data());
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(window, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}
