// What the generated driver data model holds for the configuration translators: the model
// bundles in the named list, the named feature's accessory name and the quality presets.
#include "GDriverDataModel.h"

#include "model/GAttributeComposite.h"
#include "model/GConfiguration.h"
#include "model/GFeatureIds.h"
#include "model/GObjectIterator.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "model/MPersistentComposite.h"
#include "printer/GDriverObject.h"
#include "settings/translators/BundlesTranslator.h"
#include "settings/translators/PrintQualityTranslator.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

std::vector<GObjectBase*> MembersOf(GObjectBase* composite)
{
    std::vector<GObjectBase*> members;
    if (GObjectIterator* it = composite ? composite->CreateIterator() : nullptr) {
        while (it->Next())
            members.push_back(it->Current());
        delete it;
    }
    return members;
}

int ValueOf(GObjectBase* tree, long id)
{
    GValueAttribute* value = GDriverObject::Feature<GValueAttribute>(tree, id);
    return value ? value->GetValue() : -1;
}

class GeneratedModel : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::unique_ptr<MPersistentComposite> root(GDriverDataModel::Build());
        driver_.SetPrinter(root->RemoveById(FeatureId::kPrinterRoot));
        configuration_ = driver_.GetPrinterConfiguration();
        ASSERT_NE(nullptr, configuration_);
    }
    GDriverObject driver_{L"Colour Laser", L"QZ Colour Laser PCL6"};
    GConfiguration* configuration_ = nullptr;
};

TEST_F(GeneratedModel, BundlesAreNamedByTheTranslatorsTableAndCarryTheirOwnIndex)
{
    int bundles = 0;
    for (GObjectBase* member : MembersOf(configuration_->FindById(FeatureId::kNamedList))) {
        const int index = ValueOf(member, FeatureId::kBundleIndex);
        if (index < 0)
            continue;
        ++bundles;
        auto* name = GDriverObject::Feature<GStringAttribute>(member, FeatureId::kNamedListName);
        ASSERT_NE(nullptr, name);
        bool inTable = false;
        for (const BundleName& row : BundlesTranslator::kBundles)
            inTable = inTable || std::strcmp(row.narrow, name->GetString().Data()) == 0;
        EXPECT_TRUE(inTable) << name->GetString().Data();
        GObjectBase* settings = member->FindById(FeatureId::kNamedListValue);
        GObjectBase* device = GDriverObject::Feature<GAttributeComposite>(settings, FeatureId::kDeviceSettings);
        EXPECT_EQ(index, ValueOf(device, FeatureId::kBundleIndex));
    }
    EXPECT_EQ(3, bundles);

    // Selected by name, a bundle's settings bring its index along.
    GAttributeComposite taken(FeatureId::kNamedListValue);
    EXPECT_EQ(1, driver_.SelectFromList(L"QZColourLaser dn", &taken));
    EXPECT_EQ(2, ValueOf(&taken, FeatureId::kBundleIndex));
    EXPECT_EQ(1, ValueOf(&taken, FeatureId::kDuplexUnit));
}

TEST_F(GeneratedModel, DeviceOptionsNameThePostInsertionKit)
{
    GObjectBase* path = configuration_->FindById(FeatureId::kDeviceQueryRoot);
    int named = 0;
    for (GObjectBase* member : MembersOf(GDriverObject::Feature<GAttributeComposite>(path, FeatureId::kDeviceOptions))) {
        if (ValueOf(member, FeatureId::kOptionTarget) != FeatureId::kPostInsertionKit)
            continue;
        ++named;
        auto* name = GDriverObject::Feature<GStringAttribute>(member, FeatureId::kOptionModel);
        ASSERT_NE(nullptr, name);
        EXPECT_STREQ("QZ-PI5900", name->GetString().Data());
    }
    EXPECT_EQ(1, named);
}

TEST_F(GeneratedModel, PresetsHoldEveryMemberOfTheMapWithColourRowsInBestOnly)
{
    for (long id : {FeatureId::kBestPreset, FeatureId::kNormalPreset}) {
        GObjectBase* preset = configuration_->FindById(id);
        ASSERT_TRUE(preset && preset->IsKindOf(GAttributeComposite::kClassId)) << id;
        for (const QualityPresetRow& row : PrintQualityTranslator::kPresetMap) {
            GObjectBase* source = preset->FindById(row.source);
            EXPECT_NE(nullptr, source) << id << " " << row.source;
            if (!row.composite)
                continue;
            for (const auto& pair : PrintQualityTranslator::kResolutionPairs) {
                EXPECT_NE(-1, ValueOf(source, pair[0])) << id << " " << pair[0];
            }
        }
        EXPECT_EQ(id == FeatureId::kBestPreset, ValueOf(preset, FeatureId::kPresetColourRows) > 0) << id;
    }
}

} // namespace
