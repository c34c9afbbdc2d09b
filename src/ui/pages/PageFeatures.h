// The bindings of the pages' features: each reads and writes its feature (where it has
// one) through the sheet context. A binding that works with another one holds it.
#pragma once

#include "model/GFeatureIds.h"
#include "ui/framework/GRangeFeature.h"
#include "ui/framework/GValueFeature.h"

#include <memory>

// The size limits of a custom paper size: the device's smallest and largest media.
constexpr uint16_t kSmallestMediaId = 17385;
constexpr uint16_t kLargestMediaId = 17384;

class GPaperSizeFeature : public GValueFeature {
public:
    explicit GPaperSizeFeature(GSheetContext* context) : GValueFeature(context, 260) {}
    uint16_t GetSmallestMedia() const { return kSmallestMediaId; }
    uint16_t GetLargestMedia() const { return kLargestMediaId; }
};

class GAutoConfigFeature : public GValueFeature {
public:
    explicit GAutoConfigFeature(GSheetContext* context) : GValueFeature(context, 0) {}
};

// The media type, kept as the device's media name (261): a list shows the names the
// printer model offers, and the value of a choice is its place among them.
class GMediaTypeFeature : public GValueFeature {
public:
    explicit GMediaTypeFeature(GSheetContext* context) : GValueFeature(context, FeatureId::kMediaName) {}
    // The place of the current name among the choices.
    int Read(uint16_t& value) const override;
    // Takes the name of the choice with that place.
    int Write(uint16_t value) override;
    void GetChoices(std::vector<FeatureChoice>& choices) const override;
};

class GWatermarkFontFeature : public GValueFeature {
public:
    explicit GWatermarkFontFeature(GSheetContext* context) : GValueFeature(context, 0) {}
};

class GCopiesFeature : public GRangeFeature {
public:
    explicit GCopiesFeature(GSheetContext* context)
        : GRangeFeature(context, FeatureId::kCopies, FeatureId::kCopiesRange)
    {
    }
};

class GOrientationFeature : public GValueFeature {
public:
    explicit GOrientationFeature(GSheetContext* context) : GValueFeature(context, 265) {}
};

class GDocumentOptionsFeature : public GValueFeature {
public:
    explicit GDocumentOptionsFeature(GSheetContext* context) : GValueFeature(context, 0) {}
};

class GBothSidesFeature : public GValueFeature {
public:
    explicit GBothSidesFeature(GSheetContext* context) : GValueFeature(context, 253) {}
};

class GBookletFeature : public GValueFeature {
public:
    explicit GBookletFeature(GSheetContext* context) : GValueFeature(context, 279) {}
    void GetChoices(std::vector<FeatureChoice>& choices) const override;
};

// The order of the pages on a sheet (268); held by the pages-per-sheet binding.
class GPageOrderFeature : public GValueFeature {
public:
    explicit GPageOrderFeature(GSheetContext* context) : GValueFeature(context, FeatureId::kNupPageOrder) {}
    void GetChoices(std::vector<FeatureChoice>& choices) const override;
};

class GPageBordersOrderFeature : public GValueFeature {
public:
    explicit GPageBordersOrderFeature(GSheetContext* context)
        : GValueFeature(context, 266), order_(new GPageOrderFeature(context))
    {
    }
    void GetChoices(std::vector<FeatureChoice>& choices) const override;
    GPageOrderFeature* GetOrder() const { return order_.get(); }

private:
    std::unique_ptr<GPageOrderFeature> order_;
};

class GDefaultCustomFeature : public GValueFeature {
public:
    explicit GDefaultCustomFeature(GSheetContext* context) : GValueFeature(context, 910) {}
};

class GQualityCurrentSettingFeature : public GValueFeature {
public:
    explicit GQualityCurrentSettingFeature(GSheetContext* context) : GValueFeature(context, 910) {}
};

class GWysiwygPatternsFeature : public GValueFeature {
public:
    explicit GWysiwygPatternsFeature(GSheetContext* context) : GValueFeature(context, 277) {}
};

class GScalePatternsFeature : public GValueFeature {
public:
    explicit GScalePatternsFeature(GSheetContext* context) : GValueFeature(context, 585) {}
};

class GTrueTypeAsBitmapFeature : public GValueFeature {
public:
    explicit GTrueTypeAsBitmapFeature(GSheetContext* context) : GValueFeature(context, 293) {}
};

class GSendAsRasterFeature : public GValueFeature {
public:
    explicit GSendAsRasterFeature(GSheetContext* context) : GValueFeature(context, 255) {}
};

class GRasterCompressionFeature : public GValueFeature {
public:
    explicit GRasterCompressionFeature(GSheetContext* context) : GValueFeature(context, 0) {}
};

class GScalePercentFeature : public GRangeFeature {
public:
    explicit GScalePercentFeature(GSheetContext* context)
        : GRangeFeature(context, FeatureId::kScalePercent, FeatureId::kScaleRange)
    {
    }
};

class GFitToPaperFeature : public GValueFeature {
public:
    explicit GFitToPaperFeature(GSheetContext* context)
        : GValueFeature(context, 270), held_(new GPaperSizeFeature(context))
    {
    }
    GPaperSizeFeature* GetHeld() const { return held_.get(); }

private:
    std::unique_ptr<GPaperSizeFeature> held_;
};

class GFirstPageOnlyFeature : public GValueFeature {
public:
    explicit GFirstPageOnlyFeature(GSheetContext* context) : GValueFeature(context, 382) {}
};

// The watermarks of the printer's list, by name after "(none)"; no setting of the job
// holds the choice yet, so the list only shows them.
class GWatermarkListFeature : public GValueFeature {
public:
    explicit GWatermarkListFeature(GSheetContext* context) : GValueFeature(context, 0) {}
    void GetChoices(std::vector<FeatureChoice>& choices) const override;
};

class GPageLayoutFeature : public GValueFeature {
public:
    explicit GPageLayoutFeature(GSheetContext* context)
        : GValueFeature(context, 0), held_(new GWatermarkFontFeature(context))
    {
    }
    GWatermarkFontFeature* GetHeld() const { return held_.get(); }

private:
    std::unique_ptr<GWatermarkFontFeature> held_;
};

class GDifferentPaperFeature : public GValueFeature {
public:
    explicit GDifferentPaperFeature(GSheetContext* context) : GValueFeature(context, 264) {}
};

class GPaperOption11553Feature : public GValueFeature {
public:
    explicit GPaperOption11553Feature(GSheetContext* context) : GValueFeature(context, 0) {}
};

class GCoverPagesFeature : public GValueFeature {
public:
    explicit GCoverPagesFeature(GSheetContext* context) : GValueFeature(context, 920) {}
};

// The paper size (260): a list shows the papers of the printer's media pool.
class GPaperSizeChoiceFeature : public GValueFeature {
public:
    explicit GPaperSizeChoiceFeature(GSheetContext* context)
        : GValueFeature(context, 260), held_(new GPaperSizeFeature(context))
    {
    }
    void GetChoices(std::vector<FeatureChoice>& choices) const override;
    GPaperSizeFeature* GetHeld() const { return held_.get(); }

private:
    std::unique_ptr<GPaperSizeFeature> held_;
};

// The paper source (258, a tray id): a list shows the bins an application finds.
class GPaperTypeSourceFeature : public GValueFeature {
public:
    explicit GPaperTypeSourceFeature(GSheetContext* context) : GValueFeature(context, 258) {}
    // Automatic selection while forms are assigned to trays: the tray follows the form.
    int Read(uint16_t& value) const override;
    void GetChoices(std::vector<FeatureChoice>& choices) const override;
};

class GInstallableTraysFeature : public GValueFeature {
public:
    explicit GInstallableTraysFeature(GSheetContext* context) : GValueFeature(context, 0) {}
};

class GOutputOptionsFeature : public GValueFeature {
public:
    explicit GOutputOptionsFeature(GSheetContext* context) : GValueFeature(context, 0) {}
};

class GStapleFeature : public GValueFeature {
public:
    explicit GStapleFeature(GSheetContext* context) : GValueFeature(context, 1200) {}
};

class GOutputBinsFeature : public GValueFeature {
public:
    explicit GOutputBinsFeature(GSheetContext* context) : GValueFeature(context, 0) {}
};

class GJobNotificationFeature : public GValueFeature {
public:
    explicit GJobNotificationFeature(GSheetContext* context) : GValueFeature(context, 1033) {}
};

class GJobNameExistsFeature : public GValueFeature {
public:
    explicit GJobNameExistsFeature(GSheetContext* context) : GValueFeature(context, 1232) {}
    void GetChoices(std::vector<FeatureChoice>& choices) const override;
};

class GJobStorageModeFeature : public GValueFeature {
public:
    explicit GJobStorageModeFeature(GSheetContext* context) : GValueFeature(context, 287) {}
};

class GColorModeFeature : public GValueFeature {
public:
    explicit GColorModeFeature(GSheetContext* context) : GValueFeature(context, 0) {}
};

class GGrayscaleFeature : public GValueFeature {
public:
    explicit GGrayscaleFeature(GSheetContext* context) : GValueFeature(context, 296) {}
};

// A colour option of one object class (0 text, 1 graphics, 2 photographs, 3 general) and
// kind (1 halftone, 0 neutral greys, 2 edge control, 3 RGB colour) under its parents.
class GColorOptionFeature : public GValueFeature {
public:
    GColorOptionFeature(GSheetContext* context, uint16_t option, uint16_t object, uint16_t kind,
                        uint16_t parent = 364, uint16_t group = 295)
        : GValueFeature(context, option), object_(object), kind_(kind), parent_(parent), group_(group)
    {
    }
    uint16_t GetObjectIndex() const { return object_; }
    uint16_t GetOptionKind() const { return kind_; }
    uint16_t GetParent() const { return parent_; }
    uint16_t GetGroup() const { return group_; }

private:
    uint16_t object_, kind_, parent_, group_;
};

// The form-to-tray table (510): one row per installed tray, keyed by the tray id, whose
// first value is the paper code of the form loaded in it (0: none) and whose second value
// is the media type's code (11913: unspecified). The choices are the installed trays.
class GFormTrayAssignmentFeature : public GValueFeature {
public:
    static constexpr uint16_t kNoForm = 0;
    static constexpr uint16_t kUnspecifiedType = 11913;

    explicit GFormTrayAssignmentFeature(GSheetContext* context)
        : GValueFeature(context, FeatureId::kFormToTrayTable), held_(new GMediaTypeFeature(context))
    {
    }
    GMediaTypeFeature* GetHeld() const { return held_.get(); }
    // 1 while the settings hold the table.
    int Read(uint16_t& value) const override;
    int Write(uint16_t) override { return 0; }
    // The installed trays, as the bin query answers them (value: the tray id).
    void GetChoices(std::vector<FeatureChoice>& choices) const override;
    // "(none)", then the spooler's forms that fit the device and the model's papers that
    // no form stands for (value: the paper code the paper lists give).
    void GetForms(std::vector<FeatureChoice>& forms) const;
    // "(none)" for unspecified, then the model's media types (value: the type's code).
    void GetTypes(std::vector<FeatureChoice>& types) const;
    // The tray's form and media type; none and unspecified without a row.
    void ReadRow(uint16_t tray, uint16_t& form, uint16_t& type) const;
    // Gives the tray its form and type: 1 when the settings hold the table.
    int WriteRow(uint16_t tray, uint16_t form, uint16_t type);
    // Empties the table, so that no tray has a form: 1 when the settings hold it.
    int ClearAll();

private:
    std::unique_ptr<GMediaTypeFeature> held_;
};

// The printer model as one of the model bundles of the named list (927, its index): each
// bundle stands for the device settings it holds (duplex unit, tray 1). Without the
// setting, the bundle whose device settings the settings hold is the current one.
class GModelNameFeature : public GValueFeature {
public:
    explicit GModelNameFeature(GSheetContext* context)
        : GValueFeature(context, FeatureId::kBundleIndex), held_(new GAutoConfigFeature(context))
    {
    }
    GAutoConfigFeature* GetHeld() const { return held_.get(); }
    // 1 while the printer model has bundles; 0xFFFF when no bundle matches.
    int Read(uint16_t& value) const override;
    // Takes the bundle's device settings.
    int Write(uint16_t value) override;
    void GetChoices(std::vector<FeatureChoice>& choices) const override;

private:
    std::unique_ptr<GAutoConfigFeature> held_;
};

class GPrinterModelFeature : public GValueFeature {
public:
    explicit GPrinterModelFeature(GSheetContext* context) : GValueFeature(context, 308) {}
};

class GManualDuplexFeature : public GValueFeature {
public:
    explicit GManualDuplexFeature(GSheetContext* context) : GValueFeature(context, 245) {}
};

class GZadidiFeature : public GValueFeature {
public:
    explicit GZadidiFeature(GSheetContext* context) : GValueFeature(context, 310) {}
};

// The optional paper-handling devices of one kind (input or output) of the printer
// model, and whether each is installed as the device settings (365) say. A choice's value
// is the device's place among the optional devices of its kind.
class GOptionalDevicesFeature : public GValueFeature {
public:
    GOptionalDevicesFeature(GSheetContext* context, uint32_t type) : GValueFeature(context, 0), type_(type) {}
    // 1 while the printer model has such devices.
    int Read(uint16_t& value) const override;
    int Write(uint16_t) override { return 0; }
    void GetChoices(std::vector<FeatureChoice>& choices) const override;
    // Whether the device is installed with the settings as they are now.
    bool IsInstalled(uint16_t value) const;
    // Marks the device installed or not: 1 when the settings took it.
    int SetInstalled(uint16_t value, bool installed);

private:
    uint32_t type_;
};

class GPaperDestinationsFeature : public GOptionalDevicesFeature {
public:
    explicit GPaperDestinationsFeature(GSheetContext* context) : GOptionalDevicesFeature(context, 1) {}
};

class GPaperSourcesFeature : public GOptionalDevicesFeature {
public:
    explicit GPaperSourcesFeature(GSheetContext* context) : GOptionalDevicesFeature(context, 0) {}
};

class GMemorySizeFeature : public GValueFeature {
public:
    explicit GMemorySizeFeature(GSheetContext* context) : GValueFeature(context, 307) {}
};

class GTotalMemoryFeature : public GValueFeature {
public:
    explicit GTotalMemoryFeature(GSheetContext* context) : GValueFeature(context, 925) {}
};

// The printer hard disk (239), holding the job storage switch (520) of the same group.
class GHardDiskFeature : public GValueFeature {
public:
    explicit GHardDiskFeature(GSheetContext* context)
        : GValueFeature(context, FeatureId::kHardDisk),
          jobStorage_(new GValueFeature(context, FeatureId::kJobStorageEnabled))
    {
    }
    GValueFeature* GetJobStorage() const { return jobStorage_.get(); }

private:
    std::unique_ptr<GValueFeature> jobStorage_;
};

class GScaleFromLargePaperFeature : public GValueFeature {
public:
    explicit GScaleFromLargePaperFeature(GSheetContext* context) : GValueFeature(context, 915) {}
};

class GLetterheadModeFeature : public GValueFeature {
public:
    explicit GLetterheadModeFeature(GSheetContext* context) : GValueFeature(context, 1240) {}
};

class GIgnoreCollationFeature : public GValueFeature {
public:
    explicit GIgnoreCollationFeature(GSheetContext* context) : GValueFeature(context, 451) {}
};

class GFontCardsFeature : public GValueFeature {
public:
    explicit GFontCardsFeature(GSheetContext* context) : GValueFeature(context, 317) {}
};

class GIncludeTypesFeature : public GValueFeature {
public:
    explicit GIncludeTypesFeature(GSheetContext* context) : GValueFeature(context, 197) {}
};

class GAddFontCardFeature : public GValueFeature {
public:
    explicit GAddFontCardFeature(GSheetContext* context) : GValueFeature(context, 0) {}
};

class GConfigureFontCardsFeature : public GValueFeature {
public:
    explicit GConfigureFontCardsFeature(GSheetContext* context) : GValueFeature(context, 0) {}
};

// The shared bindings of every document page's tail.
class GPagePreviewFeature : public GValueFeature {
public:
    explicit GPagePreviewFeature(GSheetContext* context) : GValueFeature(context, 0) {}
};

class GQuicksetFeature : public GValueFeature {
public:
    explicit GQuicksetFeature(GSheetContext* context) : GValueFeature(context, 0) {}
};

// A notice's binding: the key of the rule it watches and the key of its message.
class GConflictNoticeFeature : public GFeature {
public:
    GConflictNoticeFeature(GSheetContext* context, uint32_t ruleKey, uint32_t messageKey)
        : GFeature(context), ruleKey_(ruleKey), messageKey_(messageKey)
    {
    }
    uint32_t GetRuleKey() const { return ruleKey_; }
    uint32_t GetMessageKey() const { return messageKey_; }

private:
    uint32_t ruleKey_, messageKey_;
};
