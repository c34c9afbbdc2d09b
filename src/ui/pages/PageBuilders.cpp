#include "ui/pages/PageBuilders.h"

#include "entry/sheet/GCPSOSUI.h"
#include "model/GFeatureIds.h"
#include "pdl/pcl5e/GPcl5e.h"
#include "pdl/pjl_xl/GCheetah.h"
#include "printer/GDriverObject.h"
#include "entry/sheet/GUIData.h"
#include "printer/GOSFactory.h"
#include "ui/framework/GModalDialog.h"
#include "ui/framework/GPropertyPage.h"
#include "ui/framework/ResourceLibrary.h"
#include "ui/pages/PageControls.h"

namespace PageBuilders {
namespace {

enum WriterCondition { kAnyWriter, kPcl5eOnly, kNotPcl5e };

struct SubDialogTable;

typedef GFeature* (*BindingMaker)(GSheetContext* context);
typedef GDialogControl* (*ControlMaker)(GFeature* binding, const DialogItem* items, GModalDialog* dialog, bool opens);

// One row of a page's table: its items with their help ids, the binding, the control,
// the writer it needs, the sub-dialog its button opens and whether it comes after the
// help-id table. A row without a binding stands for the common tail.
struct ControlRow {
    const DialogItem* items;
    BindingMaker binding;
    ControlMaker control;
    WriterCondition condition;
    const SubDialogTable* opens;
    bool afterHelpTable;
    int32_t opener = 0;  // the item that opens the sub-dialog; 0: the row's first button
};

// A sub-dialog: dialog id (0: chosen by the writer), help id and rows.
struct SubDialogTable {
    uint16_t dialogId;
    uint32_t helpId;
    const ControlRow* rows;
    size_t count;
};

template <class F>
GFeature* Bind(GSheetContext* context)
{
    return new F(context);
}

template <uint32_t Rule, uint32_t Message>
GFeature* Notice(GSheetContext* context)
{
    return new GConflictNoticeFeature(context, Rule, Message);
}

template <uint16_t Option, uint16_t Object, uint16_t Kind>
GFeature* ColorOption(GSheetContext* context)
{
    return new GColorOptionFeature(context, Option, Object, Kind);
}

// A named control: a button that opens its row's sub-dialog, else of its own kind.
template <class C>
GDialogControl* Own(GFeature* binding, const DialogItem* items, GModalDialog* dialog, bool opens)
{
    return opens ? new C(binding, items, dialog) : new C(binding, items);
}

template <class C, GFeatureControl::Kind K>
GDialogControl* OwnKind(GFeature* binding, const DialogItem* items, GModalDialog*, bool)
{
    return new C(binding, items, K);
}

template <class C>
GDialogControl* OpenButton(GFeature* binding, const DialogItem* items, GModalDialog* dialog, bool)
{
    return new C(binding, items, dialog);
}

GDialogControl* AboutButton(GFeature* binding, const DialogItem* items, GModalDialog*, bool)
{
    return new GAboutButton(binding, items);
}

GDialogControl* Preview(GFeature* binding, const DialogItem* items, GModalDialog*, bool)
{
    return new GPagePreviewControl(binding, items);
}

template <uint32_t Kind>
GDialogControl* NoticeButton(GFeature* binding, const DialogItem* items, GModalDialog*, bool)
{
    return new GConflictNoticeButton(binding, items, Kind);
}

template <uint32_t Flag>
GDialogControl* BitmapPicture(GFeature* binding, const DialogItem* items, GModalDialog*, bool)
{
    return new GClickableBitmapControl(binding, items, Flag);
}

// The Paper page's trays answer clicks while the form-to-tray table holds nothing of the
// user's own.
GDialogControl* TrayPicture(GFeature* binding, const DialogItem* items, GModalDialog*, bool)
{
    GSheetContext* context = binding ? binding->GetContext() : nullptr;
    GUIData* data = context ? context->GetGUIData() : nullptr;
    GDriverObject* driver = data ? data->driverUI : nullptr;
    return new GClickableBitmapControl(binding, items, !driver || !driver->FormTableCustomized() ? 1 : 0);
}

extern const SubDialogTable kQualityDetails;
extern const SubDialogTable kWatermarkDetails;
extern const SubDialogTable kCustomPaperSize;
extern const SubDialogTable kColorSettings;
extern const SubDialogTable kMoreOptions;
extern const SubDialogTable kFontCardError;
extern const SubDialogTable kAddFontCard;
extern const SubDialogTable kConfigureFontCards;

const DialogItem kQualityDetailsItems1[] = {{9002, -1}, {9001, -1}, {0, 0}};
const DialogItem kQualityDetailsItems2[] = {{9015, 331}, {9007, -1}, {9, 1300}, {0, 0}};
const DialogItem kQualityDetailsItems3[] = {{6044, 346}, {0, 0}};
const DialogItem kQualityDetailsItems4[] = {{7074, -1}, {0, 0}};
const DialogItem kQualityDetailsItems5[] = {{3021, 313}, {9003, -1}, {0, 0}};
const DialogItem kQualityDetailsItems6[] = {{3023, -1}, {0, 0}};
const DialogItem kQualityDetailsItems7[] = {{9020, 334}, {9021, 335}, {9022, 336}, {9023, 337},
                                            {9024, 338}, {9004, -1},  {0, 0}};
const DialogItem kQualityDetailsItems8[] = {{9033, -1}, {0, 0}};
const DialogItem kQualityDetailsItems9[] = {{9034, -1}, {0, 0}};
const DialogItem kQualityDetailsItems10[] = {{1002, 327}, {1005, 327}, {9010, -1}, {0, 0}};
const DialogItem kWatermarkItems1[] = {{5012, 515}, {5014, 516}, {5019, 517}, {5027, 523}, {5011, 515}, {5026, 523},
                                       {5013, 516}, {5018, 517}, {5010, -1},  {9, 1300},   {0, 0}};
const DialogItem kWatermarkItems2[] = {{6533, -1}, {0, 0}};
const DialogItem kWatermarkItems3[] = {{5002, 510}, {5003, 511}, {5004, 512}, {5006, 521},
                                       {5001, -1},  {5005, -1},  {0, 0}};
const DialogItem kWatermarkItems4[] = {{5016, 518}, {5017, 518}, {5015, 518}, {0, 0}};
const DialogItem kWatermarkItems5[] = {{5008, 513}, {5009, 514}, {5021, 519}, {5022, 520},
                                       {5028, 524}, {5007, -1},  {0, 0}};
const DialogItem kWatermarkItems6[] = {{5020, -1}, {0, 0}};
const DialogItem kWatermarkItems7[] = {{1070, 901}, {0, 0}};
const DialogItem kCustomPaperItems1[] = {{2050, 218}, {2051, 217}, {8, 221}, {2049, -1}, {9, 1300}, {0, 0}};
const DialogItem kCustomPaperItems2[] = {{11421, 211}, {11422, 211}, {11431, -1}, {11433, -1}, {2054, 211}, {0, 0}};
const DialogItem kCustomPaperItems3[] = {{11411, 212}, {11412, 212}, {11430, -1}, {11432, -1}, {2053, 212}, {11413, -1},
                                         {11414, -1},  {11423, -1},  {11424, -1}, {2055, -1},  {0, 0}};
const DialogItem kCustomPaperItems4[] = {{2052, 213}, {0, 0}};
const DialogItem kColorSettingsItems1[] = {{13508, 1208}, {13507, 1208}, {13520, -1}, {0, 0}};
const DialogItem kColorSettingsItems2[] = {{13708, 1215}, {13705, 1215}, {0, 0}};
const DialogItem kColorSettingsItems3[] = {{13513, 1208}, {13512, 1208}, {13521, -1}, {0, 0}};
const DialogItem kColorSettingsItems4[] = {{13709, 1215}, {13706, 1215}, {0, 0}};
const DialogItem kColorSettingsItems5[] = {{13518, 1208}, {13517, 1208}, {13522, -1}, {0, 0}};
const DialogItem kColorSettingsItems6[] = {{13710, 1215}, {13707, 1215}, {0, 0}};
const DialogItem kColorSettingsItems7[] = {{13703, 1216}, {13701, 1216}, {13700, -1}, {9, 1300}, {0, 0}};
const DialogItem kColorSettingsItems8[] = {{13523, -1}, {13524, -1}, {0, 0}};
const DialogItem kMoreOptionsItems1[] = {{7041, 608}, {7042, 608}, {7043, 608}, {0, 0}};
const DialogItem kMoreOptionsItems2[] = {{7091, 611}, {7092, 611}, {7093, 611}, {7040, -1}, {0, 0}};
const DialogItem kMoreOptionsItems3[] = {{7046, 610}, {7061, 617}, {7070, -1}, {0, 0}};
const DialogItem kMoreOptionsItems4[] = {{7066, -1}, {0, 0}};
const DialogItem kMoreOptionsItems5[] = {{7055, 627}, {7054, -1}, {0, 0}};
const DialogItem kMoreOptionsItems6[] = {{7076, 634}, {7075, -1}, {0, 0}};
const DialogItem kMoreOptionsItems7[] = {{7077, -1}, {0, 0}};
const DialogItem kMoreOptionsItems8[] = {{7062, 307}, {7065, -1}, {9, 1300}, {0, 0}};
const DialogItem kMoreOptionsItems9[] = {{7071, -1}, {7047, 614}, {7048, 615}, {9, 1300}, {0, 0}};
const DialogItem kMoreOptionsItems10[] = {{7069, 633}, {7068, -1}, {0, 0}};
const DialogItem kMoreOptionsItems11[] = {{7073, -1}, {0, 0}};
const DialogItem kFontCardErrorItems1[] = {{7303, -1}, {7306, -1}, {7309, -1}, {1, 1302}, {0, 0}};
const DialogItem kAddFontCardItems1[] = {{7204, 626}, {7205, 624}, {7201, 625}, {1, 1302},
                                         {7203, 626}, {7206, 624}, {0, 0}};
const DialogItem kConfigureFontCardsItems1[] = {{7105, 620}, {7106, 623}, {7109, 621}, {7107, 622}, {7110, 619},
                                                {1, 1302},   {2, 1301},   {7104, 620}, {7108, 621}, {7102, -1},
                                                {7103, -1},  {7101, -1},  {9, 1300},   {0, 0}};
const DialogItem kBasicsItems1[] = {{1021, 101}, {1022, 101}, {1024, 101}, {1023, 101}, {1020, -1}, {0, 0}};
const DialogItem kBasicsItems2[] = {{1031, 102}, {1032, 103}, {1033, 104}, {1030, -1}, {0, 0}};
const DialogItem kBasicsItems3[] = {{1050, 105}, {0, 0}};
const DialogItem kFinishingItems1[] = {{3010, -1}, {3030, -1}, {0, 0}};
const DialogItem kFinishingItems2[] = {{3011, 302}, {3012, 303}, {0, 0}};
const DialogItem kFinishingItems3[] = {{3013, -1}, {0, 0}};
const DialogItem kFinishingItems4[] = {{3024, 301}, {3025, 301}, {0, 0}};
const DialogItem kFinishingItems5[] = {{3026, -1}, {0, 0}};
const DialogItem kFinishingItems6[] = {{3015, 323}, {3017, 323}, {3019, 324}, {3040, 325}, {3041, 325}, {0, 0}};
const DialogItem kFinishingItems7[] = {{3018, -1}, {0, 0}};
const DialogItem kFinishingItems8[] = {{3031, 310}, {3033, 312}, {0, 0}};
const DialogItem kFinishingItems9[] = {{3034, 321}, {0, 0}};
const DialogItem kEffectsItems1[] = {{6021, 505}, {6022, 505}, {6023, 506}, {0, 0}};
const DialogItem kEffectsItems2[] = {{6025, -1}, {0, 0}};
const DialogItem kEffectsItems3[] = {{6024, 507}, {6033, 508}, {6034, 509}, {6020, -1}, {0, 0}};
const DialogItem kEffectsItems4[] = {{6026, -1}, {0, 0}};
const DialogItem kEffectsItems5[] = {{6012, 503}, {0, 0}};
const DialogItem kEffectsItems6[] = {{6011, 501}, {6010, -1}, {0, 0}};
const DialogItem kEffectsItems7[] = {{6013, 502}, {0, 0}};
const DialogItem kPaperItems1[] = {{11586, 214}, {11555, -1}, {0, 0}};
const DialogItem kPaperItems2[] = {{11553, 223}, {0, 0}};
const DialogItem kPaperItems3[] = {{2064, -1}, {0, 0}};
const DialogItem kPaperItems4[] = {{11554, 224}, {0, 0}};
const DialogItem kPaperItems5[] = {{11585, -1}, {0, 0}};
const DialogItem kPaperItems6[] = {{2015, 202}, {2014, 215}, {2013, 202}, {0, 0}};
const DialogItem kPaperItems7[] = {{2024, -1}, {0, 0}};
const DialogItem kPaperItems8[] = {{2016, 206}, {0, 0}};
const DialogItem kPaperItems9[] = {{11582, 203}, {11581, 203}, {0, 0}};
const DialogItem kPaperItems10[] = {{11584, 205}, {11583, 205}, {0, 0}};
const DialogItem kPaperItems11[] = {{12138, -1}, {0, 0}};
const DialogItem kPaperItems12[] = {{2021, 210}, {0, 0}};
const DialogItem kPaperItems13[] = {{2025, -1}, {0, 0}};
const DialogItem kOutputItems1[] = {{16001, -1}, {0, 0}};
const DialogItem kOutputItems2[] = {{16003, 308}, {3602, -1}, {16002, 308}, {0, 0}};
const DialogItem kOutputItems3[] = {{3028, -1}, {0, 0}};
const DialogItem kOutputItems4[] = {{2021, 401}, {0, 0}};
const DialogItem kJobStorageItems1[] = {{5417, 434}, {0, 0}};
const DialogItem kJobStorageItems2[] = {{18023, 436}, {18022, 436}, {0, 0}};
const DialogItem kJobStorageItems3[] = {
    {18003, 413}, {18008, 421}, {18004, 415}, {18007, 416}, {18005, 417}, {18018, 420}, {18011, 418}, {18012, 419},
    {18013, 419}, {18019, -1},  {18014, -1},  {18006, 414}, {5410, 430},  {5411, 431},  {5415, -1},   {5412, 432},
    {5413, 433},  {5414, -1},   {18002, -1},  {18001, -1},  {5416, -1},   {18016, -1},  {0, 0}};
const DialogItem kColorItems1[] = {{14002, 1205}, {14003, 1206}, {14005, -1}, {0, 0}};
const DialogItem kColorItems2[] = {{14004, 1207}, {0, 0}};
const DialogItem kColorItems3[] = {{14116, 1211}, {0, 0}};
const DialogItem kColorItems4[] = {{14118, -1}, {0, 0}};
const DialogItem kColorItems5[] = {{13531, 1217}, {13702, 1217}, {0, 0}};
const DialogItem kNTFormsItems1[] = {{12003, 701}, {12006, 702}, {12008, 703}, {12009, 704}, {12002, 701},
                                     {12005, 702}, {12007, 703}, {12001, -1},  {12010, -1},  {12004, -1},
                                     {12011, -1},  {12012, -1},  {0, 0}};
const DialogItem kConfigureItems1[] = {{7013, 612}, {7010, -1}, {0, 0}};
const DialogItem kConfigureItems2[] = {{7026, 607}, {7020, -1}, {0, 0}};
const DialogItem kConfigureItems3[] = {{7023, 630}, {0, 0}};
const DialogItem kConfigureItems4[] = {{7024, 609}, {0, 0}};
const DialogItem kConfigureItems5[] = {{7025, -1}, {0, 0}};
const DialogItem kConfigureItems6[] = {{7033, 602}, {7034, 602}, {0, 0}};
const DialogItem kConfigureItems7[] = {{7037, 604}, {7038, 604}, {0, 0}};
const DialogItem kConfigureItems8[] = {{7049, 6180}, {7045, -1}, {0, 0}};
const DialogItem kConfigureItems9[] = {{7052, 605}, {7050, -1}, {0, 0}};
const DialogItem kConfigureItems10[] = {{2021, 606}, {0, 0}};

const ControlRow kQualityDetailsRows[] = {
    {kQualityDetailsItems1, Bind<GQualityCurrentSettingFeature>, Own<GQualityCurrentSettingControl>, kAnyWriter,
     nullptr, false},
    {kQualityDetailsItems2, Bind<GWysiwygPatternsFeature>, Own<GWysiwygPatternsControl>, kAnyWriter, nullptr, false},
    {kQualityDetailsItems3, Bind<GScalePatternsFeature>, Own<GScalePatternsControl>, kAnyWriter, nullptr, false},
    {kQualityDetailsItems4, Notice<0x400000A7, 0x400000A8>, NoticeButton<0>, kPcl5eOnly, nullptr, false},
    {kQualityDetailsItems5, Bind<GTrueTypeAsBitmapFeature>, Own<GTrueTypeAsBitmapControl>, kAnyWriter, nullptr, false},
    {kQualityDetailsItems6, Notice<0x4000003B, 0x4000003C>, NoticeButton<0>, kAnyWriter, nullptr, false},
    {kQualityDetailsItems7, Bind<GSendAsRasterFeature>, Own<GSendAsRasterControl>, kPcl5eOnly, nullptr, false},
    {kQualityDetailsItems8, Notice<0x400000A3, 0x400000A4>, NoticeButton<0>, kPcl5eOnly, nullptr, false},
    {kQualityDetailsItems9, Notice<0x400000A5, 0x400000A6>, NoticeButton<0>, kPcl5eOnly, nullptr, true},
    {kQualityDetailsItems10, Bind<GRasterCompressionFeature>, Own<GRasterCompressionControl>, kNotPcl5e, nullptr,
     false},
};

const ControlRow kWatermarkRows[] = {
    {kWatermarkItems1, Bind<GWatermarkFontFeature>, Own<GWatermarkFontControl>, kAnyWriter, nullptr, false},
    {kWatermarkItems2, Notice<0x4000009F, 0x400000A0>, NoticeButton<0>, kAnyWriter, nullptr, false},
    {kWatermarkItems3, Bind<GWatermarkFontFeature>, Own<GWatermarkFontControl>, kAnyWriter, nullptr, false},
    {kWatermarkItems4, Bind<GWatermarkFontFeature>, Own<GWatermarkFontControl>, kAnyWriter, nullptr, false},
    {kWatermarkItems5, Bind<GPageLayoutFeature>, Own<GPageLayoutControl>, kAnyWriter, nullptr, false},
    {kWatermarkItems6, Notice<0x40000048, 0x40000049>, NoticeButton<0>, kAnyWriter, nullptr, false},
    {kWatermarkItems7, Bind<GPagePreviewFeature>, Preview, kAnyWriter, nullptr, false},
};

const ControlRow kCustomPaperRows[] = {
    {kCustomPaperItems1, Bind<GPaperSizeFeature>, Own<GPaperSizeControl>, kAnyWriter, nullptr, false},
    {kCustomPaperItems2, Bind<GPaperSizeFeature>, Own<GPaperSizeControl>, kAnyWriter, nullptr, false},
    {kCustomPaperItems3, Bind<GPaperSizeFeature>, Own<GPaperSizeControl>, kAnyWriter, nullptr, false},
    {kCustomPaperItems4, Bind<GPaperSizeFeature>, Own<GPaperSizeControl>, kAnyWriter, nullptr, false},
};

const ControlRow kColorSettingsRows[] = {
    {kColorSettingsItems1, ColorOption<530, 0, 1>, Own<GColorOptionControl>, kAnyWriter, nullptr, false},
    {kColorSettingsItems2, ColorOption<540, 0, 0>, Own<GColorOptionControl>, kAnyWriter, nullptr, false},
    {kColorSettingsItems3, ColorOption<531, 1, 1>, Own<GColorOptionControl>, kAnyWriter, nullptr, false},
    {kColorSettingsItems4, ColorOption<541, 1, 0>, Own<GColorOptionControl>, kAnyWriter, nullptr, false},
    {kColorSettingsItems5, ColorOption<532, 2, 1>, Own<GColorOptionControl>, kAnyWriter, nullptr, false},
    {kColorSettingsItems6, ColorOption<542, 2, 0>, Own<GColorOptionControl>, kAnyWriter, nullptr, false},
    {kColorSettingsItems7, ColorOption<544, 3, 2>, Own<GColorOptionControl>, kAnyWriter, nullptr, false},
    {kColorSettingsItems8, Bind<GColorModeFeature>, OwnKind<GColorModeControl, GFeatureControl::kInert>, kAnyWriter,
     nullptr, false},
};

const ControlRow kMoreOptionsRows[] = {
    {kMoreOptionsItems1, Bind<GMemorySizeFeature>, Own<GMemorySizeControl>, kAnyWriter, nullptr, false},
    {kMoreOptionsItems2, Bind<GTotalMemoryFeature>, Own<GTotalMemoryControl>, kAnyWriter, nullptr, false},
    {kMoreOptionsItems3, Bind<GHardDiskFeature>, Own<GHardDiskControl>, kAnyWriter, nullptr, false},
    {kMoreOptionsItems4, Notice<0x4000007A, 0x4000006E>, NoticeButton<0>, kAnyWriter, nullptr, false},
    {kMoreOptionsItems5, Bind<GScaleFromLargePaperFeature>, Own<GScaleFromLargePaperControl>, kAnyWriter, nullptr,
     false},
    {kMoreOptionsItems6, Bind<GLetterheadModeFeature>, Own<GLetterheadModeControl>, kAnyWriter, nullptr, false},
    {kMoreOptionsItems7, Notice<0x400000BF, 0x400000C0>, NoticeButton<0>, kAnyWriter, nullptr, false},
    {kMoreOptionsItems8, Bind<GIgnoreCollationFeature>, Own<GIgnoreCollationControl>, kAnyWriter, nullptr, false},
    {kMoreOptionsItems9, Bind<GFontCardsFeature>, Own<GFontCardsControl>, kAnyWriter, &kConfigureFontCards, false},
    {kMoreOptionsItems10, Bind<GIncludeTypesFeature>, Own<GIncludeTypesControl>, kAnyWriter, nullptr, false},
    {kMoreOptionsItems11, Notice<0x40000097, 0x40000098>, NoticeButton<0>, kAnyWriter, nullptr, false},
};

const ControlRow kFontCardErrorRows[] = {
    {kFontCardErrorItems1, Bind<GFeature>, OwnKind<GFeatureControl, GFeatureControl::kInert>, kAnyWriter, nullptr,
     false},
};

const ControlRow kAddFontCardRows[] = {
    {kAddFontCardItems1, Bind<GAddFontCardFeature>, Own<GAddFontCardControl>, kAnyWriter, nullptr, false},
};

const ControlRow kConfigureFontCardsRows[] = {
    {kConfigureFontCardsItems1, Bind<GConfigureFontCardsFeature>, Own<GConfigureFontCardsControl>, kAnyWriter,
     &kAddFontCard, false, 7110},
};

const SubDialogTable kQualityDetails = {0, 332, kQualityDetailsRows,
                                       sizeof kQualityDetailsRows / sizeof kQualityDetailsRows[0]};
const SubDialogTable kWatermarkDetails = {5000, 522, kWatermarkRows, sizeof kWatermarkRows / sizeof kWatermarkRows[0]};
const SubDialogTable kCustomPaperSize = {8000, 219, kCustomPaperRows,
                                        sizeof kCustomPaperRows / sizeof kCustomPaperRows[0]};
const SubDialogTable kColorSettings = {14501, 1212, kColorSettingsRows,
                                      sizeof kColorSettingsRows / sizeof kColorSettingsRows[0]};
const SubDialogTable kMoreOptions = {7500, 618, kMoreOptionsRows, sizeof kMoreOptionsRows / sizeof kMoreOptionsRows[0]};
const SubDialogTable kFontCardError = {7300, 0, kFontCardErrorRows,
                                      sizeof kFontCardErrorRows / sizeof kFontCardErrorRows[0]};
const SubDialogTable kAddFontCard = {7200, 0, kAddFontCardRows, sizeof kAddFontCardRows / sizeof kAddFontCardRows[0]};
const SubDialogTable kConfigureFontCards = {7100, 616, kConfigureFontCardsRows,
                                           sizeof kConfigureFontCardsRows / sizeof kConfigureFontCardsRows[0]};

const ControlRow kBasicsRows[] = {
    {kBasicsItems1, Bind<GCopiesFeature>, Own<GCopiesControl>, kAnyWriter, nullptr, false},
    {kBasicsItems2, Bind<GOrientationFeature>, Own<GOrientationControl>, kAnyWriter, nullptr, false},
    {kBasicsItems3, Bind<GAboutFeature>, AboutButton, kAnyWriter, nullptr, false},
};

const ControlRow kFinishingRows[] = {
    {kFinishingItems1, Bind<GDocumentOptionsFeature>, Own<GDocumentOptionsControl>, kAnyWriter, nullptr, false},
    {kFinishingItems2, Bind<GBothSidesFeature>, Own<GBothSidesControl>, kAnyWriter, nullptr, false},
    {kFinishingItems3, Notice<0x4000001B, 0x4000001C>, NoticeButton<0>, kAnyWriter, nullptr, false},
    {kFinishingItems4, Bind<GBookletFeature>, Own<GBookletControl>, kAnyWriter, nullptr, false},
    {kFinishingItems5, Notice<0x40000027, 0x40000028>, NoticeButton<0>, kAnyWriter, nullptr, false},
    {kFinishingItems6, Bind<GPageBordersOrderFeature>, Own<GPageBordersOrderControl>, kAnyWriter, nullptr, false},
    {kFinishingItems7, Notice<0x40000023, 0x40000024>, NoticeButton<0>, kAnyWriter, nullptr, false},
    {kFinishingItems8, Bind<GDefaultCustomFeature>, Own<GDefaultCustomControl>, kAnyWriter, nullptr, false},
    {kFinishingItems9, Bind<GQualityCurrentSettingFeature>, Own<GQualityCurrentSettingControl>, kAnyWriter,
     &kQualityDetails, false},
};

const ControlRow kEffectsRows[] = {
    {kEffectsItems1, Bind<GScalePercentFeature>, Own<GScalePercentControl>, kAnyWriter, nullptr, false},
    {kEffectsItems2, Notice<0x40000025, 0x40000026>, NoticeButton<0>, kAnyWriter, nullptr, false},
    {kEffectsItems3, Bind<GFitToPaperFeature>, Own<GFitToPaperControl>, kAnyWriter, nullptr, false},
    {kEffectsItems4, Notice<0x40000029, 0x4000002A>, NoticeButton<0>, kAnyWriter, nullptr, false},
    {kEffectsItems5, Bind<GFirstPageOnlyFeature>, Own<GFirstPageOnlyControl>, kAnyWriter, nullptr, false},
    {kEffectsItems6, Bind<GWatermarkListFeature>, Own<GWatermarkListControl>, kAnyWriter, nullptr, false},
    {kEffectsItems7, Bind<GWatermarkFontFeature>, Own<GWatermarkFontControl>, kAnyWriter, &kWatermarkDetails, false},
};

const ControlRow kPaperRows[] = {
    {kPaperItems1, Bind<GDifferentPaperFeature>, Own<GDifferentPaperControl>, kAnyWriter, nullptr, false},
    {kPaperItems2, Bind<GPaperOption11553Feature>, Own<GPaperOption11553Control>, kAnyWriter, nullptr, false},
    {kPaperItems3, Notice<0x4000007C, 0x4000007D>, NoticeButton<0>, kAnyWriter, nullptr, false},
    {kPaperItems4, Bind<GCoverPagesFeature>, Own<GCoverPagesControl>, kAnyWriter, nullptr, false},
    {kPaperItems5, Notice<0x40000071, 0x40000072>, NoticeButton<0>, kAnyWriter, nullptr, false},
    {kPaperItems6, Bind<GPaperSizeChoiceFeature>, Own<GPaperSizeChoiceControl>, kAnyWriter, nullptr, false},
    {kPaperItems7, Notice<0x40000037, 0x40000038>, NoticeButton<0>, kAnyWriter, nullptr, false},
    {kPaperItems8, Bind<GPaperSizeFeature>, Own<GPaperSizeControl>, kAnyWriter, &kCustomPaperSize, false},
    {kPaperItems9, Bind<GMediaTypeFeature>, Own<GMediaTypeControl>, kAnyWriter, nullptr, false},
    {kPaperItems10, Bind<GPaperTypeSourceFeature>, Own<GPaperTypeSourceControl>, kAnyWriter, nullptr, false},
    {kPaperItems11, Notice<0x40000091, 0x40000092>, NoticeButton<0>, kAnyWriter, nullptr, false},
    {kPaperItems12, Bind<GInstallableTraysFeature>, TrayPicture, kAnyWriter, nullptr, false},
    {kPaperItems13, Notice<0x40000039, 0x4000003A>, NoticeButton<1>, kAnyWriter, nullptr, false},
};

const ControlRow kOutputRows[] = {
    {kOutputItems1, Bind<GOutputOptionsFeature>, Own<GOutputOptionsControl>, kAnyWriter, nullptr, false},
    {kOutputItems2, Bind<GStapleFeature>, Own<GStapleControl>, kAnyWriter, nullptr, false},
    {kOutputItems3, Notice<0x4000002F, 0x40000030>, NoticeButton<0>, kAnyWriter, nullptr, false},
    {kOutputItems4, Bind<GOutputBinsFeature>, BitmapPicture<1>, kAnyWriter, nullptr, false},
};

const ControlRow kJobStorageRows[] = {
    {kJobStorageItems1, Bind<GJobNotificationFeature>, Own<GJobNotificationControl>, kAnyWriter, nullptr, false},
    {kJobStorageItems2, Bind<GJobNameExistsFeature>, Own<GJobNameExistsControl>, kAnyWriter, nullptr, false},
    {nullptr, nullptr, nullptr, kAnyWriter, nullptr, false},  // the tail, without a preview
    {kJobStorageItems3, Bind<GJobStorageModeFeature>, Own<GJobStorageModeControl>, kAnyWriter, nullptr, false},
};

const ControlRow kColorRows[] = {
    {kColorItems1, Bind<GColorModeFeature>, Own<GColorModeControl>, kAnyWriter, nullptr, false},
    {kColorItems2, Bind<GColorModeFeature>, Own<GColorModeControl>, kAnyWriter, &kColorSettings, false},
    {kColorItems3, Bind<GGrayscaleFeature>, Own<GGrayscaleControl>, kAnyWriter, nullptr, false},
    {kColorItems4, Notice<0x40000086, 0x40000087>, NoticeButton<0>, kAnyWriter, nullptr, false},
    {kColorItems5, ColorOption<549, 3, 3>, Own<GColorOptionControl>, kAnyWriter, nullptr, false},
};

const ControlRow kNTFormsRows[] = {
    {kNTFormsItems1, Bind<GFormTrayAssignmentFeature>, Own<GFormTrayAssignmentControl>, kAnyWriter, nullptr, false},
};

const ControlRow kConfigureRows[] = {
    {kConfigureItems1, Bind<GModelNameFeature>, Own<GModelNameControl>, kAnyWriter, nullptr, false},
    {kConfigureItems2, Bind<GPrinterModelFeature>, Own<GPrinterModelControl>, kAnyWriter, nullptr, false},
    {kConfigureItems3, Bind<GManualDuplexFeature>, Own<GManualDuplexControl>, kAnyWriter, nullptr, false},
    {kConfigureItems4, Bind<GZadidiFeature>, Own<GZadidiControl>, kAnyWriter, nullptr, false},
    {kConfigureItems5, Notice<0x4000006D, 0x4000006E>, NoticeButton<0>, kAnyWriter, nullptr, false},
    {kConfigureItems6, Bind<GPaperDestinationsFeature>, Own<GPaperDestinationsControl>, kAnyWriter, nullptr, false},
    {kConfigureItems7, Bind<GPaperSourcesFeature>, Own<GPaperSourcesControl>, kAnyWriter, nullptr, false},
    {kConfigureItems8, Bind<GFeature>, OpenButton<GFeatureControl>, kAnyWriter, &kMoreOptions, false},
    {kConfigureItems9, Bind<GAutoConfigFeature>, Own<GAutoConfigControl>, kAnyWriter, nullptr, false},
    {kConfigureItems10, Bind<GInstallableTraysFeature>, BitmapPicture<0>, kAnyWriter, nullptr, false},
};

// The common tail of the document pages.
const DialogItem kAboutItems[] = {{kAboutItem, -1}, {0, 0}};
const DialogItem kPreviewItems[] = {{1070, 901}, {0, 0}};
const DialogItem kQuicksetItems[] = {{1011, 902}, {1012, 903}, {1014, 904}, {1010, -1}, {0, 0}};
const DialogItem kNotice1013Items[] = {{1013, -1}, {0, 0}};
const DialogItem kNotice1015Items[] = {{1015, -1}, {0, 0}};
constexpr uint32_t kTailRule = 0x4000009D;
constexpr uint32_t kTailMessage = 0x4000009E;

bool IsWriter(GObjectBase* writer, RWClassID classId)
{
    return writer && writer->IsKindOf(classId);
}

bool Applies(WriterCondition condition, GObjectBase* writer)
{
    const bool pcl5e = IsWriter(writer, GPcl5e::kClassId);
    return condition == kAnyWriter || (condition == kPcl5eOnly) == pcl5e;
}

void AddTail(GDialogBase* page, GSheetContext* context, bool preview)
{
    page->AddControl(new GAboutButton(new GAboutFeature(context), kAboutItems));
    if (preview)
        page->AddControl(new GPagePreviewControl(new GPagePreviewFeature(context), kPreviewItems));
    page->AddControl(new GQuicksetControl(new GQuicksetFeature(context), kQuicksetItems));
    page->AddControl(
        new GConflictNoticeButton(new GConflictNoticeFeature(context, kTailRule, kTailMessage), kNotice1013Items, 1));
    page->AddControl(
        new GConflictNoticeButton(new GConflictNoticeFeature(context, kTailRule, kTailMessage), kNotice1015Items, 1));
}

GModalDialog* BuildSubDialog(const SubDialogTable& table, GSheetContext* context, bool hasHelp, GObjectBase* writer);

// Adds the rows' controls to the dialog; rows after the help-id table wait for it.
void AddRows(GDialogBase* dialog, const ControlRow* rows, size_t count, GSheetContext* context, bool hasHelp,
             GObjectBase* writer, bool tail, bool preview, bool helpTable)
{
    bool tailAdded = false;
    for (int pass = 0; pass < 2; ++pass) {
        for (size_t i = 0; i < count; ++i) {
            const ControlRow& row = rows[i];
            if (!row.binding) {
                if (pass == 0 && tail) {
                    AddTail(dialog, context, preview);
                    tailAdded = true;
                }
                continue;
            }
            if (row.afterHelpTable != (pass == 1) || !Applies(row.condition, writer))
                continue;
            GModalDialog* opened = row.opens ? BuildSubDialog(*row.opens, context, hasHelp, writer) : nullptr;
            GDialogControl* control = row.control(row.binding(context), row.items, opened, row.opens != nullptr);
            if (auto* button = dynamic_cast<GFeatureControl*>(control))
                if (row.opener)
                    button->SetOpener(row.opener);
            dialog->AddControl(control);
        }
        if (pass == 0) {
            if (tail && !tailAdded)
                AddTail(dialog, context, preview);
            if (helpTable)
                dialog->BuildHelpIdTable();
        }
    }
}

uint16_t DialogIdFor(const SubDialogTable& table, GObjectBase* writer)
{
    if (table.dialogId)
        return table.dialogId;
    if (IsWriter(writer, GPcl5e::kClassId))
        return kPcl5eDetailsDialog;
    if (IsWriter(writer, GCheetah::kClassId))
        return kCheetahDetailsDialog;
    return 0;
}

// The sub-dialog complete with its controls and help-id table; null when the writer has
// none.
GModalDialog* BuildSubDialog(const SubDialogTable& table, GSheetContext* context, bool hasHelp, GObjectBase* writer)
{
    const uint16_t dialogId = DialogIdFor(table, writer);
    if (!dialogId)
        return nullptr;
    auto* dialog = new GModalDialog(dialogId, context, hasHelp && table.helpId != 0, table.helpId);
    // The font-card error dialog is made before the rows that may show it.
    if (&table == &kMoreOptions)
        dialog->AddSubDialog(BuildSubDialog(kFontCardError, context, hasHelp, writer));
    AddRows(dialog, table.rows, table.count, context, hasHelp, writer, false, false, true);
    return dialog;
}

struct PageTable {
    uint16_t dialogId;
    uint32_t titleId;  // 0: a device page, titled by its dialog's caption
    uint32_t helpId;
    const ControlRow* rows;
    size_t count;
    bool documentPage;
};

GPropertyPage* Build(const PageTable& table, QZPageEntry* entry, GSheetContext* context, bool hasHelp,
                     GObjectBase* writer, bool preview = true, bool helpTable = true)
{
    if (!entry)
        return nullptr;
    if (table.titleId)
        entry->pszTitle = CopyTitle(table.titleId);
    auto* page =
        new GPropertyPage(entry, ResourceLibrary::GetResourceLibrary(), table.dialogId, context, hasHelp, table.helpId);
    AddRows(page, table.rows, table.count, context, hasHelp, writer, table.documentPage, preview, helpTable);
    if (!table.documentPage)
        page->AddControl(new GAboutButton(new GAboutFeature(context), kAboutItems));
    if (!table.documentPage && helpTable)
        page->BuildHelpIdTable();
    return page;
}

#define QZ_ROWS(rows) rows, sizeof rows / sizeof rows[0]
const PageTable kBasics = {1000, 1055, 100, QZ_ROWS(kBasicsRows), true};
const PageTable kFinishing = {3000, 1051, 300, QZ_ROWS(kFinishingRows), true};
const PageTable kEffects = {6000, 1052, 500, QZ_ROWS(kEffectsRows), true};
const PageTable kPaper = {2000, 1053, 200, QZ_ROWS(kPaperRows), true};
const PageTable kOutput = {16000, 11600, 950, QZ_ROWS(kOutputRows), true};
const PageTable kJobStorage = {15000, 11041, 1000, QZ_ROWS(kJobStorageRows), true};
const PageTable kColor = {14000, 1056, 900, QZ_ROWS(kColorRows), true};
const PageTable kNTForms = {12000, 0, 700, QZ_ROWS(kNTFormsRows), false};
const PageTable kConfigure = {7000, 0, 600, QZ_ROWS(kConfigureRows), false};
#undef QZ_ROWS

void CollectItems(std::vector<DialogItem>& items, const ControlRow* rows, size_t count, GObjectBase* writer, bool tail,
                  bool preview)
{
    for (size_t i = 0; i < count; ++i) {
        const ControlRow& row = rows[i];
        if (!row.binding)
            continue;
        if (!Applies(row.condition, writer))
            continue;
        for (const DialogItem* item = row.items; item->itemId || item->helpId; ++item)
            items.push_back(*item);
    }
    if (!tail)
        return;
    for (const DialogItem* list : {kAboutItems, kPreviewItems, kQuicksetItems, kNotice1013Items, kNotice1015Items})
        if (list != kPreviewItems || preview)
            for (const DialogItem* item = list; item->itemId || item->helpId; ++item)
                items.push_back(*item);
}

}  // namespace

wchar_t* CopyTitle(uint32_t stringId)
{
    RWWString text;
    ResourceLibrary::LoadResourceString(stringId, text);
    return GCPSOSUI::CopyName(text.Length() ? text.Data() : L"");
}

GPropertyPage* BuildBasics(QZPageEntry* entry, GSheetContext* context, bool hasHelp)
{
    return Build(kBasics, entry, context, hasHelp, nullptr);
}

GPropertyPage* BuildFinishing(QZPageEntry* entry, GSheetContext* context, bool hasHelp, GObjectBase* writer)
{
    return Build(kFinishing, entry, context, hasHelp, writer);
}

GPropertyPage* BuildEffects(QZPageEntry* entry, GSheetContext* context, bool hasHelp)
{
    return Build(kEffects, entry, context, hasHelp, nullptr);
}

GPropertyPage* BuildPaper(QZPageEntry* entry, GSheetContext* context, bool hasHelp)
{
    return Build(kPaper, entry, context, hasHelp, nullptr);
}

GPropertyPage* BuildOutput(QZPageEntry* entry, GSheetContext* context, bool hasHelp)
{
    return Build(kOutput, entry, context, hasHelp, nullptr, true, false);
}

GPropertyPage* BuildJobStorage(QZPageEntry* entry, GSheetContext* context, bool hasHelp)
{
    GUIData* data = context ? context->GetGUIData() : nullptr;
    GOSFactory* services = GOSFactory::Instance();
    if (data && data->driverUI && services) {
        RWWString key;
        data->driverUI->GetJobStorageKey(key);
        const uint32_t local = services->GetUserDword(key, L"LocalJobStorage", 0);
        context->GetSettings().SetValue(FeatureId::kJobStorageFirstUse, local == 0 ? 1 : 0);
    }
    return Build(kJobStorage, entry, context, hasHelp, nullptr, false);
}

GPropertyPage* BuildColor(QZPageEntry* entry, GSheetContext* context, bool hasHelp, GObjectBase* writer)
{
    return Build(kColor, entry, context, hasHelp, writer);
}

GPropertyPage* BuildNTForms(QZPageEntry* entry, GSheetContext* context, bool hasHelp)
{
    return Build(kNTForms, entry, context, hasHelp, nullptr);
}

GPropertyPage* BuildConfigure(QZPageEntry* entry, GSheetContext* context, bool hasHelp)
{
    return Build(kConfigure, entry, context, hasHelp, nullptr);
}

std::vector<TemplateItems> Templates()
{
    std::vector<TemplateItems> templates;
    for (const PageTable* table :
         {&kBasics, &kFinishing, &kEffects, &kPaper, &kOutput, &kJobStorage, &kColor, &kNTForms, &kConfigure}) {
        TemplateItems page{table->dialogId, {}};
        CollectItems(page.items, table->rows, table->count, nullptr, table->documentPage, table != &kJobStorage);
        if (!table->documentPage)
            page.items.push_back(kAboutItems[0]);
        templates.push_back(page);
    }
    for (const SubDialogTable* table : {&kWatermarkDetails, &kCustomPaperSize, &kColorSettings, &kMoreOptions,
                                      &kFontCardError, &kAddFontCard, &kConfigureFontCards}) {
        TemplateItems dialog{table->dialogId, {}};
        CollectItems(dialog.items, table->rows, table->count, nullptr, false, false);
        templates.push_back(dialog);
    }
    // The details dialogs: the PCL XL one without the PCL5e rows, the PCL5e one with them.
    GCheetah cheetah;
    GPcl5e pcl5e;
    for (GObjectBase* writer : {static_cast<GObjectBase*>(&cheetah), static_cast<GObjectBase*>(&pcl5e)}) {
        TemplateItems dialog{DialogIdFor(kQualityDetails, writer), {}};
        CollectItems(dialog.items, kQualityDetails.rows, kQualityDetails.count, writer, false, false);
        templates.push_back(dialog);
    }
    return templates;
}

}  // namespace PageBuilders
