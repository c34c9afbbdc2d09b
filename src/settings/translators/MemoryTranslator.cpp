#include "settings/translators/MemoryTranslator.h"

#include "model/GAttributeComposite.h"
#include "model/GFeatureIds.h"
#include "model/GValueAttribute.h"
#include "printer/GDriverObject.h"

namespace {

const uint32_t kIdPath[] = {365, 925};

bool NotZero(int16_t value) { return value != 0; }

} // namespace

const TranslatorDescription MemoryTranslator::kDescription = {
    L"physical/Memory", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kNone, 64,
    TranslatorLock::kNone, 0, false, nullptr, 0, false};

uint16_t MemoryTranslator::AdjustDependent(uint16_t dependent, uint16_t oldMemory, uint16_t newMemory)
{
    const int32_t change = int32_t(newMemory) - int32_t(oldMemory);
    const int32_t hundreds = int32_t(dependent / 100) + (50 * change) / 100;
    return static_cast<uint16_t>(uint32_t(hundreds * 100) & 0xFFFF);
}

int32_t MemoryTranslator::ToAttributes(GObjectBase* settings, GAttributeComposite* changes)
{
    FeatureSetting memory = FindAttribute(kDescription, settings);
    if (!memory)
        return 0;
    const uint16_t before = memory->GetValue();
    // The description adds no record: the copies of both values are added here, and only
    // into a change list that exists.
    if (!ImportNumeric(kDescription, settings, nullptr, NotZero))
        return 0;
    if (changes)
        changes->Add(memory->Copy());
    GAttributeComposite* device = GDriverObject::Feature<GAttributeComposite>(settings, FeatureId::kDeviceSettings);
    if (GValueAttribute* dependent = GDriverObject::Feature<GValueAttribute>(device, FeatureId::kMemoryDependent)) {
        dependent->SetValue(AdjustDependent(dependent->GetValue(), before, memory->GetValue()));
        if (changes)
            changes->Add(dependent->Copy());
    }
    return 1;
}

int32_t MemoryTranslator::FromAttributes(GObjectBase* settings) { return ExportNumeric(kDescription, settings); }
