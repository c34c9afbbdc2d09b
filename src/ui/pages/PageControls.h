// The controls of the pages' features, one per binding, each of the kind its items ask
// for (see GFeatureControl), and the shared controls of the pages' tails.
#pragma once

#include "ui/framework/GAboutFeature.h"
#include "ui/framework/GSheetContext.h"
#include "ui/pages/GFeatureControl.h"
#include "ui/pages/PageFeatures.h"

class GPaperSizeControl : public GKindControl<GFeatureControl::kEdit> {
public:
    using GKindControl::GKindControl;
};

class GAutoConfigControl : public GKindControl<GFeatureControl::kButton> {
public:
    using GKindControl::GKindControl;
};

class GMediaTypeControl : public GKindControl<GFeatureControl::kList> {
public:
    using GKindControl::GKindControl;
};

class GWatermarkFontControl : public GKindControl<GFeatureControl::kList> {
public:
    using GKindControl::GKindControl;
};

class GCopiesControl : public GKindControl<GFeatureControl::kEdit> {
public:
    using GKindControl::GKindControl;
};

class GOrientationControl : public GKindControl<GFeatureControl::kRadio> {
public:
    using GKindControl::GKindControl;
};

class GDocumentOptionsControl : public GKindControl<GFeatureControl::kInert> {
public:
    using GKindControl::GKindControl;
};

class GBothSidesControl : public GKindControl<GFeatureControl::kCheck> {
public:
    using GKindControl::GKindControl;
};

class GBookletControl : public GKindControl<GFeatureControl::kList> {
public:
    using GKindControl::GKindControl;
};

class GPageBordersOrderControl : public GKindControl<GFeatureControl::kList> {
public:
    using GKindControl::GKindControl;
};

class GDefaultCustomControl : public GKindControl<GFeatureControl::kRadio> {
public:
    using GKindControl::GKindControl;
};

class GQualityCurrentSettingControl : public GKindControl<GFeatureControl::kInert> {
public:
    using GKindControl::GKindControl;
};

class GWysiwygPatternsControl : public GKindControl<GFeatureControl::kCheck> {
public:
    using GKindControl::GKindControl;
};

class GScalePatternsControl : public GKindControl<GFeatureControl::kCheck> {
public:
    using GKindControl::GKindControl;
};

class GTrueTypeAsBitmapControl : public GKindControl<GFeatureControl::kCheck> {
public:
    using GKindControl::GKindControl;
};

class GSendAsRasterControl : public GKindControl<GFeatureControl::kRadio> {
public:
    using GKindControl::GKindControl;
};

class GRasterCompressionControl : public GKindControl<GFeatureControl::kList> {
public:
    using GKindControl::GKindControl;
};

class GScalePercentControl : public GKindControl<GFeatureControl::kEdit> {
public:
    using GKindControl::GKindControl;
};

class GFitToPaperControl : public GKindControl<GFeatureControl::kCheck> {
public:
    using GKindControl::GKindControl;
};

class GFirstPageOnlyControl : public GKindControl<GFeatureControl::kCheck> {
public:
    using GKindControl::GKindControl;
};

class GWatermarkListControl : public GKindControl<GFeatureControl::kList> {
public:
    using GKindControl::GKindControl;
};

class GPageLayoutControl : public GKindControl<GFeatureControl::kRadio> {
public:
    using GKindControl::GKindControl;
};

class GDifferentPaperControl : public GKindControl<GFeatureControl::kCheck> {
public:
    using GKindControl::GKindControl;
};

class GPaperOption11553Control : public GKindControl<GFeatureControl::kList> {
public:
    using GKindControl::GKindControl;
};

class GCoverPagesControl : public GKindControl<GFeatureControl::kCheck> {
public:
    using GKindControl::GKindControl;
};

class GPaperSizeChoiceControl : public GKindControl<GFeatureControl::kList> {
public:
    using GKindControl::GKindControl;
};

class GPaperTypeSourceControl : public GKindControl<GFeatureControl::kList> {
public:
    using GKindControl::GKindControl;
};

class GInstallableTraysControl : public GKindControl<GFeatureControl::kInert> {
public:
    using GKindControl::GKindControl;
};

class GOutputOptionsControl : public GKindControl<GFeatureControl::kInert> {
public:
    using GKindControl::GKindControl;
};

class GStapleControl : public GKindControl<GFeatureControl::kList> {
public:
    using GKindControl::GKindControl;
};

class GOutputBinsControl : public GKindControl<GFeatureControl::kInert> {
public:
    using GKindControl::GKindControl;
};

class GJobNotificationControl : public GKindControl<GFeatureControl::kCheck> {
public:
    using GKindControl::GKindControl;
};

class GJobNameExistsControl : public GKindControl<GFeatureControl::kList> {
public:
    using GKindControl::GKindControl;
};

class GJobStorageModeControl : public GKindControl<GFeatureControl::kRadio> {
public:
    using GKindControl::GKindControl;
};

class GColorModeControl : public GKindControl<GFeatureControl::kRadio> {
public:
    using GKindControl::GKindControl;
};

class GGrayscaleControl : public GKindControl<GFeatureControl::kCheck> {
public:
    using GKindControl::GKindControl;
};

class GColorOptionControl : public GKindControl<GFeatureControl::kList> {
public:
    using GKindControl::GKindControl;
};

class GFormTrayAssignmentControl : public GKindControl<GFeatureControl::kList> {
public:
    using GKindControl::GKindControl;
};

class GModelNameControl : public GKindControl<GFeatureControl::kList> {
public:
    using GKindControl::GKindControl;
};

class GPrinterModelControl : public GKindControl<GFeatureControl::kCheck> {
public:
    using GKindControl::GKindControl;
};

class GManualDuplexControl : public GKindControl<GFeatureControl::kCheck> {
public:
    using GKindControl::GKindControl;
};

class GZadidiControl : public GKindControl<GFeatureControl::kCheck> {
public:
    using GKindControl::GKindControl;
};

class GPaperDestinationsControl : public GKindControl<GFeatureControl::kList> {
public:
    using GKindControl::GKindControl;
};

class GPaperSourcesControl : public GKindControl<GFeatureControl::kList> {
public:
    using GKindControl::GKindControl;
};

class GMemorySizeControl : public GKindControl<GFeatureControl::kEdit> {
public:
    using GKindControl::GKindControl;
};

class GTotalMemoryControl : public GKindControl<GFeatureControl::kEdit> {
public:
    using GKindControl::GKindControl;
};

class GHardDiskControl : public GKindControl<GFeatureControl::kCheck> {
public:
    using GKindControl::GKindControl;
};

class GScaleFromLargePaperControl : public GKindControl<GFeatureControl::kCheck> {
public:
    using GKindControl::GKindControl;
};

class GLetterheadModeControl : public GKindControl<GFeatureControl::kCheck> {
public:
    using GKindControl::GKindControl;
};

class GIgnoreCollationControl : public GKindControl<GFeatureControl::kCheck> {
public:
    using GKindControl::GKindControl;
};

class GFontCardsControl : public GKindControl<GFeatureControl::kCheck> {
public:
    using GKindControl::GKindControl;
};

class GIncludeTypesControl : public GKindControl<GFeatureControl::kCheck> {
public:
    using GKindControl::GKindControl;
};

class GAddFontCardControl : public GKindControl<GFeatureControl::kEdit> {
public:
    using GKindControl::GKindControl;
};

class GConfigureFontCardsControl : public GKindControl<GFeatureControl::kCheck> {
public:
    using GKindControl::GKindControl;
};

// The About hotspot and button: a click shows the About box of its binding.
class GAboutButton : public GFeatureControl {
public:
    GAboutButton(GFeature* binding, const DialogItem* items) : GFeatureControl(binding, items, kButton) {}

protected:
    void OnButton(HWND dialog) override
    {
        if (auto* about = dynamic_cast<GAboutFeature*>(GetBinding()))
            about->Show(dialog);
    }
};

// The page preview; it draws nothing of its own yet.
class GPagePreviewControl : public GFeatureControl {
public:
    GPagePreviewControl(GFeature* binding, const DialogItem* items) : GFeatureControl(binding, items, kInert) {}
};

// The quick-set group: its list stays empty until quick sets are kept.
class GQuicksetControl : public GFeatureControl {
public:
    GQuicksetControl(GFeature* binding, const DialogItem* items) : GFeatureControl(binding, items, kList) {}
};

// A picture of the trays or bins; flag 1 makes it answer clicks.
class GClickableBitmapControl : public GFeatureControl {
public:
    GClickableBitmapControl(GFeature* binding, const DialogItem* items, uint32_t flag)
        : GFeatureControl(binding, items, kInert), flag_(flag)
    {
    }
    uint32_t GetFlag() const { return flag_; }

private:
    uint32_t flag_;
};

// The notice over one item: shown only while its rule has locked something. Kind 0
// draws the first icon pair, kind 1 the second.
class GConflictNoticeButton : public GFeatureControl {
public:
    GConflictNoticeButton(GFeature* binding, const DialogItem* items, uint32_t kind)
        : GFeatureControl(binding, items, kInert), noticeKind_(kind)
    {
    }
    uint32_t GetNoticeKind() const { return noticeKind_; }
    bool IsShown() const
    {
        auto* notice = dynamic_cast<GConflictNoticeFeature*>(GetBinding());
        GSheetContext* context = notice ? notice->GetContext() : nullptr;
        return context && context->IsRuleLocking(notice->GetRuleKey());
    }
    int OnMessage(HWND dialog, UINT message, WPARAM, LPARAM) override
    {
        if (message == WM_INITDIALOG)
            for (const DialogItem& item : GetItems())
                ShowWindow(GetDlgItem(dialog, item.itemId), IsShown() ? SW_SHOW : SW_HIDE);
        return 0;
    }

private:
    uint32_t noticeKind_;
};
