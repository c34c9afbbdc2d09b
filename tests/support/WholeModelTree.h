// The settings tree of the test printer completed for the whole configuration model: the
// generated model's default settings hold few of the translators' attributes, so the
// update of the whole model would have nowhere to put most features. The tree gains
// each described translator's attribute path and those of the other classes that read a
// plain value or a text; what the tree holds already stays.
#pragma once

#include "model/GAttributeComposite.h"
#include "model/GChromafitBase.h"
#include "model/GConfiguration.h"
#include "model/GFeatureIds.h"
#include "model/GObjectIterator.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "settings/dmc/FeatureTranslator.h"
#include "settings/dmc/GDMCConfig.h"
#include "printer/GDriverObject.h"

#include <cstdint>
#include <memory>
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

// Adds what is missing of the path: composites, then a value attribute of value 0 (or an
// empty text).
inline void EnsurePath(GObjectBase* root, const uint32_t* ids, size_t count, bool text = false)
{
    GObjectBase* node = root;
    for (size_t i = 0; i < count && node; ++i) {
        GObjectBase* found = node->FindById(ids[i]);
        if (!found) {
            if (i + 1 < count)
                found = new GAttributeComposite(ids[i]);
            else if (text)
                found = new GStringAttribute("", ids[i]);
            else
                found = new GValueAttribute(uint16_t(0), ids[i]);
            node->Add(found);
            found = node->FindById(ids[i]);
        }
        node = found;
    }
}

// The colour classes read and write the bytes of a colour object among the document
// settings: a copy of the printer's configured one (208) when the settings hold none.
inline void AddColourObject(GObjectBase* tree, GDriverObject* driver)
{
    GObjectBase* document = tree ? tree->FindById(FeatureId::kDocumentSettings) : nullptr;
    GConfiguration* configuration = driver ? driver->GetPrinterConfiguration() : nullptr;
    GObjectBase* configured = configuration ? configuration->FindById(FeatureId::kColourAdjustment) : nullptr;
    if (!document || !configured || !GChromafitBase::IsChromafit(configured))
        return;
    bool held = false;
    if (GObjectIterator* it = document->CreateIterator()) {
        while (!held && it->Next())
            held = GChromafitBase::IsChromafit(it->Current());
        delete it;
    }
    if (!held)
        document->Add(configured->Copy());
}

// The generated model's default settings hold few of the translators' attributes: the
// tree gains every described translator's attribute, those of the other classes that
// read a plain value or a text, and a colour object, so that each feature of the model
// has somewhere to go.
inline void Complete(GObjectBase* tree, GDMCConfig& config)
{
    for (size_t row = 0; row < GDMCConfig::kFeatureKeys.count; ++row) {
        std::unique_ptr<FeatureTranslator> made(config.MapFeatureKeys(GDMCConfig::kFeatureKeys.rows[row].key));
        if (auto* described = dynamic_cast<DescribedTranslator*>(made.get()))
            EnsurePath(tree, described->Description().idPath, described->Description().idCount);
    }
    for (const auto& path : kOwnPaths)
        EnsurePath(tree, path.data(), path.size());
    for (const auto& path : kOwnTexts)
        EnsurePath(tree, path.data(), path.size(), true);
    AddColourObject(tree, config.GetDriverObject());
}

} // namespace WholeModelTree
