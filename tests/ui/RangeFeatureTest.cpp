// The copies and scale bindings keep what the sheet writes within the device's ranges
// 199 and 200 of the printer configuration.
#include "SheetFixture.h"

#include "model/GConfiguration.h"
#include "model/GFeatureIds.h"
#include "model/GRangeAttribute.h"
#include "ui/framework/GSheetContext.h"
#include "ui/pages/PageFeatures.h"

#include <memory>

namespace {

// Puts a range of the bounds into the configuration in place of any of the id.
void SetRange(GObjectBase* configuration, uint16_t id, int16_t minimum, int16_t maximum)
{
    while (GObjectBase* old = configuration->RemoveById(id))
        delete old;
    configuration->Add(new GRangeAttribute(minimum, maximum, 1, minimum, id));
}

// Sets the setting to the value, adding it when missing.
void SetSetting(GObjectBase* settings, uint16_t id, uint16_t value)
{
    if (auto* setting = GDriverObject::Feature<GValueAttribute>(settings, id))
        setting->SetValue(value);
    else
        settings->Add(new GValueAttribute(value, id));
}

class RangeBindings : public SheetFixture {
protected:
    void SetUp() override
    {
        SheetFixture::SetUp();
        configuration = ui->GetPrinterConfiguration();
        ASSERT_NE(nullptr, configuration);
        SetRange(configuration, FeatureId::kCopiesRange, 1, 999);
        SetRange(configuration, FeatureId::kScaleRange, 25, 400);
        SetSetting(Root(), FeatureId::kCopies, 1);
        SetSetting(Root(), FeatureId::kScalePercent, 100);
        data.size = 60;
        data.driverUI = record->driverUI;
        data.settings = record->settings;
        data.printer = record->printer;
        context.reset(new GSheetContext(&data));
    }
    void TearDown() override
    {
        context.reset();
        SheetFixture::TearDown();
    }
    GObjectBase* configuration = nullptr;
    GUIData data = {};
    std::unique_ptr<GSheetContext> context;
};

TEST_F(RangeBindings, CopiesAndScaleAreClampedAtBothEnds)
{
    GCopiesFeature copies(context.get());
    GScalePercentFeature scale(context.get());
    // The controls write through the value binding: the range holds there too.
    GValueFeature* bindings[] = {&copies, &scale};
    const struct {
        int binding;
        uint16_t written, stored;
    } rows[] = {
        {0, 0, 1}, {0, 1, 1}, {0, 999, 999}, {0, 1000, 999}, {0, 65535, 999},
        {1, 24, 25}, {1, 25, 25}, {1, 400, 400}, {1, 401, 400}, {1, 0, 25},
    };
    for (const auto& row : rows) {
        GValueFeature* binding = bindings[row.binding];
        EXPECT_EQ(1, binding->Write(row.written));
        uint16_t value = 0;
        EXPECT_EQ(1, binding->Read(value));
        EXPECT_EQ(row.stored, value) << binding->GetFeatureId() << " written " << row.written;
    }
    EXPECT_EQ(FeatureId::kCopiesRange, copies.GetRangeId());
    EXPECT_EQ(FeatureId::kScaleRange, scale.GetRangeId());
}

} // namespace
