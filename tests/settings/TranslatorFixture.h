// What the translator and configuration tests share: system services that report the
// stand-ins' folder (with a settable clock, OS version and registry keys), the pinned
// configuration library stand-in, one binding per suite, a driver object naming the
// helper library, a small tree builder and readers of the change list and lock list.
#pragma once

#include "DmcStandin.h"
#include "SettingsTestServices.h"

#include "model/GAttributeComposite.h"
#include "model/GConfiguration.h"
#include "model/GFeatureIds.h"
#include "model/GObjectIterator.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "printer/GDriverObject.h"
#include "printer/GPeripheralComposite.h"
#include "printer/GPrinter.h"
#include "settings/dmc/GDMCLibrary.h"

#include <gtest/gtest.h>

#include <ctime>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace TranslatorTest {

// Services over the stand-ins' folder; a registry key exists when a value lies under it
// or it was named in existingKeys.
struct Services : SettingsTestServices {
    std::tm now{};
    int clockAnswers = 1;
    uint32_t osKind = 9;
    std::vector<std::wstring> machineKeys, userKeys;

    int GetLocalAndShiftedTime(std::tm& local, std::tm& shifted, int16_t& bias) override
    {
        local = shifted = now;
        bias = 0;
        return clockAnswers;
    }
    void GetOSVersion(uint32_t& kind, uint32_t& version, uint32_t& build) override
    {
        kind = osKind, version = 0x00060001, build = 7601;
    }
    int MachineKeyExists(const RWWString& key) override { return Listed(machineKeys, key); }
    int UserKeyExists(const RWWString& key) override { return Listed(userKeys, key); }

    std::wstring PrinterString(const wchar_t* name) const
    {
        auto found = printerData.find(name);
        if (found == printerData.end())
            return L"<absent>";
        return std::wstring(reinterpret_cast<const wchar_t*>(found->second.data()), found->second.size() / 2);
    }

    static Services& Make()
    {
        Services* services = new Services;
        services->moduleFolder = DmcStandin::Folder();
        services->now.tm_year = 2005 - 1900, services->now.tm_mon = 2, services->now.tm_mday = 7;
        return *services;
    }

private:
    static int Listed(const std::vector<std::wstring>& keys, const RWWString& key)
    {
        for (const std::wstring& known : keys)
            if (known == key.Data())
                return 1;
        return 0;
    }
};

inline GValueAttribute* Value(long id, uint16_t value) { return new GValueAttribute(value, id); }
inline GStringAttribute* Text(long id, const char* text) { return new GStringAttribute(text, id); }
inline GAttributeComposite* Group(long id, std::initializer_list<GObjectBase*> members)
{
    auto* group = new GAttributeComposite(id);
    for (GObjectBase* member : members)
        group->Add(member);
    return group;
}

// The value of the member with the id, or -1 when it is absent or no value attribute.
inline int ValueOf(GObjectBase* tree, long id)
{
    GValueAttribute* value = GDriverObject::Feature<GValueAttribute>(tree, id);
    return value ? value->GetValue() : -1;
}

// The members of a composite as (id, value); a member that is no value attribute shows
// value -1.
inline std::vector<std::pair<long, int>> Members(GObjectBase* composite)
{
    std::vector<std::pair<long, int>> members;
    if (!composite)
        return members;
    if (GObjectIterator* it = composite->CreateIterator()) {
        while (it->Next()) {
            GObjectBase* member = it->Current();
            const bool value = member->IsKindOf(GValueAttribute::kClassId);
            members.emplace_back(member->GetId(), value ? static_cast<GValueAttribute*>(member)->GetValue() : -1);
        }
        delete it;
    }
    return members;
}

// The lock markers of a tree: the values of 1102 under 366.
inline std::vector<int> Locks(GObjectBase* tree)
{
    std::vector<int> locks;
    GObjectBase* lists = GDriverObject::Feature<GAttributeComposite>(tree, FeatureId::kPrinterLists);
    for (const auto& member : Members(GDriverObject::Feature<GAttributeComposite>(lists, FeatureId::kLockList)))
        locks.push_back(member.second);
    return locks;
}

// A driver object whose configuration names the helper library (401) and holds 313
// under 228; it counts the rebuilds of its stored maps.
class Driver : public GDriverObject {
public:
    explicit Driver(const char* helper = "qzdmchlp.dll", uint16_t configurationMode = 0)
        : GDriverObject(L"Colour Laser", L"QZ Colour Laser PCL6")
    {
        GConfiguration* configuration = new GConfiguration(198);
        if (helper)
            configuration->Add(Text(FeatureId::kDisplayName, helper));
        configuration->Add(Group(FeatureId::kPaperPath, {Value(FeatureId::kConfigurationMode, configurationMode)}));
        GPrinter* printer = new GPrinter("printer", nullptr, nullptr, 353);
        printer->Add(new GPeripheralComposite("model", nullptr, configuration, FeatureId::kPrinterHolder));
        SetPrinter(printer);
    }
    int ApplyStoredMaps(GObjectBase* settings) override
    {
        ++mapsApplied;
        return settings ? 1 : 0;
    }
    int mapsApplied = 0;
};

// A suite's services, stand-in and binding, made once: each binding starts the
// registration program.
class Suite : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        services_ = &Services::Make();
        standin_ = new DmcStandin;
        library_ = new GDMCLibrary;
    }
    static void TearDownTestSuite()
    {
        delete library_;
        delete standin_;
        library_ = nullptr, standin_ = nullptr;
    }
    void SetUp() override
    {
        ASSERT_TRUE(standin_->Loaded());
        ASSERT_EQ(1u, library_->IsLoaded());
        // The library's printer stays the unnamed one: nothing is logged before a test.
        standin_->Reset();
    }

    static GDMCLibrary& Library() { return *library_; }
    static DmcStandin& Standin() { return *standin_; }
    static Services& TestServices() { return *services_; }

    inline static Services* services_ = nullptr;
    inline static DmcStandin* standin_ = nullptr;
    inline static GDMCLibrary* library_ = nullptr;
};

} // namespace TranslatorTest

