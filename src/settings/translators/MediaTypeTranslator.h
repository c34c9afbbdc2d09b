// The media type of the job (mode 0), of the pages after a different first page (1) or
// of the back cover (2). The setting is the device's media name (a string attribute);
// keywords name media. The printer's helper library may answer for the translator. An
// import of the main media while every page uses it also sets the other pages' media.
#pragma once

#include "settings/dmc/FeatureTranslator.h"

// One row of the media table: the device's media name and the keyword.
struct MediaRow {
    const char* name;
    const wchar_t* keyword;
};

class MediaTypeTranslator : public FeatureTranslator {
public:
    static const MediaRow kMedia[54];
    static const uint16_t kMediaCount;
    static const TranslatorDescription kModes[3];

    MediaTypeTranslator(GDMCLibrary& library, uint32_t mode);
    int32_t ToAttributes(GObjectBase* settings, GAttributeComposite* changes) override;
    int32_t FromAttributes(GObjectBase* settings) override;

    const TranslatorDescription& Description() const { return description_; }
    uint16_t OptionCount() const { return optionCount_; }

private:
    uint32_t LeafId() const { return description_.idPath[0]; }

    const TranslatorDescription& description_;
    uint16_t optionCount_;
};
