// The installed memory ("physical/Memory", 365 / 925), a number whose low 16 bits are not
// 0. Taking a new amount over also moves the dependent value 365 / 307 by half the change,
// in whole hundreds.
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class MemoryTranslator : public FeatureTranslator {
public:
    static const TranslatorDescription kDescription;

    explicit MemoryTranslator(GDMCLibrary& library) : FeatureTranslator(library) {}
    int32_t ToAttributes(GObjectBase* settings, GAttributeComposite* changes) override;
    int32_t FromAttributes(GObjectBase* settings) override;

    // The dependent value after the memory went from oldMemory to newMemory.
    static uint16_t AdjustDependent(uint16_t dependent, uint16_t oldMemory, uint16_t newMemory);
};
