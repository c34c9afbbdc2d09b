// A model code of an installed accessory kept as text in the device settings (365): the
// configuration's keyword, narrowed into a 128-byte buffer, or the empty text for the
// "not installed" word. Importing also marks the printer configuration's paper-handling
// device of that name as installed. Texts pass 128-byte narrow buffers both ways and are
// cut at 127 characters, so a long code from the printer's data never overruns them.
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class GDriverObject;
class GStringAttribute;

class ModelCodeTranslator : public FeatureTranslator {
public:
    static constexpr size_t kTextBytes = 128;

    int32_t ToAttributes(GObjectBase* settings, GAttributeComposite* changes) override;
    int32_t FromAttributes(GObjectBase* settings) override;

    const wchar_t* FeaturePath() const { return path_; }

protected:
    ModelCodeTranslator(GDMCLibrary& library, GDriverObject* driver, const wchar_t* path, uint16_t textId,
                        const wchar_t* notInstalled);
    // What the class does beyond storing the text, once it was stored.
    virtual void AfterImport(GObjectBase*, const wchar_t*) {}

private:
    GStringAttribute* FindModelText(GObjectBase* settings) const;
    void MarkInstalled(const char* text, size_t length);

    GDriverObject* driver_;
    const wchar_t* path_;
    uint16_t textId_;
    const wchar_t* notInstalled_;
};
