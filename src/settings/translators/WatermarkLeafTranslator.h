// The base of the watermark sub-feature translators. An import first gives the watermark
// definition (364 / 379) the leaves it lacks, with their defaults, then reads the
// configuration; an export reads its leaves from the definition it is given (or, where
// the class says so, walks its whole path from the settings root).
#pragma once

#include "settings/dmc/FeatureTranslator.h"

#include <cstddef>

class GAttributeComposite;

struct WatermarkDefault {
    uint16_t id;
    uint16_t value;
};

class WatermarkLeafTranslator : public DescribedTranslator {
public:
    int32_t ToAttributes(GObjectBase* settings, GAttributeComposite* changes) override;
    int32_t FromAttributes(GObjectBase* tree) override;

    // The watermark definition of the settings (364 / 379); null when absent.
    static GAttributeComposite* FindDefinition(GObjectBase* settings);

protected:
    WatermarkLeafTranslator(GDMCLibrary& library, const TranslatorDescription& description,
                            const WatermarkDefault* defaults, size_t defaultCount, bool exportFromRoot)
        : DescribedTranslator(library, description), defaults_(defaults), defaultCount_(defaultCount),
          exportFromRoot_(exportFromRoot)
    {
    }
    // Adds the missing default leaves to the definition.
    void CreateDefaults(GObjectBase* settings) const;
    // The description with the leaf alone, looked up in the definition given to an export.
    TranslatorDescription LeafOnly() const;

private:
    const WatermarkDefault* defaults_;
    size_t defaultCount_;
    bool exportFromRoot_;
};
