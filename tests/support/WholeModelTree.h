// What the settings tree of the test printer must hold for the whole configuration model:
// each described translator's attribute path and those of the other classes that read a
// plain value or a text, as the generated printer model gives them.
#pragma once

#include "model/GAttributeComposite.h"
#include "model/GChromafitBase.h"
#include "model/GConfiguration.h"
#include "model/GFeatureIds.h"
#include "model/GObjectIterator.h"
#include "model/GRangeAttribute.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "settings/dmc/FeatureTranslator.h"
#include "settings/dmc/GDMCConfig.h"
#include "printer/GDriverObject.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace WholeModelTree {

// The attribute paths of the translators that carry no description of their own; each
// leads to the 16-bit value the class reads (settings root side first).
inline const std::vector<std::vector<uint32_t>> kOwnPaths = {
    {364, 291}, {365, 202}, {362, 1133}, {362, 253}, {365, 925}, {362, 248}, {362, 260}, {364, 296},
    {364, 304}, {362, 269}, {365, 915},  {362, 278}, {362, 289}, {362, 901}, {362, 249, 323}, {362, 249, 324},
    {362, 258}, {362, 249, 325}, {364, 379, 1112},
};
// The texts some classes read: the media name and the selected watermark's name.
inline const std::vector<std::vector<uint32_t>> kOwnTexts = {{364, 261}, {364, 379, 383}};

// The path as text, "364/379/383", for a message.
inline std::string PathText(const uint32_t* ids, size_t count)
{
    std::string text;
    for (size_t i = 0; i < count; ++i)
        text += (i ? "/" : "") + std::to_string(ids[i]);
    return text;
}

// Whether the tree holds the path: composites down to a leaf of the kind the class reads
// (a value or a range, or a text).
inline bool Holds(GObjectBase* root, const uint32_t* ids, size_t count, bool text = false)
{
    GObjectBase* node = root;
    for (size_t i = 0; i < count && node; ++i) {
        node = node->FindById(ids[i]);
        if (node && i + 1 < count && !node->IsKindOf(GAttributeComposite::kClassId))
            return false;
    }
    if (!node)
        return false;
    if (text)
        return node->IsKindOf(GStringAttribute::kClassId);
    return node->IsKindOf(GValueAttribute::kClassId) || node->IsKindOf(GRangeAttribute::kClassId);
}

// Whether the document settings hold a colour object for the colour classes.
inline bool HoldsColourObject(GObjectBase* tree)
{
    GObjectBase* document = tree ? tree->FindById(FeatureId::kDocumentSettings) : nullptr;
    bool held = false;
    if (GObjectIterator* it = document ? document->CreateIterator() : nullptr) {
        while (!held && it->Next())
            held = GChromafitBase::IsChromafit(it->Current());
        delete it;
    }
    return held;
}

// The attribute paths of every described translator of the factory and those of the
// other classes that read a plain value or a text, that the tree lacks: each feature of
// the model must have somewhere to go in the printer's own settings.
inline std::vector<std::string> MissingPaths(GObjectBase* tree, GDMCConfig& config)
{
    std::vector<std::string> missing;
    for (size_t row = 0; row < GDMCConfig::kFeatureKeys.count; ++row) {
        std::unique_ptr<FeatureTranslator> made(config.MapFeatureKeys(GDMCConfig::kFeatureKeys.rows[row].key));
        if (auto* described = dynamic_cast<DescribedTranslator*>(made.get())) {
            const TranslatorDescription& d = described->Description();
            if (!Holds(tree, d.idPath, d.idCount))
                missing.push_back(PathText(d.idPath, d.idCount));
        }
    }
    for (const auto& path : kOwnPaths)
        if (!Holds(tree, path.data(), path.size()))
            missing.push_back(PathText(path.data(), path.size()));
    for (const auto& path : kOwnTexts)
        if (!Holds(tree, path.data(), path.size(), true))
            missing.push_back(PathText(path.data(), path.size()) + " (text)");
    if (!HoldsColourObject(tree))
        missing.push_back("364: a colour object");
    return missing;
}

} // namespace WholeModelTree
