// The controls of the pages' features, one per binding, each of the kind its items ask
// for (see GFeatureControl), and the shared controls of the pages' tails.
#pragma once

#include "model/GFeatureIds.h"
#include "ui/framework/GAboutFeature.h"
#include "ui/framework/GSheetContext.h"
#include "ui/pages/GFeatureControl.h"
#include "ui/pages/PageFeatures.h"

#include <algorithm>

// A custom paper size's width or length, kept in tenths of a millimetre (1260, 1261) and
// shown in inches, or in millimetres while "Use Millimeters" is checked; each is the
// paper's own in every orientation and stays within the device's smallest and largest
// custom paper. The field settles as every number field does, in the unit shown. As the
// button that opens the dialog, OK there makes the custom size the job's paper (260).
class GPaperSizeControl : public GKindControl<GFeatureControl::kEdit> {
public:
    using GKindControl::GKindControl;
    // The width or the length: its items and the setting that keeps it.
    struct Dimension;

protected:
    bool DrivesItem(int itemId) const override { return itemId == kUseMillimetersItem; }
    void OnButton(HWND dialog) override;
    void Show(HWND dialog) override;
    int OnCommand(HWND dialog, int id, UINT code) override;
    // A dimension's field: its bounds and text in tenths of a millimetre, shown in the
    // unit the check box chooses; its setting is the dimension's own.
    void NumberBounds(HWND dialog, int id, int32_t& minimum, int32_t& maximum) const override;
    bool FieldValue(HWND dialog, int id, int32_t& value) const override;
    void FormatNumber(HWND dialog, int id, int32_t value, wchar_t* text, size_t size) const override;
    int ReadNumber(HWND dialog, int id, int32_t& value) const override;
    void WriteNumber(HWND dialog, int id, int32_t value) override;

private:
    static constexpr int kUseMillimetersItem = 2052;
    // The dimension whose edit field this control's table holds; null when none.
    const Dimension* Find(HWND dialog) const;
    // The dimension of the edit field; null for another item.
    static const Dimension* DimensionOf(int id);
    GSheetContext* Context() const;
    // The size with its unit's labels and bounds.
    void ShowSize(HWND dialog, const Dimension& dimension);
};

// A radio group whose buttons stand for the values, in table order.
template <uint16_t... Values>
class GRadioValuesControl : public GKindControl<GFeatureControl::kRadio> {
public:
    GRadioValuesControl(GFeature* binding, const DialogItem* items, Kind kind = kRadio)
        : GKindControl(binding, items, kind)
    {
        SetRadioValues({Values...});
    }
    GRadioValuesControl(GFeature* binding, const DialogItem* items, GModalDialog* dialog)
        : GKindControl(binding, items, dialog)
    {
    }
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

// Copies within the range the device accepts.
class GCopiesControl : public GKindControl<GFeatureControl::kEdit> {
public:
    GCopiesControl(GFeature* binding, const DialogItem* items, Kind kind = kEdit) : GKindControl(binding, items, kind)
    {
        SetRangeFeature(FeatureId::kCopiesRange);
    }
    GCopiesControl(GFeature* binding, const DialogItem* items, GModalDialog* dialog)
        : GKindControl(binding, items, dialog)
    {
    }
};

// Orientation in degrees (265): Portrait (0) or Landscape (90), each turned by 180
// degrees while the rotate box is checked.
class GOrientationControl : public GRadioValuesControl<0, 90> {
public:
    using GRadioValuesControl::GRadioValuesControl;

protected:
    bool DrivesItem(int itemId) const override { return true; }  // the rotate box
    void Show(HWND dialog) override
    {
        GFeatureControl::Show(dialog);
        uint16_t degrees = 0;
        const bool present = ReadValue(degrees) != 0;
        const std::vector<int> radios = RoleItems(dialog), checks = ItemsOfKind(dialog, kCheck);
        for (int check : checks)
            EnableWindow(GetDlgItem(dialog, check), present);
        if (!present || radios.size() < 2)
            return;
        const bool landscape = degrees == 90 || degrees == 270;
        CheckDlgButton(dialog, radios[0], landscape ? BST_UNCHECKED : BST_CHECKED);
        CheckDlgButton(dialog, radios[1], landscape ? BST_CHECKED : BST_UNCHECKED);
        if (!checks.empty())
            CheckDlgButton(dialog, checks[0], degrees >= 180 ? BST_CHECKED : BST_UNCHECKED);
    }
    int OnCommand(HWND dialog, int id, UINT code) override
    {
        const std::vector<int> radios = RoleItems(dialog), checks = ItemsOfKind(dialog, kCheck);
        const bool ours = std::find(radios.begin(), radios.end(), id) != radios.end() ||
                          std::find(checks.begin(), checks.end(), id) != checks.end();
        if (!ours)
            return 0;
        if (code == BN_CLICKED && radios.size() >= 2) {
            const bool landscape = IsDlgButtonChecked(dialog, radios[1]) == BST_CHECKED;
            const bool rotated = !checks.empty() && IsDlgButtonChecked(dialog, checks[0]) == BST_CHECKED;
            WriteValue(uint16_t((landscape ? 90 : 0) + (rotated ? 180 : 0)));
        }
        return 1;
    }
};

class GDocumentOptionsControl : public GKindControl<GFeatureControl::kInert> {
public:
    using GKindControl::GKindControl;
};

// Both-sides printing (253): off (0), bound along the side of the page (2, the long edge
// of a portrait page) or, with the pages flipped up, along its top (1). Offered only
// while the printer prints on both sides: its duplex unit is installed (308) or manual
// duplexing is allowed (245), as the device capabilities answer.
class GBothSidesControl : public GKindControl<GFeatureControl::kCheck> {
public:
    using GKindControl::GKindControl;

protected:
    static constexpr uint16_t kSideEdge = 2;
    static constexpr uint16_t kTopEdge = 1;
    bool Offered() const
    {
        GSheetContext* context = GetBinding() ? GetBinding()->GetContext() : nullptr;
        uint16_t unit = 0, manual = 0;
        return context && ((context->GetSettings().GetValue(FeatureId::kDuplexUnit, unit) && unit != 0) ||
                           (context->GetSettings().GetValue(FeatureId::kDuplexFallback, manual) && manual != 0));
    }
    void Show(HWND dialog) override
    {
        GFeatureControl::Show(dialog);
        uint16_t value = 0;
        const bool offered = ReadValue(value) != 0 && Offered();
        const std::vector<int> checks = RoleItems(dialog);
        if (checks.empty())
            return;
        // A printer that cannot print both sides prints one, whatever the settings held.
        if (!offered)
            value = 0, CheckDlgButton(dialog, checks[0], BST_UNCHECKED);
        EnableWindow(GetDlgItem(dialog, checks[0]), offered);
        if (checks.size() < 2)
            return;
        EnableWindow(GetDlgItem(dialog, checks[1]), offered && value != 0);
        CheckDlgButton(dialog, checks[1], value == kTopEdge ? BST_CHECKED : BST_UNCHECKED);
    }
    int OnCommand(HWND dialog, int id, UINT code) override
    {
        const std::vector<int> checks = RoleItems(dialog);
        if (std::find(checks.begin(), checks.end(), id) == checks.end())
            return 0;
        if (code == BN_CLICKED && Offered()) {
            const bool both = IsDlgButtonChecked(dialog, checks[0]) == BST_CHECKED;
            const bool flip = checks.size() > 1 && IsDlgButtonChecked(dialog, checks[1]) == BST_CHECKED;
            WriteValue(uint16_t(both ? (flip ? kTopEdge : kSideEdge) : 0));
            if (checks.size() > 1)
                EnableWindow(GetDlgItem(dialog, checks[1]), both);
        }
        return 1;
    }
};

class GBookletControl : public GKindControl<GFeatureControl::kList> {
public:
    using GKindControl::GKindControl;
};

// Pages per sheet (266) in the first list and, in the second, the order of the pages
// on the sheet (268).
class GPageBordersOrderControl : public GKindControl<GFeatureControl::kList> {
public:
    using GKindControl::GKindControl;

protected:
    GPageOrderFeature* Order() const
    {
        auto* feature = dynamic_cast<GPageBordersOrderFeature*>(GetBinding());
        return feature ? feature->GetOrder() : nullptr;
    }
    void Show(HWND dialog) override
    {
        GFeatureControl::Show(dialog);
        const std::vector<int> lists = RoleItems(dialog);
        GPageOrderFeature* order = Order();
        if (lists.size() < 2 || !order)
            return;
        uint16_t value = 0;
        std::vector<FeatureChoice> choices;
        const bool present = order->Read(value) != 0;
        order->GetChoices(choices);
        FillList(dialog, lists[1], choices, present ? value : uint16_t(0xFFFF), present);
    }
    int OnCommand(HWND dialog, int id, UINT code) override
    {
        const std::vector<int> lists = RoleItems(dialog);
        if (lists.size() >= 2 && id == lists[1]) {
            uint16_t value = 0;
            if (code == CBN_SELCHANGE && Order() && SelectedValue(dialog, id, value))
                Order()->Write(value);
            return 1;
        }
        return GFeatureControl::OnCommand(dialog, id, code);
    }
};

// Default or custom print quality (910): the values the buttons stand for are the
// model's, which names none, so the group writes nothing.
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

// The rendering mode (255): automatic 0, vector 1, graphics as raster 2, page as raster 3.
class GSendAsRasterControl : public GRadioValuesControl<0, 1, 2, 3> {
public:
    using GRadioValuesControl::GRadioValuesControl;
};

class GRasterCompressionControl : public GKindControl<GFeatureControl::kList> {
public:
    using GKindControl::GKindControl;
};

// The scale percentage within the range the device accepts.
class GScalePercentControl : public GKindControl<GFeatureControl::kEdit> {
public:
    GScalePercentControl(GFeature* binding, const DialogItem* items, Kind kind = kEdit)
        : GKindControl(binding, items, kind)
    {
        SetRangeFeature(FeatureId::kScaleRange);
    }
    GScalePercentControl(GFeature* binding, const DialogItem* items, GModalDialog* dialog)
        : GKindControl(binding, items, dialog)
    {
    }
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

// The watermark's angle: diagonal 1, horizontal 0, a custom angle 4.
class GPageLayoutControl : public GRadioValuesControl<1, 0, 4> {
public:
    using GRadioValuesControl::GRadioValuesControl;
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

// The job storage mode (287) by its five buttons: Off 0, Proof and Hold 2, Stored Job 3,
// Private Job 4, Quick Copy 1, in the table's order.
class GJobStorageModeControl : public GRadioValuesControl<0, 2, 3, 4, 1> {
public:
    using GRadioValuesControl::GRadioValuesControl;
};

// The colour themes; as the button that opens Color Settings it is offered only while
// that dialog has a setting to show.
class GColorModeControl : public GKindControl<GFeatureControl::kRadio> {
public:
    using GKindControl::GKindControl;

protected:
    bool Opens() const override { return GetDialog() && HasLiveControl(GetDialog()); }
};

class GGrayscaleControl : public GKindControl<GFeatureControl::kCheck> {
public:
    using GKindControl::GKindControl;
};

class GColorOptionControl : public GKindControl<GFeatureControl::kList> {
public:
    using GKindControl::GKindControl;
};

// Form-to-tray assignment: the installed trays in the first list; for the selected tray
// its form in the second and its media type in the third, a choice in either writing the
// tray's row; the push button clears every row.
class GFormTrayAssignmentControl : public GKindControl<GFeatureControl::kList> {
public:
    using GKindControl::GKindControl;

protected:
    void Show(HWND dialog) override;
    int OnCommand(HWND dialog, int id, UINT code) override;

private:
    GFormTrayAssignmentFeature* Table() const { return dynamic_cast<GFormTrayAssignmentFeature*>(GetBinding()); }
    // The form and type of the selected tray; both lists disabled while none is.
    void ShowRow(HWND dialog);
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

// The optional devices of a kind in a list of several selections: a selected device is
// installed. A change is shown as the settings took it.
class GOptionalDevicesControl : public GKindControl<GFeatureControl::kList> {
public:
    using GKindControl::GKindControl;

protected:
    void Show(HWND dialog) override;
    int OnCommand(HWND dialog, int id, UINT code) override;

private:
    GOptionalDevicesFeature* Devices() const { return dynamic_cast<GOptionalDevicesFeature*>(GetBinding()); }
};

class GPaperDestinationsControl : public GOptionalDevicesControl {
public:
    using GOptionalDevicesControl::GOptionalDevicesControl;
};

class GPaperSourcesControl : public GOptionalDevicesControl {
public:
    using GOptionalDevicesControl::GOptionalDevicesControl;
};

class GMemorySizeControl : public GKindControl<GFeatureControl::kEdit> {
public:
    using GKindControl::GKindControl;
};

class GTotalMemoryControl : public GKindControl<GFeatureControl::kEdit> {
public:
    using GKindControl::GKindControl;
};

// The printer hard disk in the first check box and job storage in the second (the
// printer may keep stored jobs in its memory as well as on a disk).
class GHardDiskControl : public GKindControl<GFeatureControl::kCheck> {
public:
    using GKindControl::GKindControl;

protected:
    void Show(HWND dialog) override;
    int OnCommand(HWND dialog, int id, UINT code) override;

private:
    GValueFeature* JobStorage() const
    {
        auto* disk = dynamic_cast<GHardDiskFeature*>(GetBinding());
        return disk ? disk->GetJobStorage() : nullptr;
    }
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

// Font cards (317): the check box says whether the printer has font cards, and the
// button that opens Configure Font Cards is offered while it has: cards can then be
// configured.
class GFontCardsControl : public GKindControl<GFeatureControl::kCheck> {
public:
    using GKindControl::GKindControl;
    // Live while cards can be configured, whatever Configure Font Cards holds yet.
    bool IsLive() const override { return Opens(); }

protected:
    bool Opens() const override { return GetDialog() && CardsOn(); }
    bool DrivesItem(int itemId) const override { return itemId == kCardsItem; }
    void Show(HWND dialog) override
    {
        GFeatureControl::Show(dialog);
        uint16_t cards = 0;
        const bool present = ReadValue(cards) != 0;
        EnableWindow(GetDlgItem(dialog, kCardsItem), present);
        EnableWindow(GetDlgItem(dialog, kConfigureItem), IsLive());
        if (present)
            CheckDlgButton(dialog, kCardsItem, cards ? BST_CHECKED : BST_UNCHECKED);
    }
    int OnCommand(HWND dialog, int id, UINT code) override
    {
        if (id != kCardsItem)
            return GFeatureControl::OnCommand(dialog, id, code);
        if (code == BN_CLICKED) {
            WriteValue(IsDlgButtonChecked(dialog, id) == BST_CHECKED ? 1 : 0);
            // The button follows the box.
            Show(dialog);
        }
        return 1;
    }

private:
    static constexpr int kCardsItem = 7047;
    static constexpr int kConfigureItem = 7048;
    bool CardsOn() const
    {
        uint16_t cards = 0;
        return ReadValue(cards) && cards != 0;
    }
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
    bool Opens() const override { return true; }
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
        if (message == WM_INITDIALOG || message == kShowSettingsMessage)
            for (const DialogItem& item : GetItems())
                ShowWindow(GetDlgItem(dialog, item.itemId), IsShown() ? SW_SHOW : SW_HIDE);
        return 0;
    }

private:
    uint32_t noticeKind_;
};
