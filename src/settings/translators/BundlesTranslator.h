// The model bundle ("physical/Bundles"): a name that selects a whole predefined
// configuration of the printer. Not made from a feature key: the configuration runs it
// before the other physical features and on the factory export only.
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class GDriverObject;

struct BundleName {
    const char* narrow;
    const wchar_t* wide;
};

class BundlesTranslator : public FeatureTranslator {
public:
    static constexpr uint16_t kBundleCount = 108;
    static const BundleName kBundles[kBundleCount];
    static constexpr uint16_t kBundleKeywordChars = 128;

    BundlesTranslator(GDMCLibrary& library, GDriverObject* driver) : FeatureTranslator(library), driver_(driver) {}
    int32_t ToAttributes(GObjectBase* settings, GAttributeComposite* changes) override;
    int32_t FromAttributes(GObjectBase* settings) override;

    // Puts the bundle's settings into the tree: a member replaces the member of the same id
    // at its level, composites merge member by member, members the tree lacks are added.
    static void MergeSettings(GAttributeComposite* tree, GObjectBase* bundle);

private:
    GDriverObject* driver_;
};
