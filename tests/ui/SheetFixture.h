// A driver UI object of the test printer with a UI context record over its settings, and
// helpers that shape those settings for the sheet tests.
#pragma once

#include "RecordingComPropSheet.h"
#include "TestPrinter.h"
#include "entry/driverui/GDriverUI.h"
#include "entry/module/GUIOSFactory.h"
#include "entry/module/ModuleLifetime.h"
#include "printer/PrinterIdentity.h"
#include "entry/sheet/GCPSOSUI.h"
#include "model/GAttributeComposite.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "printer/GDriverServer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

class SheetFixture : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(printer.Installed()) << printer.Failure();
        ASSERT_TRUE(ModuleLifetime::Attach(GetModuleHandleW(nullptr), false));
        previous = GUIOSFactory::GetDriverUIMaker();
        GUIOSFactory::SetDriverUIMaker({
            [](const PrinterIdentity& identity) -> GDriverObject* { return new GDriverUI(identity); },
            [](GDriverObject* driver) -> void* {
                GDriverUI* ui = dynamic_cast<GDriverUI*>(driver);
                return ui ? ui->GetPrinterHandle() : nullptr;
            },
        });
        GDriverObject* object =
            ModuleLifetime::DriverServer()->Acquire(new PrinterIdentity(nullptr, printer.Name().c_str(), 1), ticket);
        ui = dynamic_cast<GDriverUI*>(object);
        ASSERT_NE(nullptr, ui);
        record = ui->CreateUIContext();
        ASSERT_NE(nullptr, record);
        record->pageSet = 3;
        record->hComPropSheet = reinterpret_cast<HANDLE>(0x77);
        record->pfnComPropSheet = reinterpret_cast<void*>(&RecordingComPropSheet::Callback);
        RecordingComPropSheet::Current().Reset();
        plugIn = LoadLibraryW((TestPrinter::ProgramFolder() + L"\\qzuiplug.dll").c_str());
        ASSERT_NE(nullptr, plugIn);
        for (const char* name : {"QZUIPLUG_VERSION", "QZUIPLUG_PAGES", "QZUIPLUG_OVERCLAIM", "QZUIPLUG_PRESSOK",
                                 "QZUIPLUG_CONFIGRESULT"})
            SetEnvironmentVariableA(name, nullptr), _putenv((std::string(name) + "=").c_str());
    }
    void TearDown() override
    {
        if (ui)
            ui->DestroyUIContext(record);
        if (ticket)
            ModuleLifetime::DriverServer()->Release(ticket);
        if (plugIn)
            FreeLibrary(plugIn);
        GUIOSFactory::SetDriverUIMaker(previous);
        ModuleLifetime::Detach(false);
    }

    static void Env(const char* name, const char* value) { _putenv((std::string(name) + "=" + value).c_str()); }

    // The counts of the stand-in plug-in: initialise, destroy, configuration, page
    // messages, last mode.
    std::vector<int> Counts()
    {
        std::vector<int> counts(5);
        auto read = reinterpret_cast<void (*)(int*)>(reinterpret_cast<void*>(GetProcAddress(plugIn, "QzUIPlugCounts")));
        read(counts.data());
        return counts;
    }

    GObjectBase* Root() { return record->settings; }
    // The plug-in list of the settings, replaced by the names.
    void SetPlugIns(std::initializer_list<const char*> names)
    {
        delete Root()->RemoveById(63);
        auto* list = new GAttributeComposite(63);
        for (const char* name : names)
            list->Add(new GStringAttribute(name, 0));
        Root()->Add(list);
    }
    GObjectBase* Node(uint16_t id)
    {
        GObjectBase* node = GDriverObject::Feature<GAttributeComposite>(Root(), id);
        if (!node) {
            node = new GAttributeComposite(id);
            Root()->Add(node);
        }
        return node;
    }
    void SetValue(uint16_t id, uint16_t value)
    {
        if (GValueAttribute* found = GDriverObject::Feature<GValueAttribute>(Root(), id))
            found->SetValue(value);
        else
            Node(365)->Add(new GValueAttribute(value, id));
    }
    uint16_t Value(uint16_t id)
    {
        GValueAttribute* found = GDriverObject::Feature<GValueAttribute>(Root(), id);
        return found ? found->GetValue() : 0xFFFF;
    }
    void SetString(uint16_t id, const char* text, uint16_t parent = 365)
    {
        if (GStringAttribute* found = GDriverObject::Feature<GStringAttribute>(Root(), id))
            found->SetString(text);
        else
            Node(parent)->Add(new GStringAttribute(text, id));
    }
    std::string String(uint16_t id)
    {
        GStringAttribute* found = GDriverObject::Feature<GStringAttribute>(Root(), id);
        return found ? std::string(found->GetString().Data(), found->GetString().Length()) : std::string("<absent>");
    }

    RecordingComPropSheet& Sheet() { return RecordingComPropSheet::Current(); }

    const TestPrinter& printer = TestPrinter::Shared();
    GDriverUIMaker previous{};
    uint32_t ticket = 0;
    GDriverUI* ui = nullptr;
    UIContextRecord* record = nullptr;
    HMODULE plugIn = nullptr;
};

// The choices a drop-down list of a dialog or page holds: item data and text, in order.
inline std::vector<std::pair<int, std::wstring>> ListChoices(HWND dialog, int item)
{
    std::vector<std::pair<int, std::wstring>> choices;
    const LRESULT count = SendDlgItemMessageW(dialog, item, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[64] = {};
        if (SendDlgItemMessageW(dialog, item, CB_GETLBTEXTLEN, WPARAM(i), 0) < 64)
            SendDlgItemMessageW(dialog, item, CB_GETLBTEXT, WPARAM(i), reinterpret_cast<LPARAM>(text));
        choices.emplace_back(int(SendDlgItemMessageW(dialog, item, CB_GETITEMDATA, WPARAM(i), 0)), text);
    }
    return choices;
}
